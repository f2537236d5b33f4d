#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

// Which effect sections of the editor are open, kept in the plug-in state as
// the child "AccordionLayout" with one boolean "expanded_<title>" per section
// (a missing property means open). It lives in the parameter state, so it is
// saved and restored with the plug-in's state. Message thread only.
class AccordionLayoutState
{
public:
    static constexpr const char* childType = "AccordionLayout";
    static constexpr std::array<const char*, 4> sectionTitles { "WAVE", "TREMOLO", "TAPE", "PITCH / CHORUS" };

    // Writes to the tree hold writeLock when one is given, so that a state
    // save on another thread never copies the tree half-changed.
    explicit AccordionLayoutState (juce::AudioProcessorValueTreeState& state,
                                   const juce::CriticalSection* writeLock = nullptr);

    bool isExpanded (const juce::String& title) const;
    void setExpanded (const juce::String& title, bool expanded);

    // The "AccordionLayout" child, created if missing.
    juce::ValueTree getState() const;

    // Copies the four sections' properties that other has; the rest stay.
    void replaceFrom (const juce::ValueTree& other);

    // "expanded_" + the title with every character that is not a letter or
    // a digit replaced by "_".
    static juce::Identifier expandedKey (const juce::String& title);

private:
    const juce::CriticalSection& lockToUse() const { return writeLock != nullptr ? *writeLock : ownLock; }

    juce::AudioProcessorValueTreeState& apvts;
    const juce::CriticalSection* writeLock;
    juce::CriticalSection ownLock;

    JUCE_DECLARE_NON_COPYABLE (AccordionLayoutState)
};
