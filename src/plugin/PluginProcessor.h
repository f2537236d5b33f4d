#pragma once

#include "dsp/DelayEngine.h"
#include "dsp/DspConstants.h"
#include "params/ParamBlockReader.h"
#include "params/ParameterAccess.h"
#include "params/ParameterTable.h"
#include "params/ParameterText.h"
#include "plugin/ParameterRules.h"
#include "presets/AccordionLayoutState.h"
#include "presets/PresetLibrary.h"
#include "presets/RandomHistory.h"
#include "presets/RandomMatrixState.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

// The plug-in's audio processor: the host-facing side of the delay. It owns
// the parameter state, turns the raw parameter values and the host's
// transport into one ParamBlock per block, hands blocks of at most the
// prepared size to the delay engine, and keeps the state, the presets and the
// random history.
class MassDelayAudioProcessor : public juce::AudioProcessor, public juce::AudioProcessorValueTreeState::Listener
{
public:
    using SnapPhase = dsp::DelayEngine::SnapPhase;

    MassDelayAudioProcessor();
    ~MassDelayAudioProcessor() override;

    // The host parameters. Their value texts and typed-text parsing are the
    // editor's (params::valueText); texts that depend on other parameters or
    // on the tempo read them from `texts`, or take the defaults without it.
    static juce::AudioProcessorValueTreeState::ParameterLayout
    createParameterLayout (const params::LiveTextSource* texts = nullptr);

    // One sample of the snap envelope: the level falls by step in FadeOut and
    // rises by step in FadeIn. Returns true on the sample where the fade-out
    // reaches 0 (where the taps jump to their new delays).
    static bool advanceSnapEnvelope (float& level, SnapPhase& phase, float step)
    {
        return dsp::DelayEngine::advanceSnapEnvelope (level, phase, step);
    }

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
    double getTailLengthSeconds() const override { return dsp::lineSeconds; }

    // The factory bank is the host's program list, in bank order. Choosing
    // a program applies that factory patch as the preset bar does; the
    // current program is the factory patch applied last, by whoever applied
    // it. Hosts may ask from any thread (PluginProcessorState.cpp).
    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    void parameterChanged (const juce::String& parameterID, float newValue) override;

    //==============================================================================
    juce::AudioProcessorValueTreeState& getValueTreeState() { return apvts; }

    // The last block's record as the engine used it (Tap Flip applied).
    const ParamBlock& getCurrentParams() const { return engine.getCurrentParams(); }

    // Fills the block record from the raw parameter values, the tempo, the
    // requested tap count and the seeds (Tap Flip is the engine's to apply).
    void readParams();

    // Every parameter's raw value, non-finite values read as defaults.
    params::RawValues readRawValues() const { return params::loadRawValues (raw); }

    // Clears all signal memory. Safe from any thread while audio runs: the
    // audio thread fades the echoes out with a snap, clears where they have
    // reached silence and lets the recording fade in again.
    void resetDSPState();

    // The tap set as the audio thread last published it.
    using TapSnapshot = TapSet;
    TapSnapshot getTapSnapshot();

    // The largest absolute output sample since the meter last took it;
    // taking it starts a new measurement.
    float takeOutputPeak() { return engine.takeOutputPeak(); }
    float getOutputPeak() const { return engine.getOutputPeak(); }

    // The voices as the audio thread left them (inspection from tests).
    const TapVoiceBank& getVoiceBank() const { return engine.getVoiceBank(); }

    float getLastTempo() const { return lastTempo.load (std::memory_order_relaxed); }
    int getPatchGeneration() const { return patchGeneration.load (std::memory_order_acquire); }
    int getRequestedTapCount() const { return requestedTapCount.load (std::memory_order_relaxed); }

    SnapPhase getSnapPhase() const { return engine.getSnapPhase(); }
    float getSnapLevel() const { return engine.getSnapLevel(); }
    bool isSnapping() const { return engine.isSnapping(); }

    // Host transport as captured at the start of the last block.
    double getHostTempo() const { return hostTempo; }
    double getHostPosition() const { return hostPosition; }
    bool isHostPlaying() const { return hostPlaying; }
    bool isHostTempoValid() const { return hostTempoValid; }

    // What the last block's comparison found.
    DirtyFlags getLastDirtyFlags() const { return engine.getLastDirtyFlags(); }

    // Tempos outside this range are clamped before any division by them.
    static constexpr double minTempo = 1.0;
    static constexpr double maxTempo = 999.0;

    //==============================================================================
    // State, presets, modulation seeds and the Random action
    // (PluginProcessorState.cpp). Message thread, except getStateInformation,
    // which hosts may call from any thread.

    // Every parameter to its default, then the patch's values; clears the
    // signal memory and starts a new patch generation. Values that are not
    // finite numbers are ignored, the rest clamped to 0..1.
    // With the mix lock on, `mix` and `mixByp` keep their values.
    void applyPatch (const presets::Patch& patch);

    // The mix lock, kept in the settings file for every instance: while on,
    // preset loads, the Random action and history steps leave the dry/wet
    // mix and its bypass as they are. Restoring the host's state and the
    // default patch of a new instance are not affected.
    static bool isMixLocked();
    static void setMixLocked (bool locked);
    // Whether the lock keeps this parameter.
    static bool isMixLockedParameter (const juce::String& parameterId);

    // Every parameter's normalised value by ID, in parameter order.
    juce::var captureParamsVar() const;

    // The custom preset folder of the settings file when it exists, else the
    // default one.
    juce::File getPresetDirectory() const;

    // The name and folder of the patch applied last ("INIT" until one is).
    // A host may apply a program on its own thread, so these are copies.
    juce::String getCurrentPatchName() const;
    juce::String getCurrentPatchFolder() const;

    // Counts patch applications (the preset bar's and the host's programs),
    // raised once all of a patch's values are set: an editor that sees it
    // change shows the processor's current patch, unmodified.
    int getAppliedPatchCount() const { return appliedPatchCount.load (std::memory_order_acquire); }

    // The name and folder the preset bar shows after saving under a new name,
    // so that an editor opened later shows it too. Changes no parameter.
    void setCurrentPatch (const juce::String& name, const juce::String& folder);

    // Whether the calling thread is in the middle of the parameter rules'
    // writes (a conversion, the predelay following the tempo): changes that
    // the user did not make, which leave the current patch unmodified.
    bool isApplyingRulesOnThisThread() const noexcept
    {
        return rulesThread.load (std::memory_order_relaxed) == std::this_thread::get_id();
    }

    presets::PresetLibrary& getPresetLibrary() { return presetLibrary; }
    RandomMatrixState& getRandomMatrix() { return randomMatrix; }
    AccordionLayoutState& getAccordionLayout() { return accordionLayout; }
    const RandomHistory& getRandomHistory() const { return randomHistory; }

    // The LFO seeds and their "SeedState" child in the state.
    void syncSeedsToState();
    void readSeedsFromState();
    void rerollTremLfoSeed();
    void rerollWaveLfoSeed();
    void rerollPitchLfoSeed();
    void rerollLfoSeeds();
    std::uint32_t getTremLfoSeed() const { return tremLfoSeed.load (std::memory_order_relaxed); }
    std::uint32_t getWaveLfoSeed() const { return waveLfoSeed.load (std::memory_order_relaxed); }
    std::uint32_t getPitchLfoSeed() const { return pitchLfoSeed.load (std::memory_order_relaxed); }

    // Chosen seeds instead of drawn ones, for programs that must replay the
    // same modulation (the command-line renderer's --seed); the "SeedState"
    // child follows.
    void setLfoSeeds (std::uint32_t tremSeed, std::uint32_t waveSeed, std::uint32_t pitchSeed);

    // The Random action: every parameter whose matrix flag is on gets a
    // uniform random value (floats in the normalised domain, every integer
    // step and both switch positions equally likely); then new seeds and a
    // history entry. No patch generation: the changes glide or crossfade.
    void randomizeParameters (juce::Random& rng);
    void randomizeParameters() { randomizeParameters (juce::Random::getSystemRandom()); }

    // The random history: push the current state, or replace the state with
    // the previous or next entry (a whole-state change, like a preset load).
    void pushRandomGeneration();
    void randomStepBack();
    void randomStepForward();

    // Root property that getStateInformation writes. States without it come
    // from older builds, whose ping-pong depth counted only with ppOn on.
    static constexpr const char* stateFormatProperty = "stateFormat";
    static constexpr int stateFormat = 1;

    // Root property with the id of the factory patch that is the current
    // program, so that a restored state names the same program. It selects
    // the program only; the parameters come from the state.
    static constexpr const char* programProperty = "factoryProgram";

    // The XML inside a state blob (the framework's envelope: a magic number,
    // a length, UTF-8 text), or null when the blob is not one or holds text
    // JUCE's XML reader cannot read safely: invalid UTF-8, a processing
    // instruction after the header, or elements nested deeper than
    // maxStateNesting. A state this plug-in saved never has any of these.
    static std::unique_ptr<juce::XmlElement> xmlFromStateBlob (const void* data, int sizeInBytes);
    static constexpr int maxStateNesting = 64;

    // Whether a new instance applies the default patch of the settings file.
    // On in the product; test programs turn it off so that their processors
    // start from the parameter defaults.
    static void setApplyDefaultPatchAtStartup (bool shouldApply);

private:
    void captureHostPosition();
    // The tempo this block plays at: the host's, else the last one it gave.
    float blockTempo() const;
    // The parameter rules for this block, unless a whole-state change holds
    // the parameters at the moment (ParameterRules.h).
    void applyParameterRules();

    // What the parameters' texts read (the raw values and the last tempo);
    // declared before the parameters, which hold a pointer to it.
    params::LiveTextSource textSource;

    juce::AudioProcessorValueTreeState apvts;

    // Raw value of every parameter, in table order.
    std::array<std::atomic<float>*, params::table.size()> raw {};

    // This block's record as the parameters give it.
    ParamBlock record;

    double sampleRate = 44100.0;
    int preparedBlockSize = 0;

    // Written by the message thread (rerolls, restores), read by the audio thread.
    std::atomic<std::uint32_t> tremLfoSeed { 0xC0DEFADEu };
    std::atomic<std::uint32_t> waveLfoSeed { 0x5EED0001u };
    std::atomic<std::uint32_t> pitchLfoSeed { 0x27D4EB2Fu };

    std::atomic<float> lastTempo { 120.0f };
    double hostTempo = 120.0;
    double hostPosition = 0.0;
    bool hostPlaying = false;
    bool hostTempoValid = false;

    std::atomic<int> requestedTapCount { 64 };
    std::atomic<int> patchGeneration { 0 };

    dsp::DelayEngine engine;
    TapSnapshot lastGoodSnapshot {};

    // Whether a gesture holds a parameter open: a drag in the editor, a
    // touch in a host's own control.
    class GestureWatch final : private juce::AudioProcessorParameter::Listener
    {
    public:
        explicit GestureWatch (juce::AudioProcessorParameter* p);
        ~GestureWatch() override;
        bool isOpen() const noexcept { return open.load (std::memory_order_relaxed); }

    private:
        void parameterValueChanged (int, float) override {}
        void parameterGestureChanged (int, bool starting) override { open.store (starting, std::memory_order_relaxed); }
        juce::AudioProcessorParameter* param;
        std::atomic<bool> open { false };
    };

    ParameterAccess ruleAccess { apvts };
    ParameterRules rules;
    GestureWatch startGesture { apvts.getParameter (params::id::start) };
    GestureWatch predelayGesture { apvts.getParameter (params::id::predelay) };
    std::atomic<std::thread::id> rulesThread {};
    // Held by every whole-state change (a preset, a restore, a history step,
    // the Random action) from before its first write until the rules have
    // been told to take the new switches as they are. The audio thread only
    // tries it: while a change holds it, that block applies no rule, so the
    // rules never see half of a new state and never convert its own values.
    juce::SpinLock wholeStateLock;

    //==============================================================================
    // State, presets and the random history (PluginProcessorState.cpp).
    void runStartupSequence();
    void writeSeedsInto (juce::ValueTree& state) const;
    void sanitiseParameterValues (juce::ValueTree& state) const;
    void replaceWholeState (const juce::ValueTree& newState);
    void restoreHistoryEntry (const juce::ValueTree& entry);
    void applyPatchValues (const presets::Patch& patch, bool keepMix);
    // Writes the current `mix` and `mixByp` into a state about to replace the live one.
    void keepCurrentMixIn (juce::ValueTree& state) const;

    // Sets the parameters from a patch, clears the signal memory and starts a
    // new patch generation; returns the factory program index of the patch,
    // or -1 for any other patch. With keepMix, `mix` and `mixByp` stay as they are.
    int setParametersFromPatch (const presets::Patch& patch, bool keepMix);
    int factoryProgramOf (const presets::Patch& patch) const;
    void applyPendingProgram();

    // Held by every writer of the state tree outside the framework and by the
    // state save, which hosts may run on another thread. Never on the audio thread.
    juce::CriticalSection stateLock;
    RandomMatrixState randomMatrix { apvts, &stateLock };
    AccordionLayoutState accordionLayout { apvts, &stateLock };
    RandomHistory randomHistory;
    presets::PresetLibrary presetLibrary;
    juce::SpinLock patchNameLock;
    juce::String currentPatchName { "INIT" };
    juce::String currentPatchFolder;

    // The factory patches as programs, copied once at start-up and never
    // changed, so that hosts can read them from any thread.
    std::vector<presets::Patch> factoryPrograms;
    std::atomic<int> currentProgram { 0 };
    std::atomic<int> appliedPatchCount { 0 };

    // A program chosen from inside processBlock waits here for the message
    // thread (the audio thread never replaces the whole state).
    std::atomic<int> pendingProgram { -1 };
    std::atomic<std::thread::id> processingThread {};
    static_assert (std::atomic<std::thread::id>::is_always_lock_free);

    struct ProgramTimer final : juce::Timer
    {
        explicit ProgramTimer (MassDelayAudioProcessor& p)
            : owner (p)
        {
        }
        void timerCallback() override { owner.applyPendingProgram(); }
        MassDelayAudioProcessor& owner;
    };
    ProgramTimer programTimer { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MassDelayAudioProcessor)
};
