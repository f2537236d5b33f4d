#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/ValueEntryBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace
{
const std::array<const char*, 4> displayOrder { "TAPE", "PITCH / CHORUS", "WAVE", "TREMOLO" };

// A processor and its editor.
struct Sections : public ::testing::Test
{
    Sections() { open(); }

    ~Sections() override
    {
        editor.reset();
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
    }

    void open()
    {
        editor.reset();
        editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
    }

    AccordionComponent& section (const juce::String& title)
    {
        for (const auto& s : editor->getSections())
            if (s->getTitle() == title)
                return *s;
        ADD_FAILURE() << "no section " << title;
        return *editor->getSections().front();
    }

    // A press on the middle of a section's header, as the user toggles it.
    void clickHeader (const juce::String& title)
    {
        auto& s = section (title);
        uitest::Mouse mouse (s);
        mouse.down (150.0f, 12.0f);
        mouse.up (150.0f, 12.0f);
        s.finishAnimation();
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    void set (const char* id, float value)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    // Runs the message loop until done() holds (at most two seconds).
    static bool waitFor (const std::function<bool()>& done)
    {
        for (int i = 0; i < 100 && ! done(); ++i)
            uitest::pump (20);
        return done();
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};

int bodyHeightOf (const char* title)
{
    const juce::String t (title);
    return t == "TAPE" ? 120 : t == "TREMOLO" ? 84 : 80;
}
} // namespace

//==============================================================================
TEST_F (Sections, AreBuiltInDisplayOrderWithTheirLooksBodiesAndHeaderExtras)
{
    struct Look
    {
        const char* title;
        MdButton::Accent accent;
        juce::uint32 accentColour, shade, light, spare;
        int bodyHeight;
        bool sync, wide, twoX, modeSwitch;
        juce::Component* body;
    };
    const Look looks[] = {
        { "TAPE", MdButton::Accent::co, 0xff865f3f, 0xff251b1d, 0xffd3af8f, 0xff855e3e, 120, false, false, false, true,
          editor->getTapeBody() },
        { "PITCH / CHORUS", MdButton::Accent::bl, 0xff3880dd, 0xff081630, 0xff80c8ff, 0xff5aa0ee, 80, true, true, true,
          false, editor->getPitchBody() },
        { "WAVE", MdButton::Accent::pu, 0xff5a4f72, 0xff1c192d, 0xffbeb2d3, 0xff72658c, 80, true, false, false, false,
          editor->getWaveBody() },
        { "TREMOLO", MdButton::Accent::te, 0xff2a7850, 0xff0d2e1a, 0xff8fc3ae, 0xff3a865e, 84, true, false, false,
          false, editor->getTremoloBody() },
    };
    const auto& sections = editor->getSections();
    ASSERT_EQ (sections.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
    {
        const auto& l = looks[i];
        auto& s = *sections[i];
        EXPECT_EQ (s.getTitle(), l.title);
        EXPECT_EQ (s.getTitleLabel().getText(), l.title);
        EXPECT_EQ (s.getAccent(), l.accent) << l.title;
        EXPECT_EQ (s.getColours().accent, juce::Colour (l.accentColour)) << l.title;
        EXPECT_EQ (s.getColours().shade, juce::Colour (l.shade)) << l.title;
        EXPECT_EQ (s.getColours().light, juce::Colour (l.light)) << l.title;
        EXPECT_EQ (s.getColours().spare, juce::Colour (l.spare)) << l.title;
        EXPECT_EQ (s.getBodyHeight(), l.bodyHeight) << l.title;
        ASSERT_NE (l.body, nullptr) << l.title;
        EXPECT_EQ (s.getBody(), l.body) << l.title;
        EXPECT_EQ (s.getSyncButton().isVisible(), l.sync) << l.title;
        EXPECT_EQ (s.getWideButton().isVisible(), l.wide) << l.title;
        EXPECT_EQ (s.get2xButton().isVisible(), l.twoX) << l.title;
        EXPECT_EQ (s.getModeSwitch().isVisible(), l.modeSwitch) << l.title;
        EXPECT_EQ (s.getParentComponent(), editor->getSectionViewport().getViewedComponent()) << l.title;
    }
}

TEST_F (Sections, StandInTheScrollingColumnWithTwentyEightPixelGaps)
{
    // Every section open (a fresh state has no entry, which means open):
    // 144 + 104 + 104 + 108 px plus the gaps make 568 px, more than the
    // 404 px the 788 px window leaves, so the column scrolls.
    EXPECT_EQ (editor->getHeight(), 788);
    const auto& viewport = editor->getSectionViewport();
    EXPECT_EQ (viewport.getBounds(), juce::Rectangle<int> (12, 375, 436, 404));
    const int width = 436 - viewport.getScrollBarThickness();
    const std::array<juce::Rectangle<int>, 4> expected {
        { { 0, 0, width, 144 }, { 0, 172, width, 104 }, { 0, 304, width, 104 }, { 0, 436, width, 108 } }
    };
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ (editor->getSections()[i]->getBounds(), expected[i]) << displayOrder[i];
    EXPECT_EQ (viewport.getViewedComponent()->getHeight(), 568 + 12);
    EXPECT_TRUE (viewport.canScrollVertically());

    // The tremolo section at the bottom is reached by scrolling.
    auto& view = const_cast<juce::Viewport&> (viewport);
    view.setViewPosition (0, 1000);
    EXPECT_EQ (view.getViewPositionY(), 568 + 12 - 404);
}

TEST_F (Sections, WindowHeightFollowsEveryCombinationOfOpenSections)
{
    // Collapsed, the four headers and their gaps take 204 px below the top
    // of the column at y = 375; each open section adds its body. The window
    // is 21 px taller than that, up to 788.
    for (int mask = 0; mask < 16; ++mask)
    {
        int sectionsBottom = 375 + 204;
        juce::String open;
        for (size_t i = 0; i < 4; ++i)
        {
            const bool isOpen = (mask >> i) & 1;
            processor.getAccordionLayout().setExpanded (displayOrder[i], isOpen);
            if (isOpen)
            {
                sectionsBottom += bodyHeightOf (displayOrder[i]);
                open << displayOrder[i] << ", ";
            }
        }
        this->open();
        const int expected = std::min (sectionsBottom + 21, 788);
        EXPECT_EQ (editor->getHeight(), expected) << "open: " << open;
        EXPECT_EQ (editor->getWidth(), 460);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ (editor->getSections()[i]->isExpanded(), ((mask >> i) & 1) != 0) << displayOrder[i];

        // Beyond 788 the column holds more than the viewport shows.
        const auto& viewport = editor->getSectionViewport();
        EXPECT_EQ (viewport.getBottom(), editor->getHeight() - 9);
        EXPECT_EQ (viewport.getViewedComponent()->getHeight(),
                   std::max (sectionsBottom - 375, viewport.getHeight()) + 12);
        const int columnHeight = sectionsBottom - 375;
        if (columnHeight > viewport.getHeight())
        {
            EXPECT_EQ (editor->getHeight(), 788) << "open: " << open;
        }
        if (editor->getHeight() < 788)
        {
            EXPECT_LE (columnHeight, viewport.getHeight()) << "open: " << open;
        }
    }
}

TEST_F (Sections, OpenAtOnceWhenTheEditorIsBuiltAndAnimateWhenClicked)
{
    // Built, the editor shows the stored sections as they are: nothing
    // animates and the window has its height at once.
    for (const auto* title : displayOrder)
        processor.getAccordionLayout().setExpanded (title, false);
    open();
    EXPECT_EQ (editor->getHeight(), 600);
    for (const auto& s : editor->getSections())
        EXPECT_FALSE (s->isAnimating());

    // A click on a header opens it in 200 ms, and the window grows with it.
    auto& wave = section ("WAVE");
    uitest::Mouse mouse (wave);
    mouse.down (150.0f, 12.0f);
    mouse.up (150.0f, 12.0f);
    EXPECT_TRUE (wave.isAnimating());
    std::vector<int> heights { editor->getHeight() };
    ASSERT_TRUE (waitFor ([&] {
        if (heights.back() != editor->getHeight())
            heights.push_back (editor->getHeight());
        return ! wave.isAnimating();
    }));
    EXPECT_EQ (heights.back(), 600 + 80);
    EXPECT_GT (heights.size(), 3u) << "the window grew in steps";
    for (size_t i = 1; i < heights.size(); ++i)
        EXPECT_GT (heights[i], heights[i - 1]);
    EXPECT_TRUE (processor.getAccordionLayout().isExpanded ("WAVE"));
}

TEST_F (Sections, ClickedSectionsAreRememberedAcrossEditorsAndSavedStates)
{
    clickHeader ("TAPE");
    clickHeader ("WAVE");
    EXPECT_FALSE (processor.getAccordionLayout().isExpanded ("TAPE"));
    EXPECT_FALSE (processor.getAccordionLayout().isExpanded ("WAVE"));
    EXPECT_EQ (editor->getHeight(), 375 + 204 + 80 + 84 + 21);

    auto expectOpen = [] (MassDelayAudioProcessorEditor& e, const char* when) {
        const std::array<bool, 4> open { false, true, false, true };
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ (e.getSections()[i]->isExpanded(), open[i]) << displayOrder[i] << ", " << when;
        EXPECT_EQ (e.getHeight(), 764) << when;
    };

    open();
    expectOpen (*editor, "new editor");

    // Saved and restored into another instance.
    juce::MemoryBlock state;
    processor.getStateInformation (state);
    editor.reset();
    MassDelayAudioProcessor other;
    other.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    std::unique_ptr<MassDelayAudioProcessorEditor> otherEditor (
        dynamic_cast<MassDelayAudioProcessorEditor*> (other.createEditor()));
    expectOpen (*otherEditor, "restored state");

    // Reopened again by clicks, it is stored open.
    uitest::Mouse mouse (*otherEditor->getSections()[0]);
    mouse.down (150.0f, 12.0f);
    mouse.up (150.0f, 12.0f);
    otherEditor->getSections()[0]->finishAnimation();
    EXPECT_TRUE (other.getAccordionLayout().isExpanded ("TAPE"));
}

//==============================================================================
// Every control of the four bodies and the section headers: its caption,
// the parameter it edits (both ways), its value rules and reset value.
namespace
{
struct ControlCase
{
    const char* section;
    const char* caption;
    const char* paramId;
    MdSlider::Kind kind;
    double resetValue;
    float testValue; // a value in the parameter's own units to send both ways
};

EffectBodyControl* findControl (MassDelayAudioProcessorEditor& editor, const ControlCase& c)
{
    const juce::String section (c.section);
    std::vector<EffectBodyControl*> controls;
    if (section == "TAPE")
        for (int i = 0; i < TapeDegradationBody::numControls; ++i)
            controls.push_back (&editor.getTapeBody()->getControl (static_cast<TapeDegradationBody::Control> (i)));
    else if (section == "PITCH / CHORUS")
        for (int i = 0; i < PitchBody::numControls; ++i)
            controls.push_back (&editor.getPitchBody()->getControl (i));
    else
        for (int i = 0; i < 4; ++i)
            controls.push_back (section == "WAVE" ? &editor.getWaveBody()->getControl (i)
                                                  : &editor.getTremoloBody()->getControl (i));
    for (auto* control : controls)
        if (control->getCaption().getText() == c.caption)
            return control;
    return nullptr;
}
} // namespace

TEST_F (Sections, EveryBodySliderIsBoundToItsParameter)
{
    using Kind = MdSlider::Kind;
    const ControlCase cases[] = {
        { "TAPE", "WEAR", "tDarken", Kind::Percent, 25, 61 },
        { "TAPE", "LO BUMP", "headBump", Kind::Decibels, 20, 35 },
        { "TAPE", "DRIVE", "tBoost", Kind::Percent, 50, 12 },
        { "TAPE", "OUT", "td", Kind::Percent, 50, 70 },
        { "TAPE", "LPF", "sat", Kind::Percent, 100, 44 },
        { "TAPE", "MIX", "tpWet", Kind::Percent, 100, 33 },
        { "TAPE", "FLUTTER", "flutter", Kind::Percent, 0, 15 },
        { "TAPE", "SPEED", "flutSpd", Kind::Percent, 50, 80 },
        { "PITCH / CHORUS", "RATE", "pitchRt", Kind::SlowRate, 0, 400 },
        { "PITCH / CHORUS", "DEPTH", "pitchDp", Kind::Percent, 0, 25 },
        { "PITCH / CHORUS", "PITCH", "pitchCt", Kind::Cents, 0, -7.5f },
        { "PITCH / CHORUS", "REGEN", "pitchFbk", Kind::Percent, 0, 45 },
        { "PITCH / CHORUS", "MIX", "pitchMix", Kind::Percent, 100, 55 },
        { "WAVE", "RATE", "lrs", Kind::LfoRate, 523, 800 },
        { "WAVE", "DENSITY", "lfoDp", Kind::Percent, 70, 20 },
        { "WAVE", "PHASE", "woPh", Kind::Decimal, 0, -90 },
        { "WAVE", "OFFSET", "woOff", Kind::Decimal, 0, 45 },
        { "TREMOLO", "RATE", "tremR", Kind::LfoRate, 753, 100 },
        { "TREMOLO", "DEPTH", "tremD", Kind::Percent, 80, 10 },
        { "TREMOLO", "PHASE", "tremPh", Kind::Decimal, 0, 135 },
        { "TREMOLO", "OFFSET", "tremOff", Kind::Decimal, 0, -30 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.section) + " " + c.caption);
        auto* control = findControl (*editor, c);
        ASSERT_NE (control, nullptr);
        auto& slider = control->getSlider();
        EXPECT_EQ (slider.paramId, c.paramId);
        EXPECT_EQ (slider.getKind(), c.kind);
        EXPECT_EQ (slider.resetValue, c.resetValue);
        EXPECT_TRUE (slider.isVisible() && control->getCaption().isVisible() && control->getValueLabel().isVisible());

        // The host changes the parameter: the slider follows.
        set (c.paramId, c.testValue);
        EXPECT_NEAR (slider.getValue(), c.testValue, 0.01);
        // A double-click on the slider restores the reset value in the parameter.
        uitest::Mouse (slider).doubleClick (10.0f, 12.0f);
        EXPECT_NEAR (raw (c.paramId), c.resetValue, 0.01);
    }

    // Phase sliders show beat offsets while synced.
    EXPECT_TRUE (editor->getWaveBody()->getPhaseSlider().phaseMode);
    EXPECT_TRUE (editor->getTremoloBody()->getPhaseSlider().phaseMode);
    EXPECT_TRUE (editor->getTapeBody()->getControl (TapeDegradationBody::wear).getSlider().reversed);
}

TEST_F (Sections, HeaderButtonsSwitchTheirParameters)
{
    struct HeaderCase
    {
        const char* section;
        const char* what;
        const char* paramId;
        std::function<juce::Button&(AccordionComponent&)> button;
    };
    const HeaderCase cases[] = {
        { "TAPE", "power", "tp", [] (AccordionComponent& s) -> juce::Button& { return s.getPowerButton(); } },
        { "TAPE", "mode switch", "tOd", [] (AccordionComponent& s) -> juce::Button& { return s.getModeSwitch(); } },
        { "PITCH / CHORUS", "power", "pitchOn",
          [] (AccordionComponent& s) -> juce::Button& { return s.getPowerButton(); } },
        { "PITCH / CHORUS", "SYNC", "pitchSync",
          [] (AccordionComponent& s) -> juce::Button& { return s.getSyncButton(); } },
        { "PITCH / CHORUS", "WIDE", "pitchWide",
          [] (AccordionComponent& s) -> juce::Button& { return s.getWideButton(); } },
        { "PITCH / CHORUS", "2X", "pitch2x", [] (AccordionComponent& s) -> juce::Button& { return s.get2xButton(); } },
        { "WAVE", "power", "wo", [] (AccordionComponent& s) -> juce::Button& { return s.getPowerButton(); } },
        { "WAVE", "SYNC", "waveSync", [] (AccordionComponent& s) -> juce::Button& { return s.getSyncButton(); } },
        { "TREMOLO", "power", "trem", [] (AccordionComponent& s) -> juce::Button& { return s.getPowerButton(); } },
        { "TREMOLO", "SYNC", "tremSync", [] (AccordionComponent& s) -> juce::Button& { return s.getSyncButton(); } },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.section) + " " + c.what);
        auto& s = section (c.section);
        auto& button = c.button (s);
        const bool before = raw (c.paramId) > 0.5f;
        EXPECT_EQ (button.getToggleState(), before);
        uitest::Mouse (button).click (8.0f, 8.0f);
        EXPECT_EQ (raw (c.paramId) > 0.5f, ! before);
        set (c.paramId, before ? 1.0f : 0.0f);
        EXPECT_EQ (button.getToggleState(), before) << "the button follows the parameter";
    }

    // The power button's parameter drives the section's look, from either side.
    auto& tape = section ("TAPE");
    set ("tp", 1.0f);
    EXPECT_TRUE (tape.isUnitActive());
    EXPECT_EQ (tape.getPowerButton().getButtonText(), "ON");
    set ("tp", 0.0f);
    EXPECT_FALSE (tape.isUnitActive());
    EXPECT_NEAR (tape.getBody()->getAlpha(), 0.65f, 0.005f);
}

TEST_F (Sections, ASectionStartsLitWhenItsEffectIsOn)
{
    set ("trem", 1.0f);
    open();
    EXPECT_TRUE (section ("TREMOLO").isUnitActive());
    EXPECT_EQ (section ("TREMOLO").getPowerButton().getButtonText(), "ON");
    EXPECT_FALSE (section ("WAVE").isUnitActive());
}

//==============================================================================
TEST_F (Sections, PickingAShapeWritesItsIndexAndRandomShapesDrawNewSeeds)
{
    struct PickerCase
    {
        const char* what;
        ShapePickerComponent& picker;
        const char* paramId;
        std::function<std::uint32_t()> seed;
        std::vector<int> rerollingShapes;
    };
    const PickerCase pickers[] = {
        { "tremolo",
          editor->getTremoloBody()->getShapePicker(),
          "tremSh",
          [this] { return processor.getTremLfoSeed(); },
          { 5, 6 } },
        { "wave",
          editor->getWaveBody()->getShapePicker(),
          "lsh",
          [this] { return processor.getWaveLfoSeed(); },
          { 5, 6 } },
        { "pitch",
          editor->getPitchBody()->getShapePicker(),
          "pitchSh",
          [this] { return processor.getPitchLfoSeed(); },
          { 6 } },
    };
    for (const auto& p : pickers)
    {
        const auto& shapes = p.picker.getShapes();
        for (size_t i = 0; i < shapes.size(); ++i)
        {
            SCOPED_TRACE (juce::String (p.what) + " shape " + juce::String (shapes[i]));
            // Twice each: a lit button picked again rolls its sequence again.
            for (int round = 0; round < 2; ++round)
            {
                const auto seedBefore = p.seed();
                uitest::Mouse (*p.picker.getButton (static_cast<int> (i))).click (10.0f, 12.0f);
                EXPECT_EQ (static_cast<int> (raw (p.paramId)), shapes[i]);
                const bool rerolls = std::find (p.rerollingShapes.begin(), p.rerollingShapes.end(), shapes[i])
                                     != p.rerollingShapes.end();
                EXPECT_EQ (p.seed() != seedBefore, rerolls);
                EXPECT_TRUE (p.picker.getButton (static_cast<int> (i))->getToggleState());
            }
        }
    }
    EXPECT_EQ (editor->getPitchBody()->getShapePicker().getShapes(), std::vector<int> ({ 0, 1, 2, 6, 5 }));
}

TEST_F (Sections, PickersFollowTheShapeParameters)
{
    struct Case
    {
        const char* paramId;
        ShapePickerComponent& picker;
        float value;
        int lit; // -1: none
    };
    const Case cases[] = {
        { "tremSh", editor->getTremoloBody()->getShapePicker(), 4, 4 },
        { "tremSh", editor->getTremoloBody()->getShapePicker(), 7, -1 },
        { "lsh", editor->getWaveBody()->getShapePicker(), 2, 2 },
        { "pitchSh", editor->getPitchBody()->getShapePicker(), 6, 6 },
        { "pitchSh", editor->getPitchBody()->getShapePicker(), 3, -1 },
        { "pitchSh", editor->getPitchBody()->getShapePicker(), 0, 0 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.paramId) + " = " + juce::String (c.value));
        set (c.paramId, c.value);
        auto lit = [&c] {
            const auto& shapes = c.picker.getShapes();
            for (size_t i = 0; i < shapes.size(); ++i)
                if (c.picker.getButton (static_cast<int> (i))->getToggleState())
                    return shapes[i];
            return -1;
        };
        EXPECT_TRUE (
            waitFor ([&] { return lit() == c.lit && c.picker.getSelectedShape() == static_cast<int> (c.value); }));
        EXPECT_EQ (lit(), c.lit);
    }
}

TEST_F (Sections, AShapeChangedOnAnotherThreadReachesThePickerOnlyOnTheMessageThread)
{
    auto& picker = editor->getTremoloBody()->getShapePicker();
    ASSERT_EQ (picker.getSelectedShape(), 0);

    // As host automation on the audio thread would set it.
    std::thread automation ([this] { set ("tremSh", 2.0f); });
    automation.join();
    EXPECT_EQ (picker.getSelectedShape(), 0) << "the other thread left the picker alone";
    EXPECT_TRUE (picker.getButton (0)->getToggleState());

    EXPECT_TRUE (waitFor ([&] { return picker.getSelectedShape() == 2; }));
    EXPECT_TRUE (picker.getButton (2)->getToggleState());
    EXPECT_FALSE (picker.getButton (0)->getToggleState());
}

//==============================================================================
TEST_F (Sections, SyncSwitchesGiveTheRateAndPhaseSlidersTheirNoteTexts)
{
    struct Case
    {
        const char* syncId;
        std::function<MdSlider&()> slider;
        float rawValue;
        const char* synced; // value text with the switch on, at the 120 BPM of no host
    };
    const Case cases[] = {
        { "waveSync", [this]() -> MdSlider& { return editor->getWaveBody()->getRateSlider(); }, 500, "1/8T" },
        { "tremSync", [this]() -> MdSlider& { return editor->getTremoloBody()->getRateSlider(); }, 1000, "1/128" },
        { "tremSync", [this]() -> MdSlider& { return editor->getTremoloBody()->getPhaseSlider(); }, 90, "1/4" },
        { "pitchSync", [this]() -> MdSlider& { return editor->getPitchBody()->getRateSlider(); }, 0, "4b" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.syncId);
        auto& slider = c.slider();
        set (c.syncId, 1.0f);
        editor->refresh();
        // (After the refresh, which converts the rate when the switch flips.)
        slider.setValue (c.rawValue, juce::sendNotificationSync);
        EXPECT_TRUE (slider.syncMode);
        EXPECT_TRUE (slider.tempoKnown);
        EXPECT_EQ (slider.getTextFromValue (slider.getValue()), c.synced);
        set (c.syncId, 0.0f);
        editor->refresh();
        EXPECT_FALSE (slider.syncMode);
    }
    EXPECT_FALSE (editor->getWaveBody()->getPhaseSlider().syncMode) << "the Wave phase never shows beat offsets";
}

TEST_F (Sections, PitchTwoXDoublesTheShownRateDepthAndPitch)
{
    auto& body = *editor->getPitchBody();
    set ("pitchCt", 10.0f);
    set ("pitchDp", 30.0f);
    set ("pitch2x", 1.0f);
    EXPECT_TRUE (waitFor ([&] { return body.getControl (2).getValueLabel().getText() == "20.0c"; }));
    EXPECT_EQ (body.getControl (1).getValueLabel().getText(), "60%");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ (body.getControl (i).getSlider().displayScale, 2.0f) << i;
    EXPECT_EQ (body.getControl (3).getSlider().displayScale, 1.0f) << "REGEN is not scaled";

    set ("pitch2x", 0.0f);
    EXPECT_TRUE (waitFor ([&] { return body.getControl (2).getValueLabel().getText() == "10.0c"; }));
}

TEST_F (Sections, TapeValueLabelsSpeakTheStagesUnits)
{
    using C = TapeDegradationBody::Control;
    struct Case
    {
        const char* paramId;
        float value;
        C control;
        const char* text;
    };
    const Case cases[] = {
        { "td", 50, C::out, "+0.0 dB" },      { "td", 0, C::out, "-6.0 dB" },
        { "td", 100, C::out, "+6.0 dB" },     { "td", 49.99f, C::out, "+0.0 dB" },
        { "sat", 100, C::lpf, "12.0 kHz" },   { "sat", 0, C::lpf, "2.00 kHz" },
        { "sat", 50, C::lpf, "4.90 kHz" },    { "tBoost", 0, C::drive, "BYP" },
        { "tBoost", 37.5f, C::drive, "37%" }, { "tDarken", 0, C::wear, "BYP" },
        { "tDarken", 80, C::wear, "80%" },    { "headBump", 50, C::loBump, "3.0 dB" },
        { "flutter", 12, C::flutter, "12%" }, { "flutSpd", 64, C::speed, "64%" },
        { "tpWet", 90, C::mix, "90%" },
    };
    auto& body = *editor->getTapeBody();
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.paramId) + " = " + juce::String (c.value));
        set (c.paramId, c.value);
        auto& label = body.getControl (c.control).getValueLabel();
        EXPECT_TRUE (waitFor ([&] { return label.getText() == c.text; })) << label.getText();
    }
}

TEST_F (Sections, FlutterRowFadesWhileTheTapeRunsWithoutFlutter)
{
    auto& body = *editor->getTapeBody();
    auto rowAlpha = [&body] { return body.getControl (TapeDegradationBody::flutter).getSlider().getAlpha(); };
    struct Case
    {
        float tape, flutter, alpha;
    };
    for (const auto& c : { Case { 1, 0, 0.5f }, Case { 1, 10, 1.0f }, Case { 0, 0, 1.0f }, Case { 1, 0, 0.5f } })
    {
        set ("tp", c.tape);
        set ("flutter", c.flutter);
        EXPECT_TRUE (waitFor ([&] { return std::abs (rowAlpha() - c.alpha) < 0.01f; }))
            << "tape " << c.tape << ", flutter " << c.flutter;
        for (const auto ctl : { TapeDegradationBody::flutter, TapeDegradationBody::speed })
        {
            EXPECT_NEAR (body.getControl (ctl).getCaption().getAlpha(), c.alpha, 0.01f);
            EXPECT_NEAR (body.getControl (ctl).getValueLabel().getAlpha(), c.alpha, 0.01f);
        }
        EXPECT_NEAR (body.getControl (TapeDegradationBody::drive).getSlider().getAlpha(), 1.0f, 0.01f);
    }
}

TEST_F (Sections, TapeAndPitchSlidersReportTheirDragsToTheEditor)
{
    struct Case
    {
        std::function<MdSlider&()> slider;
        const char* paramId;
    };
    const Case cases[] = {
        { [this]() -> MdSlider& { return editor->getTapeBody()->getControl (TapeDegradationBody::drive).getSlider(); },
          "tBoost" },
        { [this]() -> MdSlider& {
             return editor->getTapeBody()->getControl (TapeDegradationBody::flutter).getSlider();
         },
          "flutter" },
        { [this]() -> MdSlider& { return editor->getTapeBody()->getControl (TapeDegradationBody::wear).getSlider(); },
          "tDarken" },
        { [this]() -> MdSlider& { return editor->getPitchBody()->getControl (2).getSlider(); }, "pitchCt" },
        { [this]() -> MdSlider& { return editor->getPitchBody()->getControl (4).getSlider(); }, "pitchMix" },
    };
    for (const auto& c : cases)
    {
        uitest::Mouse mouse (c.slider());
        mouse.down (20.0f, 12.0f);
        EXPECT_EQ (editor->getDraggedParamId(), c.paramId);
        mouse.drag (40.0f, 12.0f);
        mouse.up (40.0f, 12.0f, {}, true);
        EXPECT_TRUE (editor->getDraggedParamId().isEmpty()) << c.paramId;
    }

    // The Wave and tremolo bodies report none.
    uitest::Mouse mouse (editor->getWaveBody()->getRateSlider());
    mouse.down (20.0f, 12.0f);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());
    mouse.up (20.0f, 12.0f);
}

//==============================================================================
TEST_F (Sections, BodiesAreDrawnAsLaidOut)
{
    // The tape section open and on, at 2x: the WEAR slider in rust, the other
    // sliders in coral, the MOTION divider line, and the value texts bright.
    set ("tp", 1.0f);
    auto& tape = section ("TAPE");
    auto& body = *editor->getTapeBody();
    const float scale = 2.0f;
    const auto image = uitest::renderScaled (body, scale, juce::Colours::black);

    const auto thumbInk = [&] (TapeDegradationBody::Control c) {
        auto& slider = body.getControl (c).getSlider();
        const auto area = slider.getBounds() * 2;
        return uitest::countNear (image, area, slider.findColour (juce::Slider::thumbColourId), 6);
    };
    EXPECT_EQ (body.getControl (TapeDegradationBody::wear).getSlider().findColour (juce::Slider::thumbColourId),
               Col::wearRust);
    EXPECT_EQ (body.getControl (TapeDegradationBody::drive).getSlider().findColour (juce::Slider::thumbColourId),
               Col::co);
    EXPECT_GT (thumbInk (TapeDegradationBody::wear), 40);
    EXPECT_GT (thumbInk (TapeDegradationBody::drive), 40);

    // The divider: 1 px lines at y = 86 (left one 0 to 48), dim grey.
    const auto line = image.getPixelAt (20 * 2, 86 * 2);
    EXPECT_LE (uitest::colourDistance (line, juce::Colours::black.overlaidWith (Col::b0.withAlpha (0.7f))), 4);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (20 * 2, 80 * 2), juce::Colours::black), 4) << "above the line";

    // Value texts in bright t0, captions in t1, measured on the DRIVE row.
    auto& drive = body.getControl (TapeDegradationBody::drive);
    EXPECT_LE (uitest::colourDistance (
                   uitest::strongestInk (image, drive.getValueLabel().getBounds() * 2, juce::Colours::black), Col::t0),
               12);
    EXPECT_LE (uitest::colourDistance (
                   uitest::strongestInk (image, drive.getCaption().getBounds() * 2, juce::Colours::black), Col::t1),
               12);
    EXPECT_TRUE (tape.isUnitActive());
}
