#pragma once

#include "ParameterSettings.h"
#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <utility>
#include <vector>

// The whole editor over a processor of its own, ready to render: the
// processor starts from a preset, a saved state file or the parameter
// defaults, takes any parameter settings on top, then runs a number of
// refresh ticks (each after a few blocks of silence, so the taps are
// published) before the picture is taken. A parameter can be shown as being
// dragged or hovered: the editor is told of it before the ticks, as a control
// would tell it, and the overlays' fade timers advance with the ticks as they
// would in a window (two 60 Hz steps per 30 Hz refresh). The effect sections
// are open as the state has them (or as asked).
class EditorSnapshot : public juce::Component
{
public:
    struct Setup
    {
        juce::String presetId;                // empty: none
        juce::File stateFile;                 // juce::File(): none
        std::vector<ParameterSetting> values; // applied in order
        int ticks = 30;
        juce::String open;    // empty, or one of openChoices()
        juce::String dragId;  // parameter shown as being dragged; empty: none
        juce::String hoverId; // parameter shown as being hovered; empty: none
        // The effect sections that start open, by title (any case), or
        // "all" or "none"; empty: as the state has them.
        juce::StringArray expand;
        // The editor's zoom in percent (a step of 100 to 200), whatever the
        // user's settings hold.
        int zoom = 100;
    };

    // What --open can show: the options panel, the about dialog, the licence
    // notices window (drawn beside the editor) and the preset menu.
    static juce::StringArray openChoices() { return { "options", "about", "licences", "presets" }; }

    // Returns nullptr with an explanation in error when the setup cannot be met.
    static std::unique_ptr<EditorSnapshot> create (const Setup& setup, juce::String& error);

    ~EditorSnapshot() override;

    MassDelayAudioProcessor& getProcessor() noexcept { return *processor; }
    MassDelayAudioProcessorEditor& getEditor() noexcept { return *editor; }

    void paintOverChildren (juce::Graphics&) override;

    // One refresh tick as the snapshot runs it: a few blocks of silence, the
    // editor's refresh, the Twist control's animation step and two steps of
    // every overlay that is fading in or out.
    void tick();

private:
    EditorSnapshot();
    void runBlocks (int count);
    bool open (const juce::String& what, juce::String& error);

    std::unique_ptr<MassDelayAudioProcessor> processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
    juce::Component::SafePointer<juce::Component> noticesWindow;
};
