// Twist Delay inside a real DAW: headless Ardour 7 loads the built VST3 and
// LV2, renders a phrase through them, and the result must match the
// plug-in's own processing of the same phrase with the same settings: the
// processor run in this test, and the command-line renderer twist-render.
//
// Each render runs in a fresh Ardour process that loads the plug-in, renders
// and quits; every one of them must exit cleanly.

#include "ArdourHost.h"

#include "params/ParameterTable.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <array>
#include <cmath>
#include <iostream>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

namespace
{
using ardourtest::ArdourSandbox;

constexpr double sampleRate = 48000.0;
// Ardour's dummy backend runs 1024-sample cycles; a bounce processes the
// track in chunks of 8192 samples.
constexpr int engineBlock = 1024;
constexpr int bounceBlock = 8192;
// Engine cycles the render waits after loading the session, and the silence
// the in-process reference runs before the phrase to match them.
constexpr int idleCycles = 50;

// The phrase file: a second of silence, one and a half of material, half a
// second of silence. The render covers another second of echoes after it.
constexpr int leadIn = 48000;
constexpr int phraseLength = 72000;
constexpr int fileLength = 144000;
constexpr int renderLength = 192000;

// Largest sample difference still counted as float rounding: sums of up to
// 64 echoes computed in another order, far below anything audible.
constexpr float tolerance = 1.0e-5f;

enum class Format
{
    VST3,
    LV2
};

const char* formatName (Format f)
{
    return f == Format::VST3 ? "VST3" : "LV2";
}

// What the plug-in is set to for a render: the default patch (every
// parameter at its default) or a factory preset, by name.
struct Settings
{
    const char* name;
    const char* factoryPreset; // nullptr: the default patch
};

// The default patch and two contrasting factory presets: tempo-synced
// ping-pong eighths, and a long window played backwards. Neither uses
// free-running modulation, whose phase at the start of a render would depend
// on how long the host had run the plug-in before.
// clang-format off
const std::array<Settings, 3> settingsTable { {
    { "default patch", nullptr },
    { "Ping Pong Eighths", "Ping Pong Eighths" },
    { "Backwards Bloom", "Backwards Bloom" },
} };

// A processor set as the settings say, the way the plug-in's own preset
// menu sets it.
std::unique_ptr<MassDelayAudioProcessor> makeModel (const Settings& settings)
{
    auto processor = std::make_unique<MassDelayAudioProcessor>();
    if (settings.factoryPreset == nullptr)
        return processor;

    auto& library = processor->getPresetLibrary();
    for (std::size_t i = 0; i < library.getFactoryCount(); ++i)
    {
        const auto& patch = library.getPatches()[i];
        if (patch.name == settings.factoryPreset)
        {
            processor->applyPatch (patch);
            return processor;
        }
    }
    throw std::runtime_error (std::string ("no factory preset named ") + settings.factoryPreset);
}

// What Ardour is told to set, for every parameter: VST3 parameters by name,
// normalised; LV2 parameters by ID, in their own units.
juce::StringArray settingArguments (const Settings& settings, Format format)
{
    const auto model = makeModel (settings);
    juce::StringArray args;
    for (auto* p : model->getParameters())
    {
        const auto& ranged = dynamic_cast<const juce::RangedAudioParameter&> (*p);
        if (format == Format::VST3)
            args.add (ranged.getName (100) + "=" + juce::String (ranged.getValue(), 9));
        else
            args.add (ranged.getParameterID() + "=" + juce::String (ranged.convertFrom0to1 (ranged.getValue()), 9));
    }
    return args;
}

// The phrase: three decaying tones on the left, bursts of noise on the
// right, all within the material section of the file.
juce::AudioBuffer<float> makePhrase()
{
    juce::AudioBuffer<float> phrase (2, fileLength);
    phrase.clear();

    const std::array<double, 3> pitches { 440.0, 554.37, 659.25 };
    for (std::size_t n = 0; n < pitches.size(); ++n)
    {
        const int start = leadIn + static_cast<int> (n) * phraseLength / 3;
        for (int i = 0; i < phraseLength / 3; ++i)
        {
            const double t = i / sampleRate;
            phrase.setSample (0, start + i,
                              static_cast<float> (0.5 * std::sin (2.0 * juce::MathConstants<double>::pi * pitches[n] * t)
                                                  * std::exp (-6.0 * t)));
        }
    }

    std::uint32_t noise = 0x12345678u;
    for (int burst = 0; burst < 5; ++burst)
    {
        const int start = leadIn + burst * phraseLength / 5;
        for (int i = 0; i < phraseLength / 10; ++i)
        {
            noise = noise * 1664525u + 1013904223u;
            const double white = static_cast<double> (noise >> 8) / 8388608.0 - 1.0;
            phrase.setSample (1, start + i, static_cast<float> (0.4 * white * std::exp (-40.0 * i / sampleRate)));
        }
    }
    return phrase;
}

bool writeFloatWav (const juce::File& file, const juce::AudioBuffer<float>& audio)
{
    file.deleteFile();
    auto stream = file.createOutputStream();
    if (stream == nullptr)
        return false;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), 32, {}, 0));
    if (writer == nullptr)
        return false;
    stream.release(); // the writer owns it now
    return writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
}

// Every channel of a WAV file; empty when it cannot be read.
std::vector<std::vector<float>> readWav (const juce::File& file)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));
    if (reader == nullptr)
        return {};
    juce::AudioBuffer<float> buffer (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
    reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, true);

    std::vector<std::vector<float>> channels;
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        channels.emplace_back (buffer.getReadPointer (c), buffer.getReadPointer (c) + buffer.getNumSamples());
    return channels;
}

struct Difference
{
    float worst = 0.0f;
    std::size_t at = 0;
};
// clang-format on

Difference compare (const std::vector<float>& a, const std::vector<float>& b)
{
    Difference d;
    for (std::size_t i = 0; i < std::min (a.size(), b.size()); ++i)
    {
        const float x = std::abs (a[i] - b[i]);
        if (x > d.worst)
            d = { x, i };
    }
    return d;
}

// Transport as a host reports it while rendering offline: 120 bpm, stopped,
// at the position being rendered.
class RenderPlayHead : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        PositionInfo info;
        info.setBpm (120.0);
        info.setTimeInSamples (sample);
        info.setTimeInSeconds (static_cast<double> (sample) / sampleRate);
        info.setPpqPosition (static_cast<double> (sample) / sampleRate * 2.0);
        info.setIsPlaying (false);
        return info;
    }

    juce::int64 sample = 0;
};

// The plug-in's own processing of the phrase, from the state the plug-in had
// in Ardour (parameters and modulation seeds), with Ardour's history: idle
// cycles of silence after preparation, then the render in bounce chunks.
std::array<std::vector<float>, 2> renderInProcess (const juce::XmlElement& state,
                                                   const juce::AudioBuffer<float>& phrase)
{
    MassDelayAudioProcessor processor;
    juce::MemoryBlock blob;
    juce::AudioProcessor::copyXmlToBinary (state, blob);
    processor.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));

    RenderPlayHead playHead;
    processor.setPlayHead (&playHead);
    processor.setPlayConfigDetails (2, 2, sampleRate, engineBlock);
    processor.prepareToPlay (sampleRate, engineBlock);

    juce::MidiBuffer midi;
    juce::AudioBuffer<float> idle (2, engineBlock);
    for (int cycle = 0; cycle < idleCycles; ++cycle)
    {
        idle.clear();
        processor.processBlock (idle, midi);
    }

    std::array<std::vector<float>, 2> out;
    for (auto& channel : out)
        channel.assign (static_cast<std::size_t> (renderLength), 0.0f);

    juce::AudioBuffer<float> block (2, bounceBlock);
    for (int start = 0; start < renderLength; start += bounceBlock)
    {
        const int n = std::min (bounceBlock, renderLength - start);
        block.setSize (2, n, false, false, true);
        block.clear();
        for (int c = 0; c < 2; ++c)
            if (start < fileLength)
                block.copyFrom (c, 0, phrase, c, start, std::min (n, fileLength - start));

        playHead.sample = start;
        processor.processBlock (block, midi);

        for (int c = 0; c < 2; ++c)
            std::copy (block.getReadPointer (c), block.getReadPointer (c) + n,
                       out[static_cast<std::size_t> (c)].begin() + start);
    }

    processor.releaseResources();
    return out;
}

//==============================================================================
// Everything one format's renders share: the sandbox, the phrase, one saved
// session per settings and the reference renders.
class FormatBench
{
public:
    explicit FormatBench (Format f)
        : format (f)
        , vst3Bundle (TWIST_VST3_BUNDLE)
        , lv2Bundle (TWIST_LV2_BUNDLE)
        , sandbox (vst3Bundle.getParentDirectory(), lv2Bundle.getParentDirectory())
        , phrase (makePhrase())
        , phraseFile (sandbox.root().getChildFile ("phrase.wav"))
    {
    }

    // Checks that can fail once per format; a failure here fails every case.
    juce::Result prepare()
    {
        if (! juce::File (TWIST_ARDOUR_LUA).existsAsFile())
            return juce::Result::fail (juce::String ("Ardour's Lua session host is missing (") + TWIST_ARDOUR_LUA
                                       + "); scripts/bootstrap.sh installs the ardour package");

        if (! writeFloatWav (phraseFile, phrase))
            return juce::Result::fail ("could not write " + phraseFile.getFullPathName());

        if (format == Format::VST3)
        {
            const auto scan = sandbox.scanVst3 (vst3Bundle);
            if (! scan.clean())
                return juce::Result::fail ("ardour-vst3-scanner: " + scan.describe() + "\n" + scan.output);
        }
        return juce::Result::ok();
    }

    // The session for one settings entry, created and saved by Ardour with
    // the plug-in inserted and set, then given the phrase.
    juce::Result session (std::size_t settingsIndex, juce::File& sessionFolder, juce::String& sessionName)
    {
        sessionName = "twist-" + juce::String (static_cast<int> (settingsIndex));
        sessionFolder = sandbox.root().getChildFile (sessionName);
        if (sessionFolder.getChildFile (sessionName + ".ardour").existsAsFile())
            return juce::Result::ok();

        juce::StringArray args { sessionFolder.getFullPathName(), sessionName,
                                 juce::String (static_cast<int> (sampleRate)), formatName (format),
                                 format == Format::VST3 ? juce::String ("Twist Delay") : juce::String (TWIST_LV2_URI) };
        args.addArray (settingArguments (settingsTable[settingsIndex], format));

        const auto created = sandbox.runLua ("create_session.lua", args, "create-" + sessionName);
        if (! created.clean() || ! created.output.contains ("session saved"))
            return juce::Result::fail ("creating the session: " + created.describe() + "\n" + created.output);

        return ardourtest::embedStereoFile (sessionFolder.getChildFile (sessionName + ".ardour"), "Phrase", phraseFile,
                                            fileLength, renderLength, sampleRate);
    }

    const juce::AudioBuffer<float>& getPhrase() const { return phrase; }

    // The phrase through twist-render, from the given state, with the
    // render's length: the file and then its tail.
    std::vector<std::vector<float>> renderWithCli (const juce::XmlElement& state, const juce::String& label)
    {
        juce::MemoryBlock blob;
        juce::AudioProcessor::copyXmlToBinary (state, blob);
        const auto stateFile = sandbox.root().getChildFile (label + "-state.bin");
        const auto outFile = sandbox.root().getChildFile (label + "-twist-render.wav");
        if (! stateFile.replaceWithData (blob.getData(), blob.getSize()))
            return {};

        const auto tailSeconds = static_cast<double> (renderLength - fileLength) / sampleRate;
        const auto run = ardourtest::runProcess (
            { TWIST_RENDER, "--quiet", "--state", stateFile.getFullPathName().toStdString(), "--block",
              std::to_string (engineBlock), "--tail", juce::String (tailSeconds).toStdString(), "--bits", "32",
              phraseFile.getFullPathName().toStdString(), outFile.getFullPathName().toStdString() },
            {}, sandbox.root().getChildFile ("logs").getChildFile (label + "-twist-render.log"));
        if (! run.clean())
        {
            ADD_FAILURE() << "twist-render: " << run.describe() << "\n" << run.output;
            return {};
        }
        return readWav (outFile);
    }

    ArdourSandbox& host() { return sandbox; }

private:
    Format format;
    juce::File vst3Bundle, lv2Bundle;
    ArdourSandbox sandbox;
    juce::AudioBuffer<float> phrase;
    juce::File phraseFile;
};

FormatBench& bench (Format f)
{
    static std::map<Format, std::unique_ptr<FormatBench>> benches;
    static std::map<Format, juce::Result> prepared;
    auto& b = benches[f];
    if (b == nullptr)
    {
        // Like the host's instance, the test's processors start from the
        // parameter defaults: no default patch from a settings file.
        MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
        b = std::make_unique<FormatBench> (f);
        prepared.emplace (f, b->prepare());
    }
    const auto& result = prepared.at (f);
    if (result.failed())
        throw std::runtime_error (result.getErrorMessage().toStdString());
    return *b;
}

//==============================================================================
// Ten renders per format, each in a new Ardour process, cycling through the
// settings table.
constexpr int rendersPerFormat = 10;

struct RenderCase
{
    Format format;
    int run;

    std::size_t settingsIndex() const { return static_cast<std::size_t> (run) % settingsTable.size(); }
};

class ArdourRender : public ::testing::TestWithParam<RenderCase>
{};

TEST_P (ArdourRender, MatchesTheProcessorAndExitsCleanly)
{
    const auto& param = GetParam();
    const auto& settings = settingsTable[param.settingsIndex()];
    SCOPED_TRACE (std::string (formatName (param.format)) + " render " + std::to_string (param.run + 1) + ", "
                  + settings.name);

    auto& b = bench (param.format);

    juce::File folder;
    juce::String name;
    const auto made = b.session (param.settingsIndex(), folder, name);
    ASSERT_TRUE (made.wasOk()) << made.getErrorMessage();

    const auto render = b.host().runLua (
        "render_phrase.lua", { folder.getFullPathName(), name, juce::String (renderLength), juce::String (idleCycles) },
        name + "-render-" + juce::String (param.run + 1));

    // Ardour must quit cleanly: a crash while the plug-in unloads shows here.
    ASSERT_TRUE (render.clean()) << "Ardour ended with " << render.describe() << "\n" << render.output;

    // The bounce: one mono float file per channel.
    std::array<std::vector<float>, 2> rendered;
    for (const auto& line : juce::StringArray::fromLines (render.output))
    {
        if (! line.startsWith ("render-channel "))
            continue;
        const auto channel = line.fromFirstOccurrenceOf ("render-channel ", false, false).getIntValue();
        const auto path =
            line.fromFirstOccurrenceOf ("render-channel ", false, false).fromFirstOccurrenceOf (" ", false, false);
        ASSERT_TRUE (channel == 0 || channel == 1) << line;
        const auto file = readWav (juce::File (path));
        ASSERT_EQ (file.size(), 1u) << "the bounce of channel " << channel << " is not a mono file: " << path;
        rendered[static_cast<std::size_t> (channel)] = file[0];
    }

    // The plug-in in Ardour held exactly these settings when it rendered.
    std::unique_ptr<juce::XmlElement> state;
    const auto read = ardourtest::readPluginState (folder.getChildFile ("rendered.ardour"), state);
    ASSERT_TRUE (read.wasOk()) << read.getErrorMessage();

    const auto model = makeModel (settings);
    for (const auto& def : params::table)
    {
        const juce::String id (def.id.data(), def.id.size());
        const float want = model->getValueTreeState().getRawParameterValue (id)->load();
        auto* saved = state->getChildByAttribute ("id", id);
        ASSERT_NE (saved, nullptr) << id << " is missing from the saved state";
        EXPECT_NEAR (saved->getDoubleAttribute ("value"), want, 1.0e-4 * std::max (1.0f, std::abs (want)))
            << "parameter " << id;
    }

    // The same phrase through the processor in this test, from the same
    // state and with Ardour's history, and through the command-line
    // renderer, from the same state blob.
    const auto expected = renderInProcess (*state, b.getPhrase());
    const auto cli = b.renderWithCli (*state, name + "-" + juce::String (param.run + 1));
    ASSERT_EQ (cli.size(), 2u) << "twist-render wrote no stereo file";

    for (std::size_t c = 0; c < 2; ++c)
    {
        ASSERT_EQ (rendered[c].size(), expected[c].size()) << "channel " << c << " has the wrong length";
        ASSERT_EQ (cli[c].size(), expected[c].size()) << "twist-render's channel " << c << " has the wrong length";

        float peak = 0.0f;
        for (const auto x : expected[c])
            peak = std::max (peak, std::abs (x));
        // The phrase has to come through: a silent render matches nothing.
        EXPECT_GT (peak, 0.05f) << "channel " << c << " of the reference is (nearly) silent";

        const auto inProcess = compare (rendered[c], expected[c]);
        EXPECT_LE (inProcess.worst, tolerance)
            << "channel " << c << " differs from the processor by " << inProcess.worst << " at sample " << inProcess.at
            << " (Ardour " << rendered[c][inProcess.at] << ", processor " << expected[c][inProcess.at] << ")";

        const auto commandLine = compare (rendered[c], cli[c]);
        EXPECT_LE (commandLine.worst, tolerance)
            << "channel " << c << " differs from twist-render by " << commandLine.worst << " at sample "
            << commandLine.at << " (Ardour " << rendered[c][commandLine.at] << ", twist-render "
            << cli[c][commandLine.at] << ")";

        std::cout << "[ ardour   ] " << formatName (param.format) << " " << settings.name << " channel " << c
                  << ": peak " << peak << ", max difference " << inProcess.worst << " to the processor, "
                  << commandLine.worst << " to twist-render\n";
    }
}

std::vector<RenderCase> cases (Format f)
{
    std::vector<RenderCase> list;
    for (int run = 0; run < rendersPerFormat; ++run)
        list.push_back ({ f, run });
    return list;
}

std::string caseName (const ::testing::TestParamInfo<RenderCase>& info)
{
    return std::string (formatName (info.param.format)) + "_run" + std::to_string (info.param.run + 1);
}

INSTANTIATE_TEST_SUITE_P (VST3, ArdourRender, ::testing::ValuesIn (cases (Format::VST3)), caseName);
INSTANTIATE_TEST_SUITE_P (LV2, ArdourRender, ::testing::ValuesIn (cases (Format::LV2)), caseName);
} // namespace
