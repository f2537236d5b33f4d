#include "EditorSnapshot.h"

#include "SoundSetup.h"
#include "ui/AboutDialog.h"
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
    if (editor != nullptr)
        editor->getPresetPanel().setMenuParent (nullptr);
    juce::PopupMenu::dismissAllActiveMenus();
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
        if (const auto result = soundsetup::applyStateFile (proc, setup.stateFile); result.failed())
        {
            error = result.getErrorMessage();
            return nullptr;
        }
    }

    if (setup.presetId.isNotEmpty())
    {
        if (const auto result = soundsetup::applyPreset (proc, setup.presetId); result.failed())
        {
            error = result.getErrorMessage();
            return nullptr;
        }
    }

    soundsetup::applySettings (proc, setup.values);

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
            error = unknownParameter (setup.dragId);
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
    if (setup.open.isNotEmpty() && ! snapshot->open (setup.open, error))
        return nullptr;
    return snapshot;
}

bool EditorSnapshot::open (const juce::String& what, juce::String& error)
{
    constexpr int gap = 12;

    if (what == "options")
    {
        editor->getOptionsPanel().showPanel();
        editor->getOptionsPanel().finishSlide();
        return true;
    }

    if (what == "about" || what == "licences")
    {
        editor->getTitleLabel().onClick();
        auto* about = dynamic_cast<AboutDialog*> (editor->getDialogOverlay().getDialog());
        if (about == nullptr)
        {
            error = "the title click showed no about dialog";
            return false;
        }
        if (what == "licences")
        {
            noticesWindow = about->showLicenses();
            if (noticesWindow == nullptr)
            {
                error = "the notices window did not open";
                return false;
            }
            // The window is a window of its own: drawn beside the editor.
            setSize (editor->getWidth() + gap + noticesWindow->getWidth(),
                     std::max (editor->getHeight(), noticesWindow->getHeight()));
        }
        return true;
    }

    if (what == "presets")
    {
        // The menu opens inside this component, below the name; room below
        // the editor lets it show whole.
        auto& panel = editor->getPresetPanel();
        setSize (editor->getWidth() + 200, 1000);
        panel.setMenuParent (this);
        panel.showPresetMenu();
        auto area = editor->getBounds();
        bool menuShown = false;
        for (auto* child : getChildren())
        {
            if (child != editor.get() && child->isVisible())
            {
                area = area.getUnion (child->getBounds());
                menuShown = true;
            }
        }
        if (! menuShown)
        {
            error = "the preset menu did not open";
            return false;
        }
        setSize (area.getRight(), area.getBottom());
        return true;
    }

    error = "nothing called '" + what + "' to open";
    return false;
}

void EditorSnapshot::paintOverChildren (juce::Graphics& g)
{
    if (auto* window = noticesWindow.getComponent())
    {
        // The window fills whatever clip it is given: clip it to its own place.
        juce::Graphics::ScopedSaveState saved (g);
        g.reduceClipRegion (getWidth() - window->getWidth(), 0, window->getWidth(), window->getHeight());
        g.setOrigin (getWidth() - window->getWidth(), 0);
        window->paintEntireComponent (g, true);
    }
}
