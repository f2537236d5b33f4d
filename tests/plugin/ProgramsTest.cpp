#include "ProcessorFixture.h"

#include "support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::ProcessorFixture;

// The factory bank as the host's program list: what a host lists, what
// choosing a program does, and which program is current.
namespace
{
const presets::Patch& factoryPatch (MassDelayAudioProcessor& proc, int index)
{
    return proc.getPresetLibrary().getPatches()[static_cast<std::size_t> (index)];
}

std::vector<float> normalisedValues (MassDelayAudioProcessor& proc)
{
    std::vector<float> values;
    for (auto* p : proc.getParameters())
        values.push_back (p->getValue());
    return values;
}

// A play head that makes a program choice from inside processBlock, as a
// host calling back on its audio thread would.
class ChoosingPlayHead : public testsupport::TestPlayHead
{
public:
    MassDelayAudioProcessor* proc = nullptr;
    int program = -1;

    juce::Optional<PositionInfo> getPosition() const override
    {
        if (proc != nullptr && program >= 0)
            proc->setCurrentProgram (program);
        return TestPlayHead::getPosition();
    }
};

// Programs spread over the banks: first, one with tap sync and effects, the
// init patch, one that lacks keys, the last.
constexpr int someProgramIndices[] = { 0, 30, 73, 108, 110 };
} // namespace

TEST (Programs, TheHostListsTheFactoryBankInBankOrder)
{
    MassDelayAudioProcessor proc;
    const auto& library = proc.getPresetLibrary();
    ASSERT_EQ (library.getFactoryCount(), 111u);
    ASSERT_EQ (proc.getNumPrograms(), 111);

    for (int i = 0; i < 111; ++i)
        EXPECT_EQ (proc.getProgramName (i), library.getPatches()[static_cast<std::size_t> (i)].name) << i;

    EXPECT_EQ (proc.getProgramName (0), "Analog Synth Bounce");
    EXPECT_EQ (proc.getProgramName (73), "INIT PATCH");
    EXPECT_EQ (proc.getProgramName (110), "Slippery Cello");
    EXPECT_TRUE (proc.getProgramName (-1).isEmpty());
    EXPECT_TRUE (proc.getProgramName (111).isEmpty());
}

TEST (Programs, ChoosingAProgramAppliesThePatchAsThePresetBarDoes)
{
    for (const int index : someProgramIndices)
    {
        SCOPED_TRACE (index);
        ProcessorFixture chosen;
        ProcessorFixture applied;
        const int generation = chosen.proc->getPatchGeneration();

        chosen.proc->setCurrentProgram (index);
        applied.proc->applyPatch (factoryPatch (*applied.proc, index));

        EXPECT_EQ (chosen.proc->getCurrentProgram(), index);
        EXPECT_EQ (applied.proc->getCurrentProgram(), index);
        EXPECT_EQ (normalisedValues (*chosen.proc), normalisedValues (*applied.proc));
        EXPECT_EQ (chosen.proc->getCurrentPatchName(), factoryPatch (*chosen.proc, index).name);
        EXPECT_EQ (chosen.proc->getCurrentPatchFolder(), factoryPatch (*chosen.proc, index).folder);
        EXPECT_EQ (chosen.proc->getPatchGeneration(), generation + 1);

        // The same snap into the patch, and the same sound after it.
        for (int block = 0; block < 40; ++block)
        {
            auto a = testsupport::noise (2, ProcessorFixture::blockSize, block);
            auto b = a;
            juce::MidiBuffer midi;
            chosen.proc->processBlock (a, midi);
            applied.proc->processBlock (b, midi);
            ASSERT_TRUE (testsupport::identical (a, b)) << "block " << block;
        }
    }
}

TEST (Programs, TheCurrentProgramIsTheFactoryPatchAppliedLast)
{
    MassDelayAudioProcessor proc;
    proc.applyPatch (factoryPatch (proc, 12));
    EXPECT_EQ (proc.getCurrentProgram(), 12);

    // A user preset, even one saved under a factory patch's id, is not that
    // factory patch: the program stays.
    juce::DynamicObject::Ptr values = new juce::DynamicObject();
    values->setProperty ("g", 0.9);
    const presets::Patch user { factoryPatch (proc, 40).name, factoryPatch (proc, 40).folder,
                                juce::var (values.get()) };
    proc.applyPatch (user);
    EXPECT_EQ (proc.getCurrentProgram(), 12);
    EXPECT_EQ (proc.getCurrentPatchName(), user.name);

    // A copy of a factory patch is that patch.
    const presets::Patch copy = factoryPatch (proc, 40);
    proc.applyPatch (copy);
    EXPECT_EQ (proc.getCurrentProgram(), 40);
}

TEST (Programs, APresetBarChoiceTellsTheHostItsProgramChanged)
{
    struct Listener : juce::AudioProcessorListener
    {
        int programChanges = 0;
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            programChanges += details.programChanged ? 1 : 0;
        }
    } listener;

    MassDelayAudioProcessor proc;
    proc.addListener (&listener);
    proc.applyPatch (factoryPatch (proc, 5));
    EXPECT_EQ (listener.programChanges, 1);
    proc.applyPatch (factoryPatch (proc, 5)); // the same program again
    EXPECT_EQ (listener.programChanges, 1);
    proc.removeListener (&listener);
}

TEST (Programs, ProgramsOutsideTheBankChangeNothing)
{
    MassDelayAudioProcessor proc;
    proc.setCurrentProgram (7);
    const auto before = normalisedValues (proc);
    const int generation = proc.getPatchGeneration();

    for (const int index : { -1, 111, 100000 })
        proc.setCurrentProgram (index);

    EXPECT_EQ (normalisedValues (proc), before);
    EXPECT_EQ (proc.getPatchGeneration(), generation);
    EXPECT_EQ (proc.getCurrentProgram(), 7);
}

TEST (Programs, AProgramChosenInsideProcessBlockWaitsForTheMessageThread)
{
    ProcessorFixture f;
    ChoosingPlayHead head;
    head.proc = f.proc.get();
    head.program = 30;
    f.proc->setPlayHead (&head);

    const auto before = normalisedValues (*f.proc);
    const int generation = f.proc->getPatchGeneration();
    {
        juce::AudioBuffer<float> buffer (2, ProcessorFixture::blockSize);
        buffer.clear();
        juce::MidiBuffer midi;
        const testsupport::AllocationCounter allocations;
        f.proc->processBlock (buffer, midi);
        EXPECT_EQ (allocations.count(), 0u);
    }
    head.program = -1;

    // Nothing replaced on the audio thread; the host already sees its choice.
    EXPECT_EQ (normalisedValues (*f.proc), before);
    EXPECT_EQ (f.proc->getPatchGeneration(), generation);
    EXPECT_EQ (f.proc->getCurrentProgram(), 30);

    ProcessorFixture reference;
    reference.proc->applyPatch (factoryPatch (*reference.proc, 30));
    const auto wanted = normalisedValues (*reference.proc);
    for (int i = 0; i < 100 && normalisedValues (*f.proc) != wanted; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_EQ (normalisedValues (*f.proc), wanted);
    EXPECT_EQ (f.proc->getPatchGeneration(), generation + 1);
    EXPECT_EQ (f.proc->getCurrentProgram(), 30);
    f.proc->setPlayHead (&f.playHead);
}

TEST (Programs, ARestoredStateNamesItsProgramAndKeepsItsOwnValues)
{
    ProcessorFixture saved;
    saved.proc->setCurrentProgram (42);
    saved.set ("g", -33.0f); // tweaked after choosing the program
    juce::MemoryBlock state;
    saved.proc->getStateInformation (state);

    ProcessorFixture restored;
    restored.proc->setCurrentProgram (3);
    restored.proc->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

    EXPECT_EQ (restored.proc->getCurrentProgram(), 42);
    EXPECT_EQ (normalisedValues (*restored.proc), normalisedValues (*saved.proc));
    EXPECT_NEAR (restored.proc->getValueTreeState().getRawParameterValue ("g")->load(), -33.0f, 0.01f);

    // A state without a program (older builds) leaves the current one.
    auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    ASSERT_NE (xml, nullptr);
    xml->removeAttribute (MassDelayAudioProcessor::programProperty);
    juce::MemoryBlock older;
    juce::AudioProcessor::copyXmlToBinary (*xml, older);
    restored.proc->setCurrentProgram (3);
    restored.proc->setStateInformation (older.getData(), static_cast<int> (older.getSize()));
    EXPECT_EQ (restored.proc->getCurrentProgram(), 3);
    EXPECT_NEAR (restored.proc->getValueTreeState().getRawParameterValue ("g")->load(), -33.0f, 0.01f);
}

TEST (Programs, EveryPatchApplicationIsCountedForTheEditorAndNothingElse)
{
    // An open editor shows the current patch again (without a modified mark)
    // when this count moves; state restores and history steps keep the mark.
    ProcessorFixture f;
    const int start = f.proc->getAppliedPatchCount();

    f.proc->setCurrentProgram (3);
    EXPECT_EQ (f.proc->getAppliedPatchCount(), start + 1);
    f.proc->applyPatch (factoryPatch (*f.proc, 4));
    EXPECT_EQ (f.proc->getAppliedPatchCount(), start + 2);

    juce::MemoryBlock state;
    f.proc->getStateInformation (state);
    f.proc->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    f.proc->randomizeParameters();
    f.proc->randomStepBack();
    EXPECT_EQ (f.proc->getAppliedPatchCount(), start + 2);
}
