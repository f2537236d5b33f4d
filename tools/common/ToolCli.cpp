#include "ToolCli.h"

#include "Suggestions.h"

#include "presets/StrictUtf8.h"

#include <algorithm>
#include <iostream>
#include <sstream>

#ifndef TWIST_VERSION
#error "TWIST_VERSION comes from the project's version in CMake"
#endif

namespace cli
{
namespace
{
constexpr int lineWidth = 79;
constexpr int optionColumn = 24;

// Wraps text to the line width, the first line after `first` characters
// already taken, every following one indented by `indent`. Line breaks in
// the text are kept.
std::string wrap (const std::string& text, std::size_t first, std::size_t indent)
{
    std::string out;
    std::size_t column = first;
    std::istringstream lines (text);
    std::string line;
    bool firstLine = true;
    while (std::getline (lines, line))
    {
        if (! firstLine)
        {
            out += "\n" + std::string (indent, ' ');
            column = indent;
        }
        firstLine = false;
        std::istringstream words (line);
        std::string word;
        bool lineStart = true;
        while (words >> word)
        {
            if (! lineStart && column + 1 + word.size() > static_cast<std::size_t> (lineWidth))
            {
                out += "\n" + std::string (indent, ' ');
                column = indent;
                lineStart = true;
            }
            if (! lineStart)
            {
                out += ' ';
                ++column;
            }
            out += word;
            column += word.size();
            lineStart = false;
        }
    }
    return out;
}

std::string paragraphs (const char* text)
{
    std::string out;
    std::istringstream in (text);
    std::string paragraph;
    std::string line;
    const auto flush = [&] (const char* after) {
        if (! paragraph.empty())
            out += wrap (paragraph, 0, 0) + after;
        paragraph.clear();
    };
    while (std::getline (in, line))
    {
        if (line.empty())
            flush ("\n\n");
        else if (line.rfind ("  ", 0) == 0)
        {
            // An indented line (an example, a table) is kept as it is, right
            // under the paragraph that introduces it.
            flush ("\n");
            out += line + "\n";
            if (in.peek() != ' ')
                out += "\n";
        }
        else
            paragraph += (paragraph.empty() ? "" : " ") + line;
    }
    flush ("\n\n");
    return out;
}

// The help layout: usage, description, the options by group, the footer;
// wrapped to 79 columns, in the form help2man reads.
class HelpFormatter : public CLI::Formatter
{
public:
    explicit HelpFormatter (const ToolInfo& i)
        : info (i)
    {
    }

    std::string make_help (const CLI::App* app, std::string, CLI::AppFormatMode) const override
    {
        std::string out = "Usage: " + std::string (info.usage) + "\n\n" + paragraphs (info.description);
        // The groups in the order the tool declares them; help and version
        // (declared first, with the parser) close the list.
        auto groups = app->get_groups();
        std::stable_partition (groups.begin(), groups.end(), [] (const std::string& g) { return g != "Other"; });
        for (const auto& group : groups)
        {
            if (group.empty())
                continue;
            const auto options = app->get_options (
                [&group] (const CLI::Option* o) { return o->get_group() == group && o->nonpositional(); });
            if (options.empty())
                continue;
            out += group + ":\n";
            for (const auto* o : options)
                out += optionLine (*o);
            out += "\n";
        }
        return out + paragraphs (info.footer);
    }

private:
    static std::string optionLine (const CLI::Option& o)
    {
        std::string names;
        for (const auto& s : o.get_snames())
            names += (names.empty() ? "-" : ", -") + s;
        for (const auto& l : o.get_lnames())
            names += (names.empty() ? "--" : ", --") + l;
        if (o.get_type_size() != 0 && ! o.get_type_name().empty())
            names += " " + o.get_type_name();

        std::string line = "  " + names;
        if (line.size() + 2 > static_cast<std::size_t> (optionColumn))
            line += "\n" + std::string (optionColumn, ' ');
        else
            line += std::string (optionColumn - line.size(), ' ');
        return line + wrap (o.get_description(), optionColumn, optionColumn) + "\n";
    }

    ToolInfo info;
};

std::string usageHint (const ToolInfo& info)
{
    return "Try '" + std::string (info.program) + " --help' for more information.";
}

// CLI11's words for a missing value ("--preset: 1 required ID missing") in
// the tools' own.
juce::String describe (const CLI::ParseError& e)
{
    const juce::String what (e.what());
    if (e.get_name() == "ArgumentMismatch" && what.contains ("required") && what.contains ("missing"))
    {
        const auto option = what.upToFirstOccurrenceOf (":", false, false);
        const auto valueName =
            what.fromFirstOccurrenceOf ("required ", false, false).upToLastOccurrenceOf (" missing", false, false);
        return option + " needs a value (" + valueName + ")";
    }
    return what;
}

juce::String unknownOption (const CLI::App& app, const std::string& argument)
{
    const juce::String name = juce::String (argument).upToFirstOccurrenceOf ("=", false, false);
    std::vector<suggestions::Candidate> candidates;
    for (const auto* o : app.get_options())
        for (const auto& l : o->get_lnames())
            candidates.push_back ({ "--" + juce::String (l), { "--" + juce::String (l) } });
    const auto hint = suggestions::didYouMean (suggestions::closest (name, candidates));
    return "unknown option '" + name + "'" + (hint.isNotEmpty() ? "; " + hint : juce::String())
           + " (--help lists them all)";
}
} // namespace

std::unique_ptr<CLI::App> makeApp (const ToolInfo& info)
{
    auto app = std::make_unique<CLI::App> (info.description, info.program);
    app->formatter (std::make_shared<HelpFormatter> (info));
    app->set_help_flag ("-h,--help", "print this text and exit")->group ("Other");
    app->set_version_flag ("--version", versionText (info), "print the version and the licence and exit")
        ->group ("Other");
    app->allow_extras();
    return app;
}

CLI::Option* valueOption (CLI::App& app, const std::string& name, std::string& value, const std::string& help,
                          const std::string& valueName, const std::string& group)
{
    return app.add_option (name, value, help)
        ->type_name (valueName)
        ->group (group)
        ->multi_option_policy (CLI::MultiOptionPolicy::TakeLast);
}

CLI::Option* listOption (CLI::App& app, const std::string& name, std::vector<std::string>& values,
                         const std::string& help, const std::string& valueName, const std::string& group)
{
    return app.add_option (name, values, help)->type_name (valueName)->group (group)->allow_extra_args (false);
}

std::optional<int> parse (CLI::App& app, const ToolInfo& info, const std::vector<std::string>& args)
{
    // Arguments are bytes; only valid UTF-8 becomes text (a broken sequence
    // would be read past its end by every string operation after it).
    for (std::size_t i = 0; i < args.size(); ++i)
        if (! presets::isStrictUtf8 (args[i].c_str(), static_cast<int> (args[i].size())))
            return fail (info, { "argument " + juce::String (i + 1) + " is not valid UTF-8", exitUsage });

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed (args.rbegin(), args.rend());
    try
    {
        app.parse (reversed);
    }
    catch (const CLI::CallForHelp&)
    {
        std::cout << app.help() << std::flush;
        return exitOk;
    }
    catch (const CLI::CallForVersion& e)
    {
        std::cout << e.what() << std::flush;
        return exitOk;
    }
    catch (const CLI::ParseError& e)
    {
        return fail (info, { describe (e), exitUsage });
    }

    for (const auto& extra : app.remaining())
        if (extra.size() > 1 && extra[0] == '-' && extra != "--")
            return fail (info, { unknownOption (app, extra), exitUsage });
    return std::nullopt;
}

int fail (const ToolInfo& info, const Problem& problem)
{
    std::cerr << info.program << ": error: " << problem.message << "\n";
    if (problem.status == exitUsage)
        std::cerr << usageHint (info) << "\n";
    std::cerr << std::flush;
    return problem.status;
}

void warn (const ToolInfo& info, const juce::String& message)
{
    std::cerr << info.program << ": warning: " << message << std::endl;
}

std::string versionText (const ToolInfo& info)
{
    return std::string (info.program) + " (Twist Delay) " TWIST_VERSION "\n"
           + "Copyright (C) Twist Audio.\n"
             "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
             "This is free software: you are free to change and redistribute it.\n"
             "There is NO WARRANTY, to the extent permitted by law.\n";
}

std::vector<std::string> arguments (int argc, char* argv[])
{
    return std::vector<std::string> (argv + (argc > 0 ? 1 : 0), argv + argc);
}
} // namespace cli
