#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"
#include "ui/Col.h"
#include "ui/OptionsPanelComponent.h"

#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

namespace
{
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-options-tests-"));

struct Options : public ::testing::Test
{
    Options() { editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor())); }
    ~Options() override { editor.reset(); }

    OptionsPanelComponent& panel() { return editor->getOptionsPanel(); }

    // Clicks a JUCE button as the mouse would, then lets the click arrive.
    static void click (juce::Button& button)
    {
        button.triggerClick();
        uitest::pump (30);
    }

    juce::ToggleButton* toggleFor (const juce::String& id)
    {
        for (const auto& t : panel().getMatrixToggles())
            if (t.paramId == id)
                return t.button.get();
        return nullptr;
    }

    std::map<juce::String, float> values()
    {
        std::map<juce::String, float> out;
        for (auto* p : processor.getParameters())
            if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (p))
                out[ranged->getParameterID()] = ranged->getValue();
        return out;
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};
} // namespace

TEST_F (Options, TheOptionsButtonSlidesThePanelInAndAClickBesideItSlidesItOut)
{
    const int w = editor->getWidth();
    EXPECT_FALSE (panel().isVisible());
    EXPECT_EQ (panel().getBounds(), juce::Rectangle<int> (w, 233, 320, editor->getHeight() - 233 - 9));

    click (editor->getOptionsButton());
    EXPECT_TRUE (panel().isVisible());
    EXPECT_TRUE (editor->getClickCatcher().isActive());
    uitest::pump (350);
    EXPECT_EQ (panel().getX(), w - 320);

    // The catcher lies under the panel and over everything else.
    const auto children = editor->getChildren();
    const auto index = [&children] (juce::Component* c) { return children.indexOf (c); };
    EXPECT_GT (index (&panel()), index (&editor->getClickCatcher()));

    uitest::Mouse (editor->getClickCatcher()).click (20.0f, 20.0f);
    EXPECT_FALSE (editor->getOptionsButton().getToggleState());
    EXPECT_FALSE (editor->getClickCatcher().isActive());
    uitest::pump (350);
    EXPECT_FALSE (panel().isVisible());
    EXPECT_EQ (panel().getX(), w);

    // The close button too.
    click (editor->getOptionsButton());
    uitest::pump (350);
    uitest::Mouse (panel().getCloseButton()).down (5.0f, 5.0f);
    EXPECT_FALSE (editor->getOptionsButton().getToggleState());
    uitest::pump (350);
    EXPECT_FALSE (panel().isVisible());
}

TEST_F (Options, HidingAndShowingAgainWithinTheSlideLeavesThePanelVisible)
{
    panel().showPanel();
    panel().finishSlide();
    panel().hidePanel();
    uitest::pump (60);
    panel().showPanel();
    uitest::pump (400);
    EXPECT_TRUE (panel().isVisible());
    EXPECT_TRUE (panel().isShown());
    EXPECT_EQ (panel().getX(), editor->getWidth() - 320);
}

TEST_F (Options, MatrixSwitchesWriteTheRandomMatrixThatTheRandomActionReads)
{
    panel().showPanel();
    panel().finishSlide();
    auto& matrix = processor.getRandomMatrix();
    ASSERT_EQ (panel().getMatrixToggles().size(), RandomMatrixState::entries.size());

    // Each switch shows its flag: hp, lp, mix, flipped and pd start off.
    for (const auto& entry : RandomMatrixState::entries)
    {
        auto* toggle = toggleFor (entry.id);
        ASSERT_NE (toggle, nullptr) << entry.id;
        EXPECT_EQ (toggle->getButtonText(), entry.label);
        EXPECT_EQ (toggle->getToggleState(), entry.defaultOn) << entry.id;
    }

    // Twist off, high-pass on, through clicks.
    click (*toggleFor (params::id::twist));
    click (*toggleFor (params::id::highPass));
    EXPECT_FALSE (matrix.isEnabled (params::id::twist));
    EXPECT_TRUE (matrix.isEnabled (params::id::highPass));
    EXPECT_EQ (processor.getValueTreeState()
                   .state.getChildWithName (RandomMatrixState::childType)
                   .getProperty (RandomMatrixState::propertyFor (params::id::twist)),
               juce::var (false));

    juce::Random rng (17);
    auto before = values();
    processor.randomizeParameters (rng);
    auto after = values();
    EXPECT_EQ (after[params::id::twist], before[params::id::twist]);
    EXPECT_NE (after[params::id::highPass], before[params::id::highPass]);
    EXPECT_NE (after[params::id::start], before[params::id::start]);

    // All Off: the action changes nothing; All On: every switch on again.
    click (panel().getAllOffButton());
    for (const auto& t : panel().getMatrixToggles())
        EXPECT_FALSE (t.button->getToggleState()) << t.paramId;
    before = values();
    processor.randomizeParameters (rng);
    EXPECT_EQ (values(), before);

    click (panel().getAllOnButton());
    for (const auto& entry : RandomMatrixState::entries)
    {
        EXPECT_TRUE (matrix.isEnabled (entry.id)) << entry.id;
        EXPECT_TRUE (toggleFor (entry.id)->getToggleState()) << entry.id;
    }
}

TEST_F (Options, DynamicSmoothingSwitchIsBoundToItsParameter)
{
    auto& toggle = panel().getSmoothingToggle();
    auto* dc = processor.getValueTreeState().getParameter (params::id::dynamicSmoothing);
    const bool initially = dc->getValue() > 0.5f;
    EXPECT_EQ (toggle.getToggleState(), initially);

    click (toggle);
    EXPECT_EQ (dc->getValue() > 0.5f, ! initially);
    dc->setValueNotifyingHost (initially ? 1.0f : 0.0f);
    uitest::pump (30);
    EXPECT_EQ (toggle.getToggleState(), initially);
}

TEST_F (Options, ZoomStepsResizeTheEditorAndAreStoredForTheNextInstance)
{
    click (editor->getOptionsButton());
    const auto steps = std::size (presets::zoomSteps);
    for (std::size_t i = steps; i-- > 0;)
    {
        const int percent = presets::zoomSteps[i];
        SCOPED_TRACE (percent);
        auto& button = panel().getZoomButton (static_cast<int> (i));
        EXPECT_EQ (button.getButtonText(), juce::String (percent) + "%");
        click (button);
        EXPECT_EQ (editor->getZoomPercent(), percent);
        EXPECT_EQ (editor->getBoundsInParent().getWidth(), static_cast<int> (std::ceil (460.0 * percent / 100.0)));
        EXPECT_EQ (presets::getZoomPercent (presets::defaultSettingsFile()), percent);
        for (std::size_t j = 0; j < steps; ++j)
            EXPECT_EQ (panel().getZoomButton (static_cast<int> (j)).getToggleState(), j == i) << j;
    }
    EXPECT_EQ (editor->getWidth(), 460) << "the layout itself never changes";

    // A stored zoom is marked when a new editor's panel opens.
    presets::setZoomPercent (150, presets::defaultSettingsFile());
    editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
    click (editor->getOptionsButton());
    EXPECT_TRUE (panel().getZoomButton (2).getToggleState());
    EXPECT_FALSE (panel().getZoomButton (0).getToggleState());
    presets::setZoomPercent (100, presets::defaultSettingsFile());
}

TEST_F (Options, TheMixLockSwitchStoresTheLockThatPresetsThenRespect)
{
    ASSERT_FALSE (MassDelayAudioProcessor::isMixLocked());
    click (editor->getOptionsButton());
    auto& lock = panel().getMixLockToggle();
    EXPECT_EQ (lock.getButtonText(), "Mix Lock");
    EXPECT_FALSE (lock.getToggleState());

    click (lock);
    EXPECT_TRUE (MassDelayAudioProcessor::isMixLocked());
    auto* mix = processor.getValueTreeState().getParameter (params::id::mix);
    mix->setValueNotifyingHost (0.33f);
    const auto* other = [this]() -> const presets::Patch* {
        for (const auto& p : processor.getPresetLibrary().getPatches())
            if (auto m = p.params.getProperty (params::id::mix, {});
                ! m.isVoid() && std::abs (static_cast<double> (m) - 0.33) > 0.05)
                return &p;
        return nullptr;
    }();
    ASSERT_NE (other, nullptr);
    processor.applyPatch (*other);
    EXPECT_NEAR (mix->getValue(), 0.33f, 1.0e-4f);

    click (lock);
    EXPECT_FALSE (MassDelayAudioProcessor::isMixLocked());
    processor.applyPatch (*other);
    EXPECT_GT (std::abs (mix->getValue() - 0.33f), 0.04f);

    // A lock set elsewhere (another instance) shows when the panel opens again.
    click (editor->getOptionsButton());
    MassDelayAudioProcessor::setMixLocked (true);
    click (editor->getOptionsButton());
    EXPECT_TRUE (lock.getToggleState());
    MassDelayAudioProcessor::setMixLocked (false);
}

TEST_F (Options, NoSwitchOfThePanelTakesTheKeyboardFromTheHost)
{
    click (editor->getOptionsButton());
    ASSERT_FALSE (panel().getMatrixToggles().empty());
    std::vector<juce::Component*> controls { &panel().getMixLockToggle(), &panel().getSmoothingToggle(),
                                             &panel().getAllOnButton(), &panel().getAllOffButton(),
                                             &panel().getCloseButton() };
    for (int i = 0; i < static_cast<int> (std::size (presets::zoomSteps)); ++i)
        controls.push_back (&panel().getZoomButton (i));
    for (const auto& t : panel().getMatrixToggles())
        controls.push_back (t.button.get());
    for (auto* c : controls)
        EXPECT_FALSE (c->getMouseClickGrabsKeyboardFocus()) << c->getTitle() << " " << c->getName();
}

TEST (OptionsLayout, GroupsStartOnANewRowUnderTheirHeading)
{
    MassDelayAudioProcessor processor;
    OptionsPanelComponent panel (processor.getValueTreeState());
    panel.setRandomMatrix (&processor.getRandomMatrix());
    panel.setBounds (0, 0, 320, 500);
    panel.buildRandomMatrixUI();

    // Main has 11 entries, an odd count: its last row is half filled and
    // the Mode heading goes one row lower. Rows are 16 apart, a heading takes 15.
    struct Heading
    {
        const char* text;
        int y;
    };
    const std::vector<Heading> headings { { "Main", 20 },          { "Mode", 131 }, { "Tape", 210 },
                                          { "Pitch/Chorus", 289 }, { "Wave", 384 }, { "Tremolo", 447 } };
    ASSERT_EQ (panel.getGroupLabels().size(), headings.size());
    for (size_t i = 0; i < headings.size(); ++i)
    {
        EXPECT_EQ (panel.getGroupLabels()[i]->getText(), headings[i].text);
        EXPECT_EQ (panel.getGroupLabels()[i]->getBounds(), juce::Rectangle<int> (0, headings[i].y, 280, 14));
    }

    const auto& toggles = panel.getMatrixToggles();
    struct Placed
    {
        size_t index;
        juce::Rectangle<int> bounds;
    };
    for (const auto& p : { Placed { 0, { 0, 35, 140, 16 } },       // Twist
                           Placed { 1, { 144, 35, 140, 16 } },     // Start
                           Placed { 10, { 0, 115, 140, 16 } },     // Start/End Lock, alone on its row
                           Placed { 11, { 0, 146, 140, 16 } },     // Sync, first of Mode
                           Placed { 48, { 144, 494, 140, 16 } } }) // Trem Shape, last
        EXPECT_EQ (toggles[p.index].button->getBounds(), p.bounds) << toggles[p.index].paramId;

    EXPECT_EQ (panel.getContent().getBounds(), juce::Rectangle<int> (0, 0, 300, 510 + 16 + 12));
}

TEST (OptionsLayout, ShowingBeforeTheMatrixIsSetShowsOnlyTheSwitch)
{
    MassDelayAudioProcessor processor;
    juce::Component parent;
    parent.setSize (460, 600);
    OptionsPanelComponent panel (processor.getValueTreeState());
    parent.addChildComponent (panel);
    panel.setBounds (460, 233, 320, 358);

    panel.showPanel();
    panel.finishSlide();
    EXPECT_EQ (panel.getContent().getNumChildComponents(), 0);
    EXPECT_TRUE (panel.getMatrixBox().isEmpty());
    EXPECT_EQ (panel.getSmoothingBox(), juce::Rectangle<int> (4, 26, 312, 26));

    panel.hidePanel();
    panel.finishSlide();
    panel.setRandomMatrix (&processor.getRandomMatrix());
    panel.showPanel();
    panel.finishSlide();
    EXPECT_EQ (panel.getMatrixToggles().size(), RandomMatrixState::entries.size());
    // The settings box (mix lock, zoom) sits between the switch row and the
    // matrix: 358 - 78 - 44 = 236, whole rows of 16: 224.
    EXPECT_EQ (panel.getSettingsBox(), juce::Rectangle<int> (4, 56, 312, 40));
    EXPECT_EQ (panel.getViewport().getBounds(), juce::Rectangle<int> (8, 106, 304, 224));
    EXPECT_EQ (panel.getMatrixBox(), juce::Rectangle<int> (4, 102, 312, 232));
}

TEST (OptionsLayout, AShortPanelStillShowsOneRowOfTheMatrix)
{
    MassDelayAudioProcessor processor;
    OptionsPanelComponent panel (processor.getValueTreeState());
    panel.setRandomMatrix (&processor.getRandomMatrix());
    panel.buildRandomMatrixUI();
    for (const int h : { 40, 100, 138 })
    {
        panel.setBounds (0, 0, 320, h);
        EXPECT_EQ (panel.getViewport().getHeight(), 16) << h;
    }
    panel.setBounds (0, 0, 320, 2000);
    EXPECT_EQ (panel.getViewport().getHeight(), panel.getContent().getHeight());
}

TEST_F (Options, PaintsTheTitleInAmberOverTheDarkPanel)
{
    panel().showPanel();
    panel().finishSlide();
    const auto image = uitest::render (*editor);
    const auto origin = panel().getPosition();

    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, panel().getTitle().getBounds() + origin, Col::bg0),
                                       Col::am),
               8);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (origin.x + 160, origin.y + 3), Col::bg0), 2);
    // The panel's outline, brightened b0, along its left edge (at 2x the
    // half of the line inside the panel covers a whole pixel).
    const auto doubled = uitest::renderScaled (*editor, 2.0f, Col::bg0);
    EXPECT_LE (
        uitest::colourDistance (uitest::strongestInk (doubled, { 2 * origin.x, 2 * origin.y + 120, 2, 40 }, Col::bg0),
                                Col::b0.brighter (0.3f)),
        8);
}
