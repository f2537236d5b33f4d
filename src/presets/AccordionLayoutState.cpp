#include "presets/AccordionLayoutState.h"

AccordionLayoutState::AccordionLayoutState (juce::AudioProcessorValueTreeState& state,
                                            const juce::CriticalSection* lock)
    : apvts (state)
    , writeLock (lock)
{
    getState();
}

juce::Identifier AccordionLayoutState::expandedKey (const juce::String& title)
{
    juce::String key ("expanded_");
    for (auto p = title.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        key += juce::CharacterFunctions::isLetterOrDigit (c) ? juce::String::charToString (c) : juce::String ("_");
    }
    return key;
}

juce::ValueTree AccordionLayoutState::getState() const
{
    const juce::ScopedLock sl (lockToUse());
    return apvts.state.getOrCreateChildWithName (childType, nullptr);
}

bool AccordionLayoutState::isExpanded (const juce::String& title) const
{
    return static_cast<bool> (getState().getProperty (expandedKey (title), true));
}

void AccordionLayoutState::setExpanded (const juce::String& title, bool expanded)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    child.setProperty (expandedKey (title), expanded, nullptr);
}

void AccordionLayoutState::replaceFrom (const juce::ValueTree& other)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    for (const auto* title : sectionTitles)
    {
        const auto key = expandedKey (title);
        if (other.hasProperty (key))
            child.setProperty (key, static_cast<bool> (other.getProperty (key)), nullptr);
    }
}
