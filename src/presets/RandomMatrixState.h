#pragma once

#include "params/ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

// Which parameters the Random action may change: one flag per entry, kept in
// the plug-in state as the child "RandomMatrix" with a boolean property
// "enabled_<id>" per entry. The flags therefore travel with saved states and
// history snapshots. Message thread only.
class RandomMatrixState
{
public:
    struct Entry
    {
        const char* group;
        const char* id;
        const char* label;
        bool defaultOn;
    };

    static constexpr const char* childType = "RandomMatrix";

    // The entries in the order the Random action visits them and the options
    // panel lists them.
    static constexpr std::array<Entry, 49> entries { {
        { "Main", params::id::twist, "Twist", true },
        { "Main", params::id::start, "Start", true },
        { "Main", params::id::end, "End", true },
        { "Main", params::id::length, "Length", true },
        { "Main", params::id::widen, "Width", true },
        { "Main", params::id::decayCurve, "Decay Curve", true },
        { "Main", params::id::decayFalloff, "Decay Falloff", true },
        { "Main", params::id::highPass, "HP", false },
        { "Main", params::id::lowPass, "LP", false },
        { "Main", params::id::mix, "Dry/Wet", false },
        { "Main", params::id::startEndLock, "Start/End Lock", true },
        { "Mode", params::id::tapSync, "Sync", true },
        { "Mode", params::id::reverse, "Reverse", true },
        { "Mode", params::id::tapFlip, "Flip", false },
        { "Mode", params::id::decayMode, "Decay Mode", true },
        { "Mode", params::id::decaySteps, "Decay Steps", true },
        { "Mode", params::id::predelay, "Predelay", false },
        { "Mode", params::id::pingPong, "Ping Pong", true },
        { "Mode", params::id::pingPongAmount, "Ping Pong", true },
        { "Tape", params::id::tape, "Tape", true },
        { "Tape", params::id::tapeLpf, "Drive", true },
        { "Tape", params::id::tapeOut, "Output Gain", true },
        { "Tape", params::id::tapeWear, "Wear", true },
        { "Tape", params::id::tapeHeadBump, "Head Bump", true },
        { "Tape", params::id::tapeFlutter, "Flutter", true },
        { "Tape", params::id::tapeFlutterSpeed, "Flutter Speed", true },
        { "Tape", params::id::tapeMix, "Dry/Wet", true },
        { "Pitch/Chorus", params::id::pitch, "Pitch/Chorus", true },
        { "Pitch/Chorus", params::id::pitchCents, "Pitch", true },
        { "Pitch/Chorus", params::id::pitchMix, "Pitch Mix", true },
        { "Pitch/Chorus", params::id::pitchRate, "Pitch Rate", true },
        { "Pitch/Chorus", params::id::pitchDepth, "Pitch Depth", true },
        { "Pitch/Chorus", params::id::pitchRegen, "Pitch Feedback", true },
        { "Pitch/Chorus", params::id::pitchShape, "Pitch Shape", true },
        { "Pitch/Chorus", params::id::pitchWide, "Pitch Wide", true },
        { "Pitch/Chorus", params::id::pitchSync, "Pitch Sync", true },
        { "Pitch/Chorus", params::id::pitch2x, "Pitch 2x", true },
        { "Wave", params::id::wave, "Wave", true },
        { "Wave", params::id::waveRate, "Wave Rate", true },
        { "Wave", params::id::waveDensity, "Density", true },
        { "Wave", params::id::waveShape, "Wave Shape", true },
        { "Wave", params::id::wavePhase, "Phase", true },
        { "Wave", params::id::waveOffset, "Offset", true },
        { "Tremolo", params::id::tremolo, "Tremolo", true },
        { "Tremolo", params::id::tremRate, "Trem Rate", true },
        { "Tremolo", params::id::tremDepth, "Trem Depth", true },
        { "Tremolo", params::id::tremPhase, "Trem Phase", true },
        { "Tremolo", params::id::tremOffset, "L/R Offset", true },
        { "Tremolo", params::id::tremShape, "Trem Shape", true },
    } };

    // Builds the child if missing and gives every entry without a stored
    // flag its default. Writes to the tree hold writeLock when one is given,
    // so that a state save on another thread never copies it half-changed.
    explicit RandomMatrixState (juce::AudioProcessorValueTreeState& state,
                                const juce::CriticalSection* writeLock = nullptr);

    // The "RandomMatrix" child, created if missing.
    juce::ValueTree getState() const;

    // True when the flag is on or missing.
    bool isEnabled (const juce::String& id) const;
    void setEnabled (const juce::String& id, bool enabled);
    void setAll (bool enabled);

    // Takes every flag that source has; entries it lacks keep their value,
    // or get their default when the state has none either.
    void replaceFrom (const juce::ValueTree& source);

    // "enabled_" + id.
    static juce::Identifier propertyFor (const juce::String& id);

private:
    const juce::CriticalSection& lockToUse() const { return writeLock != nullptr ? *writeLock : ownLock; }

    juce::AudioProcessorValueTreeState& apvts;
    const juce::CriticalSection* writeLock;
    juce::CriticalSection ownLock;

    JUCE_DECLARE_NON_COPYABLE (RandomMatrixState)
};
