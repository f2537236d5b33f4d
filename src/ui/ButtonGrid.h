#pragma once

#include "ui/MdButton.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

// A row of four MdButtons built from descriptions, each in a quarter of the
// width. A button with a parameter ID toggles; one without is momentary.
class ButtonGrid : public juce::Component
{
public:
    struct Config
    {
        juce::String label;
        juce::Path icon;
        MdButton::IconPainter iconPainter;
        MdButton::Accent accent = MdButton::Accent::none;
        juce::String paramId; // empty for a momentary button
        std::function<void()> onClick;

        // A slot with no label and no icon stays empty.
        bool isEmpty() const { return label.isEmpty() && icon.isEmpty() && iconPainter == nullptr; }
    };

    static constexpr int numSlots = 4;

    ButtonGrid() = default;

    void setButtons (const std::array<Config, numSlots>& configs);
    void clearButtons();

    // The buttons of the non-empty slots, in slot order.
    std::vector<MdButton*> getButtons() const;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    std::array<std::unique_ptr<MdButton>, numSlots> buttons;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ButtonGrid)
};
