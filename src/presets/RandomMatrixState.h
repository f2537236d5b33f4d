#pragma once

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
        { "Main", "g", "Twist", true },
        { "Main", "s", "Start", true },
        { "Main", "e", "End", true },
        { "Main", "fb", "Length", true },
        { "Main", "spread", "Width", true },
        { "Main", "dcv", "Decay Curve", true },
        { "Main", "dcFall", "Decay Falloff", true },
        { "Main", "hp", "HP", false },
        { "Main", "lp", "LP", false },
        { "Main", "mix", "Dry/Wet", false },
        { "Main", "lk", "Start/End Lock", true },
        { "Mode", "mu", "Sync", true },
        { "Mode", "rev", "Reverse", true },
        { "Mode", "flipped", "Flip", false },
        { "Mode", "dcMode", "Decay Mode", true },
        { "Mode", "dcSteps", "Decay Steps", true },
        { "Mode", "pd", "Predelay", false },
        { "Mode", "ppOn", "Ping Pong", true },
        { "Mode", "ppW", "Ping Pong", true },
        { "Tape", "tp", "Tape", true },
        { "Tape", "sat", "Drive", true },
        { "Tape", "td", "Output Gain", true },
        { "Tape", "tDarken", "Wear", true },
        { "Tape", "headBump", "Head Bump", true },
        { "Tape", "flutter", "Flutter", true },
        { "Tape", "flutSpd", "Flutter Speed", true },
        { "Tape", "tpWet", "Dry/Wet", true },
        { "Pitch/Chorus", "pitchOn", "Pitch/Chorus", true },
        { "Pitch/Chorus", "pitchCt", "Pitch", true },
        { "Pitch/Chorus", "pitchMix", "Pitch Mix", true },
        { "Pitch/Chorus", "pitchRt", "Pitch Rate", true },
        { "Pitch/Chorus", "pitchDp", "Pitch Depth", true },
        { "Pitch/Chorus", "pitchFbk", "Pitch Feedback", true },
        { "Pitch/Chorus", "pitchSh", "Pitch Shape", true },
        { "Pitch/Chorus", "pitchWide", "Pitch Wide", true },
        { "Pitch/Chorus", "pitchSync", "Pitch Sync", true },
        { "Pitch/Chorus", "pitch2x", "Pitch 2x", true },
        { "Wave", "wo", "Wave", true },
        { "Wave", "lrs", "Wave Rate", true },
        { "Wave", "lfoDp", "Density", true },
        { "Wave", "lsh", "Wave Shape", true },
        { "Wave", "woPh", "Phase", true },
        { "Wave", "woOff", "Offset", true },
        { "Tremolo", "trem", "Tremolo", true },
        { "Tremolo", "tremR", "Trem Rate", true },
        { "Tremolo", "tremD", "Trem Depth", true },
        { "Tremolo", "tremPh", "Trem Phase", true },
        { "Tremolo", "tremOff", "L/R Offset", true },
        { "Tremolo", "tremSh", "Trem Shape", true },
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
