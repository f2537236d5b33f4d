#include "ToolRun.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tooltest
{
namespace
{
// Reads everything from fd until end of file (or, for a terminal, until
// the other side is closed).
juce::MemoryBlock drainBytes (int fd)
{
    juce::MemoryBlock bytes;
    juce::MemoryOutputStream text (bytes, false);
    char chunk[4096];
    for (;;)
    {
        const auto n = read (fd, chunk, sizeof (chunk));
        if (n > 0)
            text.write (chunk, static_cast<size_t> (n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    text.flush();
    return bytes;
}

juce::String drain (int fd)
{
    return drainBytes (fd).toString();
}

// Writes everything into fd and closes it; a reader that stops early ends it.
void feed (int fd, const juce::MemoryBlock& bytes)
{
    const auto* data = static_cast<const char*> (bytes.getData());
    for (size_t done = 0; done < bytes.getSize();)
    {
        const auto n = write (fd, data + done, bytes.getSize() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t> (n);
    }
    close (fd);
}
} // namespace

juce::File toolBinary()
{
    return juce::File (TWIST_RENDER_BINARY);
}

juce::File snapshotBinary()
{
    return juce::File (TWIST_SNAPSHOT_BINARY);
}

std::optional<RunAs> unprivilegedUser()
{
    if (geteuid() != 0)
        return std::nullopt;
    const auto* nobody = getpwnam ("nobody");
    if (nobody == nullptr)
        return std::nullopt;
    return RunAs { nobody->pw_uid, nobody->pw_gid };
}

RunResult runTool (const juce::StringArray& args, const RunOptions& options)
{
    // A tool that stops reading its input early must not end the test program.
    signal (SIGPIPE, SIG_IGN);

    const auto binary =
        (options.binary != juce::File() ? options.binary : toolBinary()).getFullPathName().toStdString();
    std::vector<std::string> argStrings { binary };
    for (const auto& a : args)
        argStrings.push_back (a.toStdString());
    std::vector<char*> argv;
    for (auto& a : argStrings)
        argv.push_back (a.data());
    argv.push_back (nullptr);

    // Everything the child needs is made before fork: after it, the child
    // only calls what is safe in a copy of a threaded process.
    std::vector<std::string> envStrings;
    for (char** e = environ; *e != nullptr; ++e)
    {
        const std::string entry (*e);
        const auto key = entry.substr (0, entry.find ('='));
        if ((key != "DISPLAY" || options.keepDisplay) && options.environment.count (juce::String (key)) == 0)
            envStrings.push_back (entry);
    }
    for (const auto& [key, value] : options.environment)
        if (value.isNotEmpty())
            envStrings.push_back ((key + "=" + value).toStdString());
    std::vector<char*> envp;
    for (auto& e : envStrings)
        envp.push_back (e.data());
    envp.push_back (nullptr);

    const auto outFile = juce::File::createTempFile (".out");
    const auto errFile = juce::File::createTempFile (".err");
    const auto outPath = outFile.getFullPathName().toStdString();
    const auto errPath = errFile.getFullPathName().toStdString();
    const auto directory = options.workingDirectory.getFullPathName().toStdString();

    int master = -1;
    int slave = -1;
    if (options.stderrOnTerminal && openpty (&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    int inPipe[2] = { -1, -1 };
    int outPipe[2] = { -1, -1 };
    if (options.input.has_value() && pipe2 (inPipe, O_CLOEXEC) != 0)
        return {};
    if (options.outputThroughPipe && pipe2 (outPipe, O_CLOEXEC) != 0)
        return {};

    const pid_t pid = fork();
    if (pid < 0)
        return {};
    if (pid == 0)
    {
        if (options.user.has_value()
            && (setgroups (0, nullptr) != 0 || setgid (options.user->gid) != 0 || setuid (options.user->uid) != 0))
            _exit (125);
        if (! directory.empty() && chdir (directory.c_str()) != 0)
            _exit (126);
        const int in = options.input.has_value() ? inPipe[0] : open ("/dev/null", O_RDONLY);
        const int out =
            options.outputThroughPipe ? outPipe[1] : open (outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = options.stderrOnTerminal ? slave : open (errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0)
            _exit (126);
        dup2 (in, STDIN_FILENO);
        dup2 (out, STDOUT_FILENO);
        dup2 (err, STDERR_FILENO);
        if (master >= 0)
            close (master);
        execve (argv[0], argv.data(), envp.data());
        _exit (127);
    }

    RunResult result;
    std::thread feeder;
    std::thread reader;
    if (options.input.has_value())
    {
        close (inPipe[0]);
        feeder = std::thread ([fd = inPipe[1], &bytes = *options.input] { feed (fd, bytes); });
    }
    if (options.outputThroughPipe)
    {
        close (outPipe[1]);
        reader = std::thread ([fd = outPipe[0], &result] {
            result.bytes = drainBytes (fd);
            close (fd);
        });
    }
    if (options.stderrOnTerminal)
    {
        close (slave);
        result.err = drain (master); // ends when the program has closed the terminal
        close (master);
    }

    int status = 0;
    while (waitpid (pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    result.exitCode = WIFEXITED (status) ? WEXITSTATUS (status) : 128 + WTERMSIG (status);
    if (feeder.joinable())
        feeder.join();
    if (reader.joinable())
        reader.join();
    result.out = options.outputThroughPipe ? result.bytes.toString() : outFile.loadFileAsString();
    if (! options.stderrOnTerminal)
        result.err = errFile.loadFileAsString();
    outFile.deleteFile();
    errFile.deleteFile();
    return result;
}
} // namespace tooltest
