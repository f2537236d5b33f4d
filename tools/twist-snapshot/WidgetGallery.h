#pragma once

#include "ui/MdLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// Every widget of the editor's visual language laid out in its states, so
// that the look can be checked at a glance: the palette, MdButton in its
// styles, states and accents, the chrome ButtonGrid, every MdSlider kind with
// a value, sync and phase texts, reversed and transparent-thumb sliders,
// icons at several sizes, the small widgets and a value-entry call-out.
class WidgetGallery : public juce::Component
{
public:
    WidgetGallery();
    ~WidgetGallery() override;

    void paint (juce::Graphics&) override;

private:
    template <typename T, typename... Args>
    T& add (juce::Rectangle<int> bounds, Args&&... args);

    void caption (const juce::String& text, int x, int y, int width = 300);
    void note (const juce::String& text, juce::Rectangle<int> bounds,
               juce::Justification justification = juce::Justification::centredLeft);

    int addPalette (int y);
    int addButtons (int y);
    int addChrome (int y);
    int addSliders (int y);
    int addIcons (int y);
    int addSmallWidgets (int y);

    // Looks for the hovered and pressed states, which need a mouse otherwise.
    struct HighlightedSliderLook;

    MdLookAndFeel lookAndFeel;
    std::unique_ptr<juce::LookAndFeel> highlightedSliderLook;
    std::vector<std::unique_ptr<juce::Component>> widgets;
    juce::CallOutBox* valueEntryCallOut = nullptr;
    juce::Rectangle<int> valueEntryTarget;
    float savedBpm = 0.0f;
};
