#include "UiTestSupport.h"

#include "EditorSnapshot.h"
#include "params/ParameterTable.h"
#include "plugin/PluginEditor.h"
#include "ui/HudOverlay.h"

#include <gtest/gtest.h>

namespace
{
using Hud = VisualizerComponent::ActiveHud;

// The editor as twist-snapshot renders it, with a control dragged or
// hovered, after a number of refresh ticks.
std::unique_ptr<EditorSnapshot> editorWith (const juce::String& dragged, const juce::String& hovered, int ticks = 14)
{
    EditorSnapshot::Setup setup;
    setup.dragId = dragged;
    setup.hoverId = hovered;
    setup.ticks = ticks;
    juce::String error;
    auto snapshot = EditorSnapshot::create (setup, error);
    EXPECT_NE (snapshot, nullptr) << error;
    return snapshot;
}

// Counts the repaints that reach the visualizer or any of its overlays.
uitest::RepaintCounter& countRepaints (juce::Component& c)
{
    auto* counter = new uitest::RepaintCounter();
    c.setCachedComponentImage (counter);
    counter->count = 0; // installing it repaints once
    return *counter;
}
} // namespace

TEST (HudSelection, EachDraggedOrHoveredControlBringsUpItsOverlay)
{
    struct Case
    {
        const char* dragged;
        const char* hovered;
        Hud hud;
        const char* touched; // touchedParamId the overlays are given
    };
    const std::vector<Case> cases {
        { "hp", "", Hud::Eq, "" },
        { "lp", "", Hud::Eq, "" },
        { "dcv", "", Hud::Decay, "" },
        { "dcSteps", "", Hud::Decay, "" },
        { "dcMode", "", Hud::Decay, "" },
        { "tBoost", "", Hud::TapeChain, "tBoost" },
        { "sat", "", Hud::TapeChain, "sat" },
        { "td", "", Hud::TapeChain, "td" },
        { "tpWet", "", Hud::TapeMix, "tpWet" },
        { "headBump", "", Hud::Bump, "headBump" },
        { "flutter", "", Hud::Flutter, "flutter" },
        { "flutSpd", "", Hud::Flutter, "flutSpd" },
        { "mix", "", Hud::Mix, "" },
        { "mout", "", Hud::Master, "" },
        { "pitchRt", "", Hud::Pitch, "pitchRt" },
        { "pitchDp", "", Hud::Pitch, "pitchDp" },
        { "pitchCt", "", Hud::Pitch, "pitchCt" },
        { "pitchFbk", "", Hud::Pitch, "pitchFbk" },
        { "pitchMix", "", Hud::Pitch, "pitchMix" },
        { "pd", "", Hud::Start, "" },
        { "tDarken", "", Hud::Wear, "" },
        { "spread", "", Hud::Width, "" },
        { "dcFall", "", Hud::Falloff, "" },
        // Controls without an overlay.
        { "g", "", Hud::None, "" },
        { "fb", "", Hud::None, "" },
        { "tremD", "", Hud::None, "" },
        { "pitchSh", "", Hud::None, "" },
        // Hovering brings up only the three readouts, and only while
        // nothing is dragged.
        { "", "mix", Hud::Mix, "" },
        { "", "mout", Hud::Master, "" },
        { "", "pd", Hud::Start, "" },
        { "", "hp", Hud::None, "" },
        { "", "tpWet", Hud::None, "" },
        { "g", "mix", Hud::None, "" },
        { "hp", "mout", Hud::Eq, "" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("dragged '") + c.dragged + "', hovered '" + c.hovered + "'");
        auto snapshot = editorWith (c.dragged, c.hovered);
        ASSERT_NE (snapshot, nullptr);
        auto& viz = snapshot->getEditor().getVisualizer();
        EXPECT_EQ (viz.getShownHud(), c.hud);
        EXPECT_EQ (viz.getState().touchedParamId, c.touched);

        // Exactly the chosen overlay is on screen, fully ramped in.
        const auto* chosen = viz.getOverlay (c.hud);
        for (const auto* overlay : viz.getOverlays())
        {
            EXPECT_EQ (overlay->isVisible(), overlay == chosen);
            EXPECT_EQ (overlay->isActive(), overlay == chosen);
        }
        if (chosen != nullptr)
        {
            EXPECT_FLOAT_EQ (chosen->getLevel(), 1.0f);
        }
    }
}

TEST (HudSelection, TheOverlayDrawsOverThePlotAndLeavesTheStripsAlone)
{
    // What a drag adds to the picture of the visualizer lies within the
    // overlay area, above the length and density strips.
    auto plain = editorWith ("", "");
    ASSERT_NE (plain, nullptr);
    auto& idleViz = plain->getEditor().getVisualizer();
    const auto idle = uitest::render (idleViz);

    // (Dragging mix or mout also brightens the taps, so the master
    // readout is brought up by hovering here.)
    for (const auto& [dragId, hoverId] : std::vector<std::pair<const char*, const char*>> { { "hp", "" },
                                                                                            { "dcv", "" },
                                                                                            { "sat", "" },
                                                                                            { "tpWet", "" },
                                                                                            { "headBump", "" },
                                                                                            { "flutter", "" },
                                                                                            { "spread", "" },
                                                                                            { "pitchCt", "" },
                                                                                            { "", "mout" } })
    {
        SCOPED_TRACE (juce::String (dragId) + hoverId);
        auto dragged = editorWith (dragId, hoverId);
        ASSERT_NE (dragged, nullptr);
        auto& viz = dragged->getEditor().getVisualizer();
        const auto image = uitest::render (viz);
        ASSERT_EQ (image.getBounds(), idle.getBounds());
        juce::Rectangle<int> changed;
        int count = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (uitest::colourDistance (image.getPixelAt (x, y), idle.getPixelAt (x, y)) > 8)
                {
                    changed = changed.getUnion ({ x, y, 1, 1 });
                    ++count;
                }
        EXPECT_GT (count, 150) << "the overlay shows";
        EXPECT_LE (changed.getBottom(), viz.getHeight() - 54) << "the strips stay as they are";
    }
}

TEST (HudSelection, NothingRepaintsTheVisualizerWhileNoOverlayIsShownAndNothingChanged)
{
    auto snapshot = editorWith ("", "", 4);
    ASSERT_NE (snapshot, nullptr);
    auto& repaints = countRepaints (snapshot->getEditor().getVisualizer());
    for (int i = 0; i < 20; ++i)
        snapshot->tick();
    EXPECT_EQ (repaints.count, 0) << "the animation clocks run on, unseen";
}

TEST (HudSelection, AStaticOverlayCostsNothingOnceShownButAnAnimatedOneRepaintsOnEveryTick)
{
    struct Case
    {
        const char* dragged;
        bool animated;
    };
    for (const auto& c : { Case { "hp", false }, Case { "tpWet", false }, Case { "mix", false },
                           Case { "flutter", true }, Case { "spread", true } })
    {
        SCOPED_TRACE (c.dragged);
        auto snapshot = editorWith (c.dragged, "", 12); // ramped in by then
        ASSERT_NE (snapshot, nullptr);
        auto& repaints = countRepaints (snapshot->getEditor().getVisualizer());
        for (int i = 0; i < 10; ++i)
            snapshot->tick();
        if (c.animated)
        {
            EXPECT_GE (repaints.count, 10);
        }
        else
        {
            EXPECT_EQ (repaints.count, 0);
        }
    }

    // After the drag the overlay ramps out for 12 steps (six ticks) and
    // then nothing repaints any more.
    auto snapshot = editorWith ("spread", "", 12);
    ASSERT_NE (snapshot, nullptr);
    snapshot->getEditor().setDraggedParamId ({});
    for (int i = 0; i < 8; ++i)
        snapshot->tick();
    EXPECT_FALSE (snapshot->getEditor().getVisualizer().getOverlay (Hud::Width)->isVisible());
    auto& repaints = countRepaints (snapshot->getEditor().getVisualizer());
    for (int i = 0; i < 10; ++i)
        snapshot->tick();
    EXPECT_EQ (repaints.count, 0);
}

TEST (HudSelection, TheAnimatedOverlaysMoveFromTickToTick)
{
    for (const char* id : { "flutter", "spread" })
    {
        SCOPED_TRACE (id);
        // flutter needs some depth to move; the defaults may have none.
        EditorSnapshot::Setup setup;
        setup.dragId = id;
        setup.values = { { params::indexOf ("flutter"), "flutter", 60.0f },
                         { params::indexOf ("spread"), "spread", 100.0f } };
        setup.ticks = 12;
        juce::String error;
        auto snapshot = EditorSnapshot::create (setup, error);
        ASSERT_NE (snapshot, nullptr) << error;
        auto& viz = snapshot->getEditor().getVisualizer();
        const auto first = uitest::render (viz);
        snapshot->tick();
        snapshot->tick();
        const auto later = uitest::render (viz);
        int differing = 0;
        for (int y = 0; y < first.getHeight(); ++y)
            for (int x = 0; x < first.getWidth(); ++x)
                differing += uitest::colourDistance (first.getPixelAt (x, y), later.getPixelAt (x, y)) > 8 ? 1 : 0;
        EXPECT_GT (differing, 50);
    }
}

#ifdef TWIST_SNAPSHOT_BINARY
TEST (HudSelection, TheSnapshotProgramRendersADragOfAnyParameterAndRefusesUnknownOnes)
{
    const juce::File program (TWIST_SNAPSHOT_BINARY);
    ASSERT_TRUE (program.existsAsFile());
    const auto folder = juce::File::createTempFile ("twist-hud-snapshots");
    ASSERT_TRUE (folder.createDirectory());

    auto run = [&] (const juce::StringArray& extra, juce::String& output) {
        juce::StringArray args { program.getFullPathName(), "editor", folder.getFullPathName(), "--scale", "1" };
        args.addArray (extra);
        juce::ChildProcess child;
        if (! child.start (args, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
            return -1;
        output = child.readAllProcessOutput();
        child.waitForProcessToFinish (60000);
        return static_cast<int> (child.getExitCode());
    };

    juce::String output;
    EXPECT_NE (run ({ "--drag", "noSuchId", "--name", "bad" }, output), 0);
    EXPECT_TRUE (output.contains ("noSuchId")) << output;
    EXPECT_FALSE (folder.getChildFile ("bad@1x.png").exists());

    ASSERT_EQ (run ({ "--name", "plain" }, output), 0) << output;
    ASSERT_EQ (run ({ "--drag", "tpWet", "--name", "tape-mix" }, output), 0) << output;
    ASSERT_EQ (run ({ "--drag", "tremD", "--name", "tremolo" }, output), 0) << output;
    const auto plain = juce::ImageFileFormat::loadFrom (folder.getChildFile ("plain@1x.png"));
    const auto tapeMix = juce::ImageFileFormat::loadFrom (folder.getChildFile ("tape-mix@1x.png"));
    const auto tremolo = juce::ImageFileFormat::loadFrom (folder.getChildFile ("tremolo@1x.png"));
    ASSERT_TRUE (plain.isValid() && tapeMix.isValid() && tremolo.isValid());
    ASSERT_EQ (plain.getBounds(), tapeMix.getBounds());

    auto differing = [&] (const juce::Image& a, const juce::Image& b) {
        int n = 0;
        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                n += uitest::colourDistance (a.getPixelAt (x, y), b.getPixelAt (x, y)) > 8 ? 1 : 0;
        return n;
    };
    EXPECT_GT (differing (plain, tapeMix), 500) << "the tape mix bar over the plot";
    // A control without an overlay may still light its own slider, but the
    // plot stays as it is.
    auto snapshot = editorWith ("", "");
    ASSERT_NE (snapshot, nullptr);
    const auto vizArea = snapshot->getEditor().getLocalArea (&snapshot->getEditor().getVisualizer(),
                                                             snapshot->getEditor().getVisualizer().getLocalBounds());
    EXPECT_EQ (differing (plain.getClippedImage (vizArea), tremolo.getClippedImage (vizArea)), 0);
    EXPECT_GT (differing (plain.getClippedImage (vizArea), tapeMix.getClippedImage (vizArea)), 500);

    folder.deleteRecursively();
}
#endif
