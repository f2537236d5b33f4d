#pragma once

#include "ui/MdButton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// A row of small icon buttons, one per LFO shape, exactly one of them lit.
// It knows nothing about parameters: the owner tells it which shape is
// selected and hears through onShapeChanged which one the user picked.
class ShapePickerComponent : public juce::Component
{
public:
    // shapes: the LFO shape numbers shown, in button order.
    explicit ShapePickerComponent (std::vector<int> shapes);

    // Lights the button of shape s (none when s is not in the list).
    void setSelectedShape (int s);
    int getSelectedShape() const noexcept { return selectedShape; }

    // Gives each button the accessible title titleOf(its shape number).
    void setButtonTitles (const std::function<juce::String (int shape)>& titleOf);

    // The user picked the button at position (as a click on it does).
    void shapeClicked (int position);

    // Gives every button the background, border and colour of accent.
    void updateButtonColours();

    void resized() override;

    const std::vector<int>& getShapes() const noexcept { return shapes; }
    // The button at position, or nullptr outside the list.
    MdButton* getButton (int position) const;

    std::function<void (int)> onShapeChanged;
    MdButton::Accent accent = MdButton::Accent::te;

    static constexpr int buttonWidth = 20;
    static constexpr int buttonPitch = 34;

private:
    std::vector<int> shapes;
    std::vector<std::unique_ptr<MdButton>> buttons;
    int selectedShape = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ShapePickerComponent)
};
