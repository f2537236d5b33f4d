#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/Col.h"
#include "ui/TapCountBox.h"
#include "ui/ValueEntryBox.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct TapBox : public ::testing::Test
{
    TapBox()
    {
        box.setBounds (0, 0, 120, 22);
        box.setRange (1, 64);
        box.setValue (20);
        box.onChange = [this] (int v) { changes.push_back (v); };
        box.onDragStart = [this] { ++starts; };
        box.onDragEnd = [this] { ++ends; };
    }

    ~TapBox() override
    {
        ValueEntryBox::dismissAll();
        uitest::waitForCallOutsToClose();
    }

    TapCountBox box;
    uitest::Mouse mouse { box };
    std::vector<int> changes;
    int starts = 0, ends = 0;
};
} // namespace

TEST_F (TapBox, FortyPixelsUpwardAddTen)
{
    mouse.down (60.0f, 11.0f);
    for (float y = 11.0f; y >= -29.0f; y -= 1.0f)
        mouse.drag (60.0f, y);
    mouse.up (60.0f, -29.0f, {}, true);

    EXPECT_EQ (box.getValue(), 30);
    EXPECT_EQ (changes, (std::vector<int> { 21, 22, 23, 24, 25, 26, 27, 28, 29, 30 }));
    EXPECT_EQ (starts, 1);
    EXPECT_EQ (ends, 1);
    EXPECT_TRUE (uitest::openCallOuts().empty()) << "a drag opens no entry box";
}

TEST_F (TapBox, DragIsClampedToTheRangeAndMeasuredFromItsStart)
{
    box.setValue (60);
    mouse.down (60.0f, 11.0f);
    mouse.drag (60.0f, -29.0f);
    EXPECT_EQ (box.getValue(), 64);
    mouse.drag (60.0f, 19.0f); // 8 pixels below the start
    EXPECT_EQ (box.getValue(), 58);
    mouse.drag (60.0f, 400.0f);
    EXPECT_EQ (box.getValue(), 1);
    mouse.up (60.0f, 400.0f, {}, true);
    EXPECT_EQ (changes, (std::vector<int> { 64, 58, 1 }));
}

TEST_F (TapBox, ThreePixelsOfVerticalMovementIsADragNotAClick)
{
    mouse.down (60.0f, 11.0f);
    mouse.drag (60.0f, 14.0f);
    mouse.drag (60.0f, 11.0f);
    mouse.up (60.0f, 11.0f, {}, true);
    EXPECT_EQ (box.getValue(), 20);
    EXPECT_TRUE (changes.empty());
    EXPECT_TRUE (uitest::openCallOuts().empty());
}

TEST_F (TapBox, ClickOpensTheEntryBoxWithTheValue)
{
    // Small vertical jitter and sideways movement still count as a click.
    mouse.down (60.0f, 11.0f);
    mouse.drag (62.0f, 9.0f);
    mouse.drag (110.0f, 11.0f);
    mouse.up (110.0f, 11.0f, {}, true);
    EXPECT_EQ (starts, 1);
    EXPECT_EQ (ends, 1);

    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    EXPECT_EQ (field->getText(), "20");
}

struct TypedCase
{
    const char* what;
    const char* typed;
    int expected;
    bool reported;
};

class TapBoxTyped : public TapBox, public ::testing::WithParamInterface<TypedCase>
{};

TEST_P (TapBoxTyped, CommitIsReadAsAnIntegerAndClamped)
{
    const auto& c = GetParam();
    mouse.click (60.0f, 11.0f);
    ASSERT_TRUE (uitest::typeAndClose (c.typed));
    EXPECT_EQ (box.getValue(), c.expected);
    EXPECT_EQ (changes, c.reported ? std::vector<int> { c.expected } : std::vector<int> {});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Entries, TapBoxTyped,
                          ::testing::Values (TypedCase { "in range", "12", 12, true },
                                             TypedCase { "padded", "  33 ", 33, true },
                                             TypedCase { "above the maximum", "100", 64, true },
                                             TypedCase { "below the minimum", "0", 1, true },
                                             TypedCase { "negative", "-5", 1, true },
                                             TypedCase { "junk reads as zero", "abc", 1, true },
                                             TypedCase { "unchanged", "20", 20, false },
                                             TypedCase { "nan ignored", "nan", 20, false },
                                             TypedCase { "inf ignored", "inf", 20, false },
                                             TypedCase { "overflow ignored", "1e999", 20, false }),
                          testsupport::NameFromWhat());
// clang-format on

TEST_F (TapBox, EscapeKeepsTheValue)
{
    mouse.click (60.0f, 11.0f);
    ASSERT_TRUE (uitest::typeAndClose ("5", true));
    EXPECT_EQ (box.getValue(), 20);
    EXPECT_TRUE (changes.empty());
}

TEST_F (TapBox, CommitAfterTheBoxIsGoneDoesNothing)
{
    auto owned = std::make_unique<TapCountBox>();
    owned->setBounds (0, 0, 120, 22);
    bool called = false;
    owned->onChange = [&] (int) { called = true; };
    uitest::Mouse (*owned).click (60.0f, 11.0f);
    auto* field = uitest::entryField();
    ASSERT_NE (field, nullptr);
    field->setText ("7", false);
    owned.reset();
    field->keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
    EXPECT_TRUE (uitest::waitForCallOutsToClose());
    EXPECT_FALSE (called);
}

TEST_F (TapBox, PaintsTheCountOnADarkPill)
{
    const juce::Colour grey (0xff808080);
    const auto image = uitest::render (box, grey);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (0, 0), grey), 8) << "rounded corner";
    EXPECT_EQ (image.getPixelAt (3, 11), Col::b2);
    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 10, 2, 100, 18 }, Col::b2), Col::t0), 40);

    // A wider count makes wider text: the text follows the value.
    const auto width = [&] (int value) {
        box.setValue (value);
        return uitest::inkBounds (uitest::render (box, grey).getClippedImage ({ 4, 2, 112, 18 }), Col::b2, 40)
            .getWidth();
    };
    EXPECT_GT (width (20), width (5));
}
