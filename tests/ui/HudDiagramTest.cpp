#include "UiTestSupport.h"

#include "ui/BumpHud.h"
#include "ui/Col.h"
#include "ui/EqHud.h"
#include "ui/FilterSlider.h"
#include "ui/FlutterHud.h"
#include "ui/TapeChainHud.h"
#include "ui/TapeDegradationBody.h"
#include "ui/TapeMixHud.h"
#include "ui/WidthHud.h"

#include <gtest/gtest.h>

namespace
{
// The editor's overlay area: the visualizer's 436 x 160 less the 54 px of
// the two strips. The diagrams' grid is then one unit per pixel across.
constexpr int areaW = 436;
constexpr int areaH = 106;

// An overlay sized like the editor's, activated and one ramp step in, so it
// draws; rendered over black.
juce::Image show (HudOverlay& hud)
{
    hud.setBounds (0, 0, areaW, areaH);
    hud.setActive (true);
    hud.tick();
    return uitest::render (hud);
}

// The row of the column whose pixel comes closest to colour (the middle of
// a stroke drawn in it), within the rows [top, bottom).
int closestRow (const juce::Image& image, int x, int top, int bottom, juce::Colour colour)
{
    int best = -1, bestDistance = 1000;
    for (int y = top; y < bottom; ++y)
    {
        const int d = uitest::colourDistance (image.getPixelAt (x, y), colour);
        if (d < bestDistance)
        {
            bestDistance = d;
            best = y;
        }
    }
    return best;
}

// Black under the stroke colours the diagrams draw at partial alpha.
juce::Colour overBlack (juce::Colour c, float alpha)
{
    return juce::Colours::black.overlaidWith (c.withAlpha (alpha));
}
} // namespace

//==============================================================================
// The filter response.

TEST (EqHud, TheAxisPutsTwentyHertzSixteenHundredAndTwentyTwoKilohertzAtLeftMiddleAndRight)
{
    struct Case
    {
        float hz, pos;
    };
    // Two log halves: 20 Hz..1.6 kHz over 80x, 1.6..22 kHz over 13.75x.
    for (const auto& c : { Case { 20.0f, 0.0f }, Case { 1600.0f, 0.5f }, Case { 22000.0f, 1.0f },
                           Case { 400.0f, 0.341828f },  // 0.5 ln 20 / ln 80
                           Case { 5000.0f, 0.717363f }, // 0.5 + 0.5 ln 3.125 / ln 13.75
                           Case { 178.885f, 0.25f } })  // 20 x 80^0.5
    {
        EXPECT_NEAR (EqHud::axisPos (c.hz), c.pos, 1.0e-4f) << c.hz;
        EXPECT_NEAR (EqHud::axisHz (c.pos), c.hz, c.hz * 1.0e-4f) << c.pos;
    }
}

TEST (EqHud, TheGainIsTheProductOfTwoFirstOrderSlopes)
{
    struct Case
    {
        float hz, hp, lp, gain;
    };
    for (const auto& c : { Case { 1000.0f, 20.0f, 22000.0f, 1.0f },      // inside the pass band
                           Case { 500.0f, 500.0f, 22000.0f, 1.0f },      // at the high-pass corner: still 1
                           Case { 250.0f, 500.0f, 22000.0f, 0.447214f }, // r = 0.5: 0.5 / sqrt 1.25
                           Case { 50.0f, 500.0f, 22000.0f, 0.0995037f }, // r = 0.1
                           Case { 4000.0f, 20.0f, 2000.0f, 0.447214f },  // 1 / sqrt 5
                           Case { 8000.0f, 20.0f, 2000.0f, 0.242536f },  // 1 / sqrt 17
                           // Crossed corners: both slopes at once.
                           Case { 1000.0f, 2000.0f, 500.0f, 0.447214f * 0.447214f } })
        EXPECT_NEAR (EqHud::gainAt (c.hz, c.hp, c.lp), c.gain, 1.0e-5f) << c.hz << " " << c.hp << " " << c.lp;
}

TEST (EqHud, CornerFrequencyTexts)
{
    struct Case
    {
        float hz;
        const char* text;
    };
    for (const auto& c : { Case { 20.0f, "20 Hz" }, Case { 849.5f, "850 Hz" }, Case { 999.6f, "1.0 kHz" },
                           Case { 1000.0f, "1.0 kHz" }, Case { 6049.0f, "6.0 kHz" }, Case { 22000.0f, "22.0 kHz" } })
        EXPECT_EQ (EqHud::frequencyText (c.hz), c.text) << c.hz;

    // The overlay reads exactly as the filter range's handles do.
    for (float hz = 20.0f; hz < 22000.0f; hz *= 1.0013f)
        ASSERT_EQ (EqHud::frequencyText (hz), FilterSlider::formatHz (hz)) << hz;
}

TEST (EqHud, TheDrawnCurveFollowsTheResponseAcrossThePlot)
{
    const auto curve = overBlack (EqHud::filterCol, 0.8f);
    const float passY = 0.4f * areaH;
    const float span = 0.45f * areaH;
    const float left = 0.1f * areaW, width = 0.8f * areaW;

    struct Case
    {
        float hp, lp;
    };
    for (const auto& c : { Case { 20.0f, 22000.0f }, Case { 1600.0f, 22000.0f }, Case { 100.0f, 2000.0f } })
    {
        SCOPED_TRACE (juce::String (c.hp) + " / " + juce::String (c.lp));
        EqHud hud;
        hud.state.hpHz = c.hp;
        hud.state.lpHz = c.lp;
        const auto image = show (hud);
        // Columns of the 101 curve points away from the dashed markers.
        for (const float t : { 0.15f, 0.25f, 0.6f, 0.8f, 0.95f })
        {
            const float x = left + t * width;
            const float expected = passY + (1.0f - EqHud::gainAt (EqHud::axisHz (t), c.hp, c.lp)) * span;
            const int xi = static_cast<int> (std::round (x));
            if (std::abs (xi - (left + EqHud::axisPos (c.hp) * width)) < 3.0f
                || std::abs (xi - (left + EqHud::axisPos (c.lp) * width)) < 3.0f)
                continue;
            EXPECT_NEAR (closestRow (image, xi, 15, areaH, curve), expected, 2.0) << "t " << t;
        }
    }

    // A worked point: with the high-pass at 1.6 kHz, t = 0.25 is 178.9 Hz,
    // r = 0.1118, gain 0.1111: the curve lies 0.889 of the way down to the
    // floor.
    EqHud hud;
    hud.state.hpHz = 1600.0f;
    hud.state.lpHz = 22000.0f;
    const auto image = show (hud);
    EXPECT_NEAR (closestRow (image, static_cast<int> (std::round (left + 0.25f * width)), 15, areaH, curve),
                 passY + 0.8889f * span, 2.0);
}

TEST (EqHud, MarkersSitAtTheCornersAndTheLabelsJoinWhenTheyCrowd)
{
    const auto marker = overBlack (EqHud::filterCol, 0.65f);
    const auto label = overBlack (EqHud::filterCol, 0.85f);
    const float left = 0.1f * areaW, width = 0.8f * areaW;
    auto markerColumns = [&] (const juce::Image& image) {
        // The dashed lines run from 0.2 h to 0.85 h; row 0.3 h lies above
        // every curve of the cases and below the labels.
        std::vector<int> columns;
        for (int y = static_cast<int> (0.22f * areaH); y < static_cast<int> (0.38f * areaH); ++y)
            for (int x = 0; x < areaW; ++x)
                if (uitest::colourDistance (image.getPixelAt (x, y), marker) <= 40
                    && std::find (columns.begin(), columns.end(), x) == columns.end())
                    columns.push_back (x);
        std::sort (columns.begin(), columns.end());
        return columns;
    };
    auto labelInk = [&] (const juce::Image& image) {
        return uitest::boundsNear (image, { static_cast<int> (left), 0, areaW, static_cast<int> (0.14f * areaH) },
                                   label, 50);
    };

    {
        // Full range: the markers at the plot's two ends, two labels.
        EqHud hud;
        hud.state.hpHz = 20.0f;
        hud.state.lpHz = 22000.0f;
        const auto image = show (hud);
        const auto columns = markerColumns (image);
        ASSERT_FALSE (columns.empty());
        EXPECT_NEAR (columns.front(), left, 1.5);
        EXPECT_NEAR (columns.back(), left + width, 1.5);
        const auto ink = labelInk (image);
        EXPECT_LT (ink.getX(), left + 35) << "the HP label centred on the left marker";
        EXPECT_GT (ink.getRight(), left + width - 35) << "the LP label centred on the right marker";
        // Between the two labels the row is empty.
        EXPECT_EQ (uitest::countNear (image, { areaW / 2 - 60, 0, 120, 14 }, label, 50), 0);
    }
    {
        // Corners 100 Hz apart in the middle: one combined label of up to
        // 140 px, centred between them.
        EqHud hud;
        hud.state.hpHz = 1500.0f;
        hud.state.lpHz = 1700.0f;
        const auto image = show (hud);
        const float hpX = left + EqHud::axisPos (1500.0f) * width;
        const float lpX = left + EqHud::axisPos (1700.0f) * width;
        const auto ink = labelInk (image);
        ASSERT_FALSE (ink.isEmpty());
        EXPECT_NEAR (ink.getCentreX(), (hpX + lpX) / 2.0f, 3.0);
        EXPECT_LE (ink.getWidth(), 140);
        EXPECT_GT (ink.getWidth(), 70) << "both frequencies in one line";
    }
    {
        // Crossed corners: the curve falls away from the pass line on both
        // sides and no pass-band line is drawn (its end lies left of its
        // start), so the pass row stays dark between the markers.
        EqHud hud;
        hud.state.hpHz = 4000.0f;
        hud.state.lpHz = 500.0f;
        const auto image = show (hud);
        const int row = static_cast<int> (0.4f * areaH);
        const int lpX = static_cast<int> (left + EqHud::axisPos (500.0f) * width);
        const int hpX = static_cast<int> (left + EqHud::axisPos (4000.0f) * width);
        EXPECT_EQ (uitest::countNear (image, { lpX + 3, row, hpX - lpX - 6, 1 }, juce::Colours::black, 0),
                   hpX - lpX - 6);
    }
}

//==============================================================================
// The head bump.

TEST (BumpHud, TheHumpPeaksAtSixtyFiveHertzAndEndsAtTwentyFourAndTwoTwenty)
{
    // p(f) = ln(f/20) / ln 50.
    EXPECT_NEAR (BumpHud::axisPos (20.0f), 0.0f, 1.0e-6f);
    EXPECT_NEAR (BumpHud::axisPos (1000.0f), 1.0f, 1.0e-6f);
    EXPECT_NEAR (BumpHud::axisPos (65.0f), 0.301292f, 1.0e-5f);
    EXPECT_NEAR (BumpHud::axisPos (24.0f), 0.0466054f, 1.0e-5f);
    EXPECT_NEAR (BumpHud::axisPos (220.0f), 0.612964f, 1.0e-5f);

    const float left = BumpHud::axisPos (24.0f), peak = BumpHud::axisPos (65.0f), right = BumpHud::axisPos (220.0f);
    struct Case
    {
        float pos, height;
    };
    // sin(pi u) with u running 0..0.5 up to the peak and 0.5..1 after it.
    for (const auto& c :
         { Case { 0.0f, 0.0f }, Case { left, 0.0f }, Case { (left + peak) / 2.0f, 0.707107f }, Case { peak, 1.0f },
           Case { (peak + right) / 2.0f, 0.707107f }, Case { peak + 0.75f * (right - peak), 0.382683f },
           Case { right, 0.0f }, Case { 0.9f, 0.0f } })
        EXPECT_NEAR (BumpHud::humpAt (c.pos), c.height, 1.0e-4f) << c.pos;

    struct TextCase
    {
        float bump;
        const char* text;
    };
    for (const auto& c : { TextCase { 0.0f, "0.0 dB" }, TextCase { 60.0f, "3.6 dB" }, TextCase { 100.0f, "6.0 dB" } })
        EXPECT_EQ (BumpHud::valueText (c.bump), c.text);
}

TEST (BumpHud, TheDrawnHumpRisesWithTheAmountAndTheDotMarksOnlyARealPeak)
{
    // Grid units: sx = 1, sy = 106/160. Axis from 168 to 268 on the
    // baseline (68 + 18.6) sy = 57.4; the hump is 16.5 sy = 10.9 px high at
    // full amount, its peak at 168 + 30.1 = 198.
    const float sy = areaH / 160.0f;
    const float baseline = (68.0f + 18.6f) * sy;
    const float peakX = 168.0f + 100.0f * BumpHud::axisPos (65.0f);
    // The topmost amber pixel over the axis, above the value text.
    const juce::Rectangle<int> overAxis { 160, 20, 115, static_cast<int> (baseline) + 3 - 20 };
    auto render = [] (float amount) {
        BumpHud hud;
        hud.state.headBump = amount;
        return show (hud);
    };
    auto top = [&] (float amount) { return uitest::boundsNear (render (amount), overAxis, Col::am, 60); };

    const auto flat = top (0.0f);
    EXPECT_NEAR (flat.getY(), baseline - 1.0f, 1.5) << "a flat line on the baseline";

    const auto small = top (2.0f);
    EXPECT_NEAR (small.getY(), baseline - 1.0f - 0.02f * 16.5f * sy, 1.5) << "barely risen and no dot";

    const auto image = render (100.0f);
    const auto full = uitest::boundsNear (image, overAxis, Col::am, 60);
    // The hump reaches 10.9 px up; the dot of 4.4 adds 2.2 above that.
    EXPECT_NEAR (full.getY(), baseline - 16.5f * sy - 2.2f, 1.5);
    const auto dot = uitest::boundsNear (image, { 160, full.getY(), 115, 3 }, Col::am, 60);
    EXPECT_NEAR (dot.getCentreX(), peakX, 2.0) << "the dot on the 65 Hz peak";

    const auto half = top (50.0f);
    EXPECT_NEAR (half.getY(), baseline - 0.5f * 16.5f * sy - 2.2f, 1.5) << "the dot rides on a half-height hump";
}

//==============================================================================
// The tape chain.

TEST (TapeChainHud, GaugeFilterAndOutputValuesWorkedOutFromTheirFormulas)
{
    const float pi = juce::MathConstants<float>::pi;
    // 270 degrees from lower left through the top to lower right.
    EXPECT_NEAR (TapeChainHud::driveAngle (0.0f), -0.75f * pi - 0.5f * pi, 1.0e-5f);
    EXPECT_NEAR (TapeChainHud::driveAngle (50.0f), -0.5f * pi, 1.0e-5f) << "straight up";
    EXPECT_NEAR (TapeChainHud::driveAngle (100.0f), 0.25f * pi, 1.0e-5f);

    struct DropCase
    {
        float t, lpf, drop;
    };
    for (const auto& c :
         { DropCase { 0.4f, 50.0f, 0.0f }, DropCase { 0.5f, 50.0f, 0.0f },
           DropCase { 0.75f, 50.0f, 0.157945f }, // 0.55 x 0.5^1.8
           DropCase { 1.0f, 50.0f, 0.55f }, DropCase { 0.0f, 0.0f, 0.0f }, DropCase { 0.5f, 0.0f, 0.157945f },
           DropCase { 0.99f, 100.0f, 0.0f }, DropCase { 1.0f, 100.0f, 0.0f }, DropCase { 1.0f, 250.0f, 0.0f } })
        EXPECT_NEAR (TapeChainHud::softeningDrop (c.t, c.lpf), c.drop, 1.0e-5f) << c.t << " at " << c.lpf;

    struct TextCase
    {
        float value;
        const char* text;
    };
    for (const auto& c :
         { TextCase { 0.0f, "BYP" }, TextCase { -3.0f, "BYP" }, TextCase { 0.5f, "0%" }, TextCase { 66.9f, "66%" } })
        EXPECT_EQ (TapeChainHud::driveText (c.value), c.text) << c.value;
    // 2 kHz x 10^(0.778 x lpf/100): 2 kHz to 12 kHz.
    for (const auto& c : { TextCase { 0.0f, "2.00 kHz" }, TextCase { 50.0f, "4.90 kHz" },
                           TextCase { 89.0f, "9.85 kHz" }, TextCase { 100.0f, "12.0 kHz" } })
        EXPECT_EQ (TapeChainHud::softeningText (c.value), c.text) << c.value;
    for (const auto& c : { TextCase { 0.0f, "-6.0 dB" }, TextCase { 25.0f, "-3.0 dB" }, TextCase { 50.0f, "+0.0 dB" },
                           TextCase { 49.99f, "+0.0 dB" }, TextCase { 100.0f, "+6.0 dB" } })
        EXPECT_EQ (TapeChainHud::outputText (c.value), c.text) << c.value;
    // The overlay reads exactly as the section's OUT control does.
    for (float td = 0.0f; td <= 100.0f; td += 0.01f)
        ASSERT_EQ (TapeChainHud::outputText (td), TapeDegradationBody::outText (td)) << td;

    struct ArcCase
    {
        float out;
        int extra;
    };
    // round(2.99 L): one pair at silence, four at full output.
    for (const auto& c : { ArcCase { 0.0f, 0 }, ArcCase { 16.0f, 0 }, ArcCase { 17.0f, 1 }, ArcCase { 50.0f, 1 },
                           ArcCase { 84.0f, 3 }, ArcCase { 100.0f, 3 }, ArcCase { 130.0f, 3 } })
        EXPECT_EQ (TapeChainHud::extraArcs (c.out), c.extra) << c.out;
}

TEST (TapeChainHud, EachTapeControlGetsItsOwnViewAndOthersNothing)
{
    // Centre of the views: (218, 74 sy); the plate from (154, 32 sy).
    const float sy = areaH / 160.0f;
    const int cx = 218, cy = static_cast<int> (74.0f * sy);
    const auto view = [] (const char* id, float value) {
        TapeChainHud hud;
        hud.state.touchedParamId = id;
        hud.state.tapeIn = value;
        hud.state.tapeLpf = value;
        hud.state.tapeOut = value;
        return show (hud);
    };

    for (const char* other : { "", "tpWet", "flutter" })
        EXPECT_TRUE (uitest::inkBounds (view (other, 50.0f), juce::Colours::black, 0).isEmpty())
            << "not even the plate for " << other;

    // The needle of the drive gauge: lower left at 0 %, lower right at 100 %.
    // Sample a point 10 px out along each direction, inside the dial.
    const auto needleAt = [&] (const juce::Image& image, float angle) {
        const int x = cx + static_cast<int> (std::round (10.0f * std::cos (angle)));
        const int y = cy + static_cast<int> (std::round (10.0f * std::sin (angle)));
        return uitest::colourDistance (image.getPixelAt (x, y), Col::am) <= 60;
    };
    const float lowerLeft = TapeChainHud::driveAngle (0.0f), lowerRight = TapeChainHud::driveAngle (100.0f);
    const auto bypass = view ("tBoost", 0.0f);
    EXPECT_TRUE (needleAt (bypass, lowerLeft));
    EXPECT_FALSE (needleAt (bypass, lowerRight));
    const auto full = view ("tBoost", 100.0f);
    EXPECT_TRUE (needleAt (full, lowerRight));
    EXPECT_FALSE (needleAt (full, lowerLeft));

    // The loudspeaker sends more arcs out at full output than at silence:
    // count amber pixels left of the cabinet.
    const auto arcs = [&] (float out) {
        return uitest::countNear (view ("td", out), { cx - 60, cy - 20, 40, 40 }, Col::am, 90);
    };
    EXPECT_GT (arcs (100.0f), 2 * arcs (0.0f));
    EXPECT_GT (arcs (0.0f), 0) << "one thin pair even at silence";

    // The softening curve is flat up to its knee and bends down after it:
    // near its right end (t = 0.9) it has dropped 0.455 x 34 sy = 10 px at
    // 0 %, 0.22 x 34 sy = 5 px at 75 % and nothing at 100 %.
    const auto curveAt = [&] (float lpf) {
        const auto image = view ("sat", lpf);
        const int x = cx - 23 + static_cast<int> (0.9f * 46.0f);
        return uitest::boundsNear (image, { x - 2, static_cast<int> (50.0f * sy), 5, 30 }, Col::am, 90).getCentreY();
    };
    const int flat = curveAt (100.0f);
    EXPECT_NEAR (flat, 58.0f * sy, 1.5);
    EXPECT_NEAR (curveAt (75.0f) - flat, 0.55f * std::pow (0.6f, 1.8f) * 34.0f * sy, 1.5);
    EXPECT_NEAR (curveAt (0.0f) - flat, 0.55f * std::pow (0.9f, 1.8f) * 34.0f * sy, 1.5);
}

//==============================================================================
// The tape mix bar.

TEST (TapeMixHud, TheBarFillsWithTheWetShareAndTheMarkerFollows)
{
    struct Case
    {
        float mix, length;
        const char* text;
    };
    for (const auto& c :
         { Case { -5.0f, 0.0f, "100% DRY" }, Case { 0.0f, 0.0f, "100% DRY" }, Case { 0.4f, 0.352f, "0% WET" },
           Case { 49.5f, 43.56f, "50% WET" }, Case { 100.0f, 88.0f, "100% WET" }, Case { 150.0f, 88.0f, "150% WET" } })
    {
        EXPECT_NEAR (TapeMixHud::wetLength (c.mix), c.length, 1.0e-4f) << c.mix;
        EXPECT_EQ (TapeMixHud::valueText (c.mix), c.text) << c.mix;
    }

    // The marker (bright) at 164 + f grid units, one unit per pixel here;
    // drawn 1.2 wide, it shows in full only at twice the size.
    const float sy = areaH / 160.0f;
    const juce::Rectangle<int> barRows { 300, static_cast<int> (142.0f * sy), 240, static_cast<int> (36.0f * sy) };
    for (const float mix : { 0.0f, 25.0f, 50.0f, 100.0f })
    {
        TapeMixHud hud;
        hud.state.tapeMix = mix;
        const auto image = show (hud);
        const auto marker =
            uitest::boundsNear (uitest::renderScaled (hud, 2.0f, juce::Colours::black), barRows, Col::t0, 30);
        EXPECT_NEAR (marker.getCentreX() / 2.0f, 164.0f + 0.88f * mix, 1.0) << mix;
        EXPECT_GE (marker.getHeight(), static_cast<int> (2.0f * 18.0f * sy)) << "from 70 to 90 grid units";

        const auto text =
            uitest::strongestInk (image, { 150, static_cast<int> (96.0f * sy), 120, 14 }, juce::Colours::black);
        EXPECT_LE (uitest::colourDistance (text, mix <= 0.0f ? Col::t1 : Col::am), 40) << mix;

        // The amber wet part runs from the left of the bar to the marker.
        const int wetRow = static_cast<int> (80.0f * sy);
        const int wet = uitest::countNear (image, { 165, wetRow, 88, 1 }, Col::am, 60);
        EXPECT_NEAR (wet, std::max (0.88f * mix - 1.0f, 0.0f), 2.5) << mix;
    }
}

//==============================================================================
// The animated flutter trace.

TEST (FlutterHud, TheTraceIsFlatWithoutFlutterAndLoopsWithThePhase)
{
    using State = VisualizerComponent::VisualizerState;
    State still;
    still.flutter = 0.0f;
    still.flutterPhase = 0.37f;
    for (const auto& p : FlutterHud::tracePoints (still, areaW, areaH))
        EXPECT_FLOAT_EQ (p.y, 0.55f * areaH);

    State moving;
    moving.flutter = 80.0f;
    const auto points = FlutterHud::tracePoints (moving, areaW, areaH);
    EXPECT_FLOAT_EQ (points.front().x, 14.0f);
    EXPECT_FLOAT_EQ (points.back().x, areaW - 14.0f);
    float lowest = 0.0f, highest = static_cast<float> (areaH);
    for (const auto& p : points)
    {
        lowest = std::max (lowest, p.y);
        highest = std::min (highest, p.y);
    }
    EXPECT_GT (lowest - highest, 5.0f) << "flutter moves the trace";
    // |noise| <= 1 and the grain adds 0.1: within 1.1 of the half range.
    EXPECT_LE (lowest, 0.55f * areaH + 1.1f * 0.32f * areaH * 0.64f + 0.01f);
    EXPECT_GE (highest, 0.55f * areaH - 1.1f * 0.32f * areaH * 0.64f - 0.01f);

    // The noise repeats every 9 units: phase 1 draws phase 0.
    moving.flutterPhase = 0.0f;
    const auto atZero = FlutterHud::tracePoints (moving, areaW, areaH);
    moving.flutterPhase = 1.0f;
    const auto atOne = FlutterHud::tracePoints (moving, areaW, areaH);
    for (size_t i = 0; i < atZero.size(); ++i)
        EXPECT_NEAR (atZero[i].y, atOne[i].y, 1.0e-3f) << i;

    // Older values move right as the phase advances: point i at phase
    // 0.6 u-steps later equals point 0 earlier (s = 9 phi - 5.4 u), up to
    // the per-point grain of 0.1 of the range.
    moving.flutterPhase = 0.3f;
    const auto before = FlutterHud::tracePoints (moving, areaW, areaH);
    moving.flutterPhase = 0.3f + 5.4f / 9.0f * 10.0f / 96.0f;
    const auto after = FlutterHud::tracePoints (moving, areaW, areaH);
    const float grainRange = 0.2f * 0.32f * areaH * 0.64f;
    for (size_t i = 0; i + 10 < before.size(); i += 7)
        EXPECT_NEAR (after[i + 10].y, before[i].y, grainRange + 0.05f) << i;
}

TEST (FlutterHud, WeakerFlutterBreaksTheBrushMore)
{
    auto missing = [] (float amount) {
        int n = 0;
        for (int i = 0; i < 96; ++i)
            n += FlutterHud::segmentLeftOut (i, amount) ? 1 : 0;
        return n;
    };
    // Expected shares 22 % and 10 % of 96 segments, from a hash.
    EXPECT_NEAR (missing (0.0f), 0.22 * 96, 8.0);
    EXPECT_NEAR (missing (1.0f), 0.10 * 96, 6.0);
    EXPECT_GT (missing (0.0f), missing (1.0f));
    for (int i = 0; i < 96; ++i)
    {
        if (FlutterHud::segmentLeftOut (i, 1.0f))
        {
            EXPECT_TRUE (FlutterHud::segmentLeftOut (i, 0.0f)) << "a gap at full flutter stays a gap " << i;
        }
    }
}

TEST (FlutterHud, TheDraggedValueIsBrightAndTheOtherDim)
{
    const auto panel = overBlack (Col::bg1, 0.82f);
    struct Case
    {
        const char* id;
        juce::Colour flutter, speed;
    };
    for (const auto& c :
         { Case { "flutSpd", Col::t2, Col::t0 }, Case { "flutter", Col::t0, Col::t2 }, Case { "", Col::t0, Col::t2 } })
    {
        FlutterHud hud;
        hud.state.touchedParamId = c.id;
        hud.state.flutter = 50.0f;
        hud.state.flutterSpeed = 50.0f;
        const auto image = show (hud);
        EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 64, 4, 40, 12 }, panel), c.flutter), 40)
            << c.id;
        EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 104, 4, 60, 12 }, panel), c.speed), 40)
            << c.id;
        EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 8, 4, 50, 12 }, panel), Col::co), 40);
    }
}

TEST (FlutterHud, TheSameStateDrawsTheSamePictureAndAnotherPhaseAnother)
{
    FlutterHud hud;
    hud.state.flutter = 70.0f;
    hud.state.flutterPhase = 0.2f;
    const auto first = show (hud);
    const auto again = uitest::render (hud);
    EXPECT_EQ (uitest::countNear (first, first.getBounds(), juce::Colours::black, 0),
               uitest::countNear (again, again.getBounds(), juce::Colours::black, 0));
    int differing = 0;
    for (int y = 0; y < areaH; ++y)
        for (int x = 0; x < areaW; ++x)
            differing += first.getPixelAt (x, y) != again.getPixelAt (x, y) ? 1 : 0;
    EXPECT_EQ (differing, 0);

    hud.state.flutterPhase = 0.45f;
    const auto later = uitest::render (hud);
    for (int y = 0; y < areaH; ++y)
        for (int x = 0; x < areaW; ++x)
            differing += first.getPixelAt (x, y) != later.getPixelAt (x, y) ? 1 : 0;
    EXPECT_GT (differing, 200);

    // The glow sits on the newest point, at the left end of the trace.
    const auto newest = FlutterHud::tracePoints (hud.state, areaW, areaH).front();
    EXPECT_LE (
        uitest::colourDistance (later.getPixelAt (static_cast<int> (newest.x), static_cast<int> (newest.y)), Col::am),
        30);
}

//==============================================================================
// The animated width field.

TEST (WidthHud, ValueAndModeWordsFollowTheSideGain)
{
    struct Case
    {
        float widen;
        const char* value;
        const char* mode;
    };
    // pct = (widen / 7.5 - 1) x 100.
    for (const auto& c :
         { Case { 0.0f, "MONO", "MONO" }, Case { 0.225f, "-97", "MONO" }, Case { 0.3f, "-96", "NARROW" },
           Case { 1.875f, "-75", "NARROW" }, Case { 5.625f, "-25", "STEREO" }, Case { 7.5f, "0", "STEREO" },
           Case { 9.0f, "+20", "STEREO" }, Case { 9.375f, "+25", "WIDE" }, Case { 14.7f, "+96", "WIDE" },
           Case { 14.9f, "+99", "WIDEST" }, Case { 15.0f, "WIDEST", "WIDEST" } })
    {
        EXPECT_EQ (WidthHud::valueText (c.widen), c.value) << c.widen;
        EXPECT_EQ (WidthHud::modeText (c.widen), c.mode) << c.widen;
    }
}

TEST (WidthHud, MonoAndNoMidCollapseTheCloud)
{
    const juce::Rectangle<float> area (0.0f, 0.0f, areaW, areaH);
    VisualizerComponent::VisualizerState s;
    s.hudClock = 17.3f;

    s.widen = 0.0f;
    for (int i = 0; i < 300; i += 13)
        EXPECT_FLOAT_EQ (WidthHud::particle (s, area, i).x, 218.0f) << i;

    s.widen = 15.0f;
    s.noMid = true;
    float leftmost = areaW, rightmost = 0.0f;
    for (int i = 0; i < 300; ++i)
    {
        const auto p = WidthHud::particle (s, area, i);
        EXPECT_FLOAT_EQ (p.y, 50.0f);
        leftmost = std::min (leftmost, p.x);
        rightmost = std::max (rightmost, p.x);
    }
    EXPECT_GT (rightmost - leftmost, 60.0f) << "the widest field spreads the cloud";
    // |e| <= 0.9, at twice the side gain: within 0.9 x 2 x 196/1.9 of the axis.
    EXPECT_GE (leftmost, 218.0f - 0.9f * 2.0f * 196.0f / 1.9f);
    EXPECT_LE (rightmost, 218.0f + 0.9f * 2.0f * 196.0f / 1.9f);

    // Particles drift with the clock: particle i now is where particle
    // i + 10 was 0.3 earlier... and the same clock gives the same place.
    s.noMid = false;
    s.widen = 7.5f;
    const auto now = WidthHud::particle (s, area, 0);
    s.hudClock -= 0.3f;
    const auto earlier = WidthHud::particle (s, area, 10);
    EXPECT_NEAR (now.x, earlier.x, 1.0e-3f);
    EXPECT_NEAR (now.y, earlier.y, 1.0e-3f);
}

TEST (WidthHud, ThePointerAndTheLitScaleLabelFollowTheWidth)
{
    // At three times the size, so the 7-pt labels' strokes reach their full
    // colour.
    constexpr float scale = 3.0f;
    const juce::Rectangle<int> pointerRows { 90, 84 * 3, 1140, 6 * 3 };
    struct Case
    {
        float widen;
        float pointerX;
        int litLabels; // bit k set: scale label k drawn in t1
    };
    // Labels at 40 + 89 k, lit when |pct - (-100 + 50 k)| < 25; the pointer
    // at 40 + 356 (pct + 100) / 200.
    for (const auto& c :
         { Case { 0.0f, 40.0f, 0b00001 }, Case { 1.875f, 84.5f, 0 }, Case { 3.0f, 111.2f, 0b00010 },
           Case { 7.5f, 218.0f, 0b00100 }, Case { 11.25f, 307.0f, 0b01000 }, Case { 15.0f, 396.0f, 0b10000 } })
    {
        SCOPED_TRACE (c.widen);
        WidthHud hud;
        hud.state.widen = c.widen;
        show (hud);
        const auto image = uitest::renderScaled (hud, scale, juce::Colours::black);
        const auto pointer = uitest::boundsNear (image, pointerRows, Col::mg, 20);
        EXPECT_NEAR (pointer.getCentreX() / scale, c.pointerX, 1.0);
        for (int k = 0; k <= 4; ++k)
        {
            const int x = 40 + 89 * k;
            // The field's ellipse crosses some label boxes: count glyph
            // pixels of either colour rather than take the strongest ink.
            const juce::Rectangle<int> box { (x - 24) * 3, 98 * 3, 48 * 3, 10 * 3 };
            const bool lit = (c.litLabels >> k) & 1;
            EXPECT_EQ (uitest::countNear (image, box, Col::t1, 10) > 10, lit) << "label " << k;
            if (! lit)
            {
                EXPECT_GT (uitest::countNear (image, box, Col::t2, 10), 10) << "label " << k << " drawn dim";
            }
        }
    }

    WidthHud mono;
    mono.state.widen = 0.0f;
    mono.state.hudClock = 3.0f;
    const auto image = show (mono);
    // The particles' cores all lie on the vertical axis: nothing of the
    // cloud's bright core colour off the axis.
    const juce::Colour core { 0xffa0b0ff };
    EXPECT_EQ (uitest::countNear (image, { 30, 16, 180, 68 }, core, 40), 0);
    EXPECT_GT (uitest::countNear (image, { 214, 16, 9, 68 }, core, 60), 0);
}
