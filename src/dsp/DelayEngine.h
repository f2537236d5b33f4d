#pragma once

#include "dsp/Filter.h"
#include "dsp/ParamBlock.h"
#include "dsp/PitchChorus.h"
#include "dsp/SeqLock.h"
#include "dsp/TapEngine.h"
#include "dsp/TapVoiceBank.h"
#include "dsp/TapeDegradation.h"
#include "dsp/Tremolo.h"

#include <atomic>
#include <vector>

namespace dsp
{
// The host's transport for one block, as the tempo-synced modulation needs it.
struct HostTransport
{
    double bpm = 120.0;       // clamped to a sane range by the caller
    double ppqPosition = 0.0; // quarter notes at the block's first sample
    bool playing = false;
    bool tempoValid = false; // the host gave a tempo for this block
};

// The whole signal path of the delay, one block at a time: tap layout, tape
// send, the 15 s line and its voices, echo filters, pitch, tremolo, width, the
// snap envelope, dry/wet mix and master, the output peak and the tap set
// published to the editor.
//
// One thread (the audio thread) calls prepare and process; requestReset,
// takeOutputPeak and readTapSnapshot may be called from any other thread.
class DelayEngine
{
public:
    enum class SnapPhase
    {
        Idle = 0,
        FadeOut = 1,
        FadeIn = 2
    };

    // One sample of the snap envelope: the level falls by step in FadeOut and
    // rises by step in FadeIn. Returns true on the sample where the fade-out
    // reaches 0 (where the taps jump to their new delays).
    static bool advanceSnapEnvelope (float& level, SnapPhase& phase, float step) noexcept
    {
        switch (phase)
        {
            case SnapPhase::FadeOut:
                level -= step;
                if (level <= 0.0f)
                {
                    level = 0.0f;
                    phase = SnapPhase::FadeIn;
                    return true;
                }
                return false;

            case SnapPhase::FadeIn:
                level += step;
                if (level >= 1.0f)
                {
                    level = 1.0f;
                    phase = SnapPhase::Idle;
                }
                return false;

            case SnapPhase::Idle:
                return false;
        }
        return false;
    }

    // Sizes every buffer for blocks of up to maxBlockSize samples, clears all
    // signal memory and lays out the taps of the last record seen (the
    // record's defaults before the first block).
    void prepare (double sampleRate, int maxBlockSize);

    // Asks for all signal memory to be cleared. The audio thread never races
    // it: it fades the echoes out with a snap, clears where they have reached
    // silence, and the line then records the input fading in, so neither the
    // old echoes nor the first new ones start or stop with a step.
    void requestReset() noexcept { resetRequested.store (true, std::memory_order_release); }

    // Runs one block of at most maxBlockSize samples in place, with
    // denormals flushed to zero, and returns how many samples it did: all of
    // them, or fewer when a requested clear falls inside the block (the
    // caller runs the rest as the next block). `block` is the record as the
    // parameters give it (Tap Flip not yet applied); a change of
    // patchGeneration starts a snap. right is null for a mono input, which
    // then plays through the left channel alone.
    int process (const ParamBlock& block, const HostTransport& transport, int patchGeneration, float* left,
                 float* right, int numSamples) noexcept;

    // Takes a patch generation as already seen, so it starts no snap: for a
    // patch applied before anything has played. Not while audio runs.
    void markGenerationSeen (int patchGeneration) noexcept { lastSeenGeneration = patchGeneration; }

    // The largest absolute output sample since the last call; starts a new
    // measurement.
    float takeOutputPeak() noexcept { return outputPeak.exchange (0.0f, std::memory_order_acq_rel); }
    float getOutputPeak() const noexcept { return outputPeak.load (std::memory_order_acquire); }

    // The tap set the last block published, when a consistent copy could be
    // read (a reader on another thread).
    bool readTapSnapshot (TapSet& out) const noexcept { return snapshotChannel.tryRead (out); }

    // State of the last block, for inspection.
    const ParamBlock& getCurrentParams() const noexcept { return current; }
    DirtyFlags getLastDirtyFlags() const noexcept { return lastDirty; }
    SnapPhase getSnapPhase() const noexcept { return snapPhase; }
    float getSnapLevel() const noexcept { return snapLevel; }
    bool isSnapping() const noexcept { return snapping; }
    const TapVoiceBank& getVoiceBank() const noexcept { return voiceBank; }

    // Whether the work that silence makes pointless is skipped (on by
    // default): voices reading only zeros, echo filters settled at zero, the
    // width stage on zeros. The output is the same either way; off is the
    // plain path, for comparisons.
    void setSkipsSilence (bool on) noexcept
    {
        skipsSilence = on;
        voiceBank.setSkipsSilence (on);
    }

private:
    void clearSignalMemory() noexcept;
    void beginBlock (const ParamBlock& block, int patchGeneration) noexcept;
    int findSnapJump (int numSamples) noexcept;
    // The echo filters over the wet sum; wetSilent says the sum is all +0.
    // Returns whether the filtered sum still is.
    bool runEchoFilters (bool wetSilent, int numSamples) noexcept;
    // Runs the tape stage into the send buffers when Tape is on or still
    // fading out (returns true); otherwise the input itself is the send.
    bool runTapeSend (const float* left, const float* right, int numSamples) noexcept;
    void runPitch (const HostTransport& transport, int numSamples) noexcept;
    void runTremolo (const HostTransport& transport, int numSamples) noexcept;
    void applyWidth (int numSamples) noexcept;
    float mixIntoOutput (float* left, float* right, int numSamples) noexcept;
    void holdPeak (float peak) noexcept;
    // Moves level toward on (1) or off (0) by a full swing per rampSeconds
    // and blends the processed left/right with the dry signal by it.
    void crossfadeWithDry (bool on, float& level, const float* dryLeft, const float* dryRight, float* left,
                           float* right, int numSamples) const noexcept;
    void publishTaps() noexcept;

    double sampleRate = 44100.0;

    // The record the taps are laid out from (Tap Flip applied), and the
    // unflipped records the block-to-block comparison uses.
    ParamBlock current;
    ParamBlock previous;
    bool hasPrevious = false;
    DirtyFlags lastDirty;
    int lastSeenGeneration = 0;

    // The voices have not yet followed the current tap set (or were cleared).
    bool voicesBehind = true;
    // The current tap set has gone out to the editor.
    bool tapsPublished = false;
    // Cutoffs the echo filters were last set to.
    float hpInUse = 0.0f, lpInUse = 0.0f;
    bool filterCutoffsSet = false;
    bool skipsSilence = true;

    SnapPhase snapPhase = SnapPhase::Idle;
    float snapLevel = 1.0f;
    bool snapping = false;

    TapEngine tapEngine;
    TapSet tapSet;
    TapVoiceBank voiceBank;
    Filter echoFilterLeft, echoFilterRight;
    TapeDegradation tapeStage;
    PitchChorus pitchStage;
    Tremolo tremolo;
    std::vector<float> sendLeft, sendRight, wetLeft, wetRight;

    std::atomic<bool> resetRequested { false };
    bool clearPending = false; // cleared where the snap reaches silence
    float recordLevel = 1.0f;  // the line's recording fades in after a clear
    // Wet share and master gain as applied, and how far the tape stage, the
    // pitch stage and the tremolo are switched in (0..1): each moves toward
    // the block's value. Set from the first block after prepare.
    float appliedWetShare = 0.0f;
    float appliedMaster = 0.0f;
    float tapeLevel = 0.0f;
    float pitchLevel = 0.0f;
    float tremLevel = 0.0f;
    bool levelsSet = false;
    std::atomic<float> outputPeak { 0.0f };
    SeqLock<TapSet> snapshotChannel;
};
} // namespace dsp
