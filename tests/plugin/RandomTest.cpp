#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>
#include <vector>

namespace
{
std::vector<float> normalisedValues (const MassDelayAudioProcessor& proc)
{
    std::vector<float> out;
    for (const auto* p : proc.getParameters())
        out.push_back (p->getValue());
    return out;
}

float rawValue (MassDelayAudioProcessor& proc, const juce::String& id)
{
    return proc.getValueTreeState().getRawParameterValue (id)->load();
}

void setRaw (MassDelayAudioProcessor& proc, const juce::String& id, float value)
{
    auto* p = proc.getValueTreeState().getParameter (id);
    p->setValueNotifyingHost (p->convertTo0to1 (value));
}

auto seedsOf (const MassDelayAudioProcessor& proc)
{
    return std::make_tuple (proc.getTremLfoSeed(), proc.getWaveLfoSeed(), proc.getPitchLfoSeed());
}

std::map<juce::String, bool> flagsOf (MassDelayAudioProcessor& proc)
{
    std::map<juce::String, bool> out;
    for (const auto& e : RandomMatrixState::entries)
        out[e.id] = proc.getRandomMatrix().isEnabled (e.id);
    return out;
}

juce::ValueTree stateWith (int value)
{
    juce::ValueTree t ("Parameters");
    t.setProperty ("n", value, nullptr);
    return t;
}

int valueOf (const juce::ValueTree& t)
{
    return static_cast<int> (t.getProperty ("n", -1));
}
} // namespace

//==============================================================================
TEST (RandomMatrix, HasFortyNineEntriesWithExactlyFiveOffByDefault)
{
    MassDelayAudioProcessor proc;
    auto& matrix = proc.getRandomMatrix();

    std::set<juce::String> off, ids;
    for (const auto& e : RandomMatrixState::entries)
    {
        ids.insert (e.id);
        EXPECT_NE (proc.getValueTreeState().getParameter (e.id), nullptr) << e.id;
        EXPECT_EQ (matrix.isEnabled (e.id), e.defaultOn) << e.id;
        if (! matrix.isEnabled (e.id))
            off.insert (e.id);
    }
    EXPECT_EQ (ids.size(), 49u);
    EXPECT_EQ (off, (std::set<juce::String> { "hp", "lp", "mix", "flipped", "pd" }));

    // The flags are properties of the state's "RandomMatrix" child.
    const auto child = proc.getValueTreeState().state.getChildWithName ("RandomMatrix");
    ASSERT_TRUE (child.isValid());
    EXPECT_EQ (child.getNumProperties(), 49);
    EXPECT_FALSE (static_cast<bool> (child.getProperty ("enabled_hp")));
    EXPECT_TRUE (static_cast<bool> (child.getProperty ("enabled_g")));

    // Never in the matrix: these stay out of the Random action.
    for (const auto* id : { "fbk", "io2x", "tapCnt", "dc", "mixByp", "mout", "sideOnly", "tOd", "tBoost", "pitchGLink",
                            "pitchWLAmt", "pitchLB", "waveSync", "tremSync" })
        EXPECT_EQ (ids.count (id), 0u) << id;
}

TEST (RandomMatrix, SetsAndReplacesFlags)
{
    MassDelayAudioProcessor proc;
    auto& matrix = proc.getRandomMatrix();

    matrix.setAll (false);
    for (const auto& e : RandomMatrixState::entries)
        EXPECT_FALSE (matrix.isEnabled (e.id));
    matrix.setEnabled ("lp", true);
    EXPECT_TRUE (matrix.isEnabled ("lp"));
    EXPECT_TRUE (matrix.isEnabled ("noSuchId")); // a missing flag counts as on

    // A source names some flags: those are taken, the rest stay.
    juce::ValueTree source ("RandomMatrix");
    source.setProperty ("enabled_g", true, nullptr);
    source.setProperty ("enabled_lp", "0", nullptr);
    source.setProperty ("enabled_unrelated", true, nullptr);
    matrix.replaceFrom (source);
    EXPECT_TRUE (matrix.isEnabled ("g"));
    EXPECT_FALSE (matrix.isEnabled ("lp"));
    EXPECT_FALSE (matrix.isEnabled ("s"));
    EXPECT_FALSE (matrix.getState().hasProperty ("enabled_unrelated"));

    // Entries missing from both get their default.
    matrix.getState().removeProperty ("enabled_s", nullptr);
    matrix.getState().removeProperty ("enabled_hp", nullptr);
    matrix.replaceFrom (juce::ValueTree ("RandomMatrix"));
    EXPECT_TRUE (matrix.isEnabled ("s"));
    EXPECT_FALSE (matrix.isEnabled ("hp"));
}

TEST (AccordionLayout, StoresOneFlagPerSectionTitleUnderALegalKey)
{
    MassDelayAudioProcessor proc;
    auto& layout = proc.getAccordionLayout();
    EXPECT_EQ (AccordionLayoutState::expandedKey ("PITCH / CHORUS").toString(), "expanded_PITCH___CHORUS");
    EXPECT_EQ (AccordionLayoutState::expandedKey ("WAVE").toString(), "expanded_WAVE");

    for (const auto* title : AccordionLayoutState::sectionTitles)
        EXPECT_TRUE (layout.isExpanded (title)); // missing means open
    layout.setExpanded ("PITCH / CHORUS", false);
    layout.setExpanded ("Some New Section", false);
    EXPECT_FALSE (layout.isExpanded ("PITCH / CHORUS"));
    EXPECT_FALSE (layout.isExpanded ("Some New Section"));
    const auto child = proc.getValueTreeState().state.getChildWithName ("AccordionLayout");
    EXPECT_FALSE (static_cast<bool> (child.getProperty ("expanded_PITCH___CHORUS", true)));

    juce::ValueTree other ("AccordionLayout");
    other.setProperty ("expanded_TAPE", false, nullptr);
    other.setProperty ("expanded_Some_New_Section", true, nullptr);
    layout.replaceFrom (other);
    EXPECT_FALSE (layout.isExpanded ("TAPE"));
    EXPECT_FALSE (layout.isExpanded ("PITCH / CHORUS"));   // not in other: kept
    EXPECT_FALSE (layout.isExpanded ("Some New Section")); // not one of the four: not copied
}

//==============================================================================
TEST (RandomHistoryList, StepsWithinItsEntriesAndDropsTheRedoBranchOnPush)
{
    RandomHistory history;
    EXPECT_EQ (history.getIndex(), -1);
    EXPECT_FALSE (history.canStepBack());
    EXPECT_FALSE (history.canStepForward());
    EXPECT_FALSE (history.stepBack().isValid());
    EXPECT_FALSE (history.stepForward().isValid());

    for (int i = 0; i < 3; ++i)
        history.push (stateWith (i));
    EXPECT_TRUE (history.canStepBack());
    EXPECT_FALSE (history.canStepForward());
    EXPECT_EQ (valueOf (history.stepBack()), 1);
    EXPECT_EQ (valueOf (history.stepBack()), 0);
    EXPECT_FALSE (history.canStepBack());
    EXPECT_FALSE (history.stepBack().isValid());
    EXPECT_EQ (history.getIndex(), 0);
    EXPECT_EQ (valueOf (history.stepForward()), 1);

    history.push (stateWith (7)); // drops entry 2
    EXPECT_EQ (history.size(), 3);
    EXPECT_FALSE (history.canStepForward());
    EXPECT_EQ (valueOf (history.stepBack()), 1);
    EXPECT_EQ (valueOf (history.stepForward()), 7);

    history.clear();
    EXPECT_EQ (history.size(), 0);
    EXPECT_EQ (history.getIndex(), -1);
}

TEST (RandomHistoryList, KeepsTheLatestSixtyFourDeepCopies)
{
    RandomHistory history;
    auto tree = stateWith (0);
    for (int i = 0; i < 70; ++i)
    {
        tree.setProperty ("n", i, nullptr);
        history.push (tree);
    }
    tree.setProperty ("n", 1000, nullptr); // the entries are copies

    EXPECT_EQ (history.size(), 64);
    int steps = 0;
    int last = -1;
    while (history.canStepBack())
    {
        last = valueOf (history.stepBack());
        ++steps;
    }
    EXPECT_EQ (steps, 63);
    EXPECT_EQ (last, 6);
    EXPECT_EQ (valueOf (history.stepForward()), 7);
}

//==============================================================================
TEST (RandomAction, AFreshInstanceHasOneEntryAndNowhereToStep)
{
    MassDelayAudioProcessor proc;
    EXPECT_EQ (proc.getRandomHistory().size(), 1);
    EXPECT_FALSE (proc.getRandomHistory().canStepBack());
    EXPECT_FALSE (proc.getRandomHistory().canStepForward());

    const auto before = normalisedValues (proc);
    const int generation = proc.getPatchGeneration();
    proc.randomStepBack();
    proc.randomStepForward();
    EXPECT_EQ (normalisedValues (proc), before);
    EXPECT_EQ (proc.getPatchGeneration(), generation);
}

TEST (RandomAction, SteppingBackRestoresParametersSeedsAndFlags)
{
    juce::Random rng (11);
    MassDelayAudioProcessor proc;
    setRaw (proc, "fbk", 12.0f);
    proc.getRandomMatrix().setEnabled ("hp", true);
    proc.randomizeParameters (rng);

    const auto firstValues = normalisedValues (proc);
    const auto firstSeeds = seedsOf (proc);
    const auto firstFlags = flagsOf (proc);

    proc.getRandomMatrix().setEnabled ("g", false);
    proc.getRandomMatrix().setEnabled ("lp", true);
    proc.randomizeParameters (rng);
    EXPECT_NE (normalisedValues (proc), firstValues);
    EXPECT_NE (seedsOf (proc), firstSeeds);
    const auto secondValues = normalisedValues (proc);
    const auto secondSeeds = seedsOf (proc);
    const auto secondFlags = flagsOf (proc);
    EXPECT_TRUE (proc.getRandomHistory().canStepBack());
    EXPECT_FALSE (proc.getRandomHistory().canStepForward());

    const int generation = proc.getPatchGeneration();
    proc.randomStepBack();
    EXPECT_EQ (normalisedValues (proc), firstValues);
    EXPECT_EQ (seedsOf (proc), firstSeeds);
    EXPECT_EQ (flagsOf (proc), firstFlags);
    EXPECT_EQ (proc.getPatchGeneration(), generation + 1); // a whole-state change snaps
    EXPECT_TRUE (proc.getRandomHistory().canStepForward());

    proc.randomStepForward();
    EXPECT_EQ (normalisedValues (proc), secondValues);
    EXPECT_EQ (seedsOf (proc), secondSeeds);
    EXPECT_EQ (flagsOf (proc), secondFlags);
    EXPECT_EQ (proc.getPatchGeneration(), generation + 2);

    // Back to the start-up entry, then a new action drops the redo branch.
    proc.randomStepBack();
    proc.randomStepBack();
    EXPECT_FALSE (proc.getRandomHistory().canStepBack());
    EXPECT_EQ (rawValue (proc, "fbk"), 0.0f); // the edit before the first action was never pushed
    proc.randomizeParameters (rng);
    EXPECT_EQ (proc.getRandomHistory().size(), 2);
    EXPECT_FALSE (proc.getRandomHistory().canStepForward());
}

TEST (RandomAction, SeventyActionsKeepSixtyFourEntries)
{
    juce::Random rng (12);
    MassDelayAudioProcessor proc;
    std::vector<float> seventh;
    for (int i = 1; i <= 70; ++i)
    {
        proc.randomizeParameters (rng);
        if (i == 7)
            seventh = normalisedValues (proc);
    }
    EXPECT_EQ (proc.getRandomHistory().size(), 64);

    int steps = 0;
    while (proc.getRandomHistory().canStepBack())
    {
        proc.randomStepBack();
        ++steps;
    }
    EXPECT_EQ (steps, 63);
    EXPECT_EQ (normalisedValues (proc), seventh); // the oldest kept result
}

TEST (RandomAction, LeavesDisabledAndUnlistedParametersAlone)
{
    juce::Random rng (13);
    MassDelayAudioProcessor proc;
    const std::map<juce::String, float> fixed { { "hp", 300.0f },      { "lp", 800.0f },     { "mix", 37.0f },
                                                { "pd", 250.0f },      { "flipped", 1.0f },  { "fbk", 20.0f },
                                                { "tapCnt", 9.0f },    { "mout", -6.0f },    { "tBoost", 40.0f },
                                                { "pitchLB", 300.0f }, { "waveSync", 1.0f }, { "dc", 0.0f } };
    for (const auto& [id, v] : fixed)
        setRaw (proc, id, v);
    const auto expected = [&] {
        std::map<juce::String, float> m;
        for (const auto& [id, v] : fixed)
            m[id] = rawValue (proc, id);
        return m;
    }();

    const int generation = proc.getPatchGeneration();
    for (int i = 0; i < 20; ++i)
        proc.randomizeParameters (rng);

    for (const auto& [id, v] : expected)
        EXPECT_EQ (rawValue (proc, id), v) << id;
    EXPECT_EQ (proc.getPatchGeneration(), generation); // ordinary parameter changes, no snap
}

TEST (RandomAction, WithEveryFlagOffStillRerollsSeedsAndPushes)
{
    MassDelayAudioProcessor proc;
    proc.getRandomMatrix().setAll (false);
    const auto values = normalisedValues (proc);
    const auto seeds = seedsOf (proc);

    proc.randomizeParameters();
    EXPECT_EQ (normalisedValues (proc), values);
    EXPECT_NE (std::get<0> (seedsOf (proc)), std::get<0> (seeds));
    EXPECT_NE (std::get<1> (seedsOf (proc)), std::get<1> (seeds));
    EXPECT_NE (std::get<2> (seedsOf (proc)), std::get<2> (seeds));
    EXPECT_EQ (proc.getRandomHistory().size(), 2);

    // The new seeds are in the state and in the history entry.
    const auto seedState = proc.getValueTreeState().state.getChildWithName ("SeedState");
    EXPECT_EQ (static_cast<juce::int64> (seedState.getProperty ("waveLfoSeed")), juce::int64 { proc.getWaveLfoSeed() });
    const auto pushedSeeds = seedsOf (proc);
    proc.rerollWaveLfoSeed(); // not in the history
    EXPECT_NE (seedsOf (proc), pushedSeeds);
    proc.randomStepBack();
    EXPECT_EQ (seedsOf (proc), seeds);
    proc.randomStepForward();
    EXPECT_EQ (seedsOf (proc), pushedSeeds);
}

TEST (RandomAction, EveryStepOfIntegersAndBothSwitchPositionsOccur)
{
    juce::Random rng (14);
    MassDelayAudioProcessor proc;
    std::map<juce::String, std::set<int>> seen;
    std::map<juce::String, std::pair<float, float>> floatSpan;

    for (int i = 0; i < 400; ++i)
    {
        proc.randomizeParameters (rng);
        for (const auto& e : RandomMatrixState::entries)
        {
            if (! e.defaultOn)
                continue;
            auto* p = proc.getValueTreeState().getParameter (e.id);
            const float raw = rawValue (proc, e.id);
            if (dynamic_cast<juce::AudioParameterFloat*> (p) != nullptr)
            {
                auto& span = floatSpan.try_emplace (e.id, raw, raw).first->second;
                span = { std::min (span.first, raw), std::max (span.second, raw) };
                EXPECT_GE (raw, p->getNormalisableRange().start);
                EXPECT_LE (raw, p->getNormalisableRange().end);
            }
            else
            {
                seen[e.id].insert (static_cast<int> (raw));
            }
        }
    }

    EXPECT_EQ (seen["dcSteps"].size(), 16u);
    EXPECT_EQ (seen["dcMode"].size(), 3u);
    EXPECT_EQ (seen["lsh"].size(), 8u);
    EXPECT_EQ (seen["tremSh"].size(), 8u);
    EXPECT_EQ (seen["pitchSh"].size(), 7u);
    for (const auto* id :
         { "lk", "mu", "rev", "ppOn", "tp", "pitchOn", "pitchWide", "pitchSync", "pitch2x", "wo", "trem" })
        EXPECT_EQ (seen[id], (std::set<int> { 0, 1 })) << id;

    // Floats spread over their range; the draw is uniform in the normalised
    // domain, so skewed ranges keep their skew (pitch depth favours low values).
    for (const auto& [id, span] : floatSpan)
    {
        const auto& range = proc.getValueTreeState().getParameter (id)->getNormalisableRange();
        EXPECT_GT (span.second - span.first, 0.9f * (range.end - range.start)) << id;
    }
}

TEST (RandomAction, SingleRerollsChangeOnlyTheirSeed)
{
    MassDelayAudioProcessor proc;
    const auto [trem, wave, pitch] = seedsOf (proc);
    EXPECT_EQ (trem, 0xC0DEFADEu);
    EXPECT_EQ (wave, 0x5EED0001u);
    EXPECT_EQ (pitch, 0x27D4EB2Fu);

    proc.rerollWaveLfoSeed();
    EXPECT_EQ (proc.getTremLfoSeed(), trem);
    EXPECT_NE (proc.getWaveLfoSeed(), wave);
    EXPECT_EQ (proc.getPitchLfoSeed(), pitch);
    const auto state = proc.getValueTreeState().state.getChildWithName ("SeedState");
    EXPECT_EQ (static_cast<juce::int64> (state.getProperty ("waveLfoSeed")), juce::int64 { proc.getWaveLfoSeed() });

    proc.rerollTremLfoSeed();
    proc.rerollPitchLfoSeed();
    EXPECT_NE (proc.getTremLfoSeed(), trem);
    EXPECT_NE (proc.getPitchLfoSeed(), pitch);
    EXPECT_EQ (proc.getRandomHistory().size(), 1); // rerolls push nothing
}
