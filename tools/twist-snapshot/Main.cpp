// twist-snapshot: renders one of the editor's components to PNG files, at 1x
// and 2x scale by default, without opening a window. `twist-snapshot --help`
// tells how.

#include "EditorSnapshot.h"
#include "OutputBatch.h"
#include "ParameterSettings.h"
#include "SnapshotModes.h"
#include "Suggestions.h"
#include "ToolCli.h"
#include "params/ParameterTable.h"
#include "presets/PresetSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <iostream>

namespace
{
// clang-format off
const cli::ToolInfo toolInfo {
    "twist-snapshot",
    "twist-snapshot [OPTION]... MODE FOLDER\n"
    "  or:  twist-snapshot --list",

    "Renders a part of the Twist Delay editor to PNG files, without opening a window: FOLDER/MODE@1x.png and "
    "FOLDER/MODE@2x.png (or the scales given with --scale; --name replaces MODE in the file names). It needs an X "
    "display; xvfb-run stands in for a missing one.\n"
    "\n"
    "MODE is one of the names --list prints: gallery (every widget of the visual language in its states), "
    "main-controls (the filter range, the width and ping-pong row, the density strip and the master fader) or editor "
    "(the whole plug-in window over a processor of its own). The editor starts from a preset, a saved state or the "
    "parameter defaults, takes --set on top, and runs a number of refresh ticks, each after a few blocks of "
    "silence, so the taps are published.",

    "Outputs: the pictures are written whole and renamed into place together, or (after an error) none of them; "
    "a missing FOLDER is created.\n"
    "\n"
    "Exit status: 0 when every picture was written; 1 when something failed (a preset, a state, a parameter, a "
    "file); 2 when the command line is malformed.\n"
    "\n"
    "Examples:\n"
    "  xvfb-run -a twist-snapshot gallery build/snapshots\n"
    "  xvfb-run -a twist-snapshot editor shots --preset \"Weird/Bouncy Ball\" --set g=60 --name bouncy\n"
    "  xvfb-run -a twist-snapshot editor shots --state song.state --ticks 60 --scale 1",
};
// clang-format on

constexpr int minScale = 1, maxScale = 4;
constexpr int minTicks = 1, maxTicks = 10000;

struct Arguments
{
    std::vector<std::string> positional, scales, sets, expand;
    std::string name, preset, state, ticks, open, drag, hover, area, zoom;
    bool list = false;
};

void declare (CLI::App& app, Arguments& a)
{
    app.add_option ("positional", a.positional)->group ("");
    cli::listOption (app, "--scale", a.scales, "render at this scale, 1 to 4, repeatable (default: 1 and 2)", "N",
                     "Pictures");
    cli::valueOption (app, "--name", a.name, "use NAME instead of MODE in the file names", "NAME", "Pictures");
    cli::valueOption (app, "--area", a.area,
                      "render only this rectangle of the component, in its own coordinates (X,Y,W,H in whole "
                      "pixels at 1x)",
                      "X,Y,W,H", "Pictures");
    cli::valueOption (app, "--preset", a.preset, "editor: start from a factory or user preset, by its id", "ID",
                      "Editor");
    cli::valueOption (app, "--state", a.state,
                      "editor: start from a saved plug-in state (twist-render --save-state or the standalone "
                      "program's Options > Save current state... write one)",
                      "FILE", "Editor");
    cli::listOption (app, "--set", a.sets,
                     "editor: set a parameter, repeatable, in the unit the editor shows it in or raw:VALUE, as "
                     "twist-render's --set does (see twist-render "
                     "--list-params)",
                     "ID=VALUE", "Editor");
    cli::valueOption (app, "--ticks", a.ticks, "editor: refresh ticks before the picture, 1 to 10000 (default 30)", "N",
                      "Editor");
    cli::valueOption (app, "--open", a.open,
                      "editor: show the options panel, the about dialog, the licence notices window (beside the "
                      "editor) or the preset menu",
                      "options|about|licences|presets", "Editor");
    cli::valueOption (app, "--drag", a.drag, "editor: show the parameter ID as being dragged", "ID", "Editor");
    cli::valueOption (app, "--hover", a.hover,
                      "editor: show the parameter ID as being hovered (mix, mout and pd bring up a readout)", "ID",
                      "Editor");
    cli::listOption (app, "--expand", a.expand,
                     "editor: open exactly these effect sections, repeatable: TAPE, \"PITCH / CHORUS\", WAVE, "
                     "TREMOLO, all or none (default: as the state has them)",
                     "SECTION", "Editor");
    cli::valueOption (app, "--zoom", a.zoom,
                      "editor: draw the editor at this zoom, 100, 125, 150, 175 or 200 (default 100, whatever the "
                      "user's settings hold)",
                      "PERCENT", "Editor");
    app.add_flag ("--list", a.list, "print the modes and what they show")->group ("Other");
}

juce::String text (const std::string& s)
{
    return juce::String::fromUTF8 (s.c_str());
}

// A whole number for an option, clamped into lo..hi with a warning.
std::optional<cli::Problem> readWhole (const char* option, const std::string& value, int lo, int hi, int& out)
{
    const auto number = parseNumber (text (value));
    if (! number.has_value() || std::floor (*number) != *number)
        return cli::Problem { "malformed value '" + text (value) + "' for " + option + ": expected a whole number" };
    out = static_cast<int> (juce::jlimit (static_cast<double> (lo), static_cast<double> (hi), *number));
    if (static_cast<double> (out) != *number)
        cli::warn (toolInfo, juce::String (option) + " " + text (value) + " is outside " + juce::String (lo) + ".."
                                 + juce::String (hi) + "; using " + juce::String (out));
    return std::nullopt;
}

struct Job
{
    const SnapshotMode* mode = nullptr;
    juce::String folder;
    juce::String stem;
    juce::Array<int> scales;
    juce::Rectangle<int> area; // empty: the whole component
    SnapshotOptions options;
};

// "X,Y,W,H": four whole numbers, the size not empty.
std::optional<cli::Problem> readArea (const std::string& value, juce::Rectangle<int>& area)
{
    const auto t = text (value);
    const auto numbers = juce::StringArray::fromTokens (t, ",", {});
    const auto bad = cli::Problem { "malformed value '" + t
                                    + "' for --area: expected X,Y,W,H in whole pixels, "
                                      "with W and H above 0" };
    if (numbers.size() != 4 || ! t.containsOnly ("0123456789,"))
        return bad;
    for (const auto& n : numbers)
        if (n.isEmpty() || n.length() > 6)
            return bad;
    area = { numbers[0].getIntValue(), numbers[1].getIntValue(), numbers[2].getIntValue(), numbers[3].getIntValue() };
    if (area.isEmpty())
        return bad;
    return std::nullopt;
}

std::optional<cli::Problem> interpret (const Arguments& a, Job& job)
{
    if (a.positional.size() != 2)
        return cli::Problem { a.positional.size() < 2 ? "give MODE and FOLDER (--list names the modes)"
                                                      : "too many arguments: give MODE and FOLDER" };

    const auto modeName = text (a.positional[0]);
    for (const auto& mode : snapshotModes())
        if (modeName == mode.name)
            job.mode = &mode;
    if (job.mode == nullptr)
    {
        std::vector<suggestions::Candidate> candidates;
        for (const auto& mode : snapshotModes())
            candidates.push_back ({ mode.name, { mode.name } });
        const auto hint = suggestions::didYouMean (suggestions::closest (modeName, candidates));
        return cli::Problem { "unknown mode '" + modeName + "'" + (hint.isNotEmpty() ? "; " + hint : juce::String())
                              + " (--list names them)" };
    }
    job.folder = text (a.positional[1]);

    for (const auto& s : a.scales)
    {
        int scale = 1;
        if (auto problem = readWhole ("--scale", s, minScale, maxScale, scale))
            return problem;
        job.scales.addIfNotAlreadyThere (scale);
    }
    if (job.scales.isEmpty())
        job.scales = { 1, 2 };

    job.stem = a.name.empty() ? juce::String (job.mode->name) : text (a.name);
    if (job.stem.containsAnyOf ("/\\") || job.stem == "." || job.stem == "..")
        return cli::Problem { "--name '" + job.stem + "' is not a file name: it names the pictures in FOLDER" };

    if (! a.area.empty())
        if (auto problem = readArea (a.area, job.area))
            return problem;

    const bool editorOnly = ! a.preset.empty() || ! a.state.empty() || ! a.sets.empty() || ! a.ticks.empty()
                            || ! a.open.empty() || ! a.drag.empty() || ! a.hover.empty() || ! a.expand.empty()
                            || ! a.zoom.empty();
    if (editorOnly && juce::String (job.mode->name) != "editor")
        return cli::Problem {
            "--preset, --state, --set, --ticks, --open, --drag, --hover, --expand and --zoom go with the editor mode, not "
            + modeName
        };
    if (! a.preset.empty() && ! a.state.empty())
        return cli::Problem { "--preset and --state both choose the starting sound; give one of them" };

    auto& o = job.options;
    o.presetId = text (a.preset);
    if (! a.state.empty())
        o.stateFile = juce::File::getCurrentWorkingDirectory().getChildFile (text (a.state));
    if (! a.ticks.empty())
        if (auto problem = readWhole ("--ticks", a.ticks, minTicks, maxTicks, o.ticks))
            return problem;
    juce::StringArray warnings;
    for (const auto& s : a.sets)
    {
        ParameterSetting setting;
        if (auto problem = ParameterSetting::parse (text (s), setting, warnings))
            return problem;
        o.values.push_back (setting);
    }
    for (const auto& w : warnings)
        cli::warn (toolInfo, w);
    for (const auto& e : a.expand)
    {
        const auto section = text (e).trim();
        if (section.isEmpty())
            return cli::Problem { "--expand needs a section (TAPE, \"PITCH / CHORUS\", WAVE, TREMOLO, all or none)" };
        o.expand.add (section);
    }
    o.open = text (a.open).trim();
    if (! a.open.empty() && ! EditorSnapshot::openChoices().contains (o.open))
        return cli::Problem { "unknown --open choice '" + o.open + "': give options, about, licences or presets" };
    o.dragId = text (a.drag).trim();
    if (! a.drag.empty() && params::indexOf (o.dragId.toStdString()) < 0)
        return cli::Problem { unknownParameter (o.dragId), cli::exitFailure };
    o.hoverId = text (a.hover).trim();
    if (! a.hover.empty() && params::indexOf (o.hoverId.toStdString()) < 0)
        return cli::Problem { unknownParameter (o.hoverId), cli::exitFailure };
    if (! a.zoom.empty())
    {
        if (auto problem = readWhole ("--zoom", a.zoom, std::begin (presets::zoomSteps)[0],
                                      std::end (presets::zoomSteps)[-1], o.zoom))
            return problem;
        if (presets::nearestZoomStep (o.zoom) != o.zoom)
            return cli::Problem { "--zoom takes 100, 125, 150, 175 or 200, not " + text (a.zoom) };
    }
    return std::nullopt;
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (! out.openedOk() || ! png.writeImageToStream (image, out))
        return false;
    out.flush();
    return out.getStatus().wasOk();
}
} // namespace

int main (int argc, char* argv[])
{
    Arguments arguments;
    auto app = cli::makeApp (toolInfo);
    declare (*app, arguments);
    if (const auto status = cli::parse (*app, toolInfo, cli::arguments (argc, argv)))
        return *status;

    if (arguments.list)
    {
        for (const auto& mode : snapshotModes())
            std::cout << mode.name << "\t" << mode.description << "\n";
        return cli::exitOk;
    }

    Job job;
    if (const auto problem = interpret (arguments, job))
        return cli::fail (toolInfo, *problem);

    // Every picture's target is checked before anything is rendered.
    std::vector<OutputTarget> targets;
    for (const int scale : job.scales)
    {
        OutputTarget target;
        const auto name = job.folder + "/" + job.stem + "@" + juce::String (scale) + "x.png";
        if (const auto result = OutputTarget::resolve (name, target); result.failed())
            return cli::fail (toolInfo, { result.getErrorMessage(), cli::exitFailure });
        targets.push_back (target);
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    juce::StringArray written;
    OutputBatch batch;
    {
        juce::String error;
        auto component = job.mode->create (job.options, error);
        if (component == nullptr)
            return cli::fail (toolInfo, { error, cli::exitFailure });

        for (std::size_t i = 0; i < targets.size(); ++i)
        {
            const auto scale = static_cast<float> (job.scales[static_cast<int> (i)]);
            const auto bounds = job.area.isEmpty() ? component->getLocalBounds()
                                                   : job.area.getIntersection (component->getLocalBounds());
            if (bounds.isEmpty())
                return cli::fail (toolInfo, { "--area " + job.area.toString() + " lies outside the "
                                                  + juce::String (job.mode->name) + " picture ("
                                                  + juce::String (component->getWidth()) + " x "
                                                  + juce::String (component->getHeight()) + ")",
                                              cli::exitFailure });
            const auto image = component->createComponentSnapshot (bounds, true, scale);
            const auto result =
                batch.add (targets[i], [&image] (const juce::File& temp) { return writePng (image, temp); });
            if (result.failed())
                return cli::fail (toolInfo, { result.getErrorMessage(), cli::exitFailure });
            written.add (targets[i].describe() + " (" + juce::String (image.getWidth()) + " x "
                         + juce::String (image.getHeight()) + ")");
        }
    }
    if (const auto result = batch.commit(); result.failed())
        return cli::fail (toolInfo, { result.getErrorMessage(), cli::exitFailure });
    for (const auto& line : written)
        std::cout << line << "\n";
    return cli::exitOk;
}
