#include "AudioFiles.h"

namespace
{
juce::String bitList (const juce::Array<int>& bits)
{
    juce::StringArray texts;
    for (const int b : bits)
        texts.add (juce::String (b));
    return texts.joinIntoString (", ", 0, texts.size() - 1) + (texts.size() > 1 ? " or " : "")
           + texts[texts.size() - 1];
}
} // namespace

AudioFiles::AudioFiles()
{
    manager.registerFormat (new juce::WavAudioFormat(), true);
    manager.registerFormat (new juce::AiffAudioFormat(), false);
    manager.registerFormat (new juce::FlacAudioFormat(), false);
}

juce::Result AudioFiles::openInput (const juce::File& file, std::unique_ptr<juce::AudioFormatReader>& reader)
{
    const auto path = file.getFullPathName();
    if (file.isDirectory())
        return juce::Result::fail (path + " is a folder, not an audio file");
    if (! file.existsAsFile())
        return juce::Result::fail ("no such file: " + path);

    auto stream = std::make_unique<juce::FileInputStream> (file);
    if (! stream->openedOk())
        return juce::Result::fail ("cannot read " + path + ": " + stream->getStatus().getErrorMessage());

    // Every format looks at the content, whatever the file's name says.
    reader.reset (manager.createReaderFor (std::move (stream)));
    if (reader == nullptr)
        return juce::Result::fail (path + ": unsupported format (twist-render reads WAV, AIFF and FLAC)");

    const auto channels = static_cast<int> (reader->numChannels);
    if (channels != 1 && channels != 2)
    {
        reader.reset();
        return juce::Result::fail (path + " has " + juce::String (channels)
                                   + " channels; twist-render processes mono and stereo files");
    }
    if (! (reader->sampleRate >= 1000.0 && reader->sampleRate <= 768000.0))
    {
        const auto rate = reader->sampleRate;
        reader.reset();
        return juce::Result::fail (path + ": unsupported sample rate " + juce::String (rate));
    }
    return juce::Result::ok();
}

juce::AudioFormat* AudioFiles::formatNamed (const juce::String& name)
{
    const auto lower = name.toLowerCase();
    if (lower == "wav")
        return manager.findFormatForFileExtension (".wav");
    if (lower == "aiff" || lower == "aif")
        return manager.findFormatForFileExtension (".aiff");
    if (lower == "flac")
        return manager.findFormatForFileExtension (".flac");
    return nullptr;
}

juce::AudioFormat* AudioFiles::formatForFile (const juce::File& file)
{
    const auto extension = file.getFileExtension();
    return extension.isEmpty() ? nullptr : manager.findFormatForFileExtension (extension);
}

juce::AudioFormat* AudioFiles::formatOf (const juce::AudioFormatReader& reader)
{
    for (auto* format : manager)
        if (format->getFormatName() == reader.getFormatName())
            return format;
    return nullptr;
}

juce::String AudioFiles::shortName (const juce::AudioFormat& format)
{
    return format.getFormatName().upToFirstOccurrenceOf (" ", false, false);
}

juce::Result AudioFiles::planOutput (const juce::File& output, juce::AudioFormat* requestedFormat, int requestedBits,
                                     juce::AudioFormat* inputFormat, int inputBits, OutputPlan& plan)
{
    plan = {};
    plan.format = requestedFormat;
    if (plan.format == nullptr)
    {
        plan.format = formatForFile (output);
        if (plan.format == nullptr && output.getFileExtension().isNotEmpty())
            return juce::Result::fail ("cannot write '" + output.getFileExtension()
                                       + "' files; name the output .wav, .aiff or .flac, or give --format");
    }
    if (plan.format == nullptr)
        plan.format = inputFormat != nullptr ? inputFormat : formatNamed ("wav");

    const auto possible = plan.format->getPossibleBitDepths();
    const auto name = shortName (*plan.format);
    if (requestedBits > 0)
    {
        if (! possible.contains (requestedBits))
            return juce::Result::fail (name + " files take " + bitList (possible) + " bits, not "
                                       + juce::String (requestedBits));
        plan.bits = requestedBits;
        return juce::Result::ok();
    }

    if (possible.contains (inputBits))
    {
        plan.bits = inputBits;
        return juce::Result::ok();
    }

    // The nearest depth above the input's, else the largest there is.
    plan.bits = possible.getLast();
    for (const int b : possible)
    {
        if (b >= inputBits)
        {
            plan.bits = b;
            break;
        }
    }
    plan.note = name + " files have no " + juce::String (inputBits) + "-bit samples; writing "
                + juce::String (plan.bits) + "-bit";
    return juce::Result::ok();
}

std::unique_ptr<juce::AudioFormatWriter> AudioFiles::createWriter (const OutputPlan& plan, const juce::File& file,
                                                                   double sampleRate, int numChannels)
{
    if (! file.deleteFile())
        return nullptr;
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    if (! stream->openedOk())
        return nullptr;

    // FLAC at its usual compression level 5; the other formats have no options.
    const int quality = shortName (*plan.format) == "FLAC" ? 5 : 0;
    std::unique_ptr<juce::AudioFormatWriter> writer (plan.format->createWriterFor (
        stream.get(), sampleRate, static_cast<unsigned int> (numChannels), plan.bits, {}, quality));
    if (writer != nullptr)
        stream.release(); // the writer owns it now
    return writer;
}
