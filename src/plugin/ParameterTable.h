#pragma once

#include <array>
#include <string_view>

// Every host parameter in the order the host sees it: ID, display name,
// kind, range, step, skew, default and version hint. The IDs are the keys of
// host projects, saved states and preset files, so they never change.
namespace params
{
enum class Kind
{
    Float,
    Bool,
    Int
};

struct Definition
{
    std::string_view id;
    std::string_view name;
    Kind kind;
    float min;
    float max;
    float defaultValue;
    int version;
    float interval = 0.01f; // floats only
    float skew = 1.0f;      // floats only
    bool symmetricSkew = false;
};

inline constexpr std::array<Definition, 63> table { {
    { "g", "Twist", Kind::Float, -100.0f, 100.0f, 0.0f, 1 },
    { "s", "Start", Kind::Float, 0.0f, 1000.0f, 320.0f, 1 },
    { "e", "End", Kind::Float, 0.0f, 1000.0f, 537.0f, 1 },
    { "fb", "Length", Kind::Float, 0.0f, 1000.0f, 757.0f, 1 },
    { "pd", "Predelay", Kind::Float, 0.0f, 2000.0f, 0.0f, 1 },
    { "fbk", "Feedback", Kind::Float, 0.0f, 100.0f, 0.0f, 1 },
    { "io2x", "In/Out 4x", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { "lk", "Start/End Lock", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { "mu", "Tap Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { "rev", "Reverse", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { "flipped", "Tap Flip", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { "tapCnt", "Tap Count", Kind::Int, 1.0f, 64.0f, 64.0f, 1 },
    { "dcv", "Decay Curve", Kind::Float, -100.0f, 300.0f, 50.63666f, 2 },
    { "dc", "Dynamic Smoothing", Kind::Bool, 0.0f, 1.0f, 1.0f, 2 },
    { "dcMode", "Decay Mode", Kind::Int, 0.0f, 2.0f, 0.0f, 2 },
    { "dcSteps", "Decay Steps", Kind::Int, 1.0f, 16.0f, 4.0f, 2 },
    { "dcFall", "Decay Falloff", Kind::Float, 0.0f, 40.0f, 25.0f, 2 },
    { "hp", "HP", Kind::Float, 0.0f, 1000.0f, 434.59f, 4 },
    { "lp", "LP", Kind::Float, 0.0f, 1000.0f, 656.65f, 4 },
    { "mix", "Dry/Wet", Kind::Float, 0.0f, 100.0f, 80.0f, 5 },
    { "mixByp", "Mix Bypass", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { "mout", "Master", Kind::Float, -60.0f, 6.0f, 0.0f, 5, 0.1f, 2.1766026f },
    { "spread", "Widen", Kind::Float, 0.0f, 15.0f, 7.5f, 5 },
    { "sideOnly", "No Mid", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { "ppOn", "Ping Pong", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { "ppW", "Ping Pong Amount", Kind::Float, 0.0f, 100.0f, 0.0f, 5 },
    { "tp", "Tape", Kind::Bool, 0.0f, 1.0f, 0.0f, 6 },
    { "tOd", "Tape OD Mode", Kind::Bool, 0.0f, 1.0f, 0.0f, 6 },
    { "tBoost", "Tape In", Kind::Float, 0.0f, 100.0f, 0.0f, 6 },
    { "td", "Tape Out", Kind::Float, 0.0f, 100.0f, 50.0f, 6 },
    { "sat", "Tape LPF", Kind::Float, 0.0f, 100.0f, 100.0f, 6 },
    { "flutter", "Tape Flutter", Kind::Float, 0.0f, 100.0f, 0.0f, 6 },
    { "flutSpd", "Tape Flutter Speed", Kind::Float, 0.0f, 100.0f, 50.0f, 6 },
    { "tpWet", "Tape Mix", Kind::Float, 0.0f, 100.0f, 100.0f, 6 },
    { "tDarken", "Tape Wear", Kind::Float, 0.0f, 100.0f, 25.0f, 6, 1.0f, 1.0f },
    { "headBump", "Tape Head Bump", Kind::Float, 0.0f, 100.0f, 20.0f, 6 },
    { "pitchOn", "Pitch/Chorus", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { "pitchSync", "Pitch Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { "pitchWide", "Pitch Wide", Kind::Bool, 0.0f, 1.0f, 1.0f, 7 },
    { "pitch2x", "Pitch 2x", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { "pitchCt", "Pitch", Kind::Float, -50.0f, 50.0f, 0.0f, 7, 0.1f, 0.4f, true },
    { "pitchRt", "Pitch Rate", Kind::Float, 0.0f, 1000.0f, 0.0f, 7 },
    { "pitchDp", "Pitch Depth", Kind::Float, 0.0f, 100.0f, 0.0f, 7, 1.0f, 0.5f },
    { "pitchSh", "Pitch Shape", Kind::Int, 0.0f, 6.0f, 1.0f, 7 },
    { "pitchMix", "Pitch Mix", Kind::Float, 0.0f, 100.0f, 100.0f, 7 },
    { "pitchFbk", "Pitch Regen", Kind::Float, 0.0f, 100.0f, 0.0f, 7 },
    { "pitchGLink", "Pitch Twist Link", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { "pitchWLAmt", "Pitch Twist Cents", Kind::Float, 0.0f, 1200.0f, 30.0f, 7 },
    { "pitchLB", "Length Bend", Kind::Float, -1200.0f, 1200.0f, 0.0f, 7, 100.0f, 0.35f, true },
    { "wo", "Wave", Kind::Bool, 0.0f, 1.0f, 0.0f, 8 },
    { "waveSync", "Wave Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 8 },
    { "lrs", "Wave Rate", Kind::Float, 0.0f, 1000.0f, 523.0f, 8 },
    { "lfoDp", "Wave Density", Kind::Float, 0.0f, 100.0f, 70.0f, 8 },
    { "lsh", "Wave Shape", Kind::Int, 0.0f, 7.0f, 0.0f, 8 },
    { "woPh", "Wave Phase", Kind::Float, -180.0f, 180.0f, 0.0f, 8 },
    { "woOff", "Wave Offset", Kind::Float, -180.0f, 180.0f, 0.0f, 8 },
    { "trem", "Tremolo", Kind::Bool, 0.0f, 1.0f, 0.0f, 9 },
    { "tremSync", "Trem Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 9 },
    { "tremR", "Trem Rate", Kind::Float, 0.0f, 1000.0f, 753.0f, 9 },
    { "tremD", "Trem Depth", Kind::Float, 0.0f, 100.0f, 80.0f, 9 },
    { "tremPh", "Trem Phase", Kind::Float, -180.0f, 180.0f, 0.0f, 9 },
    { "tremOff", "Trem Offset", Kind::Float, -180.0f, 180.0f, 0.0f, 9 },
    { "tremSh", "Trem Shape", Kind::Int, 0.0f, 7.0f, 0.0f, 9 },
} };

// Position of a parameter in the table, or -1.
constexpr int indexOf (std::string_view id)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id)
            return static_cast<int> (i);
    return -1;
}

// Index of a parameter known at compile time; an unknown ID does not compile.
template <std::size_t N>
consteval int idx (const char (&id)[N])
{
    const int i = indexOf (std::string_view (id, N - 1));
    if (i < 0)
        throw "unknown parameter ID";
    return i;
}
} // namespace params
