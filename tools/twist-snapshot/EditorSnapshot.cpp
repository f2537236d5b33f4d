#include "EditorSnapshot.h"

#include "ui/HudOverlay.h"

#include <algorithm>

EditorSnapshot::EditorSnapshot()
    : processor (std::make_unique<MassDelayAudioProcessor>())
    , buffer (2, 512)
{
    processor->prepareToPlay (48000.0, 512);
}

EditorSnapshot::~EditorSnapshot()
{
    editor.reset();
    processor->releaseResources();
}

void EditorSnapshot::runBlocks (int count)
{
    for (int i = 0; i < count; ++i)
    {
        buffer.clear();
        processor->processBlock (buffer, midi);
    }
}

void EditorSnapshot::tick()
{
    runBlocks (3);
    editor->refresh();
    editor->getMassControl().accumTick();
    for (int step = 0; step < 2; ++step)
        for (auto* overlay : editor->getVisualizer().getOverlays())
            if (overlay->isRamping())
                overlay->tick();
}

std::unique_ptr<EditorSnapshot> EditorSnapshot::create (const Setup& setup, juce::String& error)
{
    // The picture shows what was asked for, not the user's default patch.
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    std::unique_ptr<EditorSnapshot> snapshot (new EditorSnapshot());
    auto& proc = *snapshot->processor;

    if (setup.stateFile != juce::File())
    {
        juce::MemoryBlock state;
        if (! setup.stateFile.loadFileAsData (state) || state.isEmpty())
        {
            error = "cannot read the state file " + setup.stateFile.getFullPathName();
            return nullptr;
        }
        proc.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    }

    if (setup.presetId.isNotEmpty())
    {
        const auto* patch = proc.getPresetLibrary().findById (setup.presetId);
        if (patch == nullptr)
        {
            error = "no preset with the id '" + setup.presetId + "'";
            return nullptr;
        }
        proc.applyPatch (*patch);
    }

    for (const auto& [id, value] : setup.values)
    {
        auto* param = proc.getValueTreeState().getParameter (id);
        if (param == nullptr)
        {
            error = "no parameter with the id '" + id + "'";
            return nullptr;
        }
        param->setValueNotifyingHost (param->convertTo0to1 (value));
    }

    if (! setup.expand.isEmpty())
    {
        juce::StringArray open;
        for (const auto& name : setup.expand)
        {
            if (name.equalsIgnoreCase ("all"))
                for (const auto* title : AccordionLayoutState::sectionTitles)
                    open.add (title);
            else if (name.equalsIgnoreCase ("none"))
                continue;
            else if (std::none_of (AccordionLayoutState::sectionTitles.begin(),
                                   AccordionLayoutState::sectionTitles.end(),
                                   [&name] (const char* title) { return name.equalsIgnoreCase (title); }))
            {
                error = "no effect section '" + name + "' (TAPE, PITCH / CHORUS, WAVE, TREMOLO, all or none)";
                return nullptr;
            }
            else
                open.add (name.toUpperCase());
        }
        for (const auto* title : AccordionLayoutState::sectionTitles)
            proc.getAccordionLayout().setExpanded (title, open.contains (title));
    }

    snapshot->editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (proc.createEditor()));
    if (snapshot->editor == nullptr)
    {
        error = "the processor made no editor";
        return nullptr;
    }
    snapshot->addAndMakeVisible (*snapshot->editor);

    if (setup.dragId.isNotEmpty())
    {
        if (proc.getValueTreeState().getParameter (setup.dragId) == nullptr)
        {
            error = "no parameter with the id '" + setup.dragId + "' to drag";
            return nullptr;
        }
        snapshot->editor->setDraggedParamId (setup.dragId);
    }

    if (setup.hoverId.isNotEmpty())
    {
        if (proc.getValueTreeState().getParameter (setup.hoverId) == nullptr)
        {
            error = "no parameter with the id '" + setup.hoverId + "' to hover";
            return nullptr;
        }
        snapshot->editor->setHoveredParamId (setup.hoverId);
    }

    for (int i = 0; i < std::max (setup.ticks, 1); ++i)
        snapshot->tick();
    // The effect bodies refresh their value texts on timers of their own
    // (10 Hz): a short run of the message loop lets them catch up with the
    // last tick.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (150);
    snapshot->editor->applyZoomPercent (setup.zoom);
    const auto window = snapshot->editor->getBoundsInParent();
    snapshot->setSize (window.getRight(), window.getBottom());
    return snapshot;
}
