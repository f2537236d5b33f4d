// A host that opens and closes the plug-in's window again and again, as users
// do all session long, must not see its memory grow with each time.
#include "host/HostedPlugin.h"
#include "host/HostedSession.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <iostream>

using testsupport::HostedPlugin;

namespace
{
// The process's resident memory in KiB, as /proc counts it.
long residentKiB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen ("/proc/self/statm", "r"))
    {
        if (std::fscanf (f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose (f);
    }
    return resident * sysconf (_SC_PAGESIZE) / 1024;
}

struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedEditorMemory : public ::testing::TestWithParam<FormatCase>
{};
} // namespace

TEST_P (HostedEditorMemory, StaysFlatOverFiftyOpensAndCloses)
{
    HostedPlugin plugin (GetParam().format, 48000.0, 512);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (48000.0, 512);

    auto openAndClose = [&] {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->setVisible (true);
        editor->addToDesktop (0);
        for (int i = 0; i < 100 && editor->getWidth() != 460; ++i)
            testsupport::pump (20);
        ASSERT_EQ (editor->getWidth(), 460);
        testsupport::pump (100); // a few of its refreshes
        testsupport::closeOnceSettled (editor);
        testsupport::pump (20);
    };

    // The first opens fill caches that stay (fonts, glyphs, images); the
    // growth is counted from the tenth on.
    std::vector<long> rss;
    for (int i = 1; i <= 50; ++i)
    {
        openAndClose();
        ASSERT_FALSE (HasFatalFailure()) << "open " << i;
        rss.push_back (residentKiB());
    }
    std::cout << GetParam().what << " resident memory after opens 1, 10, 20, 30, 40, 50 (KiB):";
    for (const int i : { 1, 10, 20, 30, 40, 50 })
        std::cout << " " << rss[static_cast<size_t> (i - 1)];
    std::cout << std::endl;

    // 40 opens with a leak of even 50 KiB each would add 2 MiB.
    EXPECT_LT (rss[49] - rss[9], 2048) << "KiB grown from open 10 to open 50";
    plugin->releaseResources();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedEditorMemory, ::testing::Values (
    FormatCase { "VST3", HostedPlugin::Format::VST3 },
    FormatCase { "LV2", HostedPlugin::Format::LV2 }),
    testsupport::NameFromWhat());
// clang-format on
