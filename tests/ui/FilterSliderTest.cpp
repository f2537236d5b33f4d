#include "UiTestSupport.h"

#include "ui/Col.h"
#include "ui/FilterSlider.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
// The slider at the editor's size (436 x 16: the track runs from x = 4 to
// x = 432, 1600 Hz at x = 218), reporting what it does.
struct Filter : public ::testing::Test
{
    Filter()
    {
        slider.setBounds (0, 0, 436, 16);
        slider.hpParamId = "hp";
        slider.lpParamId = "lp";
        slider.onParamDragStart = [this] (const juce::String& id) { calls.add ("start " + id); };
        slider.onParamDragEnd = [this] (const juce::String& id) { calls.add ("end " + id); };
        slider.onChange = [this] (float hp, float lp) {
            ++changes;
            reportedHp = hp;
            reportedLp = lp;
        };
    }

    // Places the handles at two frequencies.
    void setHz (float hpHz, float lpHz)
    {
        slider.setRawPositions (FilterSlider::hzToRawHp (hpHz), FilterSlider::hzToRawLp (lpHz));
    }

    float hpHz() const { return FilterSlider::rawToHzHp (slider.getHpRaw()); }
    float lpHz() const { return FilterSlider::rawToHzLp (slider.getLpRaw()); }

    FilterSlider slider;
    uitest::Mouse mouse { slider };
    juce::StringArray calls;
    int changes = 0;
    float reportedHp = -1.0f, reportedLp = -1.0f;
};
} // namespace

TEST (FilterAxis, RawPositionsMapToTheCornerRangesAndBack)
{
    struct Case
    {
        float raw, hpHz, lpHz;
    };
    const std::vector<Case> cases {
        { 0.0f, 20.0f, 500.0f },
        { 434.59f, 200.0f, 2590.0f },
        { 656.65f, 648.6f, 6000.0f },
        { 1000.0f, 4000.0f, 22000.0f },
    };
    for (const auto& c : cases)
    {
        EXPECT_NEAR (FilterSlider::rawToHzHp (c.raw), c.hpHz, c.hpHz * 2.0e-3f) << c.raw;
        EXPECT_NEAR (FilterSlider::rawToHzLp (c.raw), c.lpHz, c.lpHz * 2.0e-3f) << c.raw;
        EXPECT_NEAR (FilterSlider::hzToRawHp (FilterSlider::rawToHzHp (c.raw)), c.raw, 0.01f);
        EXPECT_NEAR (FilterSlider::hzToRawLp (FilterSlider::rawToHzLp (c.raw)), c.raw, 0.01f);
    }
    // Beyond the ranges the raw values run past 0..1000; the parameters clamp.
    EXPECT_NEAR (FilterSlider::hzToRawHp (22000.0f), 1321.6f, 0.5f);
    EXPECT_NEAR (FilterSlider::hzToRawLp (20.0f), -850.6f, 0.5f);
}

TEST_F (Filter, TrackIsLogarithmicWith1600HzInTheMiddle)
{
    EXPECT_EQ (slider.getTrackBounds(), juce::Rectangle<float> (4.0f, 7.0f, 428.0f, 2.0f));
    struct Case
    {
        float x, hz;
    };
    const std::vector<Case> cases {
        { -50.0f, 20.0f },   { 4.0f, 20.0f },      { 111.0f, 178.9f },   { 218.0f, 1600.0f },
        { 325.0f, 5933.0f }, { 432.0f, 22000.0f }, { 500.0f, 22000.0f },
    };
    for (const auto& c : cases)
        EXPECT_NEAR (slider.xToHz (c.x), c.hz, c.hz * 1.0e-3f) << c.x;

    for (const float hz : { 20.0f, 63.0f, 200.0f, 1000.0f, 1600.0f, 2500.0f, 10000.0f, 22000.0f })
        EXPECT_NEAR (slider.xToHz (slider.hzToX (hz)), hz, hz * 1.0e-4f) << hz;
}

TEST (FilterText, WholeHertzBelow1000AndKilohertzWithOneDecimalFromThere)
{
    struct Case
    {
        float hz;
        const char* text;
    };
    const std::vector<Case> cases {
        { 20.0f, "20 Hz" },     { 199.6f, "200 Hz" },   { 999.0f, "999 Hz" },   { 999.4f, "999 Hz" },
        { 999.6f, "1.0 kHz" }, // rounds to 1000: never "1000 Hz"
        { 1000.0f, "1.0 kHz" }, { 6000.0f, "6.0 kHz" }, { 1549.0f, "1.5 kHz" }, { 22000.0f, "22.0 kHz" },
    };
    for (const auto& c : cases)
        EXPECT_EQ (FilterSlider::formatHz (c.hz), juce::String (c.text)) << c.hz;
}

TEST_F (Filter, APressTakesTheNearerHandleAndTheLowPassOneOnATieWithoutMovingIt)
{
    // 20 Hz and 22 kHz: the handles sit exactly at the track's ends, 4 and 432.
    slider.setRawPositions (0.0f, 1000.0f);
    struct Case
    {
        float x;
        const char* id;
    };
    const std::vector<Case> cases {
        { 0.0f, "hp" },   { 100.0f, "hp" }, { 217.0f, "hp" }, { 218.0f, "lp" }, // the tie
        { 219.0f, "lp" }, { 436.0f, "lp" },
    };
    for (const auto& c : cases)
    {
        calls.clear();
        mouse.down (c.x, 8.0f);
        mouse.up (c.x, 8.0f);
        EXPECT_EQ (calls.joinIntoString (","), juce::String ("start ") + c.id + ",end " + c.id) << c.x;
    }
    EXPECT_EQ (changes, 0) << "a press alone moves nothing";
    EXPECT_FLOAT_EQ (slider.getHpRaw(), 0.0f);
    EXPECT_FLOAT_EQ (slider.getLpRaw(), 1000.0f);
}

TEST_F (Filter, HandlesNeverCrossEachStopsAtTheOthersFrequency)
{
    struct Case
    {
        const char* what;
        float hpHz, lpHz;     // start
        float grabHz, dropX;  // press on a handle, drag to x
        float wantHp, wantLp; // after the drag
    };
    const std::vector<Case> cases {
        { "low-pass dragged to the far left", 200.0f, 6000.0f, 6000.0f, -100.0f, 200.0f, 200.0f },
        { "high-pass dragged past the low-pass", 200.0f, 6000.0f, 200.0f, 430.0f, 6000.0f, 6000.0f },
        { "high-pass dragged to the far right", 200.0f, 6000.0f, 200.0f, 900.0f, 6000.0f, 6000.0f },
        { "low-pass dragged to the right end", 200.0f, 6000.0f, 6000.0f, 900.0f, 200.0f, 22000.0f },
        { "high-pass dragged to the left end", 200.0f, 6000.0f, 200.0f, -50.0f, 20.0f, 6000.0f },
        { "low-pass within the band", 200.0f, 6000.0f, 6000.0f, 218.0f, 200.0f, 1600.0f },
    };
    for (const auto& c : cases)
    {
        setHz (c.hpHz, c.lpHz);
        const float x = slider.hzToX (c.grabHz);
        mouse.down (x, 8.0f);
        for (int i = 1; i <= 10; ++i)
            mouse.drag (x + (c.dropX - x) * static_cast<float> (i) / 10.0f, 8.0f);
        mouse.up (c.dropX, 8.0f, {}, true);
        EXPECT_NEAR (hpHz(), c.wantHp, c.wantHp * 2.0e-3f) << c.what;
        EXPECT_NEAR (lpHz(), c.wantLp, c.wantLp * 2.0e-3f) << c.what;
        EXPECT_LE (hpHz(), lpHz() * 1.0001f) << c.what;
        EXPECT_FLOAT_EQ (reportedHp, slider.getHpRaw()) << c.what;
        EXPECT_FLOAT_EQ (reportedLp, slider.getLpRaw()) << c.what;
    }
}

TEST_F (Filter, AHandleDraggedPastItsParametersRangeReadsTheRangesEnd)
{
    // The high-pass reaches 4 kHz, the low-pass 500 Hz: beyond, while the
    // handle is still in the hand, the readout shows what the filter takes.
    setHz (200.0f, 6000.0f);
    const float hpX = slider.hzToX (200.0f);
    mouse.down (hpX, 8.0f);
    mouse.drag (slider.hzToX (5500.0f), 8.0f);
    EXPECT_GT (slider.getHpRaw(), 1000.0f) << "the handle itself goes on";
    EXPECT_EQ (slider.readoutText (true), "HP 4.0 kHz");
    mouse.up (slider.hzToX (5500.0f), 8.0f, {}, true);

    setHz (200.0f, 6000.0f);
    const float lpX = slider.hzToX (6000.0f);
    mouse.down (lpX, 8.0f);
    mouse.drag (slider.hzToX (300.0f), 8.0f);
    EXPECT_LT (slider.getLpRaw(), 0.0f);
    EXPECT_EQ (slider.readoutText (false), "LP 500 Hz");
    mouse.up (slider.hzToX (300.0f), 8.0f, {}, true);
}

TEST_F (Filter, FineDragMovesAnEighthOfTheRawRangePerTrackWidthWithCommandOrAlt)
{
    for (const auto modifier : { uitest::command, juce::ModifierKeys (juce::ModifierKeys::altModifier) })
    {
        slider.setRawPositions (300.0f, 500.0f);
        const float x = slider.hzToX (FilterSlider::rawToHzLp (500.0f));
        mouse.down (x, 8.0f);
        mouse.drag (x + 10.0f, 8.0f, modifier); // remembered here
        mouse.drag (x + 10.0f + 214.0f, 8.0f, modifier);
        mouse.up (x + 224.0f, 8.0f, {}, true);
        EXPECT_NEAR (slider.getLpRaw(), 500.0f + 62.5f, 0.01f) << "half a track width: 1/16 of 1000";
        EXPECT_FLOAT_EQ (slider.getHpRaw(), 300.0f);
    }

    // Steps below 0.05 raw are not reported.
    slider.setRawPositions (300.0f, 500.0f);
    const float x = slider.hzToX (FilterSlider::rawToHzLp (500.0f));
    mouse.down (x, 8.0f);
    mouse.drag (x, 8.0f, uitest::command);
    changes = 0;
    mouse.drag (x + 0.1f, 8.0f, uitest::command); // 0.029 raw
    EXPECT_EQ (changes, 0);
    mouse.drag (x + 0.2f, 8.0f, uitest::command); // 0.058 raw
    EXPECT_EQ (changes, 1);
    mouse.up (x, 8.0f, {}, true);
}

TEST_F (Filter, DoubleClickResetsTheNearerHandleOnly)
{
    setHz (500.0f, 12000.0f);
    mouse.doubleClick (slider.hzToX (500.0f) + 3.0f, 8.0f);
    EXPECT_NEAR (hpHz(), 200.0f, 0.05f);
    EXPECT_NEAR (lpHz(), 12000.0f, 1.0f);
    EXPECT_FLOAT_EQ (reportedHp, 434.59f);

    mouse.doubleClick (slider.hzToX (12000.0f) - 3.0f, 8.0f);
    EXPECT_NEAR (lpHz(), 6000.0f, 0.5f);
    EXPECT_NEAR (hpHz(), 200.0f, 0.05f);
    EXPECT_FLOAT_EQ (reportedLp, 656.65f);
}

TEST_F (Filter, PaintsTheBandBetweenTheHandlesTheHandlesAndBothReadouts)
{
    setHz (200.0f, 6000.0f);
    const auto image = uitest::render (slider, Col::bg0);
    const int hpX = juce::roundToInt (slider.hzToX (200.0f));
    const int lpX = juce::roundToInt (slider.hzToX (6000.0f));

    const auto band = Col::b2.overlaidWith (Col::co_br.withAlpha (0.75f)); // over the track
    EXPECT_LE (uitest::colourDistance (image.getPixelAt ((hpX + lpX) / 2, 7), band), 3) << "lit pass band";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (hpX - 12, 7), Col::b2), 3) << "plain track below the band";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (lpX + 12, 8), Col::b2), 3) << "plain track above the band";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (hpX, 6), Col::co_br), 3) << "high-pass handle";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (lpX, 6), Col::co_br), 3) << "low-pass handle";

    // "HP 200 Hz" left of the high-pass handle, "LP 6.0 kHz" right of the low-pass one.
    // (The grey track is 43 away from the background; the text far more.)
    const auto hpText = uitest::inkBounds (image.getClippedImage ({ 0, 0, hpX - 6, 16 }), Col::bg0, 60);
    const auto lpText = uitest::inkBounds (image.getClippedImage ({ lpX + 7, 0, 436 - lpX - 7, 16 }), Col::bg0, 60);
    EXPECT_GT (hpText.getWidth(), 40) << "nine characters";
    EXPECT_GT (lpText.getWidth(), 45) << "ten characters";
    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 2, 0, 30, 16 }, Col::bg0), Col::co_br), 12);

    // Handles together: no band, and the texts keep to their sides.
    setHz (1000.0f, 1000.0f);
    const auto closed = uitest::render (slider, Col::bg0);
    const int x = juce::roundToInt (slider.hzToX (1000.0f));
    EXPECT_LE (uitest::colourDistance (closed.getPixelAt (x - 20, 7), Col::b2), 3);
    EXPECT_LE (uitest::colourDistance (closed.getPixelAt (x + 20, 7), Col::b2), 3);
}

TEST_F (Filter, TheHoveredOrGrabbedHandleIsDrawnBrighter)
{
    setHz (200.0f, 6000.0f);
    const int hpX = juce::roundToInt (slider.hzToX (200.0f));
    const int lpX = juce::roundToInt (slider.hzToX (6000.0f));
    auto handleColour = [&] (int x) { return uitest::render (slider, Col::bg0).getPixelAt (x, 6); };
    const auto bright = Col::co_br.brighter (0.2f);

    mouse.move (static_cast<float> (hpX) + 5.0f, 10.0f);
    EXPECT_LE (uitest::colourDistance (handleColour (hpX), bright), 3);
    EXPECT_LE (uitest::colourDistance (handleColour (lpX), Col::co_br), 3);

    mouse.exit();
    EXPECT_LE (uitest::colourDistance (handleColour (hpX), Col::co_br), 3);

    mouse.down (static_cast<float> (lpX), 8.0f);
    EXPECT_LE (uitest::colourDistance (handleColour (lpX), bright), 3) << "grabbed";
    mouse.up (static_cast<float> (lpX), 8.0f);
    EXPECT_FALSE (slider.isDragging());
    EXPECT_LE (uitest::colourDistance (handleColour (lpX), Col::co_br), 3);
}
