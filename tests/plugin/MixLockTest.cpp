#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

// The mix lock keeps the dry/wet mix and its bypass through every operation
// that replaces parameters in bulk; with the lock off the same operations
// change them.
namespace
{
float rawValue (MassDelayAudioProcessor& proc, const char* id)
{
    return proc.getValueTreeState().getRawParameterValue (id)->load();
}

void setRaw (MassDelayAudioProcessor& proc, const char* id, float value)
{
    auto* p = proc.getValueTreeState().getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

// A patch whose mix, bypass and Twist all differ from the values the
// fixture sets before each operation.
presets::Patch patchWithOwnMix()
{
    juce::DynamicObject::Ptr values = new juce::DynamicObject();
    values->setProperty (params::id::mix, 0.25);
    values->setProperty (params::id::mixBypass, 0.0);
    values->setProperty (params::id::twist, 0.9);
    return { "Own Mix", "Tests", juce::var (values.get()) };
}

struct LockPath
{
    const char* what;
    // Runs the operation; returns whether it did its work on the parameters
    // that the lock does not keep (so a path that does nothing cannot pass).
    std::function<bool (MassDelayAudioProcessor&)> run;
};

constexpr float heldMix = 33.0f;

// Before each operation the mix is 33 % with the bypass on: values that no
// patch, default or history entry of these cases holds.
void holdMix (MassDelayAudioProcessor& proc)
{
    setRaw (proc, params::id::mix, heldMix);
    setRaw (proc, params::id::mixBypass, 1.0f);
}

const LockPath lockPaths[] = {
    { "a preset applied",
      [] (MassDelayAudioProcessor& proc) {
          holdMix (proc);
          proc.applyPatch (patchWithOwnMix());
          return std::abs (rawValue (proc, params::id::twist)
                           - proc.getValueTreeState().getParameter (params::id::twist)->convertFrom0to1 (0.9f))
                 < 1.0e-3f;
      } },
    { "a host program change",
      [] (MassDelayAudioProcessor& proc) {
          auto* twist = proc.getValueTreeState().getParameter (params::id::twist);
          twist->setValueNotifyingHost (0.123f);
          holdMix (proc);
          const int next = (proc.getCurrentProgram() + 1) % proc.getNumPrograms();
          proc.setCurrentProgram (next);
          return proc.getCurrentProgram() == next && std::abs (twist->getValue() - 0.123f) > 1.0e-3f;
      } },
    { "the Random action with the mix in the matrix",
      [] (MassDelayAudioProcessor& proc) {
          proc.getRandomMatrix().setAll (true);
          holdMix (proc);
          const auto before = proc.getRandomHistory().size();
          juce::Random rng (12345);
          proc.randomizeParameters (rng);
          return proc.getRandomHistory().size() == before + 1;
      } },
    { "a history step back",
      [] (MassDelayAudioProcessor& proc) {
          // The first entry holds the defaults (mix 80, bypass off).
          setRaw (proc, params::id::twist, 7.0f);
          proc.pushRandomGeneration();
          holdMix (proc);
          proc.randomStepBack();
          return std::abs (rawValue (proc, params::id::twist) - 7.0f) > 1.0e-3f;
      } },
    { "a history step forward",
      [] (MassDelayAudioProcessor& proc) {
          setRaw (proc, params::id::mix, 12.0f);
          setRaw (proc, params::id::twist, 7.0f);
          proc.pushRandomGeneration();
          proc.randomStepBack();
          holdMix (proc);
          proc.randomStepForward();
          return std::abs (rawValue (proc, params::id::twist) - 7.0f) < 1.0e-3f;
      } },
};

class MixLockPaths : public ::testing::TestWithParam<LockPath>
{
protected:
    void TearDown() override { MassDelayAudioProcessor::setMixLocked (false); }
};
} // namespace

TEST_P (MixLockPaths, KeepsTheMixAndItsBypassOnlyWhileLocked)
{
    for (const bool locked : { true, false })
    {
        SCOPED_TRACE (locked ? "locked" : "unlocked");
        MassDelayAudioProcessor::setMixLocked (locked);
        MassDelayAudioProcessor proc;

        ASSERT_TRUE (GetParam().run (proc));

        if (locked)
        {
            EXPECT_FLOAT_EQ (rawValue (proc, params::id::mix), heldMix);
            EXPECT_EQ (rawValue (proc, params::id::mixBypass), 1.0f);
        }
        else
        {
            // Every path brings a mix other than 33 or a bypass that is off.
            EXPECT_TRUE (std::abs (rawValue (proc, params::id::mix) - heldMix) > 0.5f
                         || rawValue (proc, params::id::mixBypass) < 0.5f);
        }
    }
}

INSTANTIATE_TEST_SUITE_P (Paths, MixLockPaths, ::testing::ValuesIn (lockPaths), testsupport::NameFromWhat {});

TEST (MixLock, IsOffByDefaultAndANewInstanceReadsTheStoredLock)
{
    EXPECT_FALSE (MassDelayAudioProcessor::isMixLocked());

    MassDelayAudioProcessor::setMixLocked (true);
    {
        MassDelayAudioProcessor proc;
        holdMix (proc);
        proc.applyPatch (patchWithOwnMix());
        EXPECT_FLOAT_EQ (rawValue (proc, params::id::mix), heldMix);
    }
    EXPECT_TRUE (presets::getMixLock (presets::defaultSettingsFile()));

    MassDelayAudioProcessor::setMixLocked (false);
    MassDelayAudioProcessor proc;
    holdMix (proc);
    proc.applyPatch (patchWithOwnMix());
    EXPECT_FLOAT_EQ (rawValue (proc, params::id::mix), 25.0f);
    EXPECT_EQ (rawValue (proc, params::id::mixBypass), 0.0f);
}

TEST (MixLock, ANewInstanceStillOpensWithTheWholeDefaultPatch)
{
    // A patch's mix is the lock's business only once a session runs: the
    // default patch of a new instance sounds as saved.
    MassDelayAudioProcessor probe;
    const presets::Patch* patch = nullptr;
    for (const auto& p : probe.getPresetLibrary().getPatches())
        if (const auto mix = p.params.getProperty (params::id::mix, {});
            ! mix.isVoid() && std::abs (static_cast<double> (mix) - 0.8) > 0.05)
        {
            patch = &p;
            break;
        }
    ASSERT_NE (patch, nullptr);
    presets::setDefaultPatchId (patch->id(), presets::defaultSettingsFile());
    MassDelayAudioProcessor::setMixLocked (true);
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (true);

    MassDelayAudioProcessor proc;
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    MassDelayAudioProcessor::setMixLocked (false);

    EXPECT_NEAR (proc.getValueTreeState().getParameter (params::id::mix)->getValue(),
                 static_cast<float> (static_cast<double> (patch->params.getProperty (params::id::mix, {}))), 1.0e-4f);
}
