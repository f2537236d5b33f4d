#include "UiTestSupport.h"

#include "plugin/PluginProcessor.h"
#include "ui/Col.h"
#include "ui/VisualizerComponent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace
{
using Viz = VisualizerComponent;
using Hud = VisualizerComponent::ActiveHud;

// The editor's visualizer (436 x 160: plot 380 x 120, time line x = 14 to
// 376, 0 dB at y = 10.8, floor at y = 98, length strip y = 106 to 120) over a
// one-second timeline with the window from 0 to 1000 ms. The length strip is
// hidden (its thumb's halo reaches above it), so rows 99 to 105 hold nothing
// but the tap bars, which run the whole height.
struct Drawing : public ::testing::Test
{
    Drawing()
    {
        viz.attachDecay (processor.getValueTreeState());
        viz.attachWear (processor.getValueTreeState());
        viz.attachFalloff (processor.getValueTreeState());
        viz.attachLength (processor.getValueTreeState());
        viz.setBounds (0, 0, 436, 160);
        viz.setVisible (true);
        viz.getLengthSlider().setVisible (false);
        viz.setTimelineMaxMs (1000.0f);

        state.predelayMs = 0.0f;
        state.lengthMs = 1000.0f;
        state.decayFalloff = 25.0f;
        setTaps ({ { 20.0f, 1.0f }, { 40.0f, 0.8f } });
    }

    void setTaps (std::vector<std::pair<float, float>> timesAndGains)
    {
        TapSet taps;
        taps.count = static_cast<int> (timesAndGains.size());
        for (size_t i = 0; i < timesAndGains.size(); ++i)
            taps.taps[i] = { timesAndGains[i].first, timesAndGains[i].second, 0.0f };
        viz.setTaps (taps);
    }

    juce::Image draw()
    {
        viz.setState (state);
        return uitest::render (viz);
    }

    // x of a time on the one-second timeline.
    static float xOf (float ms) { return 14.0f + ms / 1000.0f * 362.0f; }

    int inkAt (const juce::Image& image, int x, int y)
    {
        return uitest::colourDistance (image.getPixelAt (x, y), Col::bg1);
    }

    MassDelayAudioProcessor processor;
    Viz viz;
    Viz::VisualizerState state;
};
} // namespace

//==============================================================================
// Per-tap quantities.

TEST (TapShading, LevelOpacityIsLinearInDecibelsFromFullDownToAFloor)
{
    struct Case
    {
        float gain, alpha;
    };
    for (const auto& c :
         { Case { 1.0f, 1.0f }, Case { 1.8f, 1.0f }, Case { std::pow (10.0f, -22.5f / 20.0f), 0.59f },
           Case { std::pow (10.0f, -45.0f / 20.0f), 0.18f }, Case { 1.0e-9f, 0.18f }, Case { 0.0f, 0.18f } })
        EXPECT_NEAR (Viz::tapAlphaFromAmp (c.gain), c.alpha, 1.0e-4f) << c.gain;
}

TEST_F (Drawing, TapOpacityStaysInItsRangeAndWornTapsFadeFurther)
{
    viz.setState (state);
    for (const float gain : { 0.0f, 0.01f, 1.0f, 1.8f })
        for (const float pos : { 0.0f, 0.5f, 1.0f })
        {
            const float a = viz.computeTapAlpha (0, 2, pos, gain);
            EXPECT_GE (a, 0.3f) << gain << " at " << pos;
            EXPECT_LE (a, 0.98f) << gain << " at " << pos;
        }

    state.tapeOn = true;
    state.tapeWear = 100.0f;
    viz.setState (state);
    const float worn = viz.computeTapAlpha (63, 64, 1.0f, 1.0f);
    EXPECT_GE (worn, 0.1f - 1.0e-6f);
    EXPECT_LE (worn, 0.24f);
    EXPECT_GT (viz.computeTapAlpha (0, 64, 0.0f, 1.0f), worn) << "the first tap keeps its opacity";
}

TEST_F (Drawing, WearDarkensLaterTapsOnly)
{
    state.tapeWear = 0.0f;
    viz.setState (state);
    for (const int i : { 0, 10, 63 })
        EXPECT_FLOAT_EQ (viz.wearBrightness (i, 64), 1.0f) << "no wear, tap " << i;

    state.tapeWear = 60.0f;
    viz.setState (state);
    EXPECT_FLOAT_EQ (viz.wearBrightness (0, 64), 1.0f);
    float previous = 1.0f;
    for (int i = 1; i < 64; ++i)
    {
        const float b = viz.wearBrightness (i, 64);
        EXPECT_LE (b, previous) << i;
        previous = b;
    }
    EXPECT_LT (previous, 0.05f);
    EXPECT_LT (viz.wearBrightness (4, 8), viz.wearBrightness (4, 64)) << "few taps wear as if spread over 32";
}

TEST_F (Drawing, TapColoursFollowTheActiveEffects)
{
    struct Case
    {
        const char* what;
        std::function<void (Viz::VisualizerState&)> setUp;
        int index, count;
        juce::Colour colour;
    };
    const std::vector<Case> cases {
        { "plain tap yellow", [] (Viz::VisualizerState&) {}, 0, 2, juce::Colour (255, 238, 80) },
        { "tape at full mix, bright: amber",
          [] (Viz::VisualizerState& s) {
              s.tapeOn = true;
              s.tapeMix = 100.0f;
              s.tapeWear = 0.0f;
          },
          0, 2, juce::Colour (255, 180, 60) },
        { "tape at zero mix: plain yellow",
          [] (Viz::VisualizerState& s) {
              s.tapeOn = true;
              s.tapeMix = 0.0f;
          },
          1, 2, juce::Colour (255, 238, 80) },
        { "tape at full mix, the last tap fully worn: brown",
          [] (Viz::VisualizerState& s) {
              s.tapeOn = true;
              s.tapeMix = 100.0f;
              s.tapeWear = 100.0f;
          },
          63, 64, juce::Colour (200, 90, 30) },
        { "Wave with no depth: lavender",
          [] (Viz::VisualizerState& s) {
              s.waveOn = true;
              s.waveDepth = 0.0f;
              s.waveRateHz = 1.0f;
          },
          0, 2, juce::Colour (180, 145, 255) },
        { "Wave at full depth on the square's high half: green",
          [] (Viz::VisualizerState& s) {
              s.waveOn = true;
              s.waveDepth = 100.0f;
              s.waveRateHz = 1.0f;
              s.waveShape = 2;
          },
          0, 2, juce::Colour (100, 240, 180) },
    };
    for (const auto& c : cases)
    {
        auto s = state;
        c.setUp (s);
        state = s;
        viz.setState (state);
        const float pos = static_cast<float> (c.index) / static_cast<float> (std::max (c.count - 1, 1));
        EXPECT_EQ (viz.computeTapColor (c.index, c.count, pos), c.colour) << c.what;
        state = Viz::VisualizerState {};
        state.lengthMs = 1000.0f;
    }

    // Drawn opaque (the alpha boost saturates), the bar shows that colour.
    state.alphaBoost = 10.0f;
    const auto image = draw();
    EXPECT_EQ (image.getPixelAt (juce::roundToInt (xOf (20.0f)), 102), juce::Colour (255, 238, 80));
}

TEST_F (Drawing, TremoloScalesBarsBetweenOneAndOneMinusItsDepth)
{
    state.tremOn = true;
    state.tremRateHz = 1.0f;
    for (const int shape : { 0, 1, 2, 3, 4, 5, 6, 7 })
    {
        state.tremShape = shape;
        for (const float depth : { 0.0f, 40.0f, 100.0f })
        {
            state.tremDepth = depth;
            viz.setState (state);
            float lowest = 2.0f, highest = -1.0f;
            for (int t = 0; t < 4000; t += 5)
            {
                const float m = viz.tremoloHeightMultiplier (static_cast<float> (t), 0);
                lowest = std::min (lowest, m);
                highest = std::max (highest, m);
            }
            EXPECT_GE (lowest, 1.0f - depth / 100.0f - 1.0e-5f) << shape << " " << depth;
            EXPECT_LE (highest, 1.0f + 1.0e-5f) << shape << " " << depth;
            if (depth > 0.0f && shape != 2)
            {
                EXPECT_LT (lowest, highest) << "shape " << shape << " moves";
            }
        }
    }

    // Odd taps take the stereo offset: half a cycle at 180 degrees.
    state.tremShape = 0;
    state.tremDepth = 100.0f;
    state.tremOffsetDeg = 180.0f;
    viz.setState (state);
    for (const float t : { 0.0f, 130.0f, 400.0f })
        EXPECT_NEAR (viz.tremoloHeightMultiplier (t, 1), viz.tremoloHeightMultiplier (t + 500.0f, 0), 1.0e-4f) << t;

    state.tremOn = false;
    viz.setState (state);
    EXPECT_FLOAT_EQ (viz.tremoloHeightMultiplier (250.0f, 0), 1.0f);
}

TEST_F (Drawing, WaveShapesFollowTheirTable)
{
    viz.setState (state);
    constexpr float twoPi = juce::MathConstants<float>::twoPi;
    struct Case
    {
        int shape;
        float phase, value;
    };
    for (const auto& c :
         { Case { 0, 0.25f, 1.0f }, Case { 1, 0.0f, -1.0f }, Case { 1, 0.25f, 0.0f }, Case { 1, 0.5f, 1.0f },
           Case { 2, 0.1f, 1.0f }, Case { 2, 0.6f, -1.0f }, Case { 3, 0.25f, 0.5f }, Case { 4, 0.25f, -0.5f },
           Case { 7, 0.3f, 0.0f }, Case { 1, -0.5f, 1.0f } })
        EXPECT_NEAR (viz.lfoShapeValue (c.phase * twoPi, c.shape, 0.0f), c.value, 1.0e-5f) << c.shape << " " << c.phase;

    // Stepped random holds within a cycle; smooth random glides between steps.
    EXPECT_EQ (viz.lfoShapeValue (0.0f, 5, 3.1f), viz.lfoShapeValue (0.0f, 5, 3.9f));
    EXPECT_NE (viz.lfoShapeValue (0.0f, 5, 3.9f), viz.lfoShapeValue (0.0f, 5, 4.1f));
    EXPECT_NEAR (viz.lfoShapeValue (0.0f, 6, 3.999f), viz.lfoShapeValue (0.0f, 6, 4.0f), 0.01f);
}

TEST_F (Drawing, PingPongMovesEvenTapsUpAndOddTapsDown)
{
    state.pingPongOn = true;
    state.pingPongAmount = 0.1f;
    viz.setState (state);
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (1, 100.0f, 160.0f).centreY, 60.0f) << "0.1 % draws no displacement";
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (1, 100.0f, 160.0f).barHeight, 100.0f);

    state.pingPongAmount = 50.0f;
    viz.setState (state);
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (0, 100.0f, 160.0f).centreY, 40.0f);
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (1, 100.0f, 160.0f).centreY, 80.0f);
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (1, 100.0f, 160.0f).barHeight, 75.0f);
    EXPECT_FLOAT_EQ (viz.computeTapSpatial (1, 2.0f, 160.0f).barHeight, 4.0f) << "never thinner than 4";
}

//==============================================================================
// The picture.

TEST_F (Drawing, WithoutTapsOnlyTheBackgroundGuidesAndLabelsAreDrawn)
{
    setTaps ({});
    const auto empty = draw();
    EXPECT_EQ (uitest::inkBounds (empty.getClippedImage ({ 30, 15, 260, 70 }), Col::bg1, 2), juce::Rectangle<int>())
        << "no bars, curves, handles or lines";
    EXPECT_LT (inkAt (empty, 13, 60), 3) << "no START dot";
    EXPECT_GT (uitest::inkBounds (empty.getClippedImage ({ 24, 92, 180, 14 }), Col::bg1).getWidth(), 60)
        << "the length caption";

    setTaps ({ { 500.0f, 1.0f } });
    const auto one = draw();
    EXPECT_NE (uitest::inkBounds (one.getClippedImage ({ 30, 15, 260, 70 }), Col::bg1, 2), juce::Rectangle<int>());
    EXPECT_GT (inkAt (one, 13, 60), 100) << "the START dot";
}

TEST_F (Drawing, TapBarsStandAtTheirTimesAndFadeWithTheirLevel)
{
    const float quiet = std::pow (10.0f, -45.0f / 20.0f);
    setTaps ({ { 250.0f, 1.0f }, { 500.0f, quiet }, { 1000.0f, 1.0f }, { 1050.0f, 1.0f } });
    const auto image = draw();

    const int loud = inkAt (image, juce::roundToInt (xOf (250.0f)), 102);
    const int faint = inkAt (image, juce::roundToInt (xOf (500.0f)), 102);
    EXPECT_GT (loud, 60);
    EXPECT_GT (faint, 10);
    EXPECT_GT (loud, faint + 30) << "the -45 dB tap is fainter";
    EXPECT_GT (inkAt (image, juce::roundToInt (xOf (1000.0f)) - 1, 102), 10) << "a tap at the timeline's end is drawn";
    EXPECT_LT (inkAt (image, juce::roundToInt (xOf (1050.0f)), 102), 3) << "a tap beyond it is not";
    EXPECT_LT (inkAt (image, juce::roundToInt (xOf (375.0f)), 102), 3) << "nothing between bars";
}

TEST_F (Drawing, CrowdedTapsGetWiderBarsInEitherDirection)
{
    // Gaps of 300 ms, then 40 ms: the crowded taps' bars are half as wide
    // again. The same taps in falling order (a reversed window) widen alike.
    // Opaque bars, so the ink across a bar measures its width.
    state.alphaBoost = 10.0f;
    const auto inkAcross = [this] (const juce::Image& image, float ms) {
        int sum = 0;
        for (int x = juce::roundToInt (xOf (ms)) - 6; x <= juce::roundToInt (xOf (ms)) + 6; ++x)
            sum += inkAt (image, x, 102);
        return sum;
    };

    setTaps ({ { 100.0f, 1.0f }, { 400.0f, 1.0f }, { 700.0f, 1.0f }, { 740.0f, 1.0f }, { 780.0f, 1.0f } });
    const auto forward = draw();
    EXPECT_NEAR (inkAcross (forward, 740.0f), 1.5 * inkAcross (forward, 400.0f), 0.1 * inkAcross (forward, 400.0f));

    setTaps ({ { 780.0f, 1.0f }, { 740.0f, 1.0f }, { 700.0f, 1.0f }, { 400.0f, 1.0f }, { 100.0f, 1.0f } });
    const auto backward = draw();
    EXPECT_NEAR (inkAcross (backward, 740.0f), 1.5 * inkAcross (backward, 400.0f), 0.1 * inkAcross (backward, 400.0f));
}

TEST_F (Drawing, SplitBarsShowTheLeftHalfAboveInBlueAndTheRightHalfBelowInRed)
{
    // Wave offset of 180 degrees at 1 Hz: the halves sit 250 ms either side.
    setTaps ({ { 500.0f, 1.0f } });
    state.alphaBoost = 10.0f;
    state.waveOn = true;
    state.waveRateHz = 1.0f;
    state.waveOffsetDeg = 180.0f;
    const auto image = draw();
    const int left = juce::roundToInt (xOf (750.0f));
    const int right = juce::roundToInt (xOf (250.0f));

    const auto upper = image.getPixelAt (left, 5);
    const auto lower = image.getPixelAt (right, 102);
    EXPECT_LT (uitest::colourDistance (upper, Col::bl), 30) << "left half, upper";
    EXPECT_LT (uitest::colourDistance (lower, juce::Colour (0xffff8080)), 30) << "right half, lower";
    EXPECT_LT (inkAt (image, left, 102), 3) << "nothing below the left half";
    EXPECT_LT (inkAt (image, right, 5), 3) << "nothing above the right half";
    EXPECT_LT (inkAt (image, juce::roundToInt (xOf (500.0f)), 102), 3) << "nothing at the tap's own time";

    // With both offsets only the Wave split is drawn.
    state.tremOn = true;
    state.tremRateHz = 2.0f;
    state.tremOffsetDeg = 90.0f;
    const auto both = draw();
    EXPECT_EQ (both.getPixelAt (left, 5), upper);
    EXPECT_EQ (both.getPixelAt (right, 102), lower);
}

TEST_F (Drawing, TremoloSplitHalvesTakeTheirSidesHeightOnceOverTheWholeBar)
{
    // One tap at 500 ms, the tremolo at 1 Hz, full depth, sides 90 degrees
    // either way: there the left half's LFO is at its peak (x 1), the right
    // half's at its trough (x 0), and the unsplit tap's half way (x 0.5).
    setTaps ({ { 500.0f, 1.0f } });
    state.alphaBoost = 10.0f;
    state.tremOn = true;
    state.tremRateHz = 1.0f;
    state.tremDepth = 100.0f;
    state.tremShape = 0;
    state.tremOffsetDeg = 90.0f;
    viz.setState (state);
    ASSERT_NEAR (viz::mirrorTremMul (state, 500.0f, 1), 1.0f, 1.0e-4f);
    ASSERT_NEAR (viz.tremoloHeightMultiplier (500.0f, 0), 0.5f, 1.0e-4f);

    const auto image = draw();
    // The halves sit a quarter period (125 ms) either side of the tap.
    const int left = juce::roundToInt (xOf (625.0f));
    const float centreY = (160.0f - 40.0f) / 2.0f;
    int blue = 0;
    for (int y = 0; y < static_cast<int> (centreY); ++y)
        blue += uitest::colourDistance (image.getPixelAt (left, y), Col::bl) < 40 ? 1 : 0;
    // The whole bar is 160 high: its left half reaches 80 above the centre,
    // past the top; at half height it would stop 40 above it.
    EXPECT_GE (blue, static_cast<int> (centreY) - 2) << "the left half at its full height";
}

TEST_F (Drawing, TwistGuidesAppearBeyondFivePercentInTheTwistDirectionsColour)
{
    setTaps ({});
    const juce::Rectangle<int> area { 40, 14, 250, 80 };
    const auto warmth = [&] (float twist) {
        state.twist = twist;
        const auto image = draw();
        int inked = 0, red = 0, blue = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x, y);
                if (uitest::colourDistance (c, Col::bg1) > 2)
                {
                    ++inked;
                    red += c.getRed();
                    blue += c.getBlue();
                }
            }
        return std::tuple { inked, red, blue };
    };
    EXPECT_EQ (std::get<0> (warmth (5.0f)), 0);
    EXPECT_EQ (std::get<0> (warmth (-5.0f)), 0);

    const auto [inkedUp, redUp, blueUp] = warmth (100.0f);
    EXPECT_GT (inkedUp, 200);
    EXPECT_GT (redUp, blueUp) << "toward the end: warm";
    const auto [inkedDown, redDown, blueDown] = warmth (-100.0f);
    EXPECT_GT (inkedDown, 200);
    EXPECT_GT (blueDown, redDown) << "toward the start: cool";
}

TEST_F (Drawing, HandlesAndTheStartDotWearHalosForTheirOverlay)
{
    viz.setState (state);
    const auto c = viz.computeCoords();
    const auto decay = viz.decayHandlePos (c);
    const auto start = viz.startHandlePos (c);
    const juce::Point<int> decayRing { juce::roundToInt (decay.x - 6.4f), juce::roundToInt (decay.y - 6.4f) };
    const juce::Point<int> startRing { juce::roundToInt (start.x - 7.0f), juce::roundToInt (start.y) };

    const auto plain = draw();
    EXPECT_LT (
        uitest::colourDistance (plain.getPixelAt (juce::roundToInt (decay.x), juce::roundToInt (decay.y)), Col::bl), 8)
        << "the decay handle";
    EXPECT_LT (uitest::colourDistance (plain.getPixelAt (juce::roundToInt (start.x) - 1, juce::roundToInt (start.y)),
                                       juce::Colour (255, 235, 60)),
               40)
        << "the START dot";
    EXPECT_LT (inkAt (plain, decayRing.x, decayRing.y), 12);
    EXPECT_LT (inkAt (plain, startRing.x, startRing.y), 12);

    state.activeHud = Hud::Decay;
    const auto decayHud = draw();
    EXPECT_GT (inkAt (decayHud, decayRing.x, decayRing.y), 40) << "the decay halo";
    state.activeHud = Hud::Start;
    const auto startHud = draw();
    EXPECT_GT (inkAt (startHud, startRing.x, startRing.y), 40) << "the START halo";
}

TEST_F (Drawing, TheWearHandleCurveAndDriveGlowBelongToTheTapeStage)
{
    state.tapeWear = 50.0f;
    state.tapeIn = 100.0f;
    viz.setState (state);
    const auto wear = viz.wearHandlePos (viz.computeCoords());
    const juce::Point<int> at { juce::roundToInt (wear.x), juce::roundToInt (wear.y) };

    state.tapeOn = false;
    const auto off = draw();
    state.tapeOn = true;
    const auto on = draw();

    EXPECT_GT (uitest::colourDistance (off.getPixelAt (at.x, at.y), Col::wearRust), 60);
    EXPECT_LT (uitest::colourDistance (on.getPixelAt (at.x, at.y), Col::wearRust), 8) << "the wear handle";
    EXPECT_LT (inkAt (off, 200, 1), 3) << "no glow without tape";
    const auto glow = on.getPixelAt (200, 1);
    EXPECT_GT (glow.getRed(), 100) << "full drive glows hot";
    EXPECT_GT (glow.getRed(), 3 * glow.getBlue());

    state.tapeIn = 0.0f;
    const auto mild = draw().getPixelAt (200, 1);
    EXPECT_LT (mild.getRed(), glow.getRed()) << "less drive, a fainter glow";
    EXPECT_GT (mild.getRed(), Col::bg1.getRed() + 10);
}

TEST_F (Drawing, TheFalloffLineBrightensWhileThePointerIsOnIt)
{
    viz.setState (state);
    const auto c = viz.computeCoords();
    const int x = juce::roundToInt (viz.falloffLineX (c));
    const auto handle = viz.decayHandlePos (c);
    ASSERT_LT (handle.y + 22.0f, 96.0f);
    const juce::Rectangle<int> strip { x - 2, juce::roundToInt (handle.y) + 20, 5,
                                       96 - juce::roundToInt (handle.y) - 20 };
    const auto brightness = [&] {
        const auto ink = uitest::strongestInk (draw(), strip, Col::bg1);
        return ink.getRed() + ink.getGreen() + ink.getBlue();
    };

    const int normal = brightness();
    EXPECT_GT (normal, 200) << "the dashed line";
    uitest::Mouse mouse (viz);
    viz.mouseMove (juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(),
                                     { static_cast<float> (x), 90.0f }, {}, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, &viz, &viz,
                                     juce::Time::getCurrentTime(), { static_cast<float> (x), 90.0f },
                                     juce::Time::getCurrentTime(), 0, false));
    ASSERT_TRUE (viz.isFalloffHovered());
    EXPECT_GT (brightness(), normal + 60) << "emphasised";
}

TEST_F (Drawing, ThePredelayMarkerDashesDownFromTheTop)
{
    state.predelayMs = 300.0f;
    state.lengthMs = 700.0f;
    const auto image = draw();
    const int x = juce::roundToInt (xOf (300.0f));
    int inked = 0, blank = 0;
    for (int y = 0; y < 10; ++y)
    {
        const int ink = std::max (inkAt (image, x, y), inkAt (image, x - 1, y));
        (ink > 3 ? inked : blank) += 1;
    }
    EXPECT_GT (inked, 1);
    EXPECT_GT (blank, 1) << "dashes, not a solid line";

    state.predelayMs = 0.0f;
    state.lengthMs = 1000.0f;
    const auto none = draw();
    for (int y = 0; y < 10; ++y)
        EXPECT_LT (std::max (inkAt (none, x, y), inkAt (none, x - 1, y)), 3) << y;
}

TEST_F (Drawing, TheLengthStripDrawsAWhiteThumbAtTheLength)
{
    auto& strip = viz.getLengthSlider();
    strip.setVisible (true);
    const auto image = draw();
    const int thumbX = strip.getX() + juce::roundToInt (strip.getPositionOfValue (strip.getValue()));
    const int thumbY = strip.getY() + strip.getHeight() / 2;
    EXPECT_LT (uitest::colourDistance (image.getPixelAt (thumbX, thumbY), Col::ax), 8);
    EXPECT_LT (uitest::colourDistance (image.getPixelAt (strip.getRight() - 10, thumbY), juce::Colour (0xff16161b)), 12)
        << "the empty track beyond the thumb";
}

// The curves' outlines are kept between paints while their inputs stay: a
// visualizer taken through a change draws what a fresh one shows for the new
// inputs, at 1x and at 2x (where the outlines are remade at the new scale).
TEST_F (Drawing, CurvesFollowEveryChangeExactlyAsAFreshVisualizerDrawsThem)
{
    state.tapeOn = true;
    state.tapeWear = 40.0f;
    draw();
    uitest::renderScaled (viz, 2.0f, juce::Colours::black);

    auto makeFresh = [this] {
        auto fresh = std::make_unique<Viz>();
        fresh->attachDecay (processor.getValueTreeState());
        fresh->attachWear (processor.getValueTreeState());
        fresh->attachFalloff (processor.getValueTreeState());
        fresh->attachLength (processor.getValueTreeState());
        fresh->setBounds (viz.getBounds());
        fresh->setVisible (true);
        fresh->getLengthSlider().setVisible (false);
        fresh->setTimelineMaxMs (viz.getTimelineMaxMs());
        fresh->setTaps (viz.getTaps());
        fresh->setState (state);
        return fresh;
    };
    auto differing = [] (const juce::Image& a, const juce::Image& b) {
        int n = 0;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                n += a.getPixelAt (x, y) != b.getPixelAt (x, y) ? 1 : 0;
        return n;
    };

    struct Change
    {
        const char* what;
        std::function<void()> apply;
    };
    const Change changes[] = {
        { "decay curve", [this] { state.decayCurve = -20.0f; } },
        { "stepped decay", [this] { state.decayMode = 1; } },
        { "wear", [this] { state.tapeWear = 90.0f; } },
        { "falloff", [this] { state.decayFalloff = 70.0f; } },
        { "length and predelay",
          [this] {
              state.lengthMs = 700.0f;
              state.predelayMs = 200.0f;
          } },
        { "decay overlay", [this] { state.activeHud = Hud::Decay; } },
        { "timeline", [this] { viz.setTimelineMaxMs (1400.0f); } },
        { "a single tap",
          [this] {
              setTaps ({ { 300.0f, 0.9f } });
          } },
        { "height", [this] { viz.setBounds (0, 0, 436, 140); } },
    };
    for (const auto& change : changes)
    {
        SCOPED_TRACE (change.what);
        const auto before = uitest::render (viz);
        change.apply();
        const auto changed = draw();
        ASSERT_GT (differing (before, changed), 0) << "the change shows";
        const auto fresh = makeFresh();
        EXPECT_EQ (differing (changed, uitest::render (*fresh)), 0);
        EXPECT_EQ (differing (uitest::renderScaled (viz, 2.0f, juce::Colours::black),
                              uitest::renderScaled (*fresh, 2.0f, juce::Colours::black)),
                   0)
            << "at 2x";
        EXPECT_EQ (differing (uitest::render (viz), changed), 0) << "back at 1x";
    }
}
