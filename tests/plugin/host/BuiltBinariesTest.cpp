#include "support/CaseName.h"

#include <gtest/gtest.h>
#include <juce_audio_devices/juce_audio_devices.h>

#include <set>
#include <string>
#include <thread>

// The built binaries as the system sees them: what they export to the
// process that loads them, what they contain, and the standalone app on a
// machine without a JACK server.
namespace
{
struct BinaryCase
{
    const char* what;
    const char* path;
    std::set<std::string> entryPoints; // the plug-ins' only exports
};

// clang-format off
const BinaryCase pluginBinaries[] = {
    { "VST3", TWIST_VST3_BINARY, { "GetPluginFactory", "ModuleEntry", "ModuleExit" } },
    { "LV2", TWIST_LV2_BINARY, { "lv2_descriptor", "lv2ui_descriptor" } },
};
const BinaryCase allBinaries[] = {
    pluginBinaries[0],
    pluginBinaries[1],
    { "Standalone", TWIST_STANDALONE_BINARY, {} },
};
// clang-format on

class PluginBinary : public ::testing::TestWithParam<BinaryCase>
{};

class BuiltBinary : public ::testing::TestWithParam<BinaryCase>
{};

// Runs a program to its end and returns what it printed; fails the test
// when it cannot be started or does not succeed.
juce::String output (const juce::StringArray& command)
{
    juce::ChildProcess process;
    if (! process.start (command))
    {
        ADD_FAILURE() << "cannot run " << command.joinIntoString (" ");
        return {};
    }
    const auto text = process.readAllProcessOutput();
    EXPECT_EQ (process.getExitCode(), 0u) << command.joinIntoString (" ") << "\n" << text;
    return text;
}

// The names a binary defines in its dynamic symbol table.
std::set<std::string> exportedNames (const char* path)
{
    std::set<std::string> names;
    juce::StringArray lines;
    lines.addLines (output ({ "nm", "-D", "--defined-only", path }));
    for (const auto& line : lines)
    {
        const auto fields = juce::StringArray::fromTokens (line, " ", "");
        if (fields.size() >= 3)
            names.insert (fields[fields.size() - 1].toStdString());
    }
    return names;
}

bool contains (const juce::MemoryBlock& bytes, const char* text)
{
    const auto* data = static_cast<const char*> (bytes.getData());
    const std::string_view haystack (data, bytes.getSize());
    return haystack.find (text) != std::string_view::npos;
}
} // namespace

TEST_P (PluginBinary, ExportsOnlyItsEntryPoints)
{
    const auto& c = GetParam();
    const auto names = exportedNames (c.path);
    EXPECT_EQ (names, c.entryPoints);

    // In particular nothing of the LV2 libraries a host may load itself.
    for (const auto& name : names)
        for (const char* library : { "lilv_", "serd_", "sord_", "sratom_" })
            EXPECT_EQ (name.find (library), std::string::npos) << name;
}

TEST_P (BuiltBinary, CarriesNoPluginHostingCode)
{
    juce::MemoryBlock bytes;
    ASSERT_TRUE (juce::File (GetParam().path).loadFileAsData (bytes));
    ASSERT_GT (bytes.getSize(), 100000u);

    // The type names of JUCE's hosting formats and the LV2 world's search
    // path variable would be there with any hosting compiled in.
    for (const char* mark : { "VST3PluginFormat", "LV2PluginFormat", "VST3PluginInstance", "LV2_PATH" })
        EXPECT_FALSE (contains (bytes, mark)) << mark;
    // While the plug-in's own code is.
    EXPECT_TRUE (contains (bytes, "MassDelayAudioProcessor"));
}

#if TWIST_STRIPPED_BINARIES
TEST_P (BuiltBinary, IsStrippedAndNamesItsDebugSymbols)
{
    const auto sections = output ({ "readelf", "--section-headers", "--wide", GetParam().path });
    EXPECT_FALSE (sections.contains (".symtab"));
    EXPECT_FALSE (sections.contains (".debug_"));
    EXPECT_TRUE (sections.contains (".gnu_debuglink"));
}
#endif

INSTANTIATE_TEST_SUITE_P (Formats, PluginBinary, ::testing::ValuesIn (pluginBinaries), testsupport::NameFromWhat());
INSTANTIATE_TEST_SUITE_P (Formats, BuiltBinary, ::testing::ValuesIn (allBinaries), testsupport::NameFromWhat());

TEST (Standalone, OffersJackBesideAlsa)
{
    // The device types of the shared code the app is built from.
    juce::AudioDeviceManager devices;
    juce::StringArray types;
    for (auto* type : devices.getAvailableDeviceTypes())
        types.add (type->getTypeName());
    EXPECT_TRUE (types.contains ("ALSA")) << types.joinIntoString (", ");
    EXPECT_TRUE (types.contains ("JACK")) << types.joinIntoString (", ");

    // And the app itself looks for the JACK library when it runs.
    juce::MemoryBlock bytes;
    ASSERT_TRUE (juce::File (TWIST_STANDALONE_BINARY).loadFileAsData (bytes));
    EXPECT_TRUE (contains (bytes, "libjack.so.0"));
    EXPECT_TRUE (contains (bytes, "jack_client_open"));
}

TEST (Standalone, RunsWithoutAJackServer)
{
    // A home of its own (the app writes its settings there) and a JACK server
    // name nobody serves, so no server can answer even where one runs.
    const juce::TemporaryFile home;
    ASSERT_TRUE (home.getFile().createDirectory().wasOk());
    const auto server = "twist-test-no-server-" + juce::String (juce::Time::currentTimeMillis());

    const juce::StringArray command { "env", "HOME=" + home.getFile().getFullPathName(),
                                      "JACK_DEFAULT_SERVER=" + server, "JACK_NO_START_SERVER=1",
                                      TWIST_STANDALONE_BINARY };
    juce::ChildProcess app;
    ASSERT_TRUE (app.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));

    // Three seconds of running: the window, the audio device search (JACK
    // first answers that there is no server) and the plug-in's start.
    for (int i = 0; i < 30 && app.isRunning(); ++i)
        std::this_thread::sleep_for (std::chrono::milliseconds (100));
    const bool running = app.isRunning();
    app.kill();
    EXPECT_TRUE (running) << "the app ended by itself:\n" << app.readAllProcessOutput();
    home.getFile().deleteRecursively();
}
