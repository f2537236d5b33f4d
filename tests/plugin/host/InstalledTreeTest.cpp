// `cmake --install` into a fresh prefix gives a tree a host finds and tools
// that run: the VST3 and LV2 bundles under the prefix's lib folders load
// through JUCE's hosting and process audio, the programs in bin run from
// there, and the manual pages, the menu entry's icons and the licence are in
// place.

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/stat.h>

namespace
{
struct Run
{
    int exitCode = -1;
    juce::String out;
};

Run runProgram (const juce::StringArray& command, const juce::File& workingDirectory = {})
{
    const auto previous = juce::File::getCurrentWorkingDirectory();
    if (workingDirectory != juce::File())
        workingDirectory.setAsCurrentWorkingDirectory();
    juce::ChildProcess child;
    Run run;
    if (child.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
    {
        run.out = child.readAllProcessOutput();
        run.exitCode = child.waitForProcessToFinish (120000) ? static_cast<int> (child.getExitCode()) : -1;
    }
    previous.setAsCurrentWorkingDirectory();
    return run;
}

bool isExecutableFile (const juce::File& f)
{
    struct stat st
    {};
    return ::stat (f.getFullPathName().toRawUTF8(), &st) == 0 && S_ISREG (st.st_mode) && (st.st_mode & S_IXUSR) != 0;
}

class InstalledTree : public ::testing::Test
{
protected:
    juce::File prefix;

    void SetUp() override
    {
        prefix = juce::File::createTempFile ("twist-install");
        ASSERT_TRUE (prefix.createDirectory());
        const auto install =
            runProgram ({ TWIST_CMAKE_COMMAND, "--install", TWIST_BUILD_DIR, "--prefix", prefix.getFullPathName() });
        ASSERT_EQ (install.exitCode, 0) << install.out;
    }

    void TearDown() override { prefix.deleteRecursively(); }

    // An installed manual page, uncompressed; checks its title line and
    // version on the way.
    juce::String manualPage (const juce::String& program) const
    {
        const auto page = prefix.getChildFile ("share/man/man1/" + program + ".1.gz");
        juce::FileInputStream compressed (page);
        if (! compressed.openedOk())
        {
            ADD_FAILURE() << page.getFullPathName() << " is missing";
            return {};
        }
        juce::GZIPDecompressorInputStream text (&compressed, false, juce::GZIPDecompressorInputStream::gzipFormat);
        const auto man = text.readEntireStreamAsString();
        EXPECT_TRUE (man.contains (".TH " + program.toUpperCase() + " \"1\"")) << page.getFullPathName();
        EXPECT_TRUE (man.contains ("Twist Delay " TWIST_VERSION)) << page.getFullPathName();
        return man;
    }

    // Loads the one plug-in of the format found in the folder, runs a block
    // of a tone through it and returns the output's peak (or -1).
    static float hostedPeak (juce::AudioPluginFormat& format, juce::OwnedArray<juce::PluginDescription>& types,
                             juce::String& error)
    {
        if (types.size() != 1)
        {
            error = juce::String (types.size()) + " plug-ins found";
            return -1.0f;
        }
        EXPECT_EQ (types[0]->name, "Twist Delay");
        auto instance = format.createInstanceFromDescription (*types[0], 48000.0, 512, error);
        if (instance == nullptr)
            return -1.0f;
        instance->setPlayConfigDetails (2, 2, 48000.0, 512);
        instance->prepareToPlay (48000.0, 512);
        juce::AudioBuffer<float> buffer (2, 512);
        juce::MidiBuffer midi;
        float peak = 0.0f;
        for (int block = 0; block < 8; ++block)
        {
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 512; ++i)
                    buffer.setSample (ch, i, 0.5f * std::sin (0.0576f * static_cast<float> (block * 512 + i)));
            instance->processBlock (buffer, midi);
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 512; ++i)
                {
                    if (! std::isfinite (buffer.getSample (ch, i)))
                        return -1.0f;
                    peak = std::max (peak, std::abs (buffer.getSample (ch, i)));
                }
        }
        instance->releaseResources();
        return peak;
    }
};
} // namespace

TEST_F (InstalledTree, AVst3HostFindsAndRunsTheBundleUnderLibVst3)
{
    const auto folder = prefix.getChildFile ("lib/vst3");
    juce::VST3PluginFormat format;
    const auto found = format.searchPathsForPlugins (juce::FileSearchPath (folder.getFullPathName()), true, false);
    ASSERT_EQ (found.size(), 1) << found.joinIntoString (", ");
    EXPECT_EQ (juce::File (found[0]), folder.getChildFile ("Twist Delay.vst3"));

    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, found[0]);
    juce::String error;
    EXPECT_GT (hostedPeak (format, types, error), 0.01f) << error;
}

TEST_F (InstalledTree, AnLv2HostFindsAndRunsTheBundleUnderLibLv2)
{
    // Only the installed bundle may be visible: an empty home folder keeps
    // ~/.lv2 out of the search.
    const auto emptyHome = prefix.getChildFile ("home");
    ASSERT_TRUE (emptyHome.createDirectory());
    setenv ("HOME", emptyHome.getFullPathName().toRawUTF8(), 1);

    const auto folder = prefix.getChildFile ("lib/lv2");
    ASSERT_TRUE (folder.getChildFile ("Twist Delay.lv2/manifest.ttl").existsAsFile());
    juce::LV2PluginFormat format;
    format.searchPathsForPlugins (juce::FileSearchPath (folder.getFullPathName()), true, false);
    juce::OwnedArray<juce::PluginDescription> types;
    format.findAllTypesForFile (types, TWIST_LV2_URI);
    juce::String error;
    EXPECT_GT (hostedPeak (format, types, error), 0.01f) << error;
}

TEST_F (InstalledTree, TheProgramsRunFromBinAndTheirPagesAndLicenceAreInstalled)
{
    const auto bin = prefix.getChildFile ("bin");
    for (const auto* name : { "twist-render", "twist-snapshot", "twist-delay" })
        EXPECT_TRUE (isExecutableFile (bin.getChildFile (name))) << name;

    for (const auto* tool : { "twist-render", "twist-snapshot" })
    {
        const auto version = runProgram ({ bin.getChildFile (tool).getFullPathName(), "--version" });
        EXPECT_EQ (version.exitCode, 0) << tool;
        EXPECT_TRUE (version.out.startsWith (juce::String (tool) + " (Twist Delay) " TWIST_VERSION "\n"))
            << version.out;
#if TWIST_MAN_PAGES
        const auto man = manualPage (tool);
        EXPECT_TRUE (man.contains ("\\fB\\-\\-version\\fR")) << tool;
#endif
    }
    EXPECT_TRUE (manualPage ("twist-delay").contains ("Save current state"));

    // The installed renderer renders the demo phrase on its own.
    const auto work = prefix.getChildFile ("work");
    ASSERT_TRUE (work.createDirectory());
    const auto render = runProgram (
        { bin.getChildFile ("twist-render").getFullPathName(), "--quiet", "--tail", "0", "demo.wav" }, work);
    EXPECT_EQ (render.exitCode, 0) << render.out;
    EXPECT_GT (work.getChildFile ("demo.wav").getSize(), 100000) << render.out;

    EXPECT_TRUE (prefix.getChildFile ("share/doc/twist-delay/LICENSE")
                     .loadFileAsString()
                     .contains ("GNU GENERAL PUBLIC LICENSE"));
}

TEST_F (InstalledTree, TheMenuEntryFindsItsIconInEverySizeOfTheHicolorTheme)
{
    const auto entry = prefix.getChildFile ("share/applications/twist-delay.desktop").loadFileAsString();
    EXPECT_TRUE (entry.contains ("\nExec=twist-delay\n")) << entry;
    EXPECT_TRUE (entry.contains ("\nIcon=twist-delay\n")) << entry;

    const auto hicolor = prefix.getChildFile ("share/icons/hicolor");
    EXPECT_TRUE (hicolor.getChildFile ("scalable/apps/twist-delay.svg").loadFileAsString().contains ("<svg"));
#if TWIST_ICON_PNGS
    int sizes = 0;
    for (const auto& folder : hicolor.findChildFiles (juce::File::findDirectories, false, "*x*"))
    {
        const int size = folder.getFileName().upToFirstOccurrenceOf ("x", false, false).getIntValue();
        const auto image = juce::ImageFileFormat::loadFrom (folder.getChildFile ("apps/twist-delay.png"));
        ASSERT_TRUE (image.isValid()) << folder.getFullPathName();
        EXPECT_EQ (image.getWidth(), size) << folder.getFileName();
        EXPECT_EQ (image.getHeight(), size) << folder.getFileName();
        // The tile itself, not a transparent square: the middle is opaque.
        EXPECT_EQ (image.getPixelAt (size / 2, size / 2).getAlpha(), 255) << folder.getFileName();
        ++sizes;
    }
    EXPECT_GE (sizes, 5);
#endif
}
