#include "UiTestSupport.h"

#include "ui/Col.h"

#include <gtest/gtest.h>

namespace
{
// Runs the built twist-snapshot with a home folder of its own (so it never
// reads the user's presets or settings); returns its exit code.
int runSnapshot (const juce::StringArray& args, const juce::File& home, juce::String& output)
{
    juce::StringArray command { "env", "HOME=" + home.getFullPathName(), TWIST_SNAPSHOT_BINARY };
    command.addArray (args);
    juce::ChildProcess process;
    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return -1;
    output = process.readAllProcessOutput();
    if (! process.waitForProcessToFinish (60000))
    {
        process.kill();
        return -1;
    }
    return static_cast<int> (process.getExitCode());
}

struct SnapshotTool : public ::testing::Test
{
    juce::Image render (const juce::String& open)
    {
        juce::StringArray args { "editor", out.getFullPathName(), "--scale", "1", "--ticks", "2" };
        const auto name = open.isEmpty() ? juce::String ("plain") : open;
        args.addArray ({ "--name", name });
        if (open.isNotEmpty())
            args.addArray ({ "--open", open });
        juce::String output;
        EXPECT_EQ (runSnapshot (args, home.getFile(), output), 0) << output;
        return juce::ImageFileFormat::loadFrom (out.getChildFile (name + "@1x.png"));
    }

    // Pixels of the area that differ between two pictures.
    static int differing (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
    {
        int n = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (uitest::colourDistance (a.getPixelAt (x, y), b.getPixelAt (x, y)) > 24)
                    ++n;
        return n;
    }

    juce::TemporaryFile home, folder;
    const juce::File out = folder.getFile();
};
} // namespace

TEST_F (SnapshotTool, OpenShowsEachPanelDialogAndMenuOverTheEditor)
{
    const auto plain = render ({});
    ASSERT_TRUE (plain.isValid());
    const auto editorArea = plain.getBounds();

    // Options: the panel slid in at the right, from the Twist row down.
    const auto options = render ("options");
    ASSERT_EQ (options.getBounds(), editorArea);
    const juce::Rectangle<int> panel (editorArea.getWidth() - 320, 233, 320, editorArea.getHeight() - 233 - 9);
    EXPECT_GT (differing (plain, options, panel), panel.getWidth() * panel.getHeight() / 10);
    EXPECT_LE (uitest::colourDistance (
                   uitest::strongestInk (options, { panel.getX() + 8, panel.getY() + 6, 200, 18 }, Col::bg0), Col::am),
               8);
    // The Options button is lit while its panel is open.
    EXPECT_GT (differing (plain, options, { 376, 11, 72, 24 }), 100);

    // About: everything dimmed, the dialog centred with its amber title.
    const auto about = render ("about");
    ASSERT_EQ (about.getBounds(), editorArea);
    const juce::Rectangle<int> dialog ((editorArea.getWidth() - 340) / 2, (editorArea.getHeight() - 355) / 2, 340, 355);
    EXPECT_LE (
        uitest::colourDistance (
            uitest::strongestInk (about, { dialog.getX() + 16, dialog.getY() + 14, 200, 20 }, Col::bg0), Col::am),
        8);
    const auto title = juce::Rectangle<int> (12, 11, 40, 24);
    EXPECT_LT (uitest::strongestInk (about, title, juce::Colours::black).getBrightness(),
               uitest::strongestInk (plain, title, juce::Colours::black).getBrightness() * 0.4f);

    // Licences: the about dialog, and the notices window beside the editor.
    const auto licences = render ("licences");
    ASSERT_GE (licences.getWidth(), editorArea.getWidth() + 480);
    EXPECT_LE (
        uitest::colourDistance (
            uitest::strongestInk (licences, { dialog.getX() + 16, dialog.getY() + 14, 200, 20 }, Col::bg0), Col::am),
        8);
    const auto notices = licences.getBounds().withTrimmedLeft (licences.getWidth() - 480).withHeight (200);
    EXPECT_GT (uitest::countNear (licences, notices, Col::t1, 40), 200) << "the notices' text";

    // Presets: the menu below the name, drawn in the menu colours.
    const auto presets = render ("presets");
    ASSERT_GE (presets.getHeight(), editorArea.getHeight());
    const juce::Rectangle<int> belowName (60, 70, 150, 200);
    EXPECT_GT (differing (plain, presets, belowName), 1000);
    EXPECT_GT (uitest::countNear (presets, belowName, Col::bg1, 2), 10000);
}

TEST_F (SnapshotTool, RefusesWhatItCannotOpen)
{
    juce::String output;
    EXPECT_EQ (runSnapshot ({ "editor", out.getFullPathName(), "--open", "mixer" }, home.getFile(), output), 2);
    EXPECT_EQ (runSnapshot ({ "gallery", out.getFullPathName(), "--open", "about" }, home.getFile(), output), 2);
    EXPECT_TRUE (output.contains ("go with the editor mode")) << output;
    EXPECT_EQ (out.getNumberOfChildFiles (juce::File::findFiles), 0);
}
