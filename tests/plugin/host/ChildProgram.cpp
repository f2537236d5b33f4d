#include "host/ChildProgram.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport
{
ChildProgram::ChildProgram (const Options& options)
{
    // Everything the child needs is made here: between fork and exec a
    // program with threads may only make async-signal-safe calls.
    std::map<std::string, std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
    {
        const std::string entry (*e);
        const auto eq = entry.find ('=');
        if (eq != std::string::npos)
            env[entry.substr (0, eq)] = entry.substr (eq + 1);
    }
    for (const auto& [name, value] : options.environment)
        env[name] = value;

    std::vector<std::string> envStrings;
    for (const auto& [name, value] : env)
        envStrings.push_back (name + "=" + value);
    std::vector<char*> envp;
    for (auto& s : envStrings)
        envp.push_back (s.data());
    envp.push_back (nullptr);

    auto args = options.arguments;
    std::vector<char*> argv;
    for (auto& s : args)
        argv.push_back (s.data());
    argv.push_back (nullptr);
    if (args.empty())
        return;

    const auto outputPath =
        options.output == juce::File() ? std::string ("/dev/null") : options.output.getFullPathName().toStdString();
    const int out = open (outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0)
        return;
    const int parent = getpid();

    processId = fork();
    if (processId == 0)
    {
        // Ends with the test program, however that ends.
        prctl (PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit (127);
        setpgid (0, 0);
        dup2 (out, STDOUT_FILENO);
        dup2 (out, STDERR_FILENO);
        const int in = open ("/dev/null", O_RDONLY);
        dup2 (in, STDIN_FILENO);
        if (options.inheritedDescriptor >= 0)
            fcntl (options.inheritedDescriptor, F_SETFD, 0);
        execvpe (argv[0], argv.data(), envp.data());
        _exit (127);
    }
    close (out);
}

ChildProgram::~ChildProgram()
{
    if (started() && ! status.has_value())
        terminate();
}

std::optional<int> ChildProgram::waitForExit (int milliseconds)
{
    if (! started() || status.has_value())
        return status;
    const auto until = juce::Time::getMillisecondCounter() + static_cast<juce::uint32> (milliseconds);
    for (;;)
    {
        int raw = 0;
        const auto r = waitpid (processId, &raw, WNOHANG);
        if (r == processId)
        {
            status = WIFEXITED (raw) ? WEXITSTATUS (raw) : 128 + WTERMSIG (raw);
            return status;
        }
        if (r < 0 || juce::Time::getMillisecondCounter() >= until)
            return std::nullopt;
        juce::Thread::sleep (10);
    }
}

int ChildProgram::terminate()
{
    if (! started())
        return -1;
    if (! status.has_value())
    {
        kill (processId, SIGTERM);
        if (! waitForExit (5000).has_value())
        {
            kill (processId, SIGKILL);
            waitForExit (5000);
        }
    }
    return status.value_or (-1);
}
} // namespace testsupport
