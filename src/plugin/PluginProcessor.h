#pragma once

#include "dsp/ParamBlock.h"
#include "plugin/ParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>

// The plug-in's audio processor: owns the parameter state, turns the raw
// parameter values into one ParamBlock per block, decides what changed and
// runs the block.
class MassDelayAudioProcessor : public juce::AudioProcessor,
                                public juce::AudioProcessorValueTreeState::Listener
{
public:
    enum class SnapPhase
    {
        Idle = 0,
        FadeOut = 1,
        FadeIn = 2
    };

    MassDelayAudioProcessor();
    ~MassDelayAudioProcessor() override;

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    // One sample of the snap envelope: the level falls by step in FadeOut and
    // rises by step in FadeIn. Returns true on the sample where the fade-out
    // reaches 0 (where the taps jump to their new delays).
    static bool advanceSnapEnvelope (float& level, SnapPhase& phase, float step);

    //==============================================================================
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using AudioProcessor::processBlock;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    const juce::String getName() const override { return "Twist Delay"; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 15.0; }

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==============================================================================
    juce::AudioProcessorValueTreeState& getValueTreeState() { return apvts; }

    // The current block's record (after readParams: flipped where Tap Flip is on).
    const ParamBlock& getCurrentParams() const { return current; }

    // Fills the current record from the raw parameter values.
    void readParams();

    // Clears all signal memory.
    void resetDSPState();

    float getLastTempo() const { return lastTempo.load (std::memory_order_relaxed); }
    int getPatchGeneration() const { return patchGeneration.load (std::memory_order_acquire); }
    int getRequestedTapCount() const { return requestedTapCount.load (std::memory_order_relaxed); }

    SnapPhase getSnapPhase() const { return snapPhase; }
    float getSnapLevel() const { return snapLevel; }
    bool isSnapping() const { return snapping; }

    // Host transport as captured at the start of the last block.
    double getHostTempo() const { return hostTempo; }
    double getHostPosition() const { return hostPosition; }
    bool isHostPlaying() const { return hostPlaying; }
    bool isHostTempoValid() const { return hostTempoValid; }

    // What the last block's comparison found.
    DirtyFlags getLastDirtyFlags() const { return lastDirty; }

    // Tempos outside this range are clamped before any division by them.
    static constexpr double minTempo = 1.0;
    static constexpr double maxTempo = 999.0;

private:
    void captureHostPosition();
    void processChunk (juce::AudioBuffer<float>& buffer, int start, int numSamples);
    void beginBlock();

    juce::AudioProcessorValueTreeState apvts;

    // Raw value of every parameter, in table order.
    std::array<std::atomic<float>*, params::table.size()> raw {};

    ParamBlock current;
    ParamBlock comparison;
    ParamBlock previous;
    bool hasPrevious = false;
    DirtyFlags lastDirty;

    double sampleRate = 44100.0;
    int preparedBlockSize = 0;

    std::uint32_t tremLfoSeed = 0xC0DEFADEu;
    std::uint32_t waveLfoSeed = 0x5EED0001u;
    std::uint32_t pitchLfoSeed = 0x27D4EB2Fu;

    std::atomic<float> lastTempo { 120.0f };
    double hostTempo = 120.0;
    double hostPosition = 0.0;
    bool hostPlaying = false;
    bool hostTempoValid = false;

    std::atomic<int> requestedTapCount { 64 };
    std::atomic<int> patchGeneration { 0 };
    int lastSeenGeneration = 0;

    SnapPhase snapPhase = SnapPhase::Idle;
    float snapLevel = 1.0f;
    bool snapping = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MassDelayAudioProcessor)
};
