// The built LV2 in jalv.gtk3, Debian's reference LV2 host. It embeds the
// plug-in's X11 window in its GTK window through suil, as Ardour, Qtractor
// and Carla do, and runs the plug-in as a JACK client. The tests give it an X
// server and a JACK server (the dummy back end) of their own, so nothing
// else on the screen covers its window and nothing moves the pointer but
// them; what the host sees of the parameters is what jalv prints with
// --dump, every message the plug-in sends it.
#include "host/ChildProgram.h"
#include "host/EditorPixels.h"
#include "host/HostedSession.h"
#include "host/XScreen.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <memory>
#include <optional>

using testsupport::ChildProgram;

namespace
{
// The servers' and jalv's logs and jalv's home, for this test program.
juce::File scratch()
{
    return juce::File::getSpecialLocation (juce::File::tempDirectory)
        .getChildFile ("twist-jalv-" + juce::String (getpid()));
}

// An Xvfb of its own, on the first free display number (Xvfb picks it and
// says which).
class PrivateDesktop
{
public:
    PrivateDesktop()
    {
        int fds[2];
        if (pipe2 (fds, O_CLOEXEC) != 0)
            return;
        server = std::make_unique<ChildProgram> (
            ChildProgram::Options { { "Xvfb", "-displayfd", std::to_string (fds[1]), "-screen", "0", "1280x1024x24",
                                      "-nolisten", "tcp", "-noreset" },
                                    {},
                                    scratch().getChildFile ("xvfb.log"),
                                    fds[1] });
        close (fds[1]);
        std::string number;
        pollfd p { fds[0], POLLIN, 0 };
        char c = 0;
        while (poll (&p, 1, 10000) > 0 && read (fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close (fds[0]);
        if (! number.empty())
            name = ":" + juce::String (number);
    }

    juce::String name; // empty when the server did not start

private:
    std::unique_ptr<ChildProgram> server;
};

// A JACK server on the dummy back end under a name of its own, ready for
// clients once constructed.
class PrivateJackServer
{
public:
    PrivateJackServer()
        : name ("twist-tests-" + std::to_string (getpid()))
        , server (ChildProgram::Options {
              { "jackd", "--name", name, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "256" },
              environment(),
              scratch().getChildFile ("jackd.log") })
    {
        ChildProgram wait (ChildProgram::Options { { "jack_wait", "--server", name, "--wait", "--timeout", "15" },
                                                   environment(),
                                                   scratch().getChildFile ("jack_wait.log") });
        ready = wait.waitForExit (20000) == std::optional<int> (0);
    }

    // For a client of this server.
    std::map<std::string, std::string> environment() const
    {
        // No device reservation over D-Bus, no server started on demand.
        return { { "JACK_DEFAULT_SERVER", name },
                 { "JACK_NO_START_SERVER", "1" },
                 { "JACK_NO_AUDIO_RESERVATION", "1" } };
    }

    std::string name;
    bool ready = false;

private:
    ChildProgram server;
};

// One run of jalv.gtk3 on the built bundle, its output in a file.
class JalvRun
{
public:
    JalvRun (const PrivateDesktop& desktop, const PrivateJackServer& jack, int run)
        : output (scratch().getChildFile ("jalv-" + juce::String (run) + ".log"))
    {
        auto env = jack.environment();
        // Only the bundle under test is in sight, and the host and the
        // plug-in keep their settings in an empty home of their own.
        const auto home = scratch().getChildFile ("home");
        home.createDirectory();
        env["LV2_PATH"] = juce::File (TWIST_LV2_BUNDLE).getParentDirectory().getFullPathName().toStdString();
        env["HOME"] = home.getFullPathName().toStdString();
        env["XDG_CONFIG_HOME"] = home.getChildFile (".config").getFullPathName().toStdString();
        env["XDG_DATA_HOME"] = home.getChildFile (".local/share").getFullPathName().toStdString();
        env["XDG_CACHE_HOME"] = home.getChildFile (".cache").getFullPathName().toStdString();
        env["DISPLAY"] = desktop.name.toStdString();
        env["NO_AT_BRIDGE"] = "1"; // no accessibility bus to wait for
        // stdbuf: each message as jalv prints it, not at exit.
        program = std::make_unique<ChildProgram> (
            ChildProgram::Options { { "stdbuf", "-oL", "jalv.gtk3", "--no-menu", "--dump", TWIST_LV2_URI },
                                    env,
                                    output });
    }

    int pid() const { return program->pid(); }
    ChildProgram& process() { return *program; }
    juce::String printed() const { return output.loadFileAsString(); }

    // The values of a parameter the plug-in has sent the host, in order.
    juce::Array<float> valuesSent (const char* parameterId) const
    {
        juce::Array<float> values;
        const juce::String property =
            "patch:property <" + juce::String (TWIST_LV2_URI) + ":" + juce::String (parameterId) + "> ;";
        auto text = printed();
        for (int at = text.indexOf (property); at >= 0; at = text.indexOf (at + 1, property))
        {
            const auto rest = text.substring (at + property.length()).trimStart();
            if (rest.startsWith ("patch:value \""))
                values.add (rest.fromFirstOccurrenceOf ("\"", false, false)
                                .upToFirstOccurrenceOf ("\"", false, false)
                                .getFloatValue());
        }
        return values;
    }

private:
    juce::File output;
    std::unique_ptr<ChildProgram> program;
};

// The plug-in's own window inside jalv's (the innermost of its windows as
// wide as the editor), once it is up.
std::optional<juce::Rectangle<int>> waitForEditor (const testsupport::XScreen& screen, JalvRun& jalv)
{
    for (int i = 0; i < 300; ++i)
    {
        std::optional<juce::Rectangle<int>> editor;
        for (const auto& w : screen.windowsOf (jalv.pid()))
            if (w.getWidth() == 460 && w.getHeight() >= 392)
                editor = w;
        if (editor.has_value() || jalv.process().waitForExit (0).has_value())
            return editor;
        juce::Thread::sleep (50);
    }
    return std::nullopt;
}

const juce::Colour passBand = Col::b2.overlaidWith (Col::co_br.withAlpha (0.75f));

// The screen over the editor's upper part once the filter's pass band shows,
// or after ten seconds.
juce::Image readEditor (const testsupport::XScreen& screen, juce::Rectangle<int> editor)
{
    const juce::Rectangle<int> area (editor.getX(), editor.getY(), 460, 392);
    auto shot = screen.grab (area);
    for (int i = 0; i < 200 && testsupport::countNear (shot, { 12, 308, 436, 2 }, passBand, 6) <= 60; ++i)
    {
        juce::Thread::sleep (50);
        shot = screen.grab (area);
    }
    return shot;
}

class Jalv : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        scratch().deleteRecursively();
        scratch().createDirectory();
        desktop = std::make_unique<PrivateDesktop>();
        jack = std::make_unique<PrivateJackServer>();
    }

    static void TearDownTestSuite()
    {
        jack.reset();
        desktop.reset();
        scratch().deleteRecursively();
    }

    void SetUp() override
    {
        ASSERT_FALSE (desktop->name.isEmpty())
            << "Xvfb did not start: " << scratch().getChildFile ("xvfb.log").loadFileAsString();
        ASSERT_TRUE (jack->ready) << "jackd did not start: " << scratch().getChildFile ("jackd.log").loadFileAsString();
        screen = std::make_unique<testsupport::XScreen> (desktop->name);
        ASSERT_TRUE (screen->isOpen());
        ASSERT_TRUE (screen->hasFakeInput());
        // The pointer rests far from where the window opens.
        screen->moveTo ({ 1279, 1023 });
    }

    // Closes jalv's window as a user does and expects a clean exit.
    void quit (JalvRun& jalv, int run)
    {
        screen->closeWindowsOf (jalv.pid());
        const auto status = jalv.process().waitForExit (15000);
        EXPECT_EQ (status, std::optional<int> (0)) << "run " << run << ":\n" << jalv.printed();
        // Nothing on jalv's console says anything went wrong, closing included.
        juce::StringArray lines;
        lines.addLines (jalv.printed());
        for (const auto& line : lines)
            EXPECT_FALSE (line.containsIgnoreCase ("error") || line.containsIgnoreCase ("critical")
                          || line.containsIgnoreCase ("warning"))
                << "run " << run << ": " << line;
    }

    static std::unique_ptr<PrivateDesktop> desktop;
    static std::unique_ptr<PrivateJackServer> jack;
    std::unique_ptr<testsupport::XScreen> screen;
};

std::unique_ptr<PrivateDesktop> Jalv::desktop;
std::unique_ptr<PrivateJackServer> Jalv::jack;

float masterDefault()
{
    for (const auto& d : params::table)
        if (d.id == params::id::master)
            return d.defaultValue;
    return 0.0f;
}
} // namespace

TEST_F (Jalv, ShowsTheEditorDrawnBeforeThePointerComesAndHearsADragOnTheMasterFader)
{
    JalvRun jalv (*desktop, *jack, 0);
    const auto editor = waitForEditor (*screen, jalv);
    ASSERT_TRUE (editor.has_value()) << jalv.printed();

    // Drawn with the pointer still in its far corner: the filter range's lit
    // pass band and coral handles, the width row's outline, and the fader's
    // thumb where the default Master level puts it.
    const auto shot = readEditor (*screen, *editor);
    EXPECT_TRUE (testsupport::savePng (shot, "jalv-editor.png"));
    EXPECT_GT (testsupport::countNear (shot, { 12, 308, 436, 2 }, passBand, 6), 60) << "pass band";
    EXPECT_GT (testsupport::countNear (shot, { 12, 303, 436, 12 }, Col::co_br, 6), 40) << "handles";
    const auto outline = shot.getPixelAt (230, 321);
    EXPECT_GT (outline.getBlue(), outline.getRed() + 40) << "the width row's blue-violet outline";
    EXPECT_NEAR (testsupport::whiteRunCentre (shot, 428, 73, 174), testsupport::faderThumbY (masterDefault()), 1.5f);

    // Drag the fader down to the bottom of its travel with the X pointer.
    const auto origin = editor->getPosition();
    const int x = origin.x + 432;
    const int from = origin.y + juce::roundToInt (testsupport::faderThumbY (masterDefault()));
    const int to = origin.y + 73 + 87;
    screen->moveTo ({ x, from });
    juce::Thread::sleep (100);
    screen->press (true);
    juce::Thread::sleep (50);
    for (int i = 1; i <= 10; ++i)
    {
        screen->moveTo ({ x, from + (to - from) * i / 10 });
        juce::Thread::sleep (30);
    }
    screen->press (false);
    screen->moveTo ({ 1279, 1023 });

    // The host hears Master go down with the thumb: the last value it has
    // is where the thumb stopped.
    juce::Array<float> sent;
    for (int i = 0; i < 100; ++i)
    {
        sent = jalv.valuesSent (params::id::master);
        if (! sent.isEmpty() && std::abs (testsupport::faderThumbY (sent.getLast()) - (73.0f + 87.0f)) <= 1.0f)
            break;
        juce::Thread::sleep (50);
    }
    ASSERT_FALSE (sent.isEmpty()) << jalv.printed();
    EXPECT_GE (sent.size(), 2) << "the value follows the drag";
    EXPECT_NEAR (testsupport::faderThumbY (sent.getLast()), 73.0f + 87.0f, 1.0f) << sent.getLast() << " dB";
    EXPECT_LT (sent.getLast(), -40.0f);

    const auto after = screen->grab ({ origin.x, origin.y, 460, 392 });
    EXPECT_TRUE (testsupport::savePng (after, "jalv-editor-after-fader-drag.png"));

    quit (jalv, 0);
}

TEST_F (Jalv, OpensAndQuitsCleanlyTenTimesInARow)
{
    for (int run = 1; run <= 10; ++run)
    {
        JalvRun jalv (*desktop, *jack, run);
        const auto editor = waitForEditor (*screen, jalv);
        ASSERT_TRUE (editor.has_value()) << "run " << run << ":\n" << jalv.printed();
        EXPECT_GT (testsupport::countNear (readEditor (*screen, *editor), { 12, 308, 436, 2 }, passBand, 6), 60)
            << "run " << run << ": drawn";
        quit (jalv, run);
        if (HasFailure())
            break;
    }
}
