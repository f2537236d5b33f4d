// The editor's effect sections: building them with their bodies and header
// attachments, placing them in the scrolling column, and following their
// heights.
#include "plugin/PluginEditor.h"

#include "ui/Col.h"

namespace
{
struct SectionLook
{
    const char* title;
    AccordionColors colours;
    MdButton::Accent accent;
};

// clang-format off
const SectionLook waveLook { "WAVE",
    { juce::Colour (0xff5a4f72), juce::Colour (0xff1c192d), juce::Colour (0xffbeb2d3), juce::Colour (0xff72658c) },
    MdButton::Accent::pu };
const SectionLook tremoloLook { "TREMOLO",
    { juce::Colour (0xff2a7850), juce::Colour (0xff0d2e1a), juce::Colour (0xff8fc3ae), juce::Colour (0xff3a865e) },
    MdButton::Accent::te };
const SectionLook tapeLook { "TAPE",
    { juce::Colour (0xff865f3f), juce::Colour (0xff251b1d), juce::Colour (0xffd3af8f), juce::Colour (0xff855e3e) },
    MdButton::Accent::co };
const SectionLook pitchLook { "PITCH / CHORUS",
    { juce::Colour (0xff3880dd), juce::Colour (0xff081630), juce::Colour (0xff80c8ff), juce::Colour (0xff5aa0ee) },
    MdButton::Accent::bl };
// clang-format on

std::unique_ptr<AccordionComponent> makeSection (const SectionLook& look, int bodyHeight)
{
    auto section = std::make_unique<AccordionComponent> (look.title, look.colours, look.accent);
    section->setBodyHeight (bodyHeight);
    return section;
}
} // namespace

void MassDelayAudioProcessorEditor::buildEffectSections()
{
    namespace id = params::id;
    auto attachHeader = [this] (const char* paramId, juce::Button& button) {
        sectionHeaderAttachments.push_back (std::make_unique<ButtonAttachment> (apvts, paramId, button));
        button.setTitle (parameterName (paramId));
    };
    auto reportDrags = [this] (auto& body) {
        body.onParamDragStart = [this] (const juce::String& pid) { setDragged (pid); };
        body.onParamDragEnd = [this] (const juce::String& pid) { clearDragged (pid); };
    };

    // Built in the order WAVE, TREMOLO, TAPE, PITCH / CHORUS.
    auto wave = makeSection (waveLook, WaveBody::bodyHeight);
    auto waveOwned = std::make_unique<WaveBody> (apvts);
    waveBody = waveOwned.get();
    waveBody->setSliderColours (Col::pu);
    waveBody->onRandomShapeSelected = [this] { audioProcessor.rerollWaveLfoSeed(); };
    wave->setShowSync (true);
    attachHeader (id::waveSync, wave->getSyncButton());
    wave->setBody (std::move (waveOwned));

    auto tremolo = makeSection (tremoloLook, TremoloBody::bodyHeight);
    auto tremoloOwned = std::make_unique<TremoloBody> (apvts);
    tremoloBody = tremoloOwned.get();
    tremoloBody->setSliderColours (Col::te);
    tremoloBody->onRandomShapeSelected = [this] { audioProcessor.rerollTremLfoSeed(); };
    tremolo->setShowSync (true);
    attachHeader (id::tremSync, tremolo->getSyncButton());
    tremolo->setBody (std::move (tremoloOwned));

    auto tape = makeSection (tapeLook, TapeDegradationBody::bodyHeight);
    auto tapeOwned = std::make_unique<TapeDegradationBody> (apvts);
    tapeBody = tapeOwned.get();
    tapeBody->setSliderColours (Col::co);
    reportDrags (*tapeBody);
    tape->setShowModeSwitch (true);
    attachHeader (id::tapeOd, tape->getModeSwitch());
    tape->setBody (std::move (tapeOwned));

    auto pitch = makeSection (pitchLook, PitchBody::bodyHeight);
    auto pitchOwned = std::make_unique<PitchBody> (apvts);
    pitchBody = pitchOwned.get();
    pitchBody->setSliderColours (Col::bl);
    reportDrags (*pitchBody);
    pitchBody->onRandomShapeSelected = [this] { audioProcessor.rerollPitchLfoSeed(); };
    pitch->setShowWide (true);
    pitch->setShow2x (true);
    pitch->setShowSync (true);
    attachHeader (id::pitchWide, pitch->getWideButton());
    attachHeader (id::pitch2x, pitch->get2xButton());
    attachHeader (id::pitchSync, pitch->getSyncButton());
    pitch->setBody (std::move (pitchOwned));

    // Shown in the order TAPE, PITCH / CHORUS, WAVE, TREMOLO. A section is
    // open when the layout state has it open or has no entry for it, and it
    // is open from the start: it is set before it has a parent, so without
    // the opening animation. An animation started here would resize the
    // window from timer ticks before the host has attached the view, and a
    // VST3 host on Linux runs those ticks on the plug-in's own background
    // thread until then: the host window would be resized from a thread
    // that is not the host's (JUCE's own VST3 host crashed on it). Opened
    // and closed by the user, the sections animate.
    sections.push_back (std::move (tape));
    sections.push_back (std::move (pitch));
    sections.push_back (std::move (wave));
    sections.push_back (std::move (tremolo));
    auto& layout = audioProcessor.getAccordionLayout();
    for (auto& section : sections)
    {
        section->setExpanded (layout.isExpanded (section->getTitle()));
        sectionContent->addAndMakeVisible (*section);
        section->setHeightListener (this);
    }

    const char* powerIds[] = { id::tape, id::pitch, id::wave, id::tremolo };
    for (size_t i = 0; i < sections.size(); ++i)
    {
        sectionPowerAttachments.push_back (
            std::make_unique<ButtonAttachment> (apvts, powerIds[i], sections[i]->getPowerButton()));
        sections[i]->getPowerButton().setTitle (parameterName (powerIds[i]));
    }
}

int MassDelayAudioProcessorEditor::layoutSections (int width)
{
    int y = 0;
    for (auto& section : sections)
    {
        section->setBounds (0, y, width, section->getCurrentHeight() + AccordionComponent::headerHeight);
        y += section->getHeight() + 28;
    }
    return y - 4;
}

void MassDelayAudioProcessorEditor::accordionHeightChanged (AccordionComponent* section)
{
    if (section != nullptr)
        audioProcessor.getAccordionLayout().setExpanded (section->getTitle(), section->isExpanded());
    resized();
    updateWindowHeight();
}
