#include "ArdourHost.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>

extern char** environ;

namespace ardourtest
{
juce::String ProcessResult::describe() const
{
    if (exited)
        return "exit status " + juce::String (exitCode);
    return "killed by signal " + juce::String (signal) + " (" + juce::String (strsignal (signal)) + ")";
}

ProcessResult runProcess (const std::vector<std::string>& argv,
                          const std::vector<std::pair<std::string, std::string>>& extraEnvironment,
                          const juce::File& logFile)
{
    ProcessResult result;

    // The child's environment: ours, with the extra variables replacing any
    // of the same name.
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e != nullptr; ++e)
    {
        const std::string entry (*e);
        const auto eq = entry.find ('=');
        if (eq != std::string::npos)
            variables[entry.substr (0, eq)] = entry.substr (eq + 1);
    }
    for (const auto& [name, value] : extraEnvironment)
        variables[name] = value;

    std::vector<std::string> envStrings;
    for (const auto& [name, value] : variables)
        envStrings.push_back (name + "=" + value);

    std::vector<char*> envp, args;
    for (auto& s : envStrings)
        envp.push_back (s.data());
    envp.push_back (nullptr);

    std::vector<std::string> argStrings (argv);
    for (auto& s : argStrings)
        args.push_back (s.data());
    args.push_back (nullptr);

    logFile.deleteFile();
    const auto logPath = logFile.getFullPathName().toStdString();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2 (&actions, STDOUT_FILENO, STDERR_FILENO);

    pid_t pid = 0;
    const int spawnError = posix_spawnp (&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy (&actions);

    if (spawnError != 0)
    {
        result.output = "could not start " + juce::String (argv[0]) + ": " + juce::String (std::strerror (spawnError));
        return result;
    }

    int status = 0;
    while (waitpid (pid, &status, 0) < 0)
    {
        if (errno != EINTR)
        {
            result.output = "waitpid failed: " + juce::String (std::strerror (errno));
            return result;
        }
    }

    if (WIFEXITED (status))
    {
        result.exited = true;
        result.exitCode = WEXITSTATUS (status);
    }
    else if (WIFSIGNALED (status))
    {
        result.signal = WTERMSIG (status);
    }

    result.output = logFile.loadFileAsString();
    return result;
}

//==============================================================================
ArdourSandbox::ArdourSandbox (const juce::File& vst3Folder, const juce::File& lv2Folder)
    : folder (juce::File::createTempFile ("twist-ardour"))
    , vst3Path (vst3Folder)
    , lv2Path (lv2Folder)
{
    folder.createDirectory();
    for (auto sub : { "config", "cache", "home", "logs" })
        folder.getChildFile (sub).createDirectory();
}

ArdourSandbox::~ArdourSandbox()
{
    // TWIST_KEEP_ARDOUR_FILES keeps the sessions, renders and logs for a look.
    if (std::getenv ("TWIST_KEEP_ARDOUR_FILES") == nullptr)
        folder.deleteRecursively();
}

std::vector<std::pair<std::string, std::string>> ArdourSandbox::environment() const
{
    const juce::String libDir (TWIST_ARDOUR_LIB_DIR);
    const char* oldLibraryPath = std::getenv ("LD_LIBRARY_PATH");

    return {
        { "XDG_CONFIG_HOME", folder.getChildFile ("config").getFullPathName().toStdString() },
        { "XDG_CACHE_HOME", folder.getChildFile ("cache").getFullPathName().toStdString() },
        { "HOME", folder.getChildFile ("home").getFullPathName().toStdString() },
        { "VST3_PATH", vst3Path.getFullPathName().toStdString() },
        { "LV2_PATH", lv2Path.getFullPathName().toStdString() },
        // Ardour's scanner links Ardour's private libraries.
        { "LD_LIBRARY_PATH",
          libDir.toStdString() + (oldLibraryPath != nullptr ? std::string (":") + oldLibraryPath : std::string()) },
    };
}

ProcessResult ArdourSandbox::scanVst3 (const juce::File& bundle) const
{
    const auto scanner = juce::File (TWIST_ARDOUR_LIB_DIR).getChildFile ("ardour-vst3-scanner");
    return runProcess (
        { scanner.getFullPathName().toStdString(), "--force", "--quiet", bundle.getFullPathName().toStdString() },
        environment(), folder.getChildFile ("logs").getChildFile ("vst3-scan.log"));
}

ProcessResult ArdourSandbox::runLua (const juce::String& scriptName, const juce::StringArray& args,
                                     const juce::String& logName) const
{
    std::vector<std::string> argv {
        TWIST_ARDOUR_LUA, juce::File (TWIST_ARDOUR_LUA_DIR).getChildFile (scriptName).getFullPathName().toStdString()
    };
    for (const auto& a : args)
        argv.push_back (a.toStdString());

    return runProcess (argv, environment(), folder.getChildFile ("logs").getChildFile (logName + ".log"));
}

//==============================================================================
namespace
{
// Ardour 7 keeps positions in "superclock" ticks: 282240000 per second,
// written with an "a" for audio time.
juce::String audioTime (juce::int64 samples, double sampleRate)
{
    constexpr juce::int64 superclockRate = 282240000;
    return "a" + juce::String (samples * superclockRate / static_cast<juce::int64> (sampleRate));
}

juce::XmlElement* childOrNew (juce::XmlElement& parent, const juce::String& tag)
{
    if (auto* child = parent.getChildByName (tag))
        return child;
    return parent.createNewChildElement (tag);
}

void setRegionAttributes (juce::XmlElement& region, const juce::String& name, juce::int64 id, bool wholeFile,
                          const juce::String& length, juce::int64 leftSource, juce::int64 rightSource)
{
    region.setAttribute ("name", name);
    region.setAttribute ("muted", 0);
    region.setAttribute ("opaque", 1);
    region.setAttribute ("locked", 0);
    region.setAttribute ("video-locked", 0);
    region.setAttribute ("automatic", 0);
    region.setAttribute ("whole-file", wholeFile ? 1 : 0);
    region.setAttribute ("import", 0);
    region.setAttribute ("external", 1);
    region.setAttribute ("sync-marked", 0);
    region.setAttribute ("left-of-split", 0);
    region.setAttribute ("right-of-split", 0);
    region.setAttribute ("hidden", 0);
    region.setAttribute ("position-locked", 0);
    region.setAttribute ("valid-transients", 0);
    region.setAttribute ("start", "a0");
    region.setAttribute ("length", length);
    region.setAttribute ("position", "a0");
    region.setAttribute ("sync-position", "a0");
    region.setAttribute ("ancestral-start", "a0");
    region.setAttribute ("ancestral-length", "a0@a0");
    region.setAttribute ("stretch", 1);
    region.setAttribute ("shift", 1);
    region.setAttribute ("layering-index", 0);
    region.setAttribute ("envelope-active", 0);
    region.setAttribute ("default-fade-in", 0);
    region.setAttribute ("default-fade-out", 0);
    // No fades: the file reaches the track sample for sample.
    region.setAttribute ("fade-in-active", 0);
    region.setAttribute ("fade-out-active", 0);
    region.setAttribute ("scale-amplitude", 1);
    region.setAttribute ("id", juce::String (id));
    region.setAttribute ("type", "audio");
    region.setAttribute ("first-edit", "nothing");
    region.setAttribute ("source-0", juce::String (leftSource));
    region.setAttribute ("source-1", juce::String (rightSource));
    region.setAttribute ("master-source-0", juce::String (leftSource));
    region.setAttribute ("master-source-1", juce::String (rightSource));
    region.setAttribute ("channels", 2);
}
} // namespace

juce::Result embedStereoFile (const juce::File& sessionFile, const juce::String& trackName, const juce::File& wavFile,
                              juce::int64 fileLength, juce::int64 rangeLength, double sampleRate)
{
    auto session = juce::XmlDocument::parse (sessionFile);
    if (session == nullptr || ! session->hasTagName ("Session"))
        return juce::Result::fail ("not a session file: " + sessionFile.getFullPathName());

    juce::XmlElement* route = nullptr;
    if (auto* routes = session->getChildByName ("Routes"))
        for (auto* r : routes->getChildWithTagNameIterator ("Route"))
            if (r->getStringAttribute ("name") == trackName)
                route = r;
    if (route == nullptr)
        return juce::Result::fail ("no track named " + trackName);

    const auto playlistId = route->getStringAttribute ("audio-playlist");
    juce::XmlElement* playlist = nullptr;
    if (auto* playlists = session->getChildByName ("Playlists"))
        for (auto* p : playlists->getChildWithTagNameIterator ("Playlist"))
            if (p->getStringAttribute ("id") == playlistId)
                playlist = p;
    if (playlist == nullptr)
        return juce::Result::fail ("the track has no playlist");

    // New objects take IDs above the session's counter, which moves past them.
    const auto firstId = session->getStringAttribute ("id-counter").getLargeIntValue() + 1;
    const auto leftSource = firstId, rightSource = firstId + 1, wholeRegion = firstId + 2, trackRegion = firstId + 3,
               rangeId = firstId + 4;
    session->setAttribute ("id-counter", juce::String (rangeId + 1));

    auto* sources = childOrNew (*session, "Sources");
    for (const auto& [id, channel] : { std::pair { leftSource, 0 }, std::pair { rightSource, 1 } })
    {
        auto* source = sources->createNewChildElement ("Source");
        source->setAttribute ("name", wavFile.getFullPathName());
        source->setAttribute ("type", "audio");
        source->setAttribute ("flags", "");
        source->setAttribute ("id", juce::String (id));
        source->setAttribute ("captured-for", "");
        source->setAttribute ("take-id", "");
        source->setAttribute ("channel", channel);
        source->setAttribute ("origin", wavFile.getFullPathName());
        source->setAttribute ("gain", 1);
    }

    // A region's length is a distance at a position: "<length>@<position>".
    const auto length = audioTime (fileLength, sampleRate) + "@a0";
    const auto regionName = wavFile.getFileNameWithoutExtension();
    setRegionAttributes (*childOrNew (*session, "Regions")->createNewChildElement ("Region"), regionName, wholeRegion,
                         true, length, leftSource, rightSource);
    setRegionAttributes (*playlist->createNewChildElement ("Region"), regionName, trackRegion, false, length,
                         leftSource, rightSource);

    auto* locations = childOrNew (*session, "Locations");
    auto* range = locations->createNewChildElement ("Location");
    range->setAttribute ("id", juce::String (rangeId));
    range->setAttribute ("name", "session");
    range->setAttribute ("start", "a0");
    range->setAttribute ("end", audioTime (rangeLength, sampleRate));
    range->setAttribute ("flags", "IsSessionRange");
    range->setAttribute ("locked", 0);
    range->setAttribute ("timestamp", 0);
    range->setAttribute ("cue", 0);

    if (! session->writeTo (sessionFile))
        return juce::Result::fail ("could not write " + sessionFile.getFullPathName());
    return juce::Result::ok();
}

//==============================================================================
namespace
{
// The processor's state blob is JUCE's binary envelope around the XML of its
// parameter tree; both formats wrap it once more. Finds the XML inside.
std::unique_ptr<juce::XmlElement> findStateXml (const juce::MemoryBlock& block)
{
    // The envelope's binary header holds zero bytes: search the raw bytes.
    const std::string_view bytes (static_cast<const char*> (block.getData()), block.getSize());
    constexpr std::string_view open ("<Parameters"), close ("</Parameters>");
    const auto start = bytes.find (open);
    const auto end = bytes.rfind (close);
    if (start == std::string_view::npos || end == std::string_view::npos || end < start)
        return {};
    const auto xml = bytes.substr (start, end + close.size() - start);
    return juce::parseXML (juce::String::fromUTF8 (xml.data(), static_cast<int> (xml.size())));
}
} // namespace

juce::Result readPluginState (const juce::File& sessionFile, std::unique_ptr<juce::XmlElement>& state)
{
    auto session = juce::XmlDocument::parse (sessionFile);
    if (session == nullptr)
        return juce::Result::fail ("not a session file: " + sessionFile.getFullPathName());

    juce::XmlElement* processor = nullptr;
    if (auto* routes = session->getChildByName ("Routes"))
        for (auto* route : routes->getChildWithTagNameIterator ("Route"))
            for (auto* p : route->getChildWithTagNameIterator ("Processor"))
                if (processor == nullptr && p->getStringAttribute ("name") == "Twist Delay")
                    processor = p;
    if (processor == nullptr)
        return juce::Result::fail ("the session has no Twist Delay");

    juce::MemoryBlock blob;
    const auto type = processor->getStringAttribute ("type");

    if (type == "vst3")
    {
        // VST3: the component's state stream, standard Base64, in the session.
        auto* vst3 = processor->getChildByName ("vst3");
        auto* chunk = vst3 != nullptr ? vst3->getChildByName ("chunk") : nullptr;
        if (chunk == nullptr)
            return juce::Result::fail ("the VST3 processor saved no state");
        juce::MemoryOutputStream out (blob, false);
        if (! juce::Base64::convertFromBase64 (out, chunk->getAllSubText().trim()))
            return juce::Result::fail ("the VST3 state is not Base64");
    }
    else if (type == "lv2")
    {
        // LV2: a state folder of the processor, whose Turtle file holds the
        // blob as a string in JUCE's own Base64 flavour.
        auto* lv2 = processor->getChildByName ("lv2");
        if (lv2 == nullptr || ! lv2->hasAttribute ("state-dir"))
            return juce::Result::fail ("the LV2 processor saved no state");
        const auto ttl = sessionFile.getParentDirectory()
                             .getChildFile ("plugins")
                             .getChildFile (processor->getStringAttribute ("id"))
                             .getChildFile (lv2->getStringAttribute ("state-dir"))
                             .getChildFile ("state.ttl")
                             .loadFileAsString();
        const auto key = ttl.indexOf (":StateString>");
        const auto open = ttl.indexOfChar (key, '"');
        const auto close = ttl.indexOfChar (open + 1, '"');
        if (key < 0 || open < 0 || close < 0 || ! blob.fromBase64Encoding (ttl.substring (open + 1, close)))
            return juce::Result::fail ("the LV2 state holds no state string");
    }
    else
    {
        return juce::Result::fail ("unexpected processor type " + type);
    }

    state = findStateXml (blob);
    if (state == nullptr)
        return juce::Result::fail ("no parameter tree in the saved state");
    return juce::Result::ok();
}
} // namespace ardourtest
