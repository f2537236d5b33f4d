#include "presets/RandomMatrixState.h"

RandomMatrixState::RandomMatrixState (juce::AudioProcessorValueTreeState& state, const juce::CriticalSection* lock)
    : apvts (state)
    , writeLock (lock)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    for (const auto& e : entries)
    {
        const auto key = propertyFor (e.id);
        if (! child.hasProperty (key))
            child.setProperty (key, e.defaultOn, nullptr);
    }
}

juce::Identifier RandomMatrixState::propertyFor (const juce::String& id)
{
    return "enabled_" + id;
}

juce::ValueTree RandomMatrixState::getState() const
{
    const juce::ScopedLock sl (lockToUse());
    return apvts.state.getOrCreateChildWithName (childType, nullptr);
}

bool RandomMatrixState::isEnabled (const juce::String& id) const
{
    return static_cast<bool> (getState().getProperty (propertyFor (id), true));
}

void RandomMatrixState::setEnabled (const juce::String& id, bool enabled)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    child.setProperty (propertyFor (id), enabled, nullptr);
}

void RandomMatrixState::setAll (bool enabled)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    for (const auto& e : entries)
        child.setProperty (propertyFor (e.id), enabled, nullptr);
}

void RandomMatrixState::replaceFrom (const juce::ValueTree& source)
{
    auto child = getState();
    const juce::ScopedLock sl (lockToUse());
    for (const auto& e : entries)
    {
        const auto key = propertyFor (e.id);
        if (source.hasProperty (key))
            child.setProperty (key, static_cast<bool> (source.getProperty (key)), nullptr);
        else if (! child.hasProperty (key))
            child.setProperty (key, e.defaultOn, nullptr);
    }
}
