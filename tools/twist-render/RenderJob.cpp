#include "RenderJob.h"

#include "DemoPhrase.h"
#include "LfoSeeds.h"
#include "Listings.h"
#include "OfflineRenderer.h"
#include "ProgressBar.h"
#include "SoundSetup.h"
#include "TapPlot.h"
#include "TapReport.h"
#include "params/ParameterTable.h"
#include "presets/PresetSettings.h"

#include <cmath>
#include <iostream>
#include <sys/stat.h>

namespace
{
juce::File fileFromArgument (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

juce::String number (double v)
{
    return juce::String (v, 2).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

juce::String seconds (juce::int64 samples, double rate)
{
    return juce::String (static_cast<double> (samples) / rate, 2) + " s";
}

// Whether a command-line name is one of the files the input was read from
// (a regular file, not standard input or a pipe).
bool isRegularFile (const juce::String& argument)
{
    struct stat st
    {};
    return argument != "-" && ::stat (fileFromArgument (argument).getFullPathName().toRawUTF8(), &st) == 0
           && S_ISREG (st.st_mode);
}

bool writeBytes (const juce::File& file, const void* data, size_t size)
{
    juce::FileOutputStream out (file);
    if (! out.openedOk() || ! out.write (data, size))
        return false;
    out.flush();
    return out.getStatus().wasOk() && file.getSize() == static_cast<juce::int64> (size);
}
} // namespace

RenderJob::RenderJob (const RenderOptions& o)
    : options (o)
{
}

RenderJob::~RenderJob() = default;

void RenderJob::warn (const juce::String& message) const
{
    cli::warn (commandline::info(), message);
}

void RenderJob::say (const juce::String& message) const
{
    if (! options.quiet)
        std::cerr << message << std::endl;
}

int RenderJob::run()
{
    for (const auto& w : options.warnings)
        warn (w);

    // A render never depends on the user's default patch: it starts from the
    // factory's INIT PATCH unless a preset or a state is given.
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);
    processor = std::make_unique<MassDelayAudioProcessor>();

    juce::String text; // what goes to standard output, once everything else is written
    if (options.listPresets)
        text << listings::presets (processor->getPresetLibrary(), options.json);
    if (options.listParams)
        text << listings::parameters (options.json);

    const auto failed = [] (const juce::Result& result) {
        return cli::fail (commandline::info(), { result.getErrorMessage(), cli::exitFailure });
    };

    for (const auto& step : { &RenderJob::setUpSound, &RenderJob::openInput, &RenderJob::checkOutputs })
        if (const auto result = (this->*step)(); result.failed())
            return failed (result);

    TapSet taps {};
    if (options.outputPath.isNotEmpty() || options.wantsTaps())
    {
        if (const auto result = renderAudio (taps); result.failed())
            return failed (result);
        if (const auto result = writeTapFiles (taps); result.failed())
            return failed (result);
    }
    if (const auto result = writeState(); result.failed())
        return failed (result);

    if (const auto result = batch.commit(); result.failed())
        return failed (result);

    if (options.printTaps)
        text << tapreport::table (taps);
    std::cout << text << std::flush;
    for (const auto& line : delivered)
        say (line);
    return cli::exitOk;
}

//==============================================================================
juce::Result RenderJob::setUpSound()
{
    if (options.statePath.isNotEmpty())
    {
        if (const auto result = soundsetup::applyStateFile (*processor, fileFromArgument (options.statePath));
            result.failed())
            return result;
    }
    else
    {
        const auto id = options.presetId.isNotEmpty() ? options.presetId : juce::String (presets::fallbackPatchId);
        if (const auto result = soundsetup::applyPreset (*processor, id); result.failed())
            return result;
    }

    soundsetup::applySettings (*processor, options.settings);

    if (options.seed.has_value())
    {
        const auto seeds = LfoSeeds::fromNumber (*options.seed);
        processor->setLfoSeeds (seeds.trem, seeds.wave, seeds.pitch);
    }
    return juce::Result::ok();
}

juce::Result RenderJob::openInput()
{
    if (options.inputPath.isEmpty())
    {
        if (options.outputPath.isNotEmpty())
        {
            demo = DemoPhrase::render();
            sampleRate = DemoPhrase::sampleRate;
            numChannels = DemoPhrase::numChannels;
        }
        return juce::Result::ok();
    }

    if (isRegularFile (options.inputPath))
        inputFile = fileFromArgument (options.inputPath);
    const auto result = files.openInput (options.inputPath, reader);
    if (result.failed())
        return result;
    sampleRate = reader->sampleRate;
    numChannels = static_cast<int> (reader->numChannels);
    return juce::Result::ok();
}

juce::Result RenderJob::checkOutputs()
{
    struct Named
    {
        const juce::String& name;
        OutputTarget& target;
    };
    const Named outputs[] = { { options.outputPath, output },
                              { options.tapsJsonPath, tapsJson },
                              { options.plotPath, plot },
                              { options.saveStatePath, state } };

    juce::Array<const OutputTarget*> written;
    for (const auto& o : outputs)
    {
        if (o.name.isEmpty())
            continue;
        if (const auto result = OutputTarget::resolve (o.name, o.target); result.failed())
            return result;
        if (inputFile != juce::File() && o.target.isSameFileAs (inputFile))
            return juce::Result::fail ("the output " + o.target.describe() + " is the input file");
        for (const auto* other : written)
            if (o.target.isSameAs (*other))
                return juce::Result::fail (other->describe() == o.target.describe()
                                               ? o.target.describe() + " is named as two different outputs"
                                               : o.target.describe() + " and " + other->describe()
                                                     + " are the same output, named twice");
        if (o.target.reachesStandardOutput() && (options.printTaps || options.listPresets || options.listParams))
            return juce::Result::fail ("the output " + o.target.describe() + " is standard output, which carries the "
                                       + (options.printTaps ? "tap table" : "listing") + "; name a file instead");
        written.add (&o.target);
    }

    if (options.outputPath.isEmpty())
        return juce::Result::ok();

    // One file name alone renders the demo; an existing audio file there is
    // far more likely a forgotten OUTPUT than a file to replace.
    if (reader == nullptr && output.kind == OutputTarget::Kind::File && output.existingMode >= 0 && ! options.overwrite)
    {
        std::unique_ptr<juce::AudioFormatReader> existing;
        if (files.openInput (output.file, existing).wasOk())
            return juce::Result::fail (
                fileFromArgument (options.outputPath).getFullPathName()
                + " exists: with one file named, twist-render renders the demo phrase into it. To process it, "
                  "give an OUTPUT too; to replace it with the demo render, add --overwrite");
    }

    auto* requested = options.format.isNotEmpty() ? files.formatNamed (options.format) : nullptr;
    auto* inputFormat = reader != nullptr ? files.formatOf (*reader) : nullptr;
    const int inputBits =
        reader != nullptr ? (reader->usesFloatingPointData ? 32 : static_cast<int> (reader->bitsPerSample)) : 24;
    return files.planOutput (options.outputPath, requested, options.bits, inputFormat, inputBits, plan);
}

//==============================================================================
juce::Result RenderJob::renderAudio (TapSet& taps)
{
    OfflineRenderer::Settings settings;
    settings.sampleRate = sampleRate;
    settings.numChannels = numChannels;
    settings.blockSize = options.blockSize;
    settings.bpm = options.bpm;
    settings.ppqStart = options.ppqStart;
    settings.tailAuto = options.tailAuto;
    settings.tailSeconds = options.tailSeconds;
    OfflineRenderer renderer (*processor, settings);

    if (options.outputPath.isEmpty())
    {
        taps = renderer.tapsWithoutRender();
        return juce::Result::ok();
    }

    const juce::int64 inputLength = reader != nullptr ? reader->lengthInSamples : demo.getNumSamples();
    const auto source = [this] (juce::AudioBuffer<float>& block, juce::int64 position) {
        if (reader != nullptr)
            return reader->read (&block, 0, block.getNumSamples(), position, true, true);
        for (int ch = 0; ch < block.getNumChannels(); ++ch)
            block.copyFrom (ch, 0, demo, ch, static_cast<int> (position), block.getNumSamples());
        return true;
    };

    ProgressBar bar (! options.quiet && ProgressBar::stderrIsTerminal(), sampleRate);
    const auto progress = [&bar] (juce::int64 done, juce::int64 total) { bar.update (done, total); };

    OfflineRenderer::Outcome outcome;
    const auto result = batch.add (output, [&] (const juce::File& temp) {
        auto writer = AudioFiles::createWriter (plan, temp, sampleRate, numChannels);
        if (writer == nullptr)
            return false;
        const auto sink = [&writer] (const juce::AudioBuffer<float>& block) {
            return writer->writeFromAudioSampleBuffer (block, 0, block.getNumSamples());
        };
        outcome = renderer.render (inputLength, source, sink, progress);
        writer.reset(); // completes the file's headers
        return outcome.ok && temp.getSize() > 0;
    });
    bar.finish();
    if (result.failed())
        return result;

    taps = outcome.taps;
    for (const auto& note : plan.notes)
        warn (note);
    const bool floatingPoint = AudioFiles::shortName (*plan.format) == "WAV" && plan.bits == 32;
    if (outcome.peak > 1.0f && ! floatingPoint)
        warn ("the output clips (peak " + juce::String (20.0 * std::log10 (outcome.peak), 1)
              + " dBFS); lower mout or write 32-bit WAV");

    delivered.add ("twist-render: wrote " + output.describe() + " (" + (numChannels == 1 ? "mono" : "stereo") + ", "
                   + juce::String (juce::roundToInt (sampleRate)) + " Hz, " + juce::String (plan.bits) + "-bit "
                   + AudioFiles::shortName (*plan.format) + ", " + seconds (outcome.length, sampleRate) + " with "
                   + seconds (outcome.tailLength, sampleRate) + " of tail)");
    return juce::Result::ok();
}

juce::Result RenderJob::writeTapFiles (const TapSet& taps)
{
    if (options.tapsJsonPath.isNotEmpty())
    {
        const auto text =
            (juce::JSON::toString (tapreport::toJson (taps, sampleRate, options.bpm)) + "\n").toStdString();
        const auto result = batch.add (
            tapsJson, [&text] (const juce::File& temp) { return writeBytes (temp, text.data(), text.size()); });
        if (result.failed())
            return result;
        delivered.add ("twist-render: wrote " + tapsJson.describe());
    }

    if (options.plotPath.isNotEmpty())
    {
        const auto image = tapplot::draw (taps, soundLabel());
        const auto result =
            batch.add (plot, [&image] (const juce::File& temp) { return tapplot::writePng (image, temp); });
        if (result.failed())
            return result;
        delivered.add ("twist-render: wrote " + plot.describe());
    }
    return juce::Result::ok();
}

juce::Result RenderJob::writeState()
{
    if (options.saveStatePath.isEmpty())
        return juce::Result::ok();
    juce::MemoryBlock blob;
    processor->getStateInformation (blob);
    const auto result = batch.add (
        state, [&blob] (const juce::File& temp) { return writeBytes (temp, blob.getData(), blob.getSize()); });
    if (result.wasOk())
        delivered.add ("twist-render: wrote " + state.describe());
    return result;
}

juce::String RenderJob::soundLabel() const
{
    juce::String label;
    if (options.statePath.isNotEmpty())
        label = "state " + juce::File (options.statePath).getFileName();
    else
        label = options.presetId.isNotEmpty() ? options.presetId : juce::String (presets::fallbackPatchId);
    for (const auto& s : options.settings)
        label << "  " << s.id << "=" << number (s.value);
    if (processor->getValueTreeState().getRawParameterValue (params::id::tapSync)->load() > 0.5f)
        label << "  " << number (options.bpm) << " bpm";
    return label;
}
