// States and preset files saved by an earlier version (tests/plugin/legacy,
// written once by write_legacy_fixtures) keep loading to the values they were
// saved with: every parameter, the seeds, the random matrix and the layout.
// A change of the stored format has to keep these files working.

#include "ProcessorFixture.h"

#include "dsp/ParamMapping.h"
#include "params/ParameterTable.h"
#include "plugin/ParameterRules.h"
#include "presets/PresetLibrary.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace
{
const juce::File legacyFolder { TWIST_LEGACY_FIXTURES };

juce::var expectedFor (const char* fixture)
{
    const auto all = juce::JSON::parse (legacyFolder.getChildFile ("expected.json"));
    return all.getProperty (fixture, {});
}

void expectParameters (MassDelayAudioProcessor& proc, const juce::var& expected)
{
    const auto values = expected.getProperty ("parameters", {});
    ASSERT_NE (values.getDynamicObject(), nullptr);
    for (const auto& def : params::table)
    {
        const juce::String id (def.id.data(), def.id.size());
        ASSERT_TRUE (values.hasProperty (id)) << id;
        const auto want = static_cast<double> (values.getProperty (id, {}));
        const auto got = static_cast<double> (proc.getValueTreeState().getRawParameterValue (id)->load());
        EXPECT_NEAR (got, want, 1.0e-6 * static_cast<double> (def.max - def.min)) << id;
    }
}

// The values a preset file gives once its load has settled them: with Tap
// Sync on, the predelay sits on the synced start at the tempo; a length
// within 8 ms of a round one sits on it.
juce::var settled (const juce::var& expected, float bpm)
{
    auto values = juce::JSON::parse (juce::JSON::toString (expected));
    auto parameters = values.getProperty ("parameters", {});
    const auto get = [&parameters] (const char* id) { return static_cast<float> (parameters.getProperty (id, {})); };
    if (get (params::id::tapSync) > 0.5f)
    {
        // At the parameter's step of 0.01 ms.
        const float ms = ParameterRules::startSpacingMs (get (params::id::start), true, false, bpm);
        parameters.getDynamicObject()->setProperty (params::id::predelay,
                                                    std::round (std::clamp (ms, 0.0f, 2000.0f) * 100.0f) / 100.0f);
    }
    const int lengthMs = static_cast<int> (mapping::lengthMs (get (params::id::length)));
    for (const int round : ParameterRules::roundLengthsMs)
        if (std::abs (lengthMs - round) < ParameterRules::snapDistanceMs && lengthMs != round)
            parameters.getDynamicObject()->setProperty (params::id::length, ParameterRules::lengthRawFor (round));
    return values;
}

struct LegacyFile
{
    const char* what;
    const char* file; // below the fixture folder, as named in expected.json
};

class LegacyStates : public ::testing::TestWithParam<LegacyFile>
{};

TEST_P (LegacyStates, LoadEveryValueSeedMatrixFlagAndSection)
{
    const auto& c = GetParam();
    const auto expected = expectedFor (c.file);
    ASSERT_NE (expected.getDynamicObject(), nullptr) << c.file;

    juce::MemoryBlock blob;
    ASSERT_TRUE (legacyFolder.getChildFile (c.file).loadFileAsData (blob));

    // Loaded into an instance that differs in everything first.
    testsupport::ProcessorFixture f;
    f.set ("g", 33.0f);
    f.set ("tapCnt", 7.0f);
    f.proc->setLfoSeeds (1, 2, 3);
    f.proc->getRandomMatrix().setAll (true);
    f.proc->getRandomMatrix().setEnabled ("hp", true);
    for (const auto* title : AccordionLayoutState::sectionTitles)
        f.proc->getAccordionLayout().setExpanded (title, true);
    f.runBlock();

    // A restore gives the state's values exactly; from the next block on,
    // the parameter rules may move what follows others (the predelay on a
    // synced start).
    f.proc->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    expectParameters (*f.proc, expected);
    f.runBlock();

    EXPECT_EQ (f.proc->getRequestedTapCount(), static_cast<int> (expected["parameters"].getProperty ("tapCnt", {})));

    const auto seeds = expected["seeds"];
    EXPECT_EQ (f.proc->getTremLfoSeed(), static_cast<std::uint32_t> (static_cast<juce::int64> (seeds["tremLfoSeed"])));
    EXPECT_EQ (f.proc->getWaveLfoSeed(), static_cast<std::uint32_t> (static_cast<juce::int64> (seeds["waveLfoSeed"])));
    EXPECT_EQ (f.proc->getPitchLfoSeed(),
               static_cast<std::uint32_t> (static_cast<juce::int64> (seeds["pitchLfoSeed"])));

    const auto matrix = expected["randomMatrix"];
    for (const auto& entry : RandomMatrixState::entries)
        EXPECT_EQ (f.proc->getRandomMatrix().isEnabled (entry.id), static_cast<bool> (matrix[entry.id])) << entry.id;

    const auto layout = expected["layout"];
    for (const auto* title : AccordionLayoutState::sectionTitles)
        EXPECT_EQ (f.proc->getAccordionLayout().isExpanded (title), static_cast<bool> (layout[title])) << title;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Files, LegacyStates, ::testing::Values (
    LegacyFile { "a new instance", "states/new-instance.state" },
    LegacyFile { "every parameter moved", "states/everything-moved.state" },
    LegacyFile { "a factory preset reversed with every effect on", "states/black-hole-bloom-reversed.state" }),
    testsupport::NameFromWhat());
// clang-format on

class LegacyPresets : public ::testing::TestWithParam<LegacyFile>
{};

TEST_P (LegacyPresets, ScanAndApplyToEveryValue)
{
    const auto& c = GetParam();
    const auto expected = expectedFor (c.file);
    ASSERT_NE (expected.getDynamicObject(), nullptr) << c.file;

    presets::PresetLibrary library;
    library.setUserDir (legacyFolder.getChildFile ("presets"));
    library.rescanUser();
    const auto file = legacyFolder.getChildFile (c.file);
    const auto id = library.folderFor (file).isEmpty()
                        ? file.getFileNameWithoutExtension()
                        : library.folderFor (file) + "/" + file.getFileNameWithoutExtension();
    const auto* patch = library.findById (id);
    ASSERT_NE (patch, nullptr) << id;

    testsupport::ProcessorFixture f;
    f.set ("g", 33.0f);
    f.proc->applyPatch (*patch);
    f.runBlock();
    expectParameters (*f.proc, settled (expected, f.proc->getLastTempo()));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Files, LegacyPresets, ::testing::Values (
    LegacyFile { "every parameter moved, in a sub-folder", "presets/Live/Guitar/Everything Moved.json" },
    LegacyFile { "a factory preset reversed with every effect on", "presets/Black Hole Bloom Reversed.json" }),
    testsupport::NameFromWhat());
// clang-format on
} // namespace
