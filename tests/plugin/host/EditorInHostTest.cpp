#include "host/HostedPlugin.h"
#include "host/HostedSession.h"
#include "host/XScreen.h"

#include "params/ParameterTable.h"
#include "support/CaseName.h"
#include "ui/Col.h"
#include "ui/DensityStrip.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <sys/file.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

using testsupport::AudioThread;
using testsupport::closeOnceSettled;
using testsupport::countNear;
using testsupport::HostEar;
using testsupport::hostedParameter;
using testsupport::HostedPlugin;
using testsupport::PointerLock;
using testsupport::pump;
using testsupport::savePng;

namespace
{
struct FormatCase
{
    const char* what;
    HostedPlugin::Format format;
};

class HostedEditor : public ::testing::TestWithParam<FormatCase>
{};

// Counts the change gestures a host sees on one parameter.
struct GestureCounter : public juce::AudioProcessorListener
{
    explicit GestureCounter (int index)
        : parameterIndex (index)
    {
    }
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int i) override
    {
        begins += i == parameterIndex ? 1 : 0;
    }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int i) override
    {
        ends += i == parameterIndex ? 1 : 0;
    }
    int parameterIndex;
    std::atomic<int> begins { 0 }, ends { 0 };
};

// The rows of column x (within [top, bottom)) showing the fader's white
// thumb; their middle, or -1 when there is none.
float whiteRunCentre (const juce::Image& image, int x, int top, int bottom)
{
    int first = -1, last = -1;
    for (int y = top; y < bottom; ++y)
        if (image.getPixelAt (x, y).getBrightness() > 0.93f && image.getPixelAt (x, y).getSaturation() < 0.1f)
        {
            first = first < 0 ? y : first;
            last = y;
        }
    return first < 0 ? -1.0f : (static_cast<float> (first) + static_cast<float> (last) + 1.0f) / 2.0f;
}

// Where the fader puts its thumb for a Master level: 11 pixels (the thumb
// radius) inside either end of its 101-pixel travel at y = 73, along the
// parameter's own skewed range. (Hosts normalise differently: an LV2 host
// linearly over the port's range.)
float faderThumbY (float dB)
{
    for (const auto& d : params::table)
        if (d.id == params::id::master)
        {
            const juce::NormalisableRange<float> range (d.min, d.max, d.interval, d.skew, d.symmetricSkew);
            return 73.0f + 11.0f + (1.0f - range.convertTo0to1 (dB)) * 79.0f;
        }
    return -1.0f;
}

float masterDb (juce::AudioProcessorParameter& master)
{
    return master.getText (master.getValue(), 100).getFloatValue();
}

} // namespace

TEST_P (HostedEditor, OpensOnTheDesktopAndClosesCleanlyAgainAndAgainWhileAudioRuns)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    ASSERT_TRUE (plugin->hasEditor());
    plugin->prepareToPlay (rate, block);

    AudioThread audio (*plugin.get(), block);

    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr) << "round " << round;

        editor->setVisible (true);
        editor->addToDesktop (0);
        ASSERT_NE (editor->getPeer(), nullptr);

        // The host builds the plug-in's view (and with it our editor); let its
        // timers and the audio run a while.
        // Every effect section opens (a fresh instance stores none closed),
        // and the window grows with them to its full height.
        const int blocksBefore = audio.blocks();
        for (int i = 0; i < 100 && (editor->getHeight() != 788 || audio.blocks() < blocksBefore + 10); ++i)
            pump (20);
        pump (200);

        EXPECT_EQ (editor->getWidth(), 460) << "round " << round;
        EXPECT_EQ (editor->getHeight(), 788) << "round " << round;
        EXPECT_GT (audio.blocks(), blocksBefore) << "audio kept running with the editor open";

        // Closed as a host closes it: the editor goes while its window is still
        // up, so the plug-in's view is detached before the window is destroyed.
        closeOnceSettled (editor);
        pump (50);
        EXPECT_EQ (plugin->getActiveEditor(), nullptr);
    }

    audio.stop();
    EXPECT_TRUE (audio.allFinite());
    plugin->releaseResources();
}

TEST_P (HostedEditor, SitsOpenOnASyncedPatchWithoutReportingAnyParameterChange)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    // Tap Sync on, the start at 16 beats (8 s at the 120 BPM a host without
    // a transport means) and the predelay at its end, where a synced start
    // that long puts it. Every value here is its range's end, which both
    // formats normalise to 1.
    for (const auto* name : { "Tap Sync", "Start", "Predelay" })
    {
        auto* p = hostedParameter (*plugin.get(), name);
        ASSERT_NE (p, nullptr) << name;
        p->setValue (1.0f);
    }

    AudioThread audio (*plugin.get(), block);
    for (int i = 0; i < 100 && audio.blocks() < 20; ++i)
        pump (10);

    HostEar ear (*plugin.get());
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    editor->setVisible (true);
    editor->addToDesktop (0);

    // Two seconds open: some sixty refreshes of the editor.
    for (int i = 0; i < 100 && editor->getWidth() != 460; ++i)
        pump (20);
    ASSERT_EQ (editor->getWidth(), 460);
    pump (2000);
    EXPECT_TRUE (ear.heard().isEmpty()) << ear.heard().joinIntoString (", ").toStdString();

    // The ear does hear the plug-in: Tap Sync turned off by the host makes
    // the processor convert the spacings (and switch the 4X range on).
    hostedParameter (*plugin.get(), "Tap Sync")->setValue (0.0f);
    juce::StringArray heard;
    for (int i = 0; i < 100 && ! heard.contains ("In/Out 4x"); ++i)
    {
        pump (20);
        heard = ear.heard();
    }
    EXPECT_TRUE (heard.contains ("In/Out 4x")) << heard.joinIntoString (", ").toStdString();
    EXPECT_TRUE (heard.contains ("End")) << heard.joinIntoString (", ").toStdString();

    closeOnceSettled (editor);
    pump (50);
    audio.stop();
    plugin->releaseResources();
}

TEST_P (HostedEditor, DrawsTheMainRowTheFilterRangeAndTheMeteredFaderAndADragOnTheFaderSetsMasterThroughTheHost)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    testsupport::XScreen screen;
    ASSERT_TRUE (screen.isOpen());
    ASSERT_TRUE (screen.hasFakeInput()) << "the X server lacks the XTEST extension";

    auto* master = hostedParameter (*plugin.get(), "Master");
    ASSERT_NE (master, nullptr);
    GestureCounter gestures (master->getParameterIndex());
    plugin->addListener (&gestures);

    AudioThread audio (*plugin.get(), block);

    // Each format's window in its own corner of the screen, away from the
    // windows other test programs open at the top left. The windows are 788
    // pixels tall, so the two would still overlap: the screen is ours from
    // before the window opens until it has closed.
    PointerLock lock;
    const juce::Point<int> origin (780, GetParam().format == HostedPlugin::Format::VST3 ? 40 : 560);
    std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
    ASSERT_NE (editor, nullptr);
    editor->setTopLeftPosition (origin);
    editor->setVisible (true);
    editor->addToDesktop (0);
    for (int i = 0; i < 50 && editor->getWidth() != 460; ++i)
        pump (20);
    ASSERT_EQ (editor->getWidth(), 460);
    ASSERT_EQ (editor->getScreenPosition(), origin);

    // The pointer rests over the window, at the right end of the first section header, as a user's
    // would (a hosted LV2 window at times shows nothing until the pointer
    // comes). The plug-in paints in its own time: the screen is read until
    // the filter's pass band (row 309) shows, for at most five seconds, and
    // a little longer so that the meter has taken the running audio.
    screen.moveTo (origin + juce::Point<int> (440, 385));
    const auto band = Col::b2.overlaidWith (Col::co_br.withAlpha (0.75f));
    const juce::Rectangle<int> window (origin.x, origin.y, 460, 392);
    auto shot = screen.grab (window);
    for (int i = 0; i < 100 && countNear (shot, { 12, 308, 436, 2 }, band, 6) <= 60; ++i)
    {
        pump (50);
        shot = screen.grab (window);
    }
    pump (300);
    shot = screen.grab (window);

    const juce::String format (GetParam().what);
    EXPECT_TRUE (savePng (shot, format.toLowerCase() + "-editor.png"));

    // The filter range: its lit pass band and the coral handles.
    EXPECT_GT (countNear (shot, { 12, 308, 436, 2 }, band, 6), 60) << "pass band";
    EXPECT_GT (countNear (shot, { 12, 303, 436, 12 }, Col::co_br, 6), 40) << "handles";

    // The width and ping-pong row: its accent outline and dark fill.
    const auto outline = shot.getPixelAt (230, 321);
    EXPECT_GT (outline.getBlue(), outline.getRed() + 40) << "the row's blue-violet outline";
    EXPECT_LT (shot.getPixelAt (230, 323).getBrightness(), 0.05f);

    // The density strip's yellow captions.
    EXPECT_GT (countNear (shot, { 14, 217, 30, 12 }, DensityStrip::textColour, 60), 3) << "IN";

    // The fader: its white thumb where the host's Master value puts it, and
    // the meter lit from the bottom by the running audio.
    EXPECT_NEAR (whiteRunCentre (shot, 428, 73, 174), faderThumbY (masterDb (*master)), 1.5f);
    const auto lit = Col::bg3.overlaidWith (Col::meterGreen.withAlpha (0.95f));
    EXPECT_GT (countNear (shot, { 427, 155, 2, 4 }, lit, 25), 4) << "meter above -57 dB";

    // Drag the fader down to the bottom with the real pointer.
    {
        const int x = origin.x + 432;
        const int from = origin.y + juce::roundToInt (faderThumbY (masterDb (*master)));
        const int to = origin.y + 73 + 87;
        screen.moveTo ({ x, from });
        pump (50);
        screen.press (true);
        pump (50);
        for (int i = 1; i <= 10; ++i)
        {
            screen.moveTo ({ x, from + (to - from) * i / 10 });
            pump (30);
        }
        screen.press (false);
        pump (100);
        screen.moveTo (origin + juce::Point<int> (440, 385)); // off the fader
        pump (300);
    }

    // Master as the host sees it: 3 pixels above the bottom of the travel.
    EXPECT_NEAR (faderThumbY (masterDb (*master)), 73.0f + 87.0f, 1.0f) << masterDb (*master) << " dB";
    EXPECT_LT (masterDb (*master), -40.0f);
    if (GetParam().format == HostedPlugin::Format::VST3)
    {
        // One gesture from press to release. (JUCE's LV2 wrapper sends no
        // gestures: LV2 has no way to yet.)
        EXPECT_EQ (gestures.begins.load(), 1);
        EXPECT_EQ (gestures.ends.load(), 1);
    }

    // The host's window repaints on its own time: on a loaded machine (the
    // suite runs tests side by side) that can take seconds.
    shot = screen.grab (window);
    for (int i = 0; i < 160 && std::abs (whiteRunCentre (shot, 428, 73, 174) - (73.0f + 87.0f)) > 1.5f; ++i)
    {
        pump (50);
        shot = screen.grab (window);
    }
    EXPECT_TRUE (savePng (shot, format.toLowerCase() + "-editor-after-fader-drag.png"));
    EXPECT_NEAR (whiteRunCentre (shot, 428, 73, 174), 73.0f + 87.0f, 1.5f) << "the thumb follows";

    closeOnceSettled (editor);
    pump (50);
    audio.stop();
    plugin->removeListener (&gestures);
    EXPECT_TRUE (audio.allFinite());
    plugin->releaseResources();
}

namespace
{
// The effect sections in the order the editor's column shows them: the
// colour of each title and the height of its open body.
struct ShownSection
{
    const char* title;
    juce::Colour titleColour;
    int bodyHeight;
};

const ShownSection shownSections[] = {
    { "TAPE", juce::Colour (0xffd3af8f), 120 },
    { "PITCH / CHORUS", juce::Colour (0xff80c8ff), 80 },
    { "WAVE", juce::Colour (0xffbeb2d3), 80 },
    { "TREMOLO", juce::Colour (0xff8fc3ae), 84 },
};

constexpr int columnTop = 375; // the section well's top edge in the window
constexpr int columnLeft = 12;

// Where each section's top edge lies in the column, for the sections open
// (24-pixel headers, 28 pixels apart), and the window height that follows:
// the column's bottom plus 21, or 788 once the column reaches 767.
struct ColumnLayout
{
    std::array<int, 4> tops {};
    int windowHeight = 0;
};

ColumnLayout columnFor (const std::array<bool, 4>& open)
{
    ColumnLayout layout;
    int y = 0;
    for (size_t i = 0; i < 4; ++i)
    {
        layout.tops[i] = y;
        y += 24 + (open[i] ? shownSections[i].bodyHeight : 0) + 28;
    }
    const int bottom = columnTop + y - 4;
    layout.windowHeight = bottom < 767 ? bottom + 21 : 788;
    return layout;
}

// Which section's title colour the bright pixels of an area come closest
// to, by their mean's balance of red, green and blue (the title is drawn
// over a dark header, a little transparent while the effect is off, which
// darkens it but keeps its hue); -1 when the area has no bright pixels.
int titleShownIn (const juce::Image& shot, juce::Rectangle<int> area)
{
    double r = 0.0, g = 0.0, b = 0.0;
    int n = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = shot.getPixelAt (x, y);
            if (c.getBrightness() > 0.5f)
            {
                r += c.getRed();
                g += c.getGreen();
                b += c.getBlue();
                ++n;
            }
        }
    if (n < 10)
        return -1;
    auto balance = [] (double red, double green, double blue) {
        const double sum = std::max (red + green + blue, 1.0);
        return std::array<double, 3> { red / sum, green / sum, blue / sum };
    };
    const auto seen = balance (r, g, b);
    int best = -1;
    double bestDistance = 1e9;
    for (int i = 0; i < 4; ++i)
    {
        const auto t = shownSections[i].titleColour;
        const auto want = balance (t.getRed(), t.getGreen(), t.getBlue());
        const double d = std::hypot (seen[0] - want[0], seen[1] - want[1], seen[2] - want[2]);
        if (d < bestDistance)
        {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}
} // namespace

TEST_P (HostedEditor, ShowsTheSectionsInTheirColumnAndEveryClickOnOneResizesTheHostWindowWithin788)
{
    constexpr double rate = 48000.0;
    constexpr int block = 256;
    HostedPlugin plugin (GetParam().format, rate, block);
    ASSERT_NE (plugin.get(), nullptr) << plugin.error;
    plugin->prepareToPlay (rate, block);

    testsupport::XScreen screen;
    ASSERT_TRUE (screen.isOpen());
    ASSERT_TRUE (screen.hasFakeInput()) << "the X server lacks the XTEST extension";
    AudioThread audio (*plugin.get(), block);

    // The pointer is ours for the whole test: the window, at full height,
    // takes most of the screen's right half.
    PointerLock lock;
    const juce::Point<int> origin (800, 20);
    std::unique_ptr<juce::AudioProcessorEditor> editor;
    auto openEditor = [&] {
        editor.reset (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->setTopLeftPosition (origin);
        editor->setVisible (true);
        editor->addToDesktop (0);
        for (int i = 0; i < 50 && editor->getWidth() != 460; ++i)
            pump (20);
        ASSERT_EQ (editor->getWidth(), 460);
        // The pointer comes to rest over the header row (a hosted LV2 window
        // at times shows nothing until it does), and the first section's
        // title shows when the plug-in has painted.
        screen.moveTo (origin + juce::Point<int> (300, 20));
        for (int i = 0;
             i < 100
             && titleShownIn (screen.grab ({ origin.x + columnLeft + 62, origin.y + columnTop + 4, 130, 16 }),
                              { 0, 0, 130, 16 })
                    != 0;
             ++i)
            pump (50);
    };

    const juce::String format (GetParam().what);
    std::array<bool, 4> open { true, true, true, true }; // a fresh instance stores none closed
    // Waits for the window to settle at the height the open sections make
    // (an open or close animates for 200 ms), never letting it pass 788 on
    // the way, then reads the screen: every header in view shows its title
    // where the column puts it.
    auto expectColumn = [&] (const juce::String& step) {
        const auto layout = columnFor (open);
        int tallest = 0;
        for (int i = 0; i < 150 && editor->getHeight() != layout.windowHeight; ++i)
        {
            pump (10);
            tallest = std::max (tallest, editor->getHeight());
        }
        pump (300);
        tallest = std::max (tallest, editor->getHeight());
        EXPECT_EQ (editor->getHeight(), layout.windowHeight) << step;
        EXPECT_LE (tallest, 788) << step;
        ASSERT_NE (editor->getPeer(), nullptr);
        EXPECT_EQ (editor->getPeer()->getBounds().getHeight(), layout.windowHeight) << step << ": the host's window";

        // The plug-in paints in its own time (slowly on a loaded machine):
        // the screen is read until it shows the column, for at most three
        // seconds.
        const int wellBottom = editor->getHeight() - 9;
        auto problemsIn = [&] (const juce::Image& shot) {
            juce::StringArray problems;
            for (size_t i = 0; i < 4; ++i)
            {
                const int top = columnTop + layout.tops[i];
                if (top + 24 > wellBottom)
                    continue; // scrolled out of the well
                if (titleShownIn (shot, { columnLeft + 62, top + 4, 130, 16 }) != static_cast<int> (i))
                    problems.add ("the header at " + juce::String (top) + " does not read " + shownSections[i].title);
                // The well shows between one section and the next.
                const int gapTop = top + 24 + (open[i] ? shownSections[i].bodyHeight : 0) + 4;
                if (gapTop + 20 <= wellBottom && titleShownIn (shot, { columnLeft + 62, gapTop, 130, 20 }) != -1)
                    problems.add (juce::String ("a title shows in the gap below ") + shownSections[i].title);
            }
            return problems;
        };
        const juce::Rectangle<int> window (origin.x, origin.y, 460, editor->getHeight());
        auto shot = screen.grab (window);
        for (int i = 0; i < 60 && ! problemsIn (shot).isEmpty(); ++i)
        {
            pump (50);
            shot = screen.grab (window);
        }
        EXPECT_TRUE (problemsIn (shot).isEmpty()) << step << ": " << problemsIn (shot).joinIntoString ("; ");
        EXPECT_TRUE (
            savePng (shot, format.toLowerCase() + "-sections-"
                               + step.retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ")
                                     .replaceCharacter (' ', '-')
                               + ".png"));
    };
    auto clickHeader = [&] (size_t i) {
        const auto layout = columnFor (open);
        const auto at = origin + juce::Point<int> (columnLeft + 110, columnTop + layout.tops[i] + 12);
        screen.moveTo (at);
        pump (50);
        screen.press (true);
        pump (30);
        screen.press (false);
        open[i] = ! open[i];
    };

    openEditor();
    ASSERT_FALSE (HasFatalFailure());
    expectColumn ("all open");

    // Closed from the top down, each header moving up as the one above it
    // closes: the window shrinks from 788.
    for (size_t i = 0; i < 4; ++i)
    {
        clickHeader (i);
        expectColumn (juce::String ("closed to ") + shownSections[i].title);
    }

    // A new editor opens the sections as they were left.
    closeOnceSettled (editor);
    pump (100);
    openEditor();
    ASSERT_FALSE (HasFatalFailure());
    expectColumn ("reopened closed");

    // Opened from the bottom up: the window grows and stops at 788.
    for (size_t i = 4; i-- > 0;)
    {
        clickHeader (i);
        expectColumn (juce::String ("opened from ") + shownSections[i].title);
    }

    screen.moveTo ({ 0, 1000 });
    closeOnceSettled (editor);
    pump (50);
    audio.stop();
    EXPECT_TRUE (audio.allFinite());
    plugin->releaseResources();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Formats, HostedEditor,
                          ::testing::Values (FormatCase { "VST3", HostedPlugin::Format::VST3 },
                                             FormatCase { "LV2", HostedPlugin::Format::LV2 }),
                          testsupport::NameFromWhat());
// clang-format on

//==============================================================================
// The zoom in a real host: the built VST3 reads the user's zoom from the
// settings file in its home folder and multiplies it with the scale the host
// hands its view, and the host's window takes the product.
TEST (HostedVst3Editor, OpensAt460TimesTheHostScaleTimesTheUserZoom)
{
    struct Case
    {
        int zoom;
        int width;
    };
    // The plug-in finds its settings under HOME. HOME is set once, before
    // any plug-in is loaded: a loaded plug-in has threads of its own that may
    // read the environment, and changing it under them is not safe. The
    // process ends after the test (one test per process), so it is not put
    // back; the folder lives as long as the process.
    static const juce::TemporaryFile home;
    const auto settings = home.getFile().getChildFile (".config/TwistDelay/settings.json");
    // Its windows cover most of the screen: the tests that read the screen
    // wait for it.
    PointerLock lock;
    ASSERT_TRUE (settings.getParentDirectory().createDirectory().wasOk());
    setenv ("HOME", home.getFile().getFullPathName().toRawUTF8(), 1);

    for (const auto c : { Case { 150, 1035 }, Case { 100, 690 } })
    {
        SCOPED_TRACE (juce::String ("zoom ") + juce::String (c.zoom));
        // The editor reads the zoom when it opens.
        ASSERT_TRUE (settings.replaceWithText ("{ \"zoom\": " + juce::String (c.zoom) + " }"));

        HostedPlugin plugin (HostedPlugin::Format::VST3, 48000.0, 256);
        ASSERT_NE (plugin.get(), nullptr) << plugin.error;
        std::unique_ptr<juce::AudioProcessorEditor> editor (plugin->createEditorIfNeeded());
        ASSERT_NE (editor, nullptr);
        editor->setVisible (true);
        editor->addToDesktop (0);
        pump (100);

        // A HiDPI host: its view gets a content scale of 1.5.
        editor->setScaleFactor (1.5f);
        for (int i = 0; i < 100 && editor->getWidth() != c.width; ++i)
            pump (20);
        pump (100);

        EXPECT_EQ (editor->getWidth(), c.width);
        // The height is the layout's height at the same scale, within the screen.
        const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
        ASSERT_NE (display, nullptr);
        EXPECT_GT (editor->getHeight(), 0);
        EXPECT_LE (editor->getHeight(), display->userArea.getHeight());
        EXPECT_LE (editor->getHeight(), static_cast<int> (std::ceil (788.0 * 1.5 * c.zoom / 100.0)));

        closeOnceSettled (editor);
        pump (50);
    }
}
