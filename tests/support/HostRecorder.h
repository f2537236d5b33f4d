#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <map>

namespace testsupport
{
// Stands where a host stands: a listener of the processor that records what
// the plug-in reports through the host-notifying path (value changes and
// gesture begins and ends), by parameter ID. While `listening` is false it
// records nothing, so a test can play the host itself.
class HostRecorder : public juce::AudioProcessorListener
{
public:
    explicit HostRecorder (juce::AudioProcessor& p)
        : processor (p)
    {
        processor.addListener (this);
    }

    ~HostRecorder() override { processor.removeListener (this); }

    int changes (const juce::String& id) const { return count (changed, id); }
    int begins (const juce::String& id) const { return count (begun, id); }
    int ends (const juce::String& id) const { return count (ended, id); }

    int totalChanges() const
    {
        int n = 0;
        for (const auto& [id, c] : changed)
            n += c;
        return n;
    }

    // "id x n, ..." of every changed parameter, for failure messages.
    juce::String changedIds() const
    {
        juce::StringArray list;
        for (const auto& [id, c] : changed)
            list.add (id + " x " + juce::String (c));
        return list.joinIntoString (", ");
    }

    void clear()
    {
        changed.clear();
        begun.clear();
        ended.clear();
    }

    bool listening = true;

    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float) override { record (changed, index); }
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        record (begun, index);
    }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override { record (ended, index); }
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

private:
    void record (std::map<juce::String, int>& into, int index)
    {
        if (! listening)
            return;
        if (auto* p = dynamic_cast<juce::AudioProcessorParameterWithID*> (processor.getParameters()[index]))
            ++into[p->paramID];
    }

    static int count (const std::map<juce::String, int>& from, const juce::String& id)
    {
        const auto it = from.find (id);
        return it == from.end() ? 0 : it->second;
    }

    juce::AudioProcessor& processor;
    std::map<juce::String, int> changed, begun, ended;
};
} // namespace testsupport
