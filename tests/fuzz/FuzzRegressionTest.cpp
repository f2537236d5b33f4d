// Every fuzz body on every seed of its corpus and on every input that once
// broke it: the regression half of the fuzzing, run with the ordinary tests.

#include "FuzzTargets.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

namespace
{
class FuzzSandbox : public ::testing::Environment
{
public:
    void SetUp() override { fuzzing::setUpSandbox(); }
};

[[maybe_unused]] const auto* const sandbox = ::testing::AddGlobalTestEnvironment (new FuzzSandbox());

struct InputFolder
{
    const char* what;
    const char* target;
    const char* folder; // below tests/fuzz
};

juce::Array<juce::File> inputsIn (const InputFolder& f)
{
    const auto dir = juce::File (TWIST_FUZZ_DIR).getChildFile (f.folder).getChildFile (f.target);
    auto files = dir.findChildFiles (juce::File::findFiles, false, "*");
    files.sort();
    return files;
}

class FuzzInputs : public ::testing::TestWithParam<InputFolder>
{};

TEST_P (FuzzInputs, EveryInputKeepsEveryCheck)
{
    const auto& f = GetParam();
    const auto* target = fuzzing::findTarget (f.target);
    ASSERT_NE (target, nullptr);

    const auto files = inputsIn (f);
    if (juce::String (f.folder) == "corpus")
    {
        EXPECT_FALSE (files.isEmpty()) << "no seeds for " << f.target;
    }

    for (const auto& file : files)
    {
        juce::MemoryBlock bytes;
        ASSERT_TRUE (file.loadFileAsData (bytes)) << file.getFullPathName();
        const auto outcome = target->body (static_cast<const std::uint8_t*> (bytes.getData()), bytes.getSize());
        EXPECT_EQ (outcome, "") << file.getFileName();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Targets, FuzzInputs, ::testing::Values (
    InputFolder { "state blob seeds", "state_blob", "corpus" },
    InputFolder { "state blob regressions", "state_blob", "regressions" },
    InputFolder { "preset file seeds", "preset_file", "corpus" },
    InputFolder { "preset file regressions", "preset_file", "regressions" },
    InputFolder { "settings file seeds", "settings_file", "corpus" },
    InputFolder { "settings file regressions", "settings_file", "regressions" },
    InputFolder { "favorites file seeds", "favorites_file", "corpus" },
    InputFolder { "favorites file regressions", "favorites_file", "regressions" },
    InputFolder { "slider text seeds", "slider_text", "corpus" },
    InputFolder { "slider text regressions", "slider_text", "regressions" },
    InputFolder { "parameter text seeds", "parameter_text", "corpus" },
    InputFolder { "command line seeds", "render_command_line", "corpus" },
    InputFolder { "command line regressions", "render_command_line", "regressions" }),
    testsupport::NameFromWhat());
// clang-format on
} // namespace
