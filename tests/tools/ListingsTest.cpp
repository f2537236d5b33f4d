// --list-presets and --list-params name everything --preset and --set accept,
// user presets included.

#include "ToolFixture.h"

#include "params/ParameterTable.h"

using namespace tooltest;

namespace
{
class Listings : public ToolFixture
{
protected:
    // A user preset file below the user preset folder the program uses.
    void addUserPreset (const juce::String& relativePath, const juce::String& paramsJson)
    {
        const auto f = config.getChildFile ("TwistDelay/Presets").getChildFile (relativePath);
        ASSERT_TRUE (f.getParentDirectory().createDirectory());
        ASSERT_TRUE (f.replaceWithText ("{ \"name\": \"ignored\", \"params\": " + paramsJson + " }"));
    }
};
} // namespace

TEST_F (Listings, PresetsListEveryFactoryIdThenTheUsersOwn)
{
    addUserPreset ("Live/Slap.json", R"({ "g": 0.9, "tapCnt": 0.1, "mix": 0.5 })");
    addUserPreset ("Traditional/INIT PATCH.json", R"({ "g": 0.2 })");

    const auto text = run ({ "--list-presets" });
    ASSERT_EQ (text.exitCode, 0) << text.err;
    const auto ids = juce::StringArray::fromLines (text.out.trimEnd());
    EXPECT_EQ (ids.size(), 111 + 1) << "the user's INIT PATCH replaces the factory one, Slap is new";
    EXPECT_TRUE (ids.contains ("Traditional/INIT PATCH"));
    EXPECT_TRUE (ids.contains ("Sound Design/Glitch & Chaos/Broken Sequencer"));
    EXPECT_EQ (ids[ids.size() - 1], "Live/Slap");

    const auto json = run ({ "--list-presets", "--json" });
    ASSERT_EQ (json.exitCode, 0) << json.err;
    const auto list = juce::JSON::parse (json.out);
    ASSERT_TRUE (list.isArray());
    ASSERT_EQ (list.size(), ids.size());
    juce::StringArray users;
    for (const auto& entry : *list.getArray())
        if (entry["source"].toString() == "user")
            users.add (entry["id"].toString());
    users.sort (false);
    EXPECT_EQ (users, juce::StringArray ({ "Live/Slap", "Traditional/INIT PATCH" }));
}

TEST_F (Listings, AUserPresetRendersAsTheProcessorLoadsIt)
{
    addUserPreset ("Live/Slap.json", R"({ "g": 0.9, "tapCnt": 0.1, "mix": 0.5, "dcv": 0.2 })");
    const auto input = testSignal (1, 48000.0, 1.0);
    ASSERT_TRUE (writeAudio (file ("in.wav"), input, 48000.0, "wav", 32));

    const auto result = run ({ "--preset", "Live/Slap", "--tail", "1", "in.wav", "out.wav" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto output = readAudio (file ("out.wav"));
    ASSERT_TRUE (output.has_value());

    ReferenceSettings reference;
    reference.presetId = "Live/Slap";
    const auto expected = renderWithProcessor (reference, input, 48000);
    ASSERT_GT (expected.output.getNumSamples(), 0) << "the reference processor does not see the user preset";
    ASSERT_EQ (output->samples.getNumSamples(), expected.output.getNumSamples());
    for (int i = 0; i < expected.output.getNumSamples(); ++i)
        ASSERT_EQ (output->samples.getSample (0, i), expected.output.getSample (0, i)) << "sample " << i;
}

TEST_F (Listings, ParametersListEveryIdWithItsRange)
{
    const auto json = run ({ "--list-params", "--json" });
    ASSERT_EQ (json.exitCode, 0) << json.err;
    const auto list = juce::JSON::parse (json.out);
    ASSERT_EQ (list.size(), static_cast<int> (params::table.size()));
    for (int i = 0; i < list.size(); ++i)
    {
        const auto& def = params::table[static_cast<std::size_t> (i)];
        EXPECT_EQ (list[i]["id"].toString(), juce::String (def.id.data(), def.id.size()));
        EXPECT_EQ (static_cast<float> (static_cast<double> (list[i]["min"])), def.min);
        EXPECT_EQ (static_cast<float> (static_cast<double> (list[i]["max"])), def.max);
        EXPECT_EQ (static_cast<float> (static_cast<double> (list[i]["default"])), def.defaultValue);
    }

    const auto text = run ({ "--list-params" });
    ASSERT_EQ (text.exitCode, 0);
    const auto lines = juce::StringArray::fromLines (text.out.trimEnd());
    ASSERT_EQ (lines.size(), static_cast<int> (params::table.size()));
    EXPECT_TRUE (lines[0].startsWith ("g ")) << lines[0];
    EXPECT_TRUE (lines[11].contains ("Tap Count") && lines[11].contains ("1..64")) << lines[11];
}
