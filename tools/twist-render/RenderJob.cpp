#include "RenderJob.h"

#include "DemoPhrase.h"
#include "LfoSeeds.h"
#include "Listings.h"
#include "OfflineRenderer.h"
#include "ProgressBar.h"
#include "Suggestions.h"
#include "TapPlot.h"
#include "TapReport.h"
#include "plugin/ParameterTable.h"
#include "presets/PresetSettings.h"
#include "presets/SafeFileWrite.h"

#include <cmath>
#include <iostream>
#include <sys/stat.h>

namespace
{
juce::File fileFromArgument (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

// Whether two names lead to the same file: the same path, or (when both
// exist) the same file reached through links.
bool sameFile (const juce::File& a, const juce::File& b)
{
    if (a == b)
        return true;
    struct stat sa
    {};
    struct stat sb
    {};
    return stat (a.getFullPathName().toRawUTF8(), &sa) == 0 && stat (b.getFullPathName().toRawUTF8(), &sb) == 0
           && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Writes a file through a hidden temporary file beside it, which replaces
// the target only when writing succeeded.
juce::Result writeWhole (const juce::File& target, const std::function<bool (const juce::File&)>& write)
{
    if (! target.getParentDirectory().createDirectory())
        return juce::Result::fail ("cannot create the folder " + target.getParentDirectory().getFullPathName());
    return presets::replaceFileWith (target, write);
}

juce::String number (double v)
{
    return juce::String (v, 2).trimCharactersAtEnd ("0").trimCharactersAtEnd (".");
}

juce::String seconds (juce::int64 samples, double rate)
{
    return juce::String (static_cast<double> (samples) / rate, 2) + " s";
}
} // namespace

RenderJob::RenderJob (const RenderOptions& o)
    : options (o)
{
}

RenderJob::~RenderJob() = default;

void RenderJob::warn (const juce::String& message) const
{
    std::cerr << "twist-render: warning: " << message << std::endl;
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

    if (options.listPresets)
        std::cout << listings::presets (processor->getPresetLibrary(), options.json);
    if (options.listParams)
        std::cout << listings::parameters (options.json);
    if (options.outputPath.isEmpty() && ! options.wantsTaps())
        return 0;

    for (const auto& step : { &RenderJob::setUpSound, &RenderJob::openInput, &RenderJob::checkOutputs })
    {
        const auto result = (this->*step)();
        if (result.failed())
        {
            std::cerr << "twist-render: error: " << result.getErrorMessage() << std::endl;
            return 1;
        }
    }

    TapSet taps {};
    auto result = renderAudio (taps);
    if (result.wasOk())
        result = writeTapFiles (taps);
    if (result.failed())
    {
        std::cerr << "twist-render: error: " << result.getErrorMessage() << std::endl;
        return 1;
    }
    return 0;
}

//==============================================================================
juce::Result RenderJob::setUpSound()
{
    if (options.statePath.isNotEmpty())
    {
        const auto file = fileFromArgument (options.statePath);
        juce::MemoryBlock blob;
        if (file.isDirectory() || ! file.loadFileAsData (blob))
            return juce::Result::fail ("cannot read the state file " + file.getFullPathName());
        const auto xml = juce::AudioProcessor::getXmlFromBinary (blob.getData(), static_cast<int> (blob.getSize()));
        if (xml == nullptr || ! xml->hasTagName (processor->getValueTreeState().state.getType().toString()))
            return juce::Result::fail (file.getFullPathName()
                                       + " is not a Twist Delay state (a state blob saved by the plug-in)");
        processor->setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));
    }
    else
    {
        const auto id = options.presetId.isNotEmpty() ? options.presetId : juce::String (presets::fallbackPatchId);
        const auto& library = processor->getPresetLibrary();
        const auto* patch = library.findById (id);
        if (patch == nullptr)
        {
            std::vector<suggestions::Candidate> candidates;
            for (const auto& p : library.getPatches())
                candidates.push_back ({ "'" + p.id() + "'", { p.id(), p.name } });
            return juce::Result::fail ("unknown preset '" + id + "'; "
                                       + suggestions::didYouMean (suggestions::closest (id, candidates))
                                       + " (--list-presets prints all of them)");
        }
        processor->applyPatch (*patch);
    }

    for (const auto& setting : options.settings)
    {
        auto* param = processor->getValueTreeState().getParameter (setting.id);
        jassert (param != nullptr);
        param->setValueNotifyingHost (param->convertTo0to1 (setting.value));
    }

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

    inputFile = fileFromArgument (options.inputPath);
    const auto result = files.openInput (inputFile, reader);
    if (result.failed())
        return result;
    sampleRate = reader->sampleRate;
    numChannels = static_cast<int> (reader->numChannels);
    return juce::Result::ok();
}

juce::Result RenderJob::checkOutputs()
{
    const auto name = [] (const juce::File& f) { return f.getFullPathName(); };

    if (options.tapsJsonPath.isNotEmpty())
        tapsJsonFile = fileFromArgument (options.tapsJsonPath);
    if (options.plotPath.isNotEmpty())
        plotFile = fileFromArgument (options.plotPath);

    juce::Array<juce::File> written;
    if (options.outputPath.isNotEmpty())
    {
        outputFile = fileFromArgument (options.outputPath);
        if (outputFile.isDirectory())
            return juce::Result::fail ("the output " + name (outputFile) + " is a folder");

        // One file name alone renders the demo; an existing audio file there
        // is far more likely a forgotten OUTPUT than a file to replace.
        if (reader == nullptr && outputFile.existsAsFile() && ! options.overwrite)
        {
            std::unique_ptr<juce::AudioFormatReader> existing;
            if (files.openInput (outputFile, existing).wasOk())
                return juce::Result::fail (
                    name (outputFile)
                    + " exists: with one file named, twist-render renders the demo phrase into it. To process it, "
                      "give an OUTPUT too; to replace it with the demo render, add --overwrite");
        }

        auto* requested = options.format.isNotEmpty() ? files.formatNamed (options.format) : nullptr;
        auto* inputFormat = reader != nullptr ? files.formatOf (*reader) : nullptr;
        const int inputBits =
            reader != nullptr ? (reader->usesFloatingPointData ? 32 : static_cast<int> (reader->bitsPerSample)) : 24;
        const auto result = files.planOutput (outputFile, requested, options.bits, inputFormat, inputBits, plan);
        if (result.failed())
            return result;
        written.add (outputFile);
    }
    if (tapsJsonFile != juce::File())
        written.add (tapsJsonFile);
    if (plotFile != juce::File())
        written.add (plotFile);

    for (int i = 0; i < written.size(); ++i)
    {
        if (inputFile != juce::File() && sameFile (written[i], inputFile))
            return juce::Result::fail ("the output " + name (written[i]) + " is the input file");
        if (written[i].isDirectory())
            return juce::Result::fail ("the output " + name (written[i]) + " is a folder");
        for (int j = 0; j < i; ++j)
            if (sameFile (written[i], written[j]))
                return juce::Result::fail (name (written[i]) + " is named as two different outputs");
    }
    return juce::Result::ok();
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

    if (outputFile == juce::File())
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
    const auto result = writeWhole (outputFile, [&] (const juce::File& temp) {
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
    if (plan.note.isNotEmpty())
        warn (plan.note);
    const bool floatingPoint = AudioFiles::shortName (*plan.format) == "WAV" && plan.bits == 32;
    if (outcome.peak > 1.0f && ! floatingPoint)
        warn ("the output clips (peak " + juce::String (20.0 * std::log10 (outcome.peak), 1)
              + " dBFS); lower mout or write 32-bit WAV");

    say ("twist-render: wrote " + outputFile.getFullPathName() + " (" + (numChannels == 1 ? "mono" : "stereo") + ", "
         + juce::String (juce::roundToInt (sampleRate)) + " Hz, " + juce::String (plan.bits) + "-bit "
         + AudioFiles::shortName (*plan.format) + ", " + seconds (outcome.length, sampleRate) + " with "
         + seconds (outcome.tailLength, sampleRate) + " of tail)");
    return juce::Result::ok();
}

juce::Result RenderJob::writeTapFiles (const TapSet& taps)
{
    if (options.printTaps)
        std::cout << tapreport::table (taps) << std::flush;

    if (tapsJsonFile != juce::File())
    {
        const auto text = juce::JSON::toString (tapreport::toJson (taps, sampleRate, options.bpm)) + "\n";
        const auto result = writeWhole (
            tapsJsonFile, [&text] (const juce::File& temp) { return temp.replaceWithText (text, false, false, "\n"); });
        if (result.failed())
            return result;
        say ("twist-render: wrote " + tapsJsonFile.getFullPathName());
    }

    if (plotFile != juce::File())
    {
        const auto image = tapplot::draw (taps, soundLabel());
        const auto result =
            writeWhole (plotFile, [&image] (const juce::File& temp) { return tapplot::writePng (image, temp); });
        if (result.failed())
            return result;
        say ("twist-render: wrote " + plotFile.getFullPathName());
    }
    return juce::Result::ok();
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
