#include "Listings.h"

#include "ParameterUnits.h"
#include "params/ParameterTable.h"

namespace listings
{
namespace
{
juce::String toJuce (std::string_view s)
{
    return juce::String (s.data(), s.size());
}

juce::String number (float v)
{
    return juce::String (static_cast<double> (v), 5).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

const char* kindName (params::Kind kind)
{
    switch (kind)
    {
        case params::Kind::Float:
            return "float";
        case params::Kind::Bool:
            return "switch";
        case params::Kind::Int:
            return "int";
    }
    return "";
}
} // namespace

juce::String presets (const presets::PresetLibrary& library, bool json)
{
    const auto& all = library.getPatches();
    const auto isUser = [&] (const presets::Patch* p) {
        return static_cast<std::size_t> (p - all.data()) >= library.getFactoryCount();
    };

    juce::StringArray seen;
    juce::Array<juce::var> list;
    juce::String text;
    for (const auto* patch : library.allInTreeOrder())
    {
        const auto id = patch->id();
        if (seen.contains (id))
            continue;
        seen.add (id);
        const auto* winner = library.findById (id);
        if (json)
        {
            juce::DynamicObject::Ptr entry = new juce::DynamicObject();
            entry->setProperty ("id", id);
            entry->setProperty ("name", winner->name);
            entry->setProperty ("folder", winner->folder);
            entry->setProperty ("source", isUser (winner) ? "user" : "factory");
            list.add (juce::var (entry.get()));
        }
        else
        {
            text << id << "\n";
        }
    }
    return json ? juce::JSON::toString (juce::var (list)) + "\n" : text;
}

juce::String parameters (bool json)
{
    juce::Array<juce::var> list;
    juce::String text;
    for (std::size_t i = 0; i < params::table.size(); ++i)
    {
        const auto& p = params::table[i];
        const int index = static_cast<int> (i);
        if (json)
        {
            juce::DynamicObject::Ptr entry = new juce::DynamicObject();
            entry->setProperty ("id", toJuce (p.id));
            entry->setProperty ("name", toJuce (p.name));
            entry->setProperty ("kind", kindName (p.kind));
            entry->setProperty ("min", static_cast<double> (p.min));
            entry->setProperty ("max", static_cast<double> (p.max));
            entry->setProperty ("default", static_cast<double> (p.defaultValue));
            entry->setProperty ("defaultText", units::show (index, p.defaultValue));
            entry->setProperty ("accepts", units::accepted (index));
            list.add (juce::var (entry.get()));
        }
        else
        {
            text << toJuce (p.id).paddedRight (' ', 12) << toJuce (p.name).paddedRight (' ', 22)
                 << juce::String (kindName (p.kind)).paddedRight (' ', 8)
                 << ("raw " + number (p.min) + ".." + number (p.max)).paddedRight (' ', 18)
                 << ("default " + units::show (index, p.defaultValue) + " (raw " + number (p.defaultValue) + ")")
                        .paddedRight (' ', 34)
                 << units::accepted (index) << "\n";
        }
    }
    return json ? juce::JSON::toString (juce::var (list)) + "\n" : text;
}
} // namespace listings
