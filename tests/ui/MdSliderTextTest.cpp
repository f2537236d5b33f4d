#include "UiTestSupport.h"

#include "support/CaseName.h"
#include "ui/MdSlider.h"

#include <gtest/gtest.h>

#include <cmath>

using Kind = MdSlider::Kind;

namespace
{
// Sets the shared tempo for one test and restores "unknown" afterwards.
struct ScopedTempo
{
    explicit ScopedTempo (float bpm) { MdSlider::hostBpm = bpm; }
    ~ScopedTempo() { MdSlider::hostBpm = 0.0f; }
};

struct SliderSetup
{
    float displayScale = 1.0f;
    bool syncMode = false;
    bool phaseMode = false;
    float bpm = 0.0f;

    void applyTo (MdSlider& s) const
    {
        s.displayScale = displayScale;
        s.syncMode = syncMode;
        s.phaseMode = phaseMode;
    }
};
} // namespace

//==============================================================================
struct TextCase
{
    const char* what;
    Kind kind;
    double raw;
    const char* expected;
    SliderSetup setup = {};
};

class MdSliderText : public ::testing::TestWithParam<TextCase>
{};

TEST_P (MdSliderText, ShowsTheValueAsText)
{
    const auto& c = GetParam();
    MdSlider slider (c.kind);
    c.setup.applyTo (slider);
    ScopedTempo tempo (c.setup.bpm);
    EXPECT_EQ (slider.getTextFromValue (c.raw), juce::String (c.expected));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Kinds, MdSliderText,
    ::testing::Values (
        TextCase { "Ms truncates", Kind::Ms, 250.7, "250 ms" },
        TextCase { "Hz two decimals", Kind::Hz, 2.5, "2.50 Hz" },
        TextCase { "PercentPlain truncates", Kind::PercentPlain, 42.9, "42%" },
        TextCase { "Percent scaled", Kind::Percent, 0.42, "42%", { 100.0f } },
        TextCase { "Integer truncates", Kind::Integer, 7.9, "7" },
        TextCase { "Decimal two decimals", Kind::Decimal, 0.5, "0.50" },
        TextCase { "LengthExp bottom 10 ms", Kind::LengthExp, 0.0, "10 ms" },
        TextCase { "LengthExp middle", Kind::LengthExp, 500.0, "374 ms" },
        TextCase { "LengthExp top 14 s", Kind::LengthExp, 1000.0, "14.00 s" },
        TextCase { "DelayTime bottom 1 ms", Kind::DelayTime, 0.0, "1 ms" },
        TextCase { "DelayTime half of lower segment", Kind::DelayTime, 325.0, "32 ms" },
        TextCase { "DelayTime knee 1 s", Kind::DelayTime, 650.0, "1.00 s" },
        TextCase { "DelayTime top 2 s", Kind::DelayTime, 1000.0, "2.00 s" },
        TextCase { "DelayTime scaled by half", Kind::DelayTime, 1000.0, "1.00 s", { 0.5f } },
        TextCase { "LfoRate middle", Kind::LfoRate, 500.0, "1.1 Hz" },
        TextCase { "LfoRate top 8 Hz", Kind::LfoRate, 1000.0, "8.0 Hz" },
        TextCase { "Curve bottom", Kind::Curve, 0.0, "-100" },
        TextCase { "Curve quarter", Kind::Curve, 50.0, "-71" },
        TextCase { "Curve centre", Kind::Curve, 100.0, "0" },
        TextCase { "Curve top of cosine", Kind::Curve, 200.0, "+100" },
        TextCase { "Curve beyond 200", Kind::Curve, 250.0, "+112" },
        TextCase { "Curve end 300", Kind::Curve, 300.0, "+140" },
        TextCase { "Curve below 0", Kind::Curve, -100.0, "-140" },
        TextCase { "Cents one decimal", Kind::Cents, 12.34, "12.3c" },
        TextCase { "Cents scaled", Kind::Cents, 0.25, "25.0c", { 100.0f } },
        TextCase { "SlowRate zero", Kind::SlowRate, 0.0, "0.00 Hz" },
        TextCase { "SlowRate middle", Kind::SlowRate, 500.0, "0.80 Hz" },
        TextCase { "SlowRate top", Kind::SlowRate, 1000.0, "8.00 Hz" },
        TextCase { "SlowRate scaled", Kind::SlowRate, 1000.0, "16.00 Hz", { 2.0f } },
        TextCase { "Decibels top", Kind::Decibels, 100.0, "6.0 dB" },
        TextCase { "Decibels half", Kind::Decibels, 50.0, "3.0 dB" },
        TextCase { "Width MONO", Kind::Width, 0.0, "MONO" },
        TextCase { "Width narrowest number", Kind::Width, 0.05, "-99" },
        TextCase { "Width minus 50", Kind::Width, 3.75, "-50" },
        TextCase { "Width centre", Kind::Width, 7.5, "0" },
        TextCase { "Width plus 50", Kind::Width, 11.25, "+50" },
        TextCase { "Width WIDEST", Kind::Width, 15.0, "WIDEST" },
        // Tempo-synced texts.
        TextCase { "DelayTime sync without tempo is empty", Kind::DelayTime, 500.0, "", { 1.0f, true, false, 0.0f } },
        TextCase { "DelayTime sync top is 4b", Kind::DelayTime, 1000.0, "4b", { 1.0f, true, false, 120.0f } },
        TextCase { "DelayTime sync bottom is 1 128", Kind::DelayTime, 0.0, "1/128", { 1.0f, true, false, 120.0f } },
        TextCase { "DelayTime sync middle", Kind::DelayTime, 500.0, "1/8T", { 1.0f, true, false, 120.0f } },
        TextCase { "LfoRate sync bottom is 4b", Kind::LfoRate, 0.0, "4b", { 1.0f, true, false, 120.0f } },
        TextCase { "LfoRate sync top is 1 128", Kind::LfoRate, 1000.0, "1/128", { 1.0f, true, false, 120.0f } },
        TextCase { "LfoRate sync quarter", Kind::LfoRate, 5000.0 / 12.0, "1/4", { 1.0f, true, false, 90.0f } },
        TextCase { "SlowRate sync middle", Kind::SlowRate, 500.0, "1/8T", { 1.0f, true, false, 120.0f } },
        TextCase { "Sync off ignores tempo", Kind::DelayTime, 650.0, "1.00 s", { 1.0f, false, false, 120.0f } },
        // Beat offsets.
        TextCase { "Phase 0 on beat", Kind::Integer, 0.0, "on beat", { 1.0f, true, true } },
        TextCase { "Phase 45", Kind::Integer, 45.0, "1/8", { 1.0f, true, true } },
        TextCase { "Phase 90", Kind::Integer, 90.0, "1/4", { 1.0f, true, true } },
        TextCase { "Phase 135", Kind::Integer, 135.0, "3/8", { 1.0f, true, true } },
        TextCase { "Phase 180", Kind::Integer, 180.0, "1/2 off", { 1.0f, true, true } },
        TextCase { "Phase beyond 180", Kind::Integer, 300.0, "1/2 off", { 1.0f, true, true } },
        TextCase { "Phase negative", Kind::Integer, -45.0, "1/8", { 1.0f, true, true } },
        TextCase { "Phase needs sync mode", Kind::Integer, 45.0, "45", { 1.0f, false, true } }),
    testsupport::NameFromWhat());
// clang-format on

TEST (MdSliderFormatSmartMs, SwitchesToSecondsAtOneSecond)
{
    EXPECT_EQ (MdSlider::formatSmartMs (999.0), "999 ms");
    EXPECT_EQ (MdSlider::formatSmartMs (1000.0), "1.00 s");
    EXPECT_EQ (MdSlider::formatSmartMs (1500.0), "1.50 s");
    EXPECT_EQ (MdSlider::formatSmartMs (-5.0), "0 ms");
}

//==============================================================================
struct ParseCase
{
    const char* what;
    Kind kind;
    const char* typed;
    double expected;
    double tolerance = 1.0e-9;
    float displayScale = 1.0f;
};

class MdSliderParse : public ::testing::TestWithParam<ParseCase>
{};

TEST_P (MdSliderParse, ReadsTypedText)
{
    const auto& c = GetParam();
    MdSlider slider (c.kind);
    slider.displayScale = c.displayScale;
    EXPECT_NEAR (slider.getValueFromText (c.typed), c.expected, c.tolerance);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (
    Kinds, MdSliderParse,
    ::testing::Values (
        ParseCase { "Ms with unit", Kind::Ms, "250ms", 250.0 },
        ParseCase { "Ms with upper unit and space", Kind::Ms, "250 MS", 250.0 },
        ParseCase { "Ms mixed case unit", Kind::Ms, " 250 Ms ", 250.0 },
        ParseCase { "Ms bare number", Kind::Ms, "250", 250.0 },
        ParseCase { "Ms fraction with unit", Kind::Ms, "1.5 ms", 1.5 },
        ParseCase { "Ms seconds converted", Kind::Ms, "1.5 s", 1500.0 },
        ParseCase { "Ms seconds without space", Kind::Ms, "2s", 2000.0 },
        ParseCase { "Ms junk reads as zero", Kind::Ms, "abc", 0.0 },
        ParseCase { "Hz with unit", Kind::Hz, "2.5 Hz", 2.5 },
        ParseCase { "Hz seconds suffix not converted", Kind::Hz, "3 s", 3.0 },
        ParseCase { "Percent with spaced sign", Kind::Percent, "12 %", 12.0 },
        ParseCase { "PercentPlain with sign", Kind::PercentPlain, "12%", 12.0 },
        ParseCase { "Percent seconds suffix not converted", Kind::Percent, "5 s", 5.0 },
        ParseCase { "Integer bare", Kind::Integer, "17", 17.0 },
        ParseCase { "Decimal bare", Kind::Decimal, "0.25", 0.25 },
        ParseCase { "Cents ct", Kind::Cents, "12 ct", 12.0 },
        ParseCase { "Cents CT", Kind::Cents, "-7CT", -7.0 },
        ParseCase { "Cents c", Kind::Cents, "12c", 12.0 },
        ParseCase { "Decibels dB", Kind::Decibels, "3 dB", 50.0 },
        ParseCase { "Decibels db", Kind::Decibels, "3db", 50.0 },
        ParseCase { "Decibels clamped high", Kind::Decibels, "9 DB", 100.0 },
        ParseCase { "Decibels clamped low", Kind::Decibels, "-1", 0.0 },
        ParseCase { "LengthExp bottom", Kind::LengthExp, "10", 0.0 },
        ParseCase { "LengthExp below bottom", Kind::LengthExp, "5 ms", 0.0 },
        ParseCase { "LengthExp middle", Kind::LengthExp, "374", 500.0 },
        ParseCase { "LengthExp top", Kind::LengthExp, "14000ms", 1000.0 },
        ParseCase { "LengthExp seconds converted", Kind::LengthExp, "14 s", 1000.0 },
        ParseCase { "DelayTime zero", Kind::DelayTime, "0", 0.0 },
        ParseCase { "DelayTime lower segment", Kind::DelayTime, "32", 326.0 },
        ParseCase { "DelayTime knee", Kind::DelayTime, "1000", 650.0 },
        ParseCase { "DelayTime upper segment ms", Kind::DelayTime, "2000 ms", 1000.0 },
        ParseCase { "DelayTime clamped", Kind::DelayTime, "5000", 1000.0 },
        ParseCase { "DelayTime one second", Kind::DelayTime, "1 s", 650.0 },
        ParseCase { "DelayTime one and a half seconds", Kind::DelayTime, "1.5 s", 855.0 },
        ParseCase { "DelayTime scale divided out", Kind::DelayTime, "1000", 1000.0, 1.0e-9, 0.5f },
        ParseCase { "LfoRate top", Kind::LfoRate, "8 Hz", 1000.0 },
        ParseCase { "LfoRate middle", Kind::LfoRate, "1.1Hz", 501.0 },
        ParseCase { "LfoRate below bottom", Kind::LfoRate, "0.01", 0.0 },
        ParseCase { "Curve centre", Kind::Curve, "0", 100.0, 1.0e-9 },
        ParseCase { "Curve bottom", Kind::Curve, "-100", 0.0, 1.0e-9 },
        ParseCase { "Curve top of cosine", Kind::Curve, "+100", 200.0, 1.0e-9 },
        ParseCase { "Curve 120", Kind::Curve, "120", 266.6667, 1.0e-3 },
        ParseCase { "Curve minus 120", Kind::Curve, "-120", -66.6667, 1.0e-3 },
        ParseCase { "Curve clamped at 140", Kind::Curve, "200", 300.0, 1.0e-9 },
        ParseCase { "Curve clamped at minus 140", Kind::Curve, "-500", -100.0, 1.0e-9 },
        ParseCase { "SlowRate top", Kind::SlowRate, "8 Hz", 1000.0 },
        ParseCase { "SlowRate middle", Kind::SlowRate, "0.8", 500.0 },
        ParseCase { "SlowRate zero", Kind::SlowRate, "0", 0.0 },
        ParseCase { "SlowRate scale not divided out", Kind::SlowRate, "8", 1000.0, 1.0e-9, 2.0f },
        ParseCase { "Width mono lower case", Kind::Width, "mono", 0.0 },
        ParseCase { "Width widest padded", Kind::Width, " widest ", 15.0 },
        ParseCase { "Width plus 50", Kind::Width, "+50", 11.25 },
        ParseCase { "Width zero", Kind::Width, "0", 7.5 },
        ParseCase { "Width clamped low", Kind::Width, "-150", 0.0 },
        ParseCase { "Width clamped high", Kind::Width, "200", 15.0 }),
    testsupport::NameFromWhat());
// clang-format on

// Every kind's text, read back, lands on the same value (for values that the
// text shows exactly).
TEST (MdSliderParse, ShownTextReadsBackToTheValue)
{
    struct RoundTrip
    {
        Kind kind;
        double raw;
    };
    for (const auto& c :
         { RoundTrip { Kind::Ms, 250.0 }, RoundTrip { Kind::Hz, 2.5 }, RoundTrip { Kind::Percent, 12.0 },
           RoundTrip { Kind::Decibels, 50.0 }, RoundTrip { Kind::LengthExp, 1000.0 },
           RoundTrip { Kind::DelayTime, 1000.0 }, RoundTrip { Kind::DelayTime, 650.0 },
           RoundTrip { Kind::Curve, 300.0 }, RoundTrip { Kind::Width, 0.0 }, RoundTrip { Kind::Width, 15.0 },
           RoundTrip { Kind::Width, 11.25 }, RoundTrip { Kind::SlowRate, 1000.0 }, RoundTrip { Kind::Cents, 12.5 } })
    {
        MdSlider slider (c.kind);
        const auto text = slider.getTextFromValue (c.raw);
        EXPECT_NEAR (slider.getValueFromText (text), c.raw, 1.0e-6) << text;
    }
}
