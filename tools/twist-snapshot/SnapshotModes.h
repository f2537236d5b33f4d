#pragma once

#include "ParameterSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The command line's settings for modes that render a plug-in state.
struct SnapshotOptions
{
    juce::String presetId;                // --preset
    juce::File stateFile;                 // --state; none: juce::File()
    std::vector<ParameterSetting> values; // --set id=value
    int ticks = 30;                       // --ticks
    juce::String open;                    // --open: a panel, dialog or menu to show
    juce::String dragId;                  // --drag
    juce::String hoverId;                 // --hover
    juce::StringArray expand;             // --expand SECTION (or all / none)
    int zoom = 100;                       // --zoom PERCENT
};

// What twist-snapshot can render. A mode builds the component to render,
// already sized; whatever else it needs (a processor, say) it owns itself.
// It returns nullptr, with a reason in error, when the options cannot be met.
struct SnapshotMode
{
    const char* name;
    const char* description;
    std::function<std::unique_ptr<juce::Component> (const SnapshotOptions&, juce::String& error)> create;
};

const std::vector<SnapshotMode>& snapshotModes();
