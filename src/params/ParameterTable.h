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

// The parameter IDs by what they control, for use in code.
namespace id
{
inline constexpr const char* twist = "g";
inline constexpr const char* start = "s";
inline constexpr const char* end = "e";
inline constexpr const char* length = "fb";
inline constexpr const char* predelay = "pd";
inline constexpr const char* feedback = "fbk";
inline constexpr const char* times4 = "io2x";
inline constexpr const char* startEndLock = "lk";
inline constexpr const char* tapSync = "mu";
inline constexpr const char* reverse = "rev";
inline constexpr const char* tapFlip = "flipped";
inline constexpr const char* tapCount = "tapCnt";
inline constexpr const char* decayCurve = "dcv";
inline constexpr const char* dynamicSmoothing = "dc";
inline constexpr const char* decayMode = "dcMode";
inline constexpr const char* decaySteps = "dcSteps";
inline constexpr const char* decayFalloff = "dcFall";
inline constexpr const char* highPass = "hp";
inline constexpr const char* lowPass = "lp";
inline constexpr const char* mix = "mix";
inline constexpr const char* mixBypass = "mixByp";
inline constexpr const char* master = "mout";
inline constexpr const char* widen = "spread";
inline constexpr const char* noMid = "sideOnly";
inline constexpr const char* pingPong = "ppOn";
inline constexpr const char* pingPongAmount = "ppW";
inline constexpr const char* tape = "tp";
inline constexpr const char* tapeOd = "tOd";
inline constexpr const char* tapeIn = "tBoost";
inline constexpr const char* tapeOut = "td";
inline constexpr const char* tapeLpf = "sat";
inline constexpr const char* tapeFlutter = "flutter";
inline constexpr const char* tapeFlutterSpeed = "flutSpd";
inline constexpr const char* tapeMix = "tpWet";
inline constexpr const char* tapeWear = "tDarken";
inline constexpr const char* tapeHeadBump = "headBump";
inline constexpr const char* pitch = "pitchOn";
inline constexpr const char* pitchSync = "pitchSync";
inline constexpr const char* pitchWide = "pitchWide";
inline constexpr const char* pitch2x = "pitch2x";
inline constexpr const char* pitchCents = "pitchCt";
inline constexpr const char* pitchRate = "pitchRt";
inline constexpr const char* pitchDepth = "pitchDp";
inline constexpr const char* pitchShape = "pitchSh";
inline constexpr const char* pitchMix = "pitchMix";
inline constexpr const char* pitchRegen = "pitchFbk";
inline constexpr const char* pitchTwistLink = "pitchGLink";
inline constexpr const char* pitchTwistCents = "pitchWLAmt";
inline constexpr const char* lengthBend = "pitchLB";
inline constexpr const char* wave = "wo";
inline constexpr const char* waveSync = "waveSync";
inline constexpr const char* waveRate = "lrs";
inline constexpr const char* waveDensity = "lfoDp";
inline constexpr const char* waveShape = "lsh";
inline constexpr const char* wavePhase = "woPh";
inline constexpr const char* waveOffset = "woOff";
inline constexpr const char* tremolo = "trem";
inline constexpr const char* tremSync = "tremSync";
inline constexpr const char* tremRate = "tremR";
inline constexpr const char* tremDepth = "tremD";
inline constexpr const char* tremPhase = "tremPh";
inline constexpr const char* tremOffset = "tremOff";
inline constexpr const char* tremShape = "tremSh";
} // namespace id

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
    { id::twist, "Twist", Kind::Float, -100.0f, 100.0f, 0.0f, 1 },
    { id::start, "Start", Kind::Float, 0.0f, 1000.0f, 320.0f, 1 },
    { id::end, "End", Kind::Float, 0.0f, 1000.0f, 537.0f, 1 },
    { id::length, "Length", Kind::Float, 0.0f, 1000.0f, 757.0f, 1 },
    { id::predelay, "Predelay", Kind::Float, 0.0f, 2000.0f, 0.0f, 1 },
    { id::feedback, "Feedback", Kind::Float, 0.0f, 100.0f, 0.0f, 1 },
    { id::times4, "In/Out 4x", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { id::startEndLock, "Start/End Lock", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { id::tapSync, "Tap Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { id::reverse, "Reverse", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { id::tapFlip, "Tap Flip", Kind::Bool, 0.0f, 1.0f, 0.0f, 1 },
    { id::tapCount, "Tap Count", Kind::Int, 1.0f, 64.0f, 64.0f, 1 },
    { id::decayCurve, "Decay Curve", Kind::Float, -100.0f, 300.0f, 50.63666f, 2 },
    { id::dynamicSmoothing, "Dynamic Smoothing", Kind::Bool, 0.0f, 1.0f, 1.0f, 2 },
    { id::decayMode, "Decay Mode", Kind::Int, 0.0f, 2.0f, 0.0f, 2 },
    { id::decaySteps, "Decay Steps", Kind::Int, 1.0f, 16.0f, 4.0f, 2 },
    { id::decayFalloff, "Decay Falloff", Kind::Float, 0.0f, 40.0f, 25.0f, 2 },
    { id::highPass, "HP", Kind::Float, 0.0f, 1000.0f, 434.59f, 4 },
    { id::lowPass, "LP", Kind::Float, 0.0f, 1000.0f, 656.65f, 4 },
    { id::mix, "Dry/Wet", Kind::Float, 0.0f, 100.0f, 80.0f, 5 },
    { id::mixBypass, "Mix Bypass", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { id::master, "Master", Kind::Float, -60.0f, 6.0f, 0.0f, 5, 0.1f, 2.1766026f },
    { id::widen, "Widen", Kind::Float, 0.0f, 15.0f, 7.5f, 5 },
    { id::noMid, "No Mid", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { id::pingPong, "Ping Pong", Kind::Bool, 0.0f, 1.0f, 0.0f, 5 },
    { id::pingPongAmount, "Ping Pong Amount", Kind::Float, 0.0f, 100.0f, 0.0f, 5 },
    { id::tape, "Tape", Kind::Bool, 0.0f, 1.0f, 0.0f, 6 },
    { id::tapeOd, "Tape OD Mode", Kind::Bool, 0.0f, 1.0f, 0.0f, 6 },
    { id::tapeIn, "Tape In", Kind::Float, 0.0f, 100.0f, 0.0f, 6 },
    { id::tapeOut, "Tape Out", Kind::Float, 0.0f, 100.0f, 50.0f, 6 },
    { id::tapeLpf, "Tape LPF", Kind::Float, 0.0f, 100.0f, 100.0f, 6 },
    { id::tapeFlutter, "Tape Flutter", Kind::Float, 0.0f, 100.0f, 0.0f, 6 },
    { id::tapeFlutterSpeed, "Tape Flutter Speed", Kind::Float, 0.0f, 100.0f, 50.0f, 6 },
    { id::tapeMix, "Tape Mix", Kind::Float, 0.0f, 100.0f, 100.0f, 6 },
    { id::tapeWear, "Tape Wear", Kind::Float, 0.0f, 100.0f, 25.0f, 6, 1.0f, 1.0f },
    { id::tapeHeadBump, "Tape Head Bump", Kind::Float, 0.0f, 100.0f, 20.0f, 6 },
    { id::pitch, "Pitch/Chorus", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { id::pitchSync, "Pitch Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { id::pitchWide, "Pitch Wide", Kind::Bool, 0.0f, 1.0f, 1.0f, 7 },
    { id::pitch2x, "Pitch 2x", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { id::pitchCents, "Pitch", Kind::Float, -50.0f, 50.0f, 0.0f, 7, 0.1f, 0.4f, true },
    { id::pitchRate, "Pitch Rate", Kind::Float, 0.0f, 1000.0f, 0.0f, 7 },
    { id::pitchDepth, "Pitch Depth", Kind::Float, 0.0f, 100.0f, 0.0f, 7, 1.0f, 0.5f },
    { id::pitchShape, "Pitch Shape", Kind::Int, 0.0f, 6.0f, 1.0f, 7 },
    { id::pitchMix, "Pitch Mix", Kind::Float, 0.0f, 100.0f, 100.0f, 7 },
    { id::pitchRegen, "Pitch Regen", Kind::Float, 0.0f, 100.0f, 0.0f, 7 },
    { id::pitchTwistLink, "Pitch Twist Link", Kind::Bool, 0.0f, 1.0f, 0.0f, 7 },
    { id::pitchTwistCents, "Pitch Twist Cents", Kind::Float, 0.0f, 1200.0f, 30.0f, 7 },
    { id::lengthBend, "Length Bend", Kind::Float, -1200.0f, 1200.0f, 0.0f, 7, 100.0f, 0.35f, true },
    { id::wave, "Wave", Kind::Bool, 0.0f, 1.0f, 0.0f, 8 },
    { id::waveSync, "Wave Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 8 },
    { id::waveRate, "Wave Rate", Kind::Float, 0.0f, 1000.0f, 523.0f, 8 },
    { id::waveDensity, "Wave Density", Kind::Float, 0.0f, 100.0f, 70.0f, 8 },
    { id::waveShape, "Wave Shape", Kind::Int, 0.0f, 7.0f, 0.0f, 8 },
    { id::wavePhase, "Wave Phase", Kind::Float, -180.0f, 180.0f, 0.0f, 8 },
    { id::waveOffset, "Wave Offset", Kind::Float, -180.0f, 180.0f, 0.0f, 8 },
    { id::tremolo, "Tremolo", Kind::Bool, 0.0f, 1.0f, 0.0f, 9 },
    { id::tremSync, "Trem Sync", Kind::Bool, 0.0f, 1.0f, 0.0f, 9 },
    { id::tremRate, "Trem Rate", Kind::Float, 0.0f, 1000.0f, 753.0f, 9 },
    { id::tremDepth, "Trem Depth", Kind::Float, 0.0f, 100.0f, 80.0f, 9 },
    { id::tremPhase, "Trem Phase", Kind::Float, -180.0f, 180.0f, 0.0f, 9 },
    { id::tremOffset, "Trem Offset", Kind::Float, -180.0f, 180.0f, 0.0f, 9 },
    { id::tremShape, "Trem Shape", Kind::Int, 0.0f, 7.0f, 0.0f, 9 },
} };

// Position of a parameter in the table, or -1.
constexpr int indexOf (std::string_view key)
{
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i].id == key)
            return static_cast<int> (i);
    return -1;
}

// Index of a parameter known at compile time; an unknown ID does not compile.
consteval int idx (std::string_view key)
{
    const int i = indexOf (key);
    if (i < 0)
        throw "unknown parameter ID";
    return i;
}
} // namespace params
