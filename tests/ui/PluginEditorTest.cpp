#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"
#include "ui/Col.h"
#include "ui/ValueEntryBox.h"

#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
// Every test of this program runs against a temporary program folder and
// starts its processors from the parameter defaults.
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-ui-tests-"));

struct Editor : public ::testing::Test
{
    Editor() { editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor())); }

    ~Editor() override
    {
        editor.reset();
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    void set (const char* id, float value)
    {
        auto* p = processor.getValueTreeState().getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (value));
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};
} // namespace

TEST_F (Editor, CreateEditorBuildsTheShellAtItsFixedWidth)
{
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getWidth(), 460);
    EXPECT_FALSE (editor->isResizable());
    EXPECT_EQ (&editor->getLookAndFeel(), &editor->getTitleLabel().getLookAndFeel());
    EXPECT_EQ (editor->getTitleLabel().getText(), "TWIST DELAY");
    EXPECT_EQ (editor->getTitleLabel().findColour (juce::Label::textColourId), juce::Colour (0xfff2c64b));
    EXPECT_EQ (editor->getTapCountBox().getValue(), 64);
    EXPECT_FALSE (editor->getClickCatcher().isVisible());
}

TEST_F (Editor, LayoutPlacesEveryMemberInOneColumn)
{
    // Every effect section is open (a fresh state stores none closed), which
    // takes the window to its full height.
    ASSERT_EQ (editor->getHeight(), 788);

    struct Placed
    {
        const char* name;
        juce::Component* component;
        juce::Rectangle<int> bounds;
    };
    const std::vector<Placed> table {
        { "titleLabel", &editor->getTitleLabel(), { 12, 11, 220, 24 } },
        { "optionsButton", &editor->getOptionsButton(), { 376, 11, 72, 24 } },
        { "tapCountBox", &editor->getTapCountBox(), { 358, 39, 90, 26 } },
        { "presetPanel", &editor->getPresetPanel(), { 12, 39, 342, 26 } },
        { "visualizer", &editor->getVisualizer(), { 12, 69, 436, 160 } },
        { "mixLabel", &editor->getMixLabel(), { 396, 174, 24, 11 } },
        { "outLabel", &editor->getOutLabel(), { 420, 174, 24, 11 } },
        { "mixSlider", &editor->getMixSlider(), { 397, 73, 22, 101 } },
        { "masterFader", &editor->getMasterFader(), { 421, 73, 22, 101 } },
        { "massControl", &editor->getMassControl(), { 12, 233, 436, 64 } },
        { "filterSlider", &editor->getFilterSlider(), { 12, 301, 436, 16 } },
        { "mainControls", &editor->getMainControls(), { 12, 321, 436, 24 } },
        { "buttonGrid", &editor->getButtonGrid(), { 12, 349, 436, 19 } },
        { "historyForwardButton", &editor->getHistoryForwardButton(), { 423, 352, 20, 13 } },
        { "historyBackButton", &editor->getHistoryBackButton(), { 400, 352, 20, 13 } },
        { "sectionViewport", &editor->getSectionViewport(), { 12, 375, 436, 788 - 375 - 9 } },
        { "clickCatcher", &editor->getClickCatcher(), { 0, 0, 460, 788 } },
        { "optionsPanel", &editor->getOptionsPanel(), { 460, 233, 320, 788 - 233 - 9 } },
        { "dialogOverlay", &editor->getDialogOverlay(), { 0, 0, 460, 788 } },
    };
    for (const auto& p : table)
        EXPECT_EQ (p.component->getBounds(), p.bounds) << p.name;

    // The density strip: the bottom 40 pixels of the visualizer.
    EXPECT_EQ (editor->getVisualizer().getDensityStrip().getBounds(), juce::Rectangle<int> (0, 120, 436, 40));

    // The mix travel less the thumb radius (11) at each end.
    EXPECT_EQ (editor->getMixTrackArea(), juce::Rectangle<int> (397, 84, 22, 79));

    // The history arrows lie inside the RAND cell.
    const auto rand = editor->getButtonGrid().getButtons()[3]->getBounds() + editor->getButtonGrid().getPosition();
    EXPECT_TRUE (rand.contains (editor->getHistoryBackButton().getBounds()));
    EXPECT_TRUE (rand.contains (editor->getHistoryForwardButton().getBounds()));
}

TEST (EditorHeight, GrowsWithTheSectionsUpTo788)
{
    struct Case
    {
        int sectionsBottom, height;
    };
    for (const auto& c :
         { Case { 371, 392 }, Case { 600, 621 }, Case { 766, 787 }, Case { 767, 788 }, Case { 1400, 788 } })
        EXPECT_EQ (MassDelayAudioProcessorEditor::windowHeightFor (c.sectionsBottom), c.height) << c.sectionsBottom;
}

TEST_F (Editor, HistoryArrowsFollowRandomStepBackAndStepForward)
{
    auto& back = editor->getHistoryBackButton();
    auto& forward = editor->getHistoryForwardButton();
    auto expectArrows = [&] (bool backOn, bool forwardOn, const char* when) {
        EXPECT_EQ (back.isEnabled(), backOn) << when;
        EXPECT_EQ (forward.isEnabled(), forwardOn) << when;
        EXPECT_NEAR (back.getAlpha(), backOn ? 1.0f : 0.35f, 0.005f) << when; // alpha is kept in 8 bits
        EXPECT_NEAR (forward.getAlpha(), forwardOn ? 1.0f : 0.35f, 0.005f) << when;
    };
    expectArrows (false, false, "fresh instance");

    // RAND through a real click on the grid's fourth button.
    auto* rand = editor->getButtonGrid().getButtons()[3];
    const float twistBefore = raw ("g");
    const auto seedBefore = processor.getWaveLfoSeed();
    uitest::Mouse (*rand).click (10.0f, 9.0f);
    expectArrows (true, false, "after Random");
    EXPECT_EQ (processor.getRandomHistory().size(), 2);
    EXPECT_NE (processor.getWaveLfoSeed(), seedBefore) << "Random draws new seeds";
    EXPECT_TRUE (rand->getToggleState()) << "RAND lights up";
    const float twistAfter = raw ("g");

    uitest::Mouse (back).click (10.0f, 6.0f);
    expectArrows (false, true, "after stepping back");
    EXPECT_FLOAT_EQ (raw ("g"), twistBefore);

    uitest::Mouse (forward).click (10.0f, 6.0f);
    expectArrows (true, false, "after stepping forward");
    EXPECT_FLOAT_EQ (raw ("g"), twistAfter);

    // RAND goes dark again by itself.
    for (int i = 0; i < 100 && rand->getToggleState(); ++i)
        uitest::pump();
    EXPECT_FALSE (rand->getToggleState());
}

TEST_F (Editor, MixCaptionTogglesTheBypass)
{
    uitest::Mouse mouse (editor->getMixLabel());
    for (const float expected : { 1.0f, 0.0f, 1.0f })
    {
        mouse.click (12.0f, 5.0f);
        EXPECT_FLOAT_EQ (raw ("mixByp"), expected);
    }
    EXPECT_TRUE (editor->getMixLabel().getFont().isUnderlined());
}

TEST_F (Editor, GridButtonsAndMixSliderAreBoundToTheirParameters)
{
    const auto buttons = editor->getButtonGrid().getButtons();
    ASSERT_EQ (buttons.size(), 4u);
    const char* ids[] = { "mu", "flipped", "rev" };
    for (size_t i = 0; i < 3; ++i)
    {
        uitest::Mouse (*buttons[i]).click (10.0f, 9.0f);
        EXPECT_FLOAT_EQ (raw (ids[i]), 1.0f) << ids[i];
        EXPECT_TRUE (buttons[i]->chrome);
    }
    EXPECT_TRUE (buttons[0]->bold);
    EXPECT_TRUE (buttons[3]->alignLeft);
    EXPECT_FALSE (buttons[3]->getClickingTogglesState());

    set ("mix", 35.0f);
    EXPECT_DOUBLE_EQ (editor->getMixSlider().getValue(), 35.0);
    editor->getMixSlider().setValue (64.0, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ (raw ("mix"), 64.0f);
    EXPECT_EQ (editor->getMixSlider().resetValue, 80.0);
}

TEST_F (Editor, TypedTapCountIsClampedTo64)
{
    set ("tapCnt", 20.0f);
    editor->refresh();
    ASSERT_EQ (editor->getTapCountBox().getValue(), 20);

    uitest::Mouse (editor->getTapCountBox()).click (40.0f, 13.0f);
    ASSERT_TRUE (uitest::typeAndClose ("70"));
    EXPECT_FLOAT_EQ (raw ("tapCnt"), 64.0f);
    EXPECT_EQ (editor->getTapCountBox().getValue(), 64);
}

TEST_F (Editor, ClosingTheEditorDismissesAnOpenEntryWithoutCommitting)
{
    set ("tapCnt", 20.0f);
    editor->refresh();
    uitest::Mouse (editor->getTapCountBox()).click (40.0f, 13.0f);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    field->setText ("33", false);

    editor.reset();
    EXPECT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_FLOAT_EQ (raw ("tapCnt"), 20.0f);
}

TEST_F (Editor, TracksTheDraggedAndTheHoveredParameter)
{
    uitest::Mouse twist (editor->getMassControl());
    twist.down (300.0f, 30.0f);
    EXPECT_EQ (editor->getDraggedParamId(), "g");
    twist.up (300.0f, 30.0f);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());

    uitest::Mouse taps (editor->getTapCountBox());
    taps.down (40.0f, 13.0f);
    EXPECT_EQ (editor->getDraggedParamId(), "tapCnt");
    taps.drag (40.0f, -7.0f);
    taps.up (40.0f, -7.0f, {}, true);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());

    uitest::Mouse mix (editor->getMixSlider());
    mix.enter();
    EXPECT_EQ (editor->getHoveredParamId(), "mix");
    mix.exit();
    EXPECT_TRUE (editor->getHoveredParamId().isEmpty());

    // The visualizer's handle sliders report their IDs.
    auto& decay = editor->getVisualizer().getDecaySlider();
    ASSERT_TRUE (decay.onParamDragStart != nullptr);
    decay.onParamDragStart (decay.paramId);
    EXPECT_EQ (editor->getDraggedParamId(), "dcv");
    decay.onParamDragEnd (decay.paramId);
    EXPECT_TRUE (editor->getDraggedParamId().isEmpty());
}

TEST_F (Editor, RefreshFillsTheVisualizerFromTheParameters)
{
    set ("dcv", 100.0f); // curve value 0
    set ("fb", 500.0f);  // round(10 * sqrt(1400)) = 374 ms
    set ("pd", 120.0f);
    set ("dcFall", 12.5f);
    set ("dcMode", 2.0f);
    set ("dcSteps", 6.0f);
    editor->refresh();

    const auto& s = editor->getVisualizer().getState();
    EXPECT_NEAR (s.decayCurve, 0.0f, 1.0e-4f);
    EXPECT_FLOAT_EQ (s.lengthMs, 374.0f);
    EXPECT_FLOAT_EQ (s.predelayMs, 120.0f);
    EXPECT_FLOAT_EQ (s.decayFalloff, 12.5f);
    EXPECT_EQ (s.decayMode, 2);
    EXPECT_FLOAT_EQ (editor->getVisualizer().getTimelineMaxMs(), 494.0f);
    EXPECT_EQ (editor->getVisualizer().getDecayModeButton().getButtonText(), "Wavey");
    EXPECT_EQ (editor->getVisualizer().getStepsLabel().getText(), "6 steps");
    EXPECT_TRUE (editor->getVisualizer().getStepsLabel().isVisible());

    // The timer runs: a change made elsewhere reaches the tap count box.
    set ("tapCnt", 9.0f);
    for (int i = 0; i < 100 && editor->getTapCountBox().getValue() != 9; ++i)
        uitest::pump();
    EXPECT_EQ (editor->getTapCountBox().getValue(), 9);
}

TEST_F (Editor, HudFollowsTheDraggedOrHoveredParameter)
{
    using Hud = VisualizerComponent::ActiveHud;
    uitest::Mouse twist (editor->getMassControl());
    twist.down (300.0f, 30.0f);
    editor->refresh();
    EXPECT_EQ (editor->getVisualizer().getState().activeHud, Hud::None) << "Twist has no overlay";
    twist.up (300.0f, 30.0f);

    uitest::Mouse mix (editor->getMixSlider());
    mix.enter();
    editor->refresh();
    EXPECT_EQ (editor->getVisualizer().getState().activeHud, Hud::Mix);
    mix.exit();

    auto& falloff = editor->getVisualizer().getFalloffSlider();
    falloff.onParamDragStart (falloff.paramId);
    editor->refresh();
    EXPECT_EQ (editor->getVisualizer().getState().activeHud, Hud::Falloff);
    falloff.onParamDragEnd (falloff.paramId);
    editor->refresh();
    EXPECT_EQ (editor->getVisualizer().getState().activeHud, Hud::None);
}

TEST_F (Editor, PaintsTheFrameTheSunkenWellTheMixTicksAndTheVersion)
{
    const auto image = uitest::render (*editor, juce::Colours::magenta);

    // Rounded corners show what lies behind; inside is the window colour.
    EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::magenta);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (200, 319), Col::bg0), 2) << "gap below the filter slider";

    // The well behind the sections is black (seen in the gap below the open
    // tape section, 375 + 144 to 375 + 172), with its shadow above.
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (200, 530), Col::bgSunken), 2);
    EXPECT_LT (uitest::colourDistance (image.getPixelAt (200, 373), juce::Colours::black), 3) << "shadow";

    // Three ticks left of the mix travel (84..163), none between them; they
    // lie over the visualizer's background.
    const auto area = editor->getMixTrackArea();
    auto tickInk = [&image] (int y) {
        return uitest::colourDistance (uitest::strongestInk (image, { 394, y, 4, 2 }, Col::bg1), Col::bg1);
    };
    EXPECT_GT (tickInk (area.getBottom() - 1), 30);
    EXPECT_GT (tickInk (area.getCentreY() - 1), 30);
    EXPECT_GT (tickInk (area.getY() - 1), 30);
    EXPECT_LT (tickInk (area.getY() + 20), 4);

    // "1.649" at the bottom right.
    const juce::Rectangle<int> version (editor->getWidth() - 40, editor->getHeight() - 14, 35, 12);
    const auto versionArea = image.getClippedImage (version);
    EXPECT_GT (uitest::inkBounds (versionArea, juce::Colours::black, 24).getWidth(), 15) << "five characters";
}

TEST_F (Editor, TitleWarmsWithTheMixAndGlowsAboveFortyPercent)
{
    const auto titleArea = editor->getTitleLabel().getBounds().expanded (4);
    auto inked = [&] {
        const auto image = uitest::render (*editor);
        int n = 0;
        for (int y = titleArea.getY(); y < titleArea.getBottom(); ++y)
            for (int x = titleArea.getX(); x < titleArea.getRight(); ++x)
                if (uitest::colourDistance (image.getPixelAt (x, y), Col::bg0) > 40)
                    ++n;
        return n;
    };

    struct Case
    {
        float mix, glow;
        juce::Colour colour;
    };
    const juce::Colour dim (0xffab8c44), bright (0xffebe004);
    const std::vector<Case> cases {
        { 0.0f, 0.0f, dim.withAlpha (0.783f) },
        { 40.0f, 0.0f, dim.interpolatedWith (bright, 0.4f).withAlpha (0.783f + 0.217f * 0.4f / 0.75f) },
        { 70.0f, 0.5f, dim.interpolatedWith (bright, 0.7f).withAlpha (0.783f + 0.217f * 0.7f / 0.75f) },
        { 100.0f, 1.0f, bright },
    };
    for (const auto& c : cases)
    {
        set ("mix", c.mix);
        editor->refresh();
        EXPECT_NEAR (editor->getTitleGlow(), c.glow, 1.0e-4f) << c.mix;
        EXPECT_EQ (editor->getTitleLabel().findColour (juce::Label::textColourId), c.colour) << c.mix;
    }

    set ("mix", 40.0f);
    editor->refresh();
    const int plain = inked();
    set ("mix", 100.0f);
    editor->refresh();
    const int glowing = inked();
    EXPECT_GT (glowing, plain + plain / 5) << "the glow outlines the letters: " << plain << " -> " << glowing;
}
