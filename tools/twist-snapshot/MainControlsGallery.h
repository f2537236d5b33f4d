#pragma once

#include "plugin/PluginProcessor.h"
#include "ui/MdLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// The main controls in their states, at the editor's sizes: the filter range
// (apart, together, hovered, grabbed), the width and ping-pong row (plain,
// with values, "NO MID" with "MUTED" in both blink phases), the density strip
// (free, 4X with the link on, tempo-synced) and the master fader with its
// meter from silence to a pinned peak and at the ends of its travel.
class MainControlsGallery : public juce::Component
{
public:
    MainControlsGallery();
    ~MainControlsGallery() override;

    void paint (juce::Graphics&) override;

private:
    template <typename T, typename... Args>
    T& add (juce::Rectangle<int> bounds, Args&&... args);

    // A processor of its own for a control that attaches to parameters,
    // with parameters set in their own units.
    MassDelayAudioProcessor& processorWith (std::initializer_list<std::pair<const char*, float>> values);

    void caption (const juce::String& text, int x, int y, int width = 400);
    void note (const juce::String& text, juce::Rectangle<int> bounds);

    int addFilters (int y);
    int addMainRows (int y);
    int addDensityStrips (int y);
    int addFaders (int y);

    MdLookAndFeel lookAndFeel;
    std::vector<std::unique_ptr<MassDelayAudioProcessor>> processors;
    std::vector<std::unique_ptr<juce::Component>> widgets;
    float savedBpm = 0.0f;
};
