#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "ui/ValueEntryBox.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <typeinfo>
#include <vector>

// Keyboard focus stays with the host unless a value-entry box is open;
// Escape closes a box or the options panel; every control carries an
// accessible title and, for sliders, the host's value text.
namespace
{
struct KeyboardFixture : public ::testing::Test
{
    KeyboardFixture() { editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor())); }

    ~KeyboardFixture() override
    {
        editor.reset();
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
    }

    float raw (const char* id) { return processor.getValueTreeState().getRawParameterValue (id)->load(); }

    // The centre of a control in the editor's coordinates.
    juce::Point<float> centreOf (juce::Component& c) const
    {
        return editor->getLocalArea (&c, c.getLocalBounds()).getCentre().toFloat();
    }

    // A key as the window system delivers it: to the focused component,
    // passed up to its parents until one uses it.
    bool press (const juce::KeyPress& key)
    {
        auto* peer = editor->getPeer();
        return peer != nullptr && peer->handleKeyPress (key);
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};

bool focusIsInside (const juce::Component& c)
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    return focused != nullptr && (focused == &c || c.isParentOf (focused));
}

struct ClickCase
{
    const char* what;
    std::function<juce::Component&(MassDelayAudioProcessorEditor&)> control;
};

const ClickCase clickCases[] = {
    { "the mix slider", [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getMixSlider(); } },
    { "the options button",
      [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getOptionsButton(); } },
    { "the tap sync button",
      [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return *e.getButtonGrid().getButtons()[0]; } },
    { "the twist control", [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getMassControl(); } },
    { "the tap display", [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getVisualizer(); } },
    { "the width slider",
      [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getMainControls().getWidthSlider(); } },
    { "a section power button",
      [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getSections()[0]->getPowerButton(); } },
    { "the out caption", [] (MassDelayAudioProcessorEditor& e) -> juce::Component& { return e.getOutLabel(); } },
};

class EditorClickFocus : public KeyboardFixture, public ::testing::WithParamInterface<ClickCase>
{};
} // namespace

TEST_P (EditorClickFocus, AClickLeavesTheKeyboardWithTheHost)
{
    uitest::DesktopMouse mouse (*editor);
    auto& control = GetParam().control (*editor);
    ASSERT_TRUE (control.isShowing());

    const auto at = centreOf (control);
    mouse.move (at.x, at.y);
    mouse.down (at.x, at.y);
    mouse.up (at.x, at.y);
    uitest::pump();

    EXPECT_FALSE (focusIsInside (*editor));
    EXPECT_FALSE (editor->getPeer()->isFocused());
}

INSTANTIATE_TEST_SUITE_P (Controls, EditorClickFocus, ::testing::ValuesIn (clickCases), testsupport::NameFromWhat {});

TEST_F (KeyboardFixture, AnOpenValueBoxHoldsTheKeyboardAndEscapeClosesItUnchanged)
{
    uitest::DesktopMouse desktop (*editor);
    const float before = raw (params::id::mix);
    uitest::Mouse mouse (editor->getMixSlider());
    mouse.click (11.0f, 50.0f, uitest::rightButton);
    uitest::pump();

    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    EXPECT_TRUE (field->hasKeyboardFocus (false));
    EXPECT_TRUE (ValueEntryBox::isOpenFor (*editor));

    field->setText ("12", false);
    field->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_FALSE (ValueEntryBox::isOpenFor (*editor));
    EXPECT_EQ (raw (params::id::mix), before);
}

TEST_F (KeyboardFixture, EscapeClosesTheOptionsPanelOnceTheUserHasGivenTheEditorTheKeyboard)
{
    uitest::DesktopMouse mouse (*editor);
    editor->getOptionsButton().triggerClick();
    uitest::pump();
    ASSERT_TRUE (editor->getOptionsButton().getToggleState());

    // The user tabs into the editor: the mix slider is focused.
    editor->getMixSlider().grabKeyboardFocus();
    ASSERT_TRUE (focusIsInside (*editor));
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_FALSE (editor->getOptionsButton().getToggleState());
    EXPECT_FALSE (editor->getOptionsPanel().isShown());
    EXPECT_FALSE (editor->getClickCatcher().isActive());
    // A second Escape has nothing left to close.
    EXPECT_FALSE (press (juce::KeyPress (juce::KeyPress::escapeKey)));
}

TEST_F (KeyboardFixture, ArrowKeysStepTheFocusedSliderAndTabWalksTheColumn)
{
    uitest::DesktopMouse mouse (*editor);
    editor->getMixSlider().grabKeyboardFocus();
    ASSERT_TRUE (editor->getMixSlider().hasKeyboardFocus (false));

    const float before = raw (params::id::mix);
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::upKey)));
    EXPECT_NEAR (raw (params::id::mix), before + 1.0f, 1.0e-3f);
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::downKey)));
    EXPECT_TRUE (press (juce::KeyPress (juce::KeyPress::downKey)));
    EXPECT_NEAR (raw (params::id::mix), before - 1.0f, 1.0e-3f);

    // Tab order: the header before the tap display's controls, those before
    // the Twist row's, and the effect sections last.
    auto traverser = editor->createKeyboardFocusTraverser();
    ASSERT_NE (traverser, nullptr);
    const auto order = traverser->getAllComponents (editor.get());
    const auto indexOf = [&order] (const juce::Component& c) {
        const auto it = std::find (order.begin(), order.end(), &c);
        return it == order.end() ? -1 : static_cast<int> (it - order.begin());
    };
    const int options = indexOf (editor->getOptionsButton());
    const int mix = indexOf (editor->getMixSlider());
    const int width = indexOf (editor->getMainControls().getWidthSlider());
    const int power = indexOf (editor->getSections()[0]->getPowerButton());
    ASSERT_GE (options, 0);
    EXPECT_LT (options, mix);
    EXPECT_LT (mix, width);
    EXPECT_LT (width, power);
}

//==============================================================================
namespace
{
struct TitleCase
{
    const char* what;
    std::function<juce::Component&(MassDelayAudioProcessorEditor&)> control;
    const char* paramId; // the title is this parameter's name; nullptr: the literal title
    const char* title;
};

juce::Component& gridButton (MassDelayAudioProcessorEditor& e, int i)
{
    return *e.getButtonGrid().getButtons()[static_cast<size_t> (i)];
}

const TitleCase titleCases[] = {
    { "mix slider", [] (auto& e) -> juce::Component& { return e.getMixSlider(); }, params::id::mix, nullptr },
    // A label announces its own text.
    { "mix caption", [] (auto& e) -> juce::Component& { return e.getMixLabel(); }, nullptr, "MIX" },
    { "tap count", [] (auto& e) -> juce::Component& { return e.getTapCountBox(); }, params::id::tapCount, nullptr },
    { "twist", [] (auto& e) -> juce::Component& { return e.getMassControl(); }, params::id::twist, nullptr },
    { "tap sync", [] (auto& e) -> juce::Component& { return gridButton (e, 0); }, params::id::tapSync, nullptr },
    { "tap flip", [] (auto& e) -> juce::Component& { return gridButton (e, 1); }, params::id::tapFlip, nullptr },
    { "reverse", [] (auto& e) -> juce::Component& { return gridButton (e, 2); }, params::id::reverse, nullptr },
    { "random", [] (auto& e) -> juce::Component& { return gridButton (e, 3); }, nullptr, "RAND" },
    { "history back", [] (auto& e) -> juce::Component& { return e.getHistoryBackButton(); }, nullptr,
      "Random history back" },
    { "history forward", [] (auto& e) -> juce::Component& { return e.getHistoryForwardButton(); }, nullptr,
      "Random history forward" },
    { "options", [] (auto& e) -> juce::Component& { return e.getOptionsButton(); }, nullptr, "Options" },
    { "start spacing",
      [] (auto& e) -> juce::Component& { return e.getVisualizer().getDensityStrip().getStartSlider(); },
      params::id::start, nullptr },
    { "width", [] (auto& e) -> juce::Component& { return e.getMainControls().getWidthSlider(); }, params::id::widen,
      nullptr },
    { "tape power", [] (auto& e) -> juce::Component& { return e.getSections()[0]->getPowerButton(); }, params::id::tape,
      nullptr },
    { "tremolo power", [] (auto& e) -> juce::Component& { return e.getSections()[3]->getPowerButton(); },
      params::id::tremolo, nullptr },
    { "pitch wide", [] (auto& e) -> juce::Component& { return e.getSections()[1]->getWideButton(); },
      params::id::pitchWide, nullptr },
};

class EditorAccessibleTitles : public KeyboardFixture, public ::testing::WithParamInterface<TitleCase>
{};

juce::String accessibleTitle (juce::Component& c)
{
    auto* handler = c.getAccessibilityHandler();
    return handler != nullptr ? handler->getTitle() : juce::String();
}
} // namespace

TEST_P (EditorAccessibleTitles, NamesTheControlAsTheHostDoes)
{
    uitest::DesktopMouse window (*editor); // screen readers see components in a window
    const auto& c = GetParam();
    auto& control = c.control (*editor);
    const juce::String expected = c.paramId != nullptr
                                      ? processor.getValueTreeState().getParameter (c.paramId)->getName (64)
                                      : juce::String (c.title);
    ASSERT_TRUE (expected.isNotEmpty());
    EXPECT_EQ (accessibleTitle (control), expected);
}

INSTANTIATE_TEST_SUITE_P (Controls, EditorAccessibleTitles, ::testing::ValuesIn (titleCases),
                          testsupport::NameFromWhat {});

// Unfinished: the icon-only buttons of the effect bodies (shape pickers and
// others), one unbound slider and the section viewport still lack titles.
TEST_F (KeyboardFixture, EveryControlHasATitleAndEverySliderTheHostsValueText)
{
    uitest::DesktopMouse window (*editor); // screen readers see components in a window
    int sliders = 0;
    std::function<void (juce::Component&)> visit = [&] (juce::Component& c) {
        const bool control = dynamic_cast<juce::Button*> (&c) != nullptr || dynamic_cast<juce::Slider*> (&c) != nullptr
                             || c.getWantsKeyboardFocus();
        if (control && c.isAccessible())
        {
            EXPECT_TRUE (accessibleTitle (c).isNotEmpty())
                << c.getComponentID() << " " << typeid (c).name() << " in "
                << (c.getParentComponent() != nullptr ? typeid (*c.getParentComponent()).name() : "nothing");
        }

        if (auto* slider = dynamic_cast<MdSlider*> (&c); slider != nullptr && slider->paramId.isNotEmpty())
        {
            ++sliders;
            auto* param = processor.getValueTreeState().getParameter (slider->paramId);
            ASSERT_NE (param, nullptr) << slider->paramId;
            auto* handler = slider->getAccessibilityHandler();
            ASSERT_NE (handler, nullptr);
            ASSERT_NE (handler->getValueInterface(), nullptr);
            EXPECT_EQ (handler->getValueInterface()->getCurrentValueAsString(), param->getCurrentValueAsText())
                << slider->paramId;
            EXPECT_TRUE (slider->getWantsKeyboardFocus()) << slider->paramId;
        }
        for (auto* child : c.getChildren())
            visit (*child);
    };
    visit (*editor);
    EXPECT_GT (sliders, 10); // the sweep reached the sections' bodies
}
