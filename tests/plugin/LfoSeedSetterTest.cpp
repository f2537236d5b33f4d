#include "ProcessorFixture.h"

#include <gtest/gtest.h>

using testsupport::ProcessorFixture;

namespace
{
// The tap times of one block with Wave on and its stepped random shape, which
// draws from the Wave seed.
std::vector<float> waveTapTimes (ProcessorFixture& f)
{
    f.set ("wo", 1.0f);
    f.set ("lsh", 5.0f);
    f.set ("lfoDp", 100.0f);
    f.set ("tapCnt", 16.0f);
    f.runBlock();
    const auto taps = f.proc->getTapSnapshot();
    std::vector<float> times;
    for (int i = 0; i < taps.count; ++i)
        times.push_back (taps.taps[static_cast<std::size_t> (i)].timeMs);
    return times;
}
} // namespace

TEST (LfoSeedSetter, ChosenSeedsAreKeptSavedAndRestored)
{
    ProcessorFixture source;
    source.proc->setLfoSeeds (11u, 22u, 0xFFFFFFFFu);
    EXPECT_EQ (source.proc->getTremLfoSeed(), 11u);
    EXPECT_EQ (source.proc->getWaveLfoSeed(), 22u);
    EXPECT_EQ (source.proc->getPitchLfoSeed(), 0xFFFFFFFFu);

    juce::MemoryBlock blob;
    source.proc->getStateInformation (blob);
    ProcessorFixture target;
    target.proc->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    EXPECT_EQ (target.proc->getTremLfoSeed(), 11u);
    EXPECT_EQ (target.proc->getWaveLfoSeed(), 22u);
    EXPECT_EQ (target.proc->getPitchLfoSeed(), 0xFFFFFFFFu);
}

TEST (LfoSeedSetter, TheSameWaveSeedGivesTheSameLayoutAndAnotherOneADifferentOne)
{
    ProcessorFixture a, b, c;
    a.proc->setLfoSeeds (1u, 1234u, 1u);
    b.proc->setLfoSeeds (9u, 1234u, 9u);
    c.proc->setLfoSeeds (1u, 4321u, 1u);

    const auto timesA = waveTapTimes (a);
    ASSERT_GT (timesA.size(), 4u);
    EXPECT_EQ (waveTapTimes (b), timesA);
    EXPECT_NE (waveTapTimes (c), timesA);
}
