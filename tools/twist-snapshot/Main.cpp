// twist-snapshot: renders one of the editor's components to PNG files, at 1x
// and 2x scale by default, without opening a window.
//
//     twist-snapshot <mode> <output-folder> [--scale N]... [--name NAME]
//                    [--preset ID] [--state FILE] [--set ID=VALUE]... [--ticks N]
//                    [--drag ID] [--hover ID] [--expand SECTION]... [--area X,Y,W,H]
//                    [--zoom PERCENT]
//     twist-snapshot --list
//
// writes <output-folder>/<mode>@1x.png and <mode>@2x.png (or the given
// scales; NAME replaces <mode> in the file names). The editor mode starts
// from the preset ID or the saved state FILE (or the defaults), sets each
// parameter ID to VALUE in its own units and runs N refresh ticks first; with
// --drag (--hover) it shows parameter ID as being dragged (hovered), with the
// overlay that brings up; with --expand exactly the
// named effect sections start open (TAPE, "PITCH / CHORUS", WAVE, TREMOLO,
// all or none), otherwise those the state has open. --area renders only
// that rectangle of the component (in its own coordinates). --zoom draws the
// editor at that zoom (100 by default, whatever the user's settings hold).

#include "SnapshotModes.h"
#include "presets/PresetSettings.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

namespace
{
int usage()
{
    std::cerr << "usage: twist-snapshot <mode> <output-folder> [--scale N]... [--name NAME]\n"
                 "                      [--preset ID] [--state FILE] [--set ID=VALUE]... [--ticks N]\n"
                 "                      [--drag ID] [--hover ID] [--expand SECTION]... [--area X,Y,W,H]\n"
                 "                      [--zoom PERCENT]\n"
                 "       twist-snapshot --list\n";
    return 2;
}

const SnapshotMode* findMode (const juce::String& name)
{
    for (const auto& mode : snapshotModes())
        if (name == mode.name)
            return &mode;
    return nullptr;
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    return out.openedOk() && png.writeImageToStream (image, out);
}
} // namespace

int main (int argc, char* argv[])
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add (argv[i]);

    if (args.contains ("--list"))
    {
        for (const auto& mode : snapshotModes())
            std::cout << mode.name << "\t" << mode.description << "\n";
        return 0;
    }

    juce::Array<int> scales;
    juce::StringArray positional;
    SnapshotOptions options;
    juce::String name;
    juce::Rectangle<int> area;
    for (int i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--scale" && i + 1 < args.size())
        {
            const int scale = args[++i].getIntValue();
            if (scale < 1 || scale > 4)
                return usage();
            scales.addIfNotAlreadyThere (scale);
        }
        else if (args[i] == "--name" && i + 1 < args.size())
        {
            name = args[++i];
            if (name.isEmpty() || name.containsAnyOf ("/\\"))
                return usage();
        }
        else if (args[i] == "--preset" && i + 1 < args.size())
        {
            options.presetId = args[++i];
        }
        else if (args[i] == "--state" && i + 1 < args.size())
        {
            options.stateFile = juce::File::getCurrentWorkingDirectory().getChildFile (args[++i]);
        }
        else if (args[i] == "--set" && i + 1 < args.size())
        {
            const auto setting = args[++i];
            const auto id = setting.upToFirstOccurrenceOf ("=", false, false).trim();
            const auto value = setting.fromFirstOccurrenceOf ("=", false, false).trim();
            if (id.isEmpty() || ! setting.contains ("=") || ! value.containsOnly ("+-.0123456789eE"))
                return usage();
            options.values.emplace_back (id, value.getFloatValue());
        }
        else if (args[i] == "--drag" && i + 1 < args.size())
        {
            options.dragId = args[++i].trim();
            if (options.dragId.isEmpty())
                return usage();
        }
        else if (args[i] == "--hover" && i + 1 < args.size())
        {
            options.hoverId = args[++i].trim();
            if (options.hoverId.isEmpty())
                return usage();
        }
        else if (args[i] == "--expand" && i + 1 < args.size())
        {
            const auto section = args[++i].trim();
            if (section.isEmpty())
                return usage();
            options.expand.add (section);
        }
        else if (args[i] == "--area" && i + 1 < args.size())
        {
            const auto numbers = juce::StringArray::fromTokens (args[++i], ",", {});
            if (numbers.size() != 4 || ! args[i].containsOnly ("0123456789,"))
                return usage();
            area = { numbers[0].getIntValue(), numbers[1].getIntValue(), numbers[2].getIntValue(),
                     numbers[3].getIntValue() };
            if (area.isEmpty())
                return usage();
        }
        else if (args[i] == "--zoom" && i + 1 < args.size())
        {
            options.zoom = args[++i].getIntValue();
            if (presets::nearestZoomStep (options.zoom) != options.zoom)
            {
                std::cerr << "twist-snapshot: --zoom takes 100, 125, 150, 175 or 200\n";
                return 2;
            }
        }
        else if (args[i] == "--ticks" && i + 1 < args.size())
        {
            options.ticks = args[++i].getIntValue();
            if (options.ticks < 1 || options.ticks > 10000)
                return usage();
        }
        else if (args[i].startsWith ("-"))
        {
            return usage();
        }
        else
        {
            positional.add (args[i]);
        }
    }
    if (positional.size() != 2)
        return usage();
    if (scales.isEmpty())
        scales = { 1, 2 };

    const auto* mode = findMode (positional[0]);
    if (mode == nullptr)
    {
        std::cerr << "twist-snapshot: unknown mode '" << positional[0] << "' (see --list)\n";
        return 2;
    }

    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (positional[1]));
    if (! folder.createDirectory())
    {
        std::cerr << "twist-snapshot: cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    int failures = 0;
    {
        juce::String error;
        auto component = mode->create (options, error);
        if (component == nullptr)
        {
            std::cerr << "twist-snapshot: " << error << "\n";
            return 1;
        }
        const juce::String stem = name.isNotEmpty() ? name : juce::String (mode->name);
        for (const int scale : scales)
        {
            const auto bounds =
                area.isEmpty() ? component->getLocalBounds() : area.getIntersection (component->getLocalBounds());
            if (bounds.isEmpty())
            {
                std::cerr << "twist-snapshot: the area lies outside the component\n";
                return 1;
            }
            const auto image = component->createComponentSnapshot (bounds, true, static_cast<float> (scale));
            const auto file = folder.getChildFile (stem + "@" + juce::String (scale) + "x.png");
            if (writePng (image, file))
            {
                std::cout << file.getFullPathName() << " (" << image.getWidth() << " x " << image.getHeight() << ")\n";
            }
            else
            {
                std::cerr << "twist-snapshot: cannot write " << file.getFullPathName() << "\n";
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
