// Every kind of output twist-render can be pointed at gets what a careful
// Unix tool gives it: a file is replaced in one step, a link is followed, a
// pipe, a character device and standard output are written directly, and
// what the user may not write is refused with everything left as it was.

#include "ToolFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

using namespace tooltest;

namespace
{
struct stat statOf (const juce::File& f, bool followLinks = true)
{
    struct stat st
    {};
    const auto path = f.getFullPathName().toRawUTF8();
    if ((followLinks ? ::stat (path, &st) : ::lstat (path, &st)) != 0)
        st = {};
    return st;
}

// Reads a named pipe to its end on a thread of its own, as another program
// would; or reads one byte and closes it, as a reader that gives up does.
class PipeReader
{
public:
    PipeReader (const juce::File& fifo, bool giveUpEarly)
        : thread ([this, path = fifo.getFullPathName().toStdString(), giveUpEarly] {
            const int fd = ::open (path.c_str(), O_RDONLY);
            if (fd < 0)
                return;
            char chunk[65536];
            for (;;)
            {
                const auto n = ::read (fd, chunk, giveUpEarly ? 1 : sizeof (chunk));
                if (n <= 0)
                    break;
                bytes.append (chunk, static_cast<size_t> (n));
                if (giveUpEarly)
                    break;
            }
            ::close (fd);
        })
    {
    }

    juce::MemoryBlock finish()
    {
        thread.join();
        return bytes;
    }

private:
    juce::MemoryBlock bytes;
    std::thread thread;
};

class OutputKinds : public ToolFixture
{
protected:
    juce::File tmp; // the tool's TMPDIR, which must stay empty

    void SetUp() override
    {
        ToolFixture::SetUp();
        tmp = file ("tmp");
        ASSERT_TRUE (tmp.createDirectory());
        ASSERT_TRUE (writeAudio (file ("in.wav"), testSignal (2, 48000.0, 0.3), 48000.0, "wav", 16));
        const auto plain = render ({ "in.wav", "plain.wav" });
        ASSERT_EQ (plain.exitCode, 0) << plain.err;
        expected = fileBytes (file ("plain.wav"));
        ASSERT_GT (expected.getSize(), 1000u);
    }

    RunResult render (const juce::StringArray& files, RunOptions options = {})
    {
        juce::StringArray args { "--quiet", "--tail", "0.5" };
        args.addArray (files);
        options.workingDirectory = dir;
        options.environment["HOME"] = home.getFullPathName();
        options.environment["TMPDIR"] = tmp.getFullPathName();
        return runTool (args, options);
    }

    // Nothing but the files named is left in the folder, and nothing in TMPDIR.
    void expectOnly (const juce::StringArray& names)
    {
        for (const auto& [name, bytes] : snapshot())
        {
            if (! name.startsWith ("tmp"))
            {
                EXPECT_TRUE (names.contains (name)) << name << " was left behind";
            }
        }
        EXPECT_EQ (tmp.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0)
            << "a temporary file was left in TMPDIR";
    }

    juce::MemoryBlock expected; // in.wav rendered into a plain new file
};
} // namespace

TEST_F (OutputKinds, AnExistingFileIsReplacedInOneStepAndKeepsItsPermissions)
{
    const auto out = file ("out.wav");
    ASSERT_TRUE (out.replaceWithText ("an older file"));
    ASSERT_EQ (::chmod (out.getFullPathName().toRawUTF8(), 0640), 0);
    const auto before = statOf (out);

    const auto result = render ({ "in.wav", "out.wav" });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_EQ (fileBytes (out), expected);
    const auto after = statOf (out);
    EXPECT_NE (after.st_ino, before.st_ino) << "written in place instead of renamed over";
    EXPECT_EQ (after.st_mode & 07777, 0640u);
    expectOnly ({ "in.wav", "plain.wav", "out.wav" });
}

TEST_F (OutputKinds, ALinkIsFollowedAndTheFileItLeadsToIsReplaced)
{
    const auto target = file ("takes/target.wav");
    ASSERT_TRUE (target.create());
    ASSERT_TRUE (target.replaceWithText ("an older take"));
    ASSERT_EQ (::symlink ("takes/target.wav", file ("link.wav").getFullPathName().toRawUTF8()), 0);
    // A link to a file that does not exist yet makes the file.
    ASSERT_EQ (::symlink ("takes/new.wav", file ("dangling.wav").getFullPathName().toRawUTF8()), 0);

    for (const auto* name : { "link.wav", "dangling.wav" })
    {
        const auto result = render ({ "in.wav", name });
        ASSERT_EQ (result.exitCode, 0) << name << ": " << result.err;
        EXPECT_TRUE (S_ISLNK (statOf (file (name), false).st_mode)) << name << " is no longer a link";
    }
    EXPECT_EQ (file ("link.wav").getLinkedTarget(), target);
    EXPECT_EQ (fileBytes (target), expected);
    EXPECT_EQ (fileBytes (file ("takes/new.wav")), expected);
    expectOnly ({ "in.wav", "plain.wav", "link.wav", "dangling.wav", "takes", "takes/target.wav", "takes/new.wav" });
}

TEST_F (OutputKinds, ANamedPipeGetsTheWholeFileAndStaysAPipe)
{
    const auto fifo = file ("pipe.wav");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);
    PipeReader reader (fifo, false);

    const auto result = render ({ "in.wav", "pipe.wav" });
    const auto received = reader.finish();
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_EQ (received, expected);
    EXPECT_TRUE (S_ISFIFO (statOf (fifo).st_mode)) << "the pipe was replaced";
    expectOnly ({ "in.wav", "plain.wav", "pipe.wav" });
}

TEST_F (OutputKinds, StandardOutputCarriesTheFileThroughAPipeToAWavReader)
{
    const auto plain = readAudio (file ("plain.wav"));
    ASSERT_TRUE (plain.has_value());

    // "-", and the name the system gives standard output.
    for (const auto* name : { "-", "/dev/stdout" })
    {
        RunOptions options;
        options.outputThroughPipe = true;
        const auto result = render ({ "in.wav", name }, options);
        ASSERT_EQ (result.exitCode, 0) << name << ": " << result.err;
        EXPECT_EQ (result.bytes, expected) << name;

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (
            wav.createReaderFor (new juce::MemoryInputStream (result.bytes, false), true));
        ASSERT_NE (reader, nullptr) << name << ": no WAV came through the pipe";
        ASSERT_EQ (reader->lengthInSamples, plain->samples.getNumSamples());
        juce::AudioBuffer<float> samples (2, static_cast<int> (reader->lengthInSamples));
        ASSERT_TRUE (reader->read (&samples, 0, samples.getNumSamples(), 0, true, true));
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < samples.getNumSamples(); ++i)
                ASSERT_EQ (samples.getSample (ch, i), plain->samples.getSample (ch, i)) << name << " sample " << i;
    }
    expectOnly ({ "in.wav", "plain.wav" });
}

TEST_F (OutputKinds, StandardInputIsReadAsTheInputEvenWithAStreamedHeader)
{
    const auto whole = fileBytes (file ("in.wav"));
    // What a program writing WAV into a pipe leaves in the header: it cannot
    // go back to fill in the lengths.
    auto streamed = whole;
    auto* bytes = static_cast<char*> (streamed.getData());
    const char unknown[] = { '\xff', '\xff', '\xff', '\xff' };
    std::memcpy (bytes + 4, unknown, 4);
    bool sawData = false;
    for (size_t pos = 12; pos + 8 <= streamed.getSize();)
    {
        std::uint32_t length = 0;
        std::memcpy (&length, bytes + pos + 4, 4);
        if (std::memcmp (bytes + pos, "data", 4) == 0)
        {
            std::memcpy (bytes + pos + 4, unknown, 4);
            sawData = true;
            break;
        }
        pos += 8 + length + (length & 1);
    }
    ASSERT_TRUE (sawData);

    for (const auto& [what, input] : { std::pair { "whole header", whole }, std::pair { "streamed header", streamed } })
    {
        RunOptions options;
        options.input = input;
        const auto result = render ({ "-", "out.wav" }, options);
        ASSERT_EQ (result.exitCode, 0) << what << ": " << result.err;
        EXPECT_EQ (fileBytes (file ("out.wav")), expected) << what;
    }
}

TEST_F (OutputKinds, ACharacterDeviceIsWrittenToAndStaysADevice)
{
    // As root, a null device of its own in the test's folder (replacing the
    // system's /dev/null would break the machine); otherwise the system's,
    // which an unprivileged tool could not replace anyway.
    auto device = juce::File ("/dev/null");
    if (geteuid() == 0)
    {
        device = file ("null");
        ASSERT_EQ (::mknod (device.getFullPathName().toRawUTF8(), S_IFCHR | 0666, makedev (1, 3)), 0);
    }
    const auto result = render ({ "--taps-json", device.getFullPathName(), "--plot", device.getFullPathName(), "in.wav",
                                  device.getFullPathName() });
    ASSERT_EQ (result.exitCode, 0) << result.err;
    EXPECT_TRUE (S_ISCHR (statOf (device).st_mode));
    expectOnly ({ "in.wav", "plain.wav", "null" });
}

TEST_F (OutputKinds, WhatThisUserMayNotWriteIsRefusedAndLeftAsItWas)
{
    const auto user = unprivilegedUser();
    if (geteuid() == 0 && ! user.has_value())
        GTEST_SKIP() << "running as root with no unprivileged user to switch to";

    // The folder belongs to the user running the tool, so only the read-only
    // file, or the read-only folder inside, stands in the way.
    const auto readOnly = file ("ro.wav");
    ASSERT_TRUE (readOnly.replaceWithText ("a finished master"));
    ASSERT_TRUE (file ("locked").createDirectory());
    ASSERT_EQ (::chmod (readOnly.getFullPathName().toRawUTF8(), 0444), 0);
    ASSERT_EQ (::chmod (file ("locked").getFullPathName().toRawUTF8(), 0555), 0);
    RunOptions options;
    if (user.has_value())
    {
        options.user = user;
        for (const auto& f : { dir, home, config, tmp, readOnly, file ("locked"), file ("in.wav") })
            ASSERT_EQ (::chown (f.getFullPathName().toRawUTF8(), user->uid, user->gid), 0);
    }
    const auto before = snapshot();

    struct Case
    {
        const char* output;
        const char* message;
    };
    for (const auto& c : { Case { "ro.wav", "the file is read-only for this user" },
                           Case { "locked/out.wav", "no permission to write into the folder" },
                           Case { "locked/deeper/out.wav", "no permission to write into the folder" } })
    {
        const auto result = render ({ "--taps-json", "taps.json", "in.wav", c.output }, options);
        EXPECT_EQ (result.exitCode, 1) << c.output;
        EXPECT_TRUE (result.err.contains (c.message)) << c.output << ": " << result.err;
        EXPECT_TRUE (snapshot() == before) << c.output << ": something was written or changed";
    }
}

TEST_F (OutputKinds, TwoOutputsIntoStandardOutputAreRefused)
{
    for (const auto& args : { juce::StringArray { "--taps", "in.wav", "-" },
                              juce::StringArray { "--taps-json", "-", "--plot", "/dev/stdout", "in.wav", "out.wav" },
                              juce::StringArray { "--list-params", "in.wav", "-" } })
    {
        RunOptions options;
        options.outputThroughPipe = true;
        const auto result = render (args, options);
        EXPECT_EQ (result.exitCode, 1) << args.joinIntoString (" ");
        EXPECT_TRUE (result.err.contains ("standard output")) << result.err;
        EXPECT_EQ (result.bytes.getSize(), 0u) << args.joinIntoString (" ");
    }
    expectOnly ({ "in.wav", "plain.wav" });
}

TEST_F (OutputKinds, AReaderThatGivesUpEarlyLeavesNoOtherOutputBehind)
{
    const auto fifo = file ("pipe.wav");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0644), 0);
    ASSERT_TRUE (file ("taps.json").replaceWithText ("an older tap report"));
    const auto before = fileBytes (file ("taps.json"));
    PipeReader reader (fifo, true);

    const auto result = render ({ "--taps-json", "taps.json", "--plot", "taps.png", "in.wav", "pipe.wav" });
    reader.finish();
    EXPECT_EQ (result.exitCode, 1);
    EXPECT_TRUE (result.err.contains ("its reader closed it before the end")) << result.err;
    EXPECT_EQ (fileBytes (file ("taps.json")), before);
    expectOnly ({ "in.wav", "plain.wav", "pipe.wav", "taps.json" });
}
