#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// What twist-snapshot can render. A mode builds the component to render,
// already sized; whatever else it needs (a processor, say) it owns itself.
struct SnapshotMode
{
    const char* name;
    const char* description;
    std::function<std::unique_ptr<juce::Component>()> create;
};

const std::vector<SnapshotMode>& snapshotModes();
