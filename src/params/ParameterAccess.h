#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// The editor's own reads and writes of parameters, by ID. Reads take the raw
// value (a missing parameter reads as 0). Writes go through the
// host-notifying path as one complete gesture, and only when the value the
// parameter would hold differs from the one it holds: a refresh that changes
// nothing tells the host nothing, so an editor left open never turns a
// project into a modified one.
class ParameterAccess
{
public:
    explicit ParameterAccess (juce::AudioProcessorValueTreeState& state)
        : apvts (state)
    {
    }

    float raw (const char* id) const;
    bool on (const char* id) const { return raw (id) > 0.5f; }

    // Sets the parameter to value (in its own units), clamped and snapped to
    // the parameter's range. Returns whether anything was written; a value
    // that is not a finite number is never written.
    bool write (const char* id, float value);

    // The same, inside a gesture the caller holds open from a press to its
    // release (a drag): no gesture of its own.
    bool writeInGesture (const char* id, float value);

    // The same, for a value a rule derives from others (a conversion, the
    // predelay following the tempo): the user made no gesture, so there is
    // none; during a drag of the same parameter the write falls inside the
    // drag's own gesture. Safe on the audio thread: nothing allocates.
    bool writeByRule (const char* id, float value);

private:
    bool set (const char* id, float value, bool ownGesture);

    juce::AudioProcessorValueTreeState& apvts;
};
