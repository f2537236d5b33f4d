#include "UiTestSupport.h"

#include "ui/Col.h"
#include "ui/DecayHud.h"
#include "ui/FaderReadoutHud.h"
#include "ui/PitchHud.h"
#include "ui/WearHud.h"

#include <gtest/gtest.h>

namespace
{
using State = VisualizerComponent::VisualizerState;

// The editor's overlay area: the visualizer's 436 x 160 less the 54 px of
// the two strips.
constexpr int areaW = 436;
constexpr int areaH = 106;

const juce::Colour grey { 0xff808080 };
// The readout plate (black at 0.6) over grey.
const juce::Colour plateOnGrey = grey.overlaidWith (juce::Colours::black.withAlpha (0.6f));

// An overlay sized like the editor's, activated and one ramp step in, so it
// draws; rendered over a background.
juce::Image show (HudOverlay& hud, juce::Colour background = juce::Colours::black)
{
    hud.setBounds (0, 0, areaW, areaH);
    hud.setActive (true);
    hud.tick();
    return uitest::render (hud, background);
}

// Pixels of the image that differ from the background at all.
int inkedPixels (const juce::Image& image, juce::Colour background)
{
    return image.getWidth() * image.getHeight() - uitest::countNear (image, image.getBounds(), background, 0);
}

// The horizontal extent of the dark plate (black at 0.6 over grey) along a row.
juce::Range<int> plateSpan (const juce::Image& image, int row)
{
    const auto bounds = uitest::boundsNear (image, { 0, row, image.getWidth(), 1 }, plateOnGrey, 3);
    return { bounds.getX(), bounds.getRight() };
}
} // namespace

//==============================================================================
// Activation and the visibility ramp.

TEST (HudRamp, AnActivatedOverlayIsVisibleAtOnceAndDrawsFromTheFirstStep)
{
    FaderReadoutHud hud;
    hud.title = "MIX";
    hud.value = "80%";
    hud.setBounds (0, 0, areaW, areaH);
    EXPECT_FALSE (hud.isVisible());

    hud.setActive (true);
    EXPECT_TRUE (hud.isVisible());
    EXPECT_TRUE (hud.isRamping());
    EXPECT_EQ (inkedPixels (uitest::render (hud, grey), grey), 0) << "level 0 draws nothing";

    hud.tick();
    EXPECT_GT (inkedPixels (uitest::render (hud, grey), grey), 1000) << "drawn at full strength from the first step";

    for (int i = 1; i < 12; ++i)
        hud.tick();
    EXPECT_FLOAT_EQ (hud.getLevel(), 1.0f) << "12 steps, 200 ms at 60 Hz";
    EXPECT_TRUE (hud.isRamping());
    hud.tick();
    EXPECT_FALSE (hud.isRamping()) << "the timer stops once the level is reached";
    EXPECT_TRUE (hud.isVisible());

    hud.setActive (true);
    EXPECT_FALSE (hud.isRamping()) << "the same choice again starts nothing";
}

TEST (HudRamp, ADeactivatedOverlayStaysDrawnForTheRampThenHides)
{
    FaderReadoutHud hud;
    hud.value = "80%";
    show (hud);
    for (int i = 0; i < 12; ++i)
        hud.tick();

    hud.setActive (false);
    for (int i = 0; i < 11; ++i)
    {
        hud.tick();
        ASSERT_TRUE (hud.isVisible());
        ASSERT_GT (inkedPixels (uitest::render (hud, grey), grey), 1000) << "not faded, only delayed: step " << i;
    }
    hud.tick();
    EXPECT_FLOAT_EQ (hud.getLevel(), 0.0f);
    EXPECT_EQ (inkedPixels (uitest::render (hud, grey), grey), 0);
    hud.tick();
    EXPECT_FALSE (hud.isVisible());
    EXPECT_FALSE (hud.isRamping());
}

TEST (HudRamp, ReactivatingDuringTheRampDownTurnsItAroundWithoutHiding)
{
    FaderReadoutHud hud;
    show (hud);
    for (int i = 0; i < 12; ++i)
        hud.tick();

    hud.setActive (false);
    for (int i = 0; i < 5; ++i)
        hud.tick();
    hud.setActive (true);
    for (int i = 0; i < 20; ++i)
    {
        hud.tick();
        ASSERT_TRUE (hud.isVisible());
        ASSERT_GT (hud.getLevel(), 0.0f);
    }
    EXPECT_FLOAT_EQ (hud.getLevel(), 1.0f);
}

//==============================================================================
// The title/value plate.

TEST (StatPlate, ThePlateReachesTwelvePixelsBeyondTheWiderTextAndSpansTitleToValue)
{
    struct Case
    {
        const char* title;
        const char* value;
    };
    for (const auto& c :
         { Case { "MASTER", "-12.5 dB" }, Case { "A MUCH LONGER TITLE THAN VALUE", "1%" }, Case { "", "2.35 s" } })
    {
        SCOPED_TRACE (juce::String (c.title) + " / " + c.value);
        FaderReadoutHud hud;
        hud.title = c.title;
        hud.value = c.value;
        const auto image = show (hud, grey);

        // Title box from 0.3 h = 31.8, value box from 31.8 + 0.18 h = 50.88,
        // 0.32 h = 33.92 high: the plate runs from 26.8 down to 89.8, and
        // row 48 lies between the two texts.
        const auto span = plateSpan (image, 48);
        // Glyphs keep a pixel or two of side bearing inside their advance.
        // Ink is measured inside the plate only: the grey around it differs
        // from the plate as much as the text does.
        const int inside = span.getStart() + 2, insideW = span.getLength() - 4;
        const auto titleInk = uitest::inkBounds (image.getClippedImage ({ inside, 31, insideW, 14 }), plateOnGrey, 60)
                                  .translated (inside, 0);
        const auto valueInk = uitest::inkBounds (image.getClippedImage ({ inside, 50, insideW, 33 }), plateOnGrey, 60)
                                  .translated (inside, 0);
        const int textLeft = titleInk.isEmpty() ? valueInk.getX() : std::min (titleInk.getX(), valueInk.getX());
        const int textRight =
            titleInk.isEmpty() ? valueInk.getRight() : std::max (titleInk.getRight(), valueInk.getRight());
        EXPECT_NEAR (span.getStart(), textLeft - 12, 3);
        EXPECT_NEAR (span.getEnd(), textRight + 12, 3);
        EXPECT_NEAR ((span.getStart() + span.getEnd()) / 2.0, areaW / 2.0, 1.0) << "centred";

        const auto column = uitest::boundsNear (image, { span.getStart() + 6, 0, 1, areaH }, plateOnGrey, 3);
        EXPECT_NEAR (column.getY(), 27, 1);
        EXPECT_NEAR (column.getBottom(), 90, 1);
    }
}

TEST (StatPlate, TheReadoutTitleIsCoralAndItsValueBright)
{
    FaderReadoutHud hud;
    hud.title = "FALLOFF";
    hud.value = "12.3%";
    const auto image = show (hud);
    const auto plate = juce::Colours::black;
    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 0, 32, areaW, 14 }, plate), Col::co), 40);
    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, { 0, 51, areaW, 33 }, plate), Col::t0), 40);
}

//==============================================================================
// The decay and wear captions.

TEST (DecayHud, TheCaptionKeepsClearOfTheHandle)
{
    struct Case
    {
        float handleY;
        float top, centreX; // block top and centre of the boxes
    };
    // Upper handle: top 0.52 h, shifted left by 0.12 w; otherwise top 0.10 h,
    // shifted right. 0.5 itself counts as lower.
    for (const auto& c : { Case { 0.3f, 0.52f * areaH, 0.38f * areaW }, Case { 0.5f, 0.10f * areaH, 0.62f * areaW },
                           Case { 0.9f, 0.10f * areaH, 0.62f * areaW } })
    {
        SCOPED_TRACE (c.handleY);
        DecayHud hud;
        hud.state.decayHandleY = c.handleY;
        const auto image = show (hud);
        const auto title = uitest::boundsNear (image, image.getBounds(), Col::bl, 40);
        ASSERT_FALSE (title.isEmpty());
        EXPECT_NEAR (title.getCentreX(), c.centreX, 3.0);
        EXPECT_NEAR (title.getCentreY(), c.top + 0.08f * areaH, 3.0) << "centred in a box 0.16 h high";
        const auto lines = uitest::boundsNear (image, image.getBounds(), Col::t2, 40);
        EXPECT_GT (lines.getY(), title.getBottom()) << "tail and fade lines below the title";
        EXPECT_LT (lines.getBottom(), c.top + 0.44f * areaH + 1.0f);
    }
}

TEST (DecayHud, TailLevelAndFadeTexts)
{
    // The level is -m dB with m = 20 - 14 v above a straight curve and
    // 20 - 25 v below it, v = curve / 140.
    struct TailCase
    {
        float curve;
        const char* text;
    };
    for (const auto& c : { TailCase { 0.0f, "-20.0 dB tail" }, TailCase { -140.0f, "-45.0 dB tail" },
                           TailCase { 140.0f, "-6.0 dB tail" }, TailCase { -70.0f, "-32.5 dB tail" },
                           TailCase { 70.0f, "-13.0 dB tail" } })
        EXPECT_EQ (DecayHud::tailText (c.curve), c.text) << c.curve;

    struct FadeCase
    {
        float falloff;
        const char* text;
    };
    for (const auto& c :
         { FadeCase { 0.0f, "fade off" }, FadeCase { -1.0f, "fade off" }, FadeCase { 40.0f, "40% fade" },
           FadeCase { 12.5f, "12.5% fade" }, FadeCase { 25.0f, "25% fade" }, FadeCase { 0.1f, "0.1% fade" } })
        EXPECT_EQ (DecayHud::fadeText (c.falloff), c.text) << c.falloff;
}

TEST (WearHud, TheCaptionSitsLowForAnUpperHandleAndShowsWholePercentsOrByp)
{
    const auto rust = Col::wearRust.brighter (0.9f);
    struct Case
    {
        float handleY, top;
    };
    for (const auto& c : { Case { 0.2f, 0.74f * areaH }, Case { 0.5f, 0.10f * areaH } })
    {
        WearHud hud;
        hud.state.wearHandleY = c.handleY;
        const auto image = show (hud);
        const auto ink = uitest::boundsNear (image, image.getBounds(), rust, 40);
        EXPECT_NEAR (ink.getCentreX(), areaW / 2.0, 3.0) << "no shift";
        EXPECT_GT (ink.getY(), c.top - 1.0f);
        EXPECT_LT (ink.getY(), c.top + 0.08f * areaH) << c.handleY;
    }

    EXPECT_EQ (WearHud::valueText (0.0f), "BYP");
    EXPECT_EQ (WearHud::valueText (37.9f), "37%");
    EXPECT_EQ (WearHud::valueText (100.0f), "100%");
}

//==============================================================================
// The pitch plate.

TEST (PitchHud, TitleValueAndUnderlineFollowTheTouchedControl)
{
    struct Case
    {
        const char* id;
        bool doubled;
        const char* title;
        const char* value;
        const char* underline;
    };
    State s;
    s.pitchRateHz = 0.8f;
    s.pitchDepth = 50.0f;
    s.pitchRegen = 33.5f;
    s.pitchMix = 40.0f;
    for (const auto& c : { Case { "pitchRt", false, "PITCH LFO", "RATE  0.80 Hz", "RATE" },
                           Case { "pitchRt", true, "PITCH LFO", "RATE  1.60 Hz", "RATE" },
                           Case { "pitchDp", true, "PITCH LFO", "DEPTH  100%", "DEPTH" },
                           Case { "pitchFbk", false, "PITCH REGEN", "34%", "" },
                           Case { "pitchMix", true, "PITCH SHIFT", "40% WET", "" } })
    {
        s.touchedParamId = c.id;
        s.pitch2x = c.doubled;
        const auto texts = PitchHud::textsFor (s);
        EXPECT_EQ (texts.title, c.title) << c.id;
        EXPECT_EQ (texts.value, c.value) << c.id;
        EXPECT_EQ (texts.underlinePrefix, c.underline) << c.id;
    }

    struct CentsCase
    {
        float cents;
        bool doubled;
        const char* value;
    };
    s.touchedParamId = "pitchCt";
    for (const auto& c : { CentsCase { -50.0f, true, "-100.0 CENTS" }, CentsCase { 0.0f, false, "0.0 CENTS" },
                           CentsCase { 12.5f, false, "+12.5 CENTS" }, CentsCase { -0.3f, false, "-0.3 CENTS" } })
    {
        s.pitchCents = c.cents;
        s.pitch2x = c.doubled;
        EXPECT_EQ (PitchHud::textsFor (s).title, "PITCH SHIFT");
        EXPECT_EQ (PitchHud::textsFor (s).value, c.value) << c.cents;
    }

    for (const char* other : { "", "tpWet", "pitchSh" })
    {
        s.touchedParamId = other;
        EXPECT_TRUE (PitchHud::textsFor (s).title.isEmpty()) << other;
    }
}

TEST (PitchHud, ThePlateKeepsOneWidthAndAnUnknownControlDrawsNothing)
{
    auto spanFor = [] (const char* id) {
        PitchHud hud;
        hud.state.touchedParamId = id;
        hud.state.pitchRegen = 5.0f;
        // The plate runs from 0.3 h - 5 = 26.8; row 28 is above both texts.
        return plateSpan (show (hud, grey), 28);
    };
    const auto regen = spanFor ("pitchFbk");
    const auto rate = spanFor ("pitchRt");
    EXPECT_GT (regen.getLength(), 100);
    EXPECT_EQ (regen, rate) << "one width for every pitch control";

    PitchHud idle;
    idle.state.touchedParamId = "";
    const auto image = show (idle, grey);
    EXPECT_TRUE (idle.isActive());
    EXPECT_EQ (inkedPixels (image, grey), 0);
}

TEST (PitchHud, OnlyRateAndDepthUnderlineTheirLeadingWord)
{
    // The longest run of blue pixels along any row of the value: the
    // underline is one solid stroke as long as the word, letters are not.
    auto longestRun = [] (const char* id) {
        PitchHud hud;
        hud.state.touchedParamId = id;
        hud.state.pitchCents = -25.0f;
        hud.state.pitchDepth = 50.0f;
        const auto image = show (hud);
        int longest = 0;
        for (int y = 42; y < 80; ++y)
        {
            int run = 0;
            for (int x = 0; x < areaW; ++x)
            {
                run = uitest::colourDistance (image.getPixelAt (x, y), Col::bl) <= 60 ? run + 1 : 0;
                longest = std::max (longest, run);
            }
        }
        return longest;
    };
    const float rateWord = HudOverlay::boldMono (16.0f).getStringWidthFloat ("RATE");
    EXPECT_NEAR (longestRun ("pitchRt"), rateWord, 3.0f);
    EXPECT_NEAR (longestRun ("pitchDp"), HudOverlay::boldMono (16.0f).getStringWidthFloat ("DEPTH"), 3.0f);
    EXPECT_LT (longestRun ("pitchCt"), rateWord / 2.0f);
}
