#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/MdSlider.h"
#include "ui/ValueEntryBox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using Kind = MdSlider::Kind;
using uitest::Mouse;

namespace
{
// A 200 x 20 horizontal slider over 0..1000. JUCE's layout keeps a thumb
// radius of 10 at each end, so the travel runs from x = 10 to x = 190.
struct SliderFixture : public ::testing::Test
{
    SliderFixture()
    {
        slider.setRange (0.0, 1000.0, 0.001);
        slider.setBounds (0, 0, 200, 20);
    }

    ~SliderFixture() override
    {
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
        MdSlider::hostBpm = 0.0f;
    }

    static float xFor (double proportion) { return 10.0f + 180.0f * static_cast<float> (proportion); }

    MdSlider slider { Kind::Ms };
    Mouse mouse { slider };
};
} // namespace

//==============================================================================
TEST_F (SliderFixture, DoubleClickRestoresTheResetValueNotTheMinimum)
{
    slider.resetValue = 250.0;
    slider.setValue (900.0);
    mouse.doubleClick (xFor (0.8), 10.0f);
    EXPECT_DOUBLE_EQ (slider.getValue(), 250.0);
}

TEST_F (SliderFixture, CommandDragAcrossTheWholeWidthMovesOneEighthOfTheRange)
{
    mouse.down (xFor (0.5), 10.0f);
    ASSERT_NEAR (slider.getValue(), 500.0, 0.01);

    mouse.drag (xFor (0.5), 10.0f, uitest::command);
    mouse.drag (xFor (0.5) + 200.0f, 10.0f, uitest::command);
    EXPECT_NEAR (slider.getValue(), 625.0, 0.01);

    mouse.drag (xFor (0.5) - 200.0f, 10.0f, uitest::command);
    EXPECT_NEAR (slider.getValue(), 375.0, 0.01);

    // Releasing command hands the drag back to the ordinary absolute travel.
    mouse.drag (xFor (0.9), 10.0f);
    EXPECT_NEAR (slider.getValue(), 900.0, 0.01);
    mouse.up (xFor (0.9), 10.0f);
}

TEST_F (SliderFixture, FineDragClampsToTheRangeAndRestartsFromTheCurrentValue)
{
    mouse.down (xFor (0.9), 10.0f);
    mouse.drag (xFor (0.9), 10.0f, uitest::command);
    mouse.drag (xFor (0.9) + 400.0f, 10.0f, uitest::command);
    EXPECT_DOUBLE_EQ (slider.getValue(), 1000.0);
    mouse.up (0.0f, 10.0f);

    // A new gesture starts a new fine drag from where the value is now.
    slider.setValue (100.0);
    mouse.down (xFor (0.1), 10.0f);
    mouse.drag (50.0f, 10.0f, uitest::command);
    mouse.drag (150.0f, 10.0f, uitest::command);
    EXPECT_NEAR (slider.getValue(), 100.0 + 62.5, 0.01);
}

TEST_F (SliderFixture, FineDragFollowsTheMirroredTravelOfAReversedSlider)
{
    slider.reversed = true;
    slider.setValue (500.0);
    mouse.down (xFor (0.5), 10.0f);
    ASSERT_NEAR (slider.getValue(), 500.0, 0.01);
    mouse.drag (xFor (0.5), 10.0f, uitest::command);
    mouse.drag (xFor (0.5) + 200.0f, 10.0f, uitest::command);
    EXPECT_NEAR (slider.getValue(), 375.0, 0.01);
}

TEST_F (SliderFixture, FineDragOnAVerticalSliderFollowsUpwardMovement)
{
    slider.setSliderStyle (juce::Slider::LinearVertical);
    slider.setBounds (0, 0, 20, 160);
    slider.setValue (500.0);
    mouse.down (10.0f, 80.0f);
    ASSERT_NEAR (slider.getValue(), 500.0, 0.01);
    mouse.drag (10.0f, 80.0f, uitest::command);
    mouse.drag (10.0f, 0.0f, uitest::command);
    EXPECT_NEAR (slider.getValue(), 562.5, 0.01);
}

TEST_F (SliderFixture, DetentPullsValuesNearTheCentreQuadratically)
{
    slider.setRange (-100.0, 100.0, 0.0);
    slider.detentCentre = 0.0;
    slider.detentWidth = 20.0;

    mouse.down (xFor (0.5), 10.0f);
    mouse.drag (xFor (0.55), 10.0f); // raw 10: pulled to 10 * 10 / 20
    EXPECT_NEAR (slider.getValue(), 5.0, 1.0e-3);
    mouse.drag (xFor (0.45), 10.0f); // raw -10
    EXPECT_NEAR (slider.getValue(), -5.0, 1.0e-3);
    mouse.drag (xFor (0.59), 10.0f); // raw 18: 18 * 18 / 20
    EXPECT_NEAR (slider.getValue(), 16.2, 1.0e-3);
    mouse.drag (xFor (0.65), 10.0f); // raw 30: outside the detent
    EXPECT_NEAR (slider.getValue(), 30.0, 1.0e-3);
    mouse.up (xFor (0.65), 10.0f);
}

TEST_F (SliderFixture, ReversedSliderHasItsMaximumAtTheLeftEnd)
{
    slider.reversed = true;
    mouse.down (12.0f, 10.0f);
    EXPECT_GT (slider.getValue(), 980.0);
    mouse.drag (xFor (0.25), 10.0f);
    EXPECT_NEAR (slider.getValue(), 750.0, 0.01);
    mouse.up (xFor (0.25), 10.0f);

    EXPECT_NEAR (slider.valueToProportionOfLength (0.0), 1.0, 1.0e-12);
    EXPECT_NEAR (slider.proportionOfLengthToValue (1.0), 0.0, 1.0e-12);
}

//==============================================================================
struct SnapCase
{
    const char* what;
    Kind kind;
    bool phaseMode;
    float bpm;
    double range;
    double dragTo; // proportion of the travel
    double expected;
};

class MdSliderSnap : public ::testing::TestWithParam<SnapCase>
{};

TEST_P (MdSliderSnap, DragSnapsInSyncMode)
{
    const auto& c = GetParam();
    MdSlider slider (c.kind);
    slider.setRange (0.0, c.range, 0.001);
    slider.setBounds (0, 0, 200, 20);
    slider.syncMode = true;
    slider.phaseMode = c.phaseMode;
    MdSlider::hostBpm = c.bpm;

    Mouse mouse (slider);
    mouse.down (10.0f, 10.0f);
    mouse.drag (10.0f + 180.0f * static_cast<float> (c.dragTo), 10.0f);
    mouse.up (10.0f + 180.0f * static_cast<float> (c.dragTo), 10.0f);
    MdSlider::hostBpm = 0.0f;

    EXPECT_NEAR (slider.getValue(), c.expected, 0.002);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Sync, MdSliderSnap,
    ::testing::Values (
        SnapCase { "DelayTime snaps to the note grid", Kind::DelayTime, false, 120.0f, 1000.0, 0.47, 500.0 },
        SnapCase { "DelayTime snaps to the top note", Kind::DelayTime, false, 120.0f, 1000.0, 0.97, 1000.0 },
        SnapCase { "LfoRate snaps to 1 over 12", Kind::LfoRate, false, 120.0f, 1000.0, 0.1, 1000.0 / 12.0 },
        SnapCase { "SlowRate snaps", Kind::SlowRate, false, 90.0f, 1000.0, 0.7, 2000.0 / 3.0 },
        SnapCase { "No snap without a tempo", Kind::DelayTime, false, 0.0f, 1000.0, 0.47, 470.0 },
        SnapCase { "No snap for other kinds", Kind::Ms, false, 120.0f, 1000.0, 0.47, 470.0 },
        SnapCase { "Phase snaps to 45", Kind::Integer, true, 0.0f, 360.0, 0.3, 90.0 },
        SnapCase { "Phase snaps up to 135", Kind::Integer, true, 0.0f, 360.0, 0.33, 135.0 }),
    testsupport::NameFromWhat());
// clang-format on

TEST (MdSliderSnap, AClickLandsOnTheGridAndIsPulledByTheDetentLikeADrag)
{
    MdSlider synced (Kind::DelayTime);
    synced.setRange (0.0, 1000.0, 0.001);
    synced.setBounds (0, 0, 200, 20);
    synced.syncMode = true;
    MdSlider::hostBpm = 120.0f;
    Mouse (synced).click (10.0f + 180.0f * 0.47f, 10.0f);
    MdSlider::hostBpm = 0.0f;
    EXPECT_NEAR (synced.getValue(), 500.0, 0.002);

    MdSlider detent (Kind::Decimal);
    detent.setRange (-100.0, 100.0, 0.0);
    detent.setBounds (0, 0, 200, 20);
    detent.detentWidth = 20.0;
    Mouse (detent).click (10.0f + 180.0f * 0.55f, 10.0f); // raw 10
    EXPECT_NEAR (detent.getValue(), 5.0, 1.0e-3);
}

TEST (MdSliderSnapToSyncNote, MovesOnlyWhenSyncedWithATempo)
{
    MdSlider slider (Kind::LfoRate);
    slider.setRange (0.0, 1000.0, 0.001);
    slider.setValue (130.0);

    slider.snapToSyncNote();
    EXPECT_DOUBLE_EQ (slider.getValue(), 130.0) << "sync mode off";

    slider.syncMode = true;
    slider.snapToSyncNote();
    EXPECT_DOUBLE_EQ (slider.getValue(), 130.0) << "tempo unknown";

    MdSlider::hostBpm = 120.0f;
    slider.snapToSyncNote();
    MdSlider::hostBpm = 0.0f;
    EXPECT_NEAR (slider.getValue(), 2000.0 / 12.0, 0.001);
}

//==============================================================================
TEST_F (SliderFixture, ReportsDragsAndHoversWithItsParameterId)
{
    std::vector<juce::String> log;
    slider.paramId = "dcFall";
    slider.onParamDragStart = [&] (const juce::String& id) { log.push_back ("start " + id); };
    slider.onParamDragEnd = [&] (const juce::String& id) { log.push_back ("end " + id); };
    slider.onHoverEnter = [&] (const juce::String& id) { log.push_back ("enter " + id); };
    slider.onHoverExit = [&] (const juce::String& id) { log.push_back ("exit " + id); };

    mouse.enter();
    mouse.down (xFor (0.2), 10.0f);
    mouse.drag (xFor (0.4), 10.0f);
    mouse.up (xFor (0.4), 10.0f, {}, true);
    mouse.exit();

    const std::vector<juce::String> expected { "enter dcFall", "start dcFall", "end dcFall", "exit dcFall" };
    EXPECT_EQ (log, expected);
}

TEST_F (SliderFixture, MouseWheelDoesNothing)
{
    slider.setValue (300.0);
    juce::MouseWheelDetails wheel {};
    wheel.deltaY = 1.0f;
    const auto e = juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { 50.0f, 10.0f }, {}, 1.0f,
                                     0.0f, 0.0f, 0.0f, 0.0f, &slider, &slider, juce::Time::getCurrentTime(),
                                     { 50.0f, 10.0f }, juce::Time::getCurrentTime(), 0, false);
    slider.mouseWheelMove (e, wheel);
    EXPECT_DOUBLE_EQ (slider.getValue(), 300.0);
}

//==============================================================================
// Value entry: right-click, ctrl-click or command-click opens a box.
struct EntryModifier
{
    const char* what;
    juce::ModifierKeys mods;
};

class MdSliderEntryOpens : public SliderFixture, public ::testing::WithParamInterface<EntryModifier>
{};

TEST_P (MdSliderEntryOpens, WithTheValueTextAndWithoutStartingADrag)
{
    bool dragStarted = false;
    slider.onParamDragStart = [&] (const juce::String&) { dragStarted = true; };
    slider.setValue (250.0);

    mouse.down (xFor (0.9), 10.0f, GetParam().mods);
    mouse.drag (xFor (0.95), 10.0f, GetParam().mods);

    EXPECT_FALSE (dragStarted);
    EXPECT_DOUBLE_EQ (slider.getValue(), 250.0);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "250 ms");
    EXPECT_EQ (field->getHighlightedText(), "250 ms");
    mouse.up (xFor (0.95), 10.0f, GetParam().mods);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Modifiers, MdSliderEntryOpens,
                          ::testing::Values (EntryModifier { "right button", uitest::rightButton },
                                             EntryModifier { "ctrl", uitest::ctrl },
                                             EntryModifier { "command", uitest::command }),
                          testsupport::NameFromWhat());
// clang-format on

TEST_F (SliderFixture, ReturnCommitsTheTypedValue)
{
    int notifications = 0;
    slider.onValueChange = [&] { ++notifications; };
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("400ms"));
    EXPECT_DOUBLE_EQ (slider.getValue(), 400.0);
    EXPECT_EQ (notifications, 1);
}

TEST_F (SliderFixture, EscapeCancelsTheTypedValue)
{
    slider.setValue (123.0);
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("400", true));
    EXPECT_DOUBLE_EQ (slider.getValue(), 123.0);
}

TEST_F (SliderFixture, ClickElsewhereCommits)
{
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    field->setText ("77", false);
    uitest::openCallOuts().front()->inputAttemptWhenModal();
    ASSERT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_DOUBLE_EQ (slider.getValue(), 77.0);
}

TEST_F (SliderFixture, TypedValueIsClampedToTheRange)
{
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("5000"));
    EXPECT_DOUBLE_EQ (slider.getValue(), 1000.0);
}

TEST (MdSliderEntry, UnchangedSecondsTextKeepsTheValue)
{
    // "1.50 s" is what a DelayTime slider shows at 1.5 s; committing it as it
    // stands must not turn it into 1.5 ms.
    MdSlider slider (Kind::DelayTime);
    slider.setRange (0.0, 1000.0, 1.0);
    slider.setBounds (0, 0, 200, 20);
    slider.setValue (855.0);

    Mouse mouse (slider);
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "1.50 s");
    field->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_DOUBLE_EQ (slider.getValue(), 855.0);
}

//==============================================================================
// Typed seconds in the time kinds: 1.5 s is 1500 ms.
struct SecondsCase
{
    const char* what;
    Kind kind;
    double rangeEnd;
};

class MdSliderSeconds : public ::testing::TestWithParam<SecondsCase>
{};

TEST_P (MdSliderSeconds, TypedSecondsEqualTheirMilliseconds)
{
    const auto& c = GetParam();
    MdSlider slider (c.kind);
    slider.setRange (0.0, c.rangeEnd, 0.0);
    slider.setBounds (0, 0, 200, 20);

    Mouse mouse (slider);
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("1.5 s"));
    const double fromSeconds = slider.getValue();

    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("1500"));
    EXPECT_DOUBLE_EQ (fromSeconds, slider.getValue());
    EXPECT_GT (fromSeconds, 0.0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (TimeKinds, MdSliderSeconds,
                          ::testing::Values (SecondsCase { "Ms", Kind::Ms, 5000.0 },
                                             SecondsCase { "DelayTime", Kind::DelayTime, 1000.0 },
                                             SecondsCase { "LengthExp", Kind::LengthExp, 1000.0 }),
                          testsupport::NameFromWhat());
// clang-format on

TEST (MdSliderSeconds, MsSliderReadsOneAndAHalfSecondsAs1500)
{
    MdSlider slider (Kind::Ms);
    slider.setRange (0.0, 5000.0, 1.0);
    slider.setBounds (0, 0, 200, 20);
    Mouse mouse (slider);
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_TRUE (uitest::typeAndClose ("1.5 s"));
    EXPECT_DOUBLE_EQ (slider.getValue(), 1500.0);
}

//==============================================================================
// Non-finite typed values leave every kind's value as it was.
class MdSliderNonFinite : public ::testing::TestWithParam<int>
{};

TEST_P (MdSliderNonFinite, TypedNanOrInfinityIsIgnored)
{
    const auto kind = static_cast<Kind> (GetParam());
    MdSlider slider (kind);
    slider.setRange (-200.0, 1000.0, 0.0);
    slider.setBounds (0, 0, 200, 20);
    slider.setValue (7.0, juce::dontSendNotification);
    int notifications = 0;
    slider.onValueChange = [&] { ++notifications; };

    Mouse mouse (slider);
    for (const auto* typed : { "nan", "NaN", "inf", "-inf", "+inf", "inf ms", "1e999", "-1e999 s" })
    {
        mouse.down (10.0f, 10.0f, uitest::ctrl);
        ASSERT_TRUE (uitest::typeAndClose (typed)) << typed;
        EXPECT_DOUBLE_EQ (slider.getValue(), 7.0) << typed;
        EXPECT_DOUBLE_EQ (slider.getValueFromText (typed), 7.0) << typed;
    }
    EXPECT_EQ (notifications, 0);
}

std::string kindName (const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = { "Ms",      "Hz",        "PercentPlain", "Percent", "Integer",
                                         "Decimal", "LengthExp", "DelayTime",    "LfoRate", "Curve",
                                         "Cents",   "SlowRate",  "Decibels",     "Width" };
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P (EveryKind, MdSliderNonFinite, ::testing::Range (0, 14), kindName);

//==============================================================================
// The commit of a box that outlives its slider.
TEST (MdSliderEntry, CommitAfterTheSliderIsDeletedDoesNothing)
{
    auto slider = std::make_unique<MdSlider> (Kind::Ms);
    slider->setRange (0.0, 1000.0, 1.0);
    slider->setBounds (0, 0, 200, 20);

    Mouse mouse (*slider);
    mouse.down (10.0f, 10.0f, uitest::ctrl);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    field->setText ("300", false);

    slider.reset();
    field->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_TRUE (uitest::waitForCallOutsToClose());
}

TEST (ValueEntryBoxLaunch, CommitRunsOnlyWhileTheOwnerExists)
{
    juce::StringArray commits;
    auto owner = std::make_unique<juce::Component>();
    owner->setBounds (0, 0, 100, 20);

    ValueEntryBox::launch (*owner, "1", [&] (const juce::String& t) { commits.add (t); });
    ASSERT_TRUE (uitest::typeAndClose ("2"));
    EXPECT_EQ (commits, juce::StringArray ("2"));

    ValueEntryBox::launch (*owner, "3", [&] (const juce::String& t) { commits.add (t); });
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    owner.reset();
    field->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    ASSERT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_EQ (commits, juce::StringArray ("2")) << "no commit once the owner is gone";
}

TEST (ValueEntryBoxDismissAll, ClosesTheBoxesOfOneEditorWithoutCommitting)
{
    juce::Component editor, otherEditor;
    MdSlider inside (Kind::Ms), outside (Kind::Ms);
    for (auto* s : { &inside, &outside })
    {
        s->setRange (0.0, 1000.0, 1.0);
        s->setBounds (0, 0, 200, 20);
        s->setValue (10.0);
    }
    editor.addAndMakeVisible (inside);
    otherEditor.addAndMakeVisible (outside);

    Mouse (inside).down (10.0f, 10.0f, uitest::ctrl);
    Mouse (outside).down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_EQ (uitest::openCallOuts().size(), 2u);

    ValueEntryBox::dismissAll (&editor);
    const auto stillOpen = [] {
        int n = 0;
        for (auto* box : uitest::openCallOuts())
            n += box->isVisible() ? 1 : 0;
        return n;
    };
    EXPECT_EQ (stillOpen(), 1) << "closed at once, not on a later message";
    uitest::pump (100);
    EXPECT_EQ (uitest::openCallOuts().size(), 1u);

    auto* remaining = uitest::entryField();
    ASSERT_NE (remaining, nullptr);
    remaining->setText ("20", false);
    ValueEntryBox::dismissAll();
    ASSERT_TRUE (uitest::waitForCallOutsToClose());

    EXPECT_DOUBLE_EQ (inside.getValue(), 10.0);
    EXPECT_DOUBLE_EQ (outside.getValue(), 10.0);
}

TEST (ValueEntryBoxDismissAll, EditorClosingWithAnOpenBoxLeavesNothingBehind)
{
    // The editor's destructor order: dismiss boxes, then destroy the widgets.
    auto editor = std::make_unique<juce::Component>();
    auto slider = std::make_unique<MdSlider> (Kind::Ms);
    slider->setRange (0.0, 1000.0, 1.0);
    slider->setBounds (0, 0, 200, 20);
    editor->addAndMakeVisible (*slider);

    Mouse (*slider).down (10.0f, 10.0f, uitest::ctrl);
    ASSERT_NE (uitest::entryField(), nullptr);

    ValueEntryBox::dismissAll (editor.get());
    slider.reset();
    editor.reset();
    EXPECT_TRUE (uitest::waitForCallOutsToClose());
}
