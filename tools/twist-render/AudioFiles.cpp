#include "AudioFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Everything a descriptor gives until its end.
bool readAll (int fd, juce::MemoryBlock& bytes)
{
    juce::MemoryOutputStream out (bytes, false);
    char chunk[65536];
    for (;;)
    {
        const auto n = ::read (fd, chunk, sizeof (chunk));
        if (n > 0)
            out.write (chunk, static_cast<size_t> (n));
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return n == 0;
    }
}

std::uint32_t littleEndian32 (const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*> (p);
    return static_cast<std::uint32_t> (b[0]) | static_cast<std::uint32_t> (b[1]) << 8
           | static_cast<std::uint32_t> (b[2]) << 16 | static_cast<std::uint32_t> (b[3]) << 24;
}

void putLittleEndian32 (char* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char> ((v >> (8 * i)) & 0xffu);
}

// A program that writes WAV into a pipe cannot go back to fill in the
// lengths, so it writes a placeholder (0xFFFFFFFF, or a large guess). Read
// whole, the data ends where the bytes do: the lengths are set to that.
void fitStreamedWavLengths (juce::MemoryBlock& bytes)
{
    auto* data = static_cast<char*> (bytes.getData());
    const auto size = bytes.getSize();
    if (size < 12 || std::memcmp (data, "RIFF", 4) != 0 || std::memcmp (data + 8, "WAVE", 4) != 0)
        return;
    for (std::size_t pos = 12; pos + 8 <= size;)
    {
        const auto length = static_cast<std::size_t> (littleEndian32 (data + pos + 4));
        const auto available = size - pos - 8;
        if (std::memcmp (data + pos, "data", 4) == 0)
        {
            if (length > available)
            {
                putLittleEndian32 (data + pos + 4, static_cast<std::uint32_t> (available));
                putLittleEndian32 (data + 4, static_cast<std::uint32_t> (size - 8));
            }
            return;
        }
        pos += 8 + length + (length & 1);
    }
}
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
    return checkReader (path, reader);
}

juce::Result AudioFiles::openInput (const juce::String& argument, std::unique_ptr<juce::AudioFormatReader>& reader)
{
    const bool standardInput = argument == "-";
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (argument);
    struct stat st
    {};
    if (! standardInput && (::stat (file.getFullPathName().toRawUTF8(), &st) != 0 || S_ISREG (st.st_mode)))
        return openInput (file, reader);
    if (! standardInput && ! S_ISFIFO (st.st_mode) && ! S_ISCHR (st.st_mode))
        return openInput (file, reader);

    const auto name = standardInput ? juce::String ("standard input") : file.getFullPathName();
    const int fd = standardInput ? STDIN_FILENO : ::open (file.getFullPathName().toRawUTF8(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return juce::Result::fail ("cannot read " + name + ": " + juce::String (std::strerror (errno)).toLowerCase());
    juce::MemoryBlock bytes;
    const bool complete = readAll (fd, bytes);
    const int error = errno;
    if (fd != STDIN_FILENO)
        ::close (fd);
    if (! complete)
        return juce::Result::fail ("cannot read " + name + ": " + juce::String (std::strerror (error)).toLowerCase());

    fitStreamedWavLengths (bytes);
    reader.reset (manager.createReaderFor (std::make_unique<juce::MemoryInputStream> (bytes, true)));
    return checkReader (name, reader);
}

juce::Result AudioFiles::checkReader (const juce::String& path, std::unique_ptr<juce::AudioFormatReader>& reader)
{
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

juce::AudioFormat* AudioFiles::formatForName (const juce::String& name)
{
    const auto extension = juce::File::createFileWithoutCheckingPath ("/" + name).getFileExtension();
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

juce::Result AudioFiles::planOutput (const juce::String& outputName, juce::AudioFormat* requestedFormat,
                                     int requestedBits, juce::AudioFormat* inputFormat, int inputBits, OutputPlan& plan)
{
    plan = {};
    plan.format = requestedFormat;
    auto* named = formatForName (outputName);
    const auto extension = juce::File::createFileWithoutCheckingPath ("/" + outputName).getFileExtension();
    if (plan.format == nullptr)
    {
        plan.format = named;
        if (plan.format == nullptr && extension.isNotEmpty())
            return juce::Result::fail ("cannot write '" + extension
                                       + "' files; name the output .wav, .aiff or .flac, or give --format");
    }
    else if (named != nullptr && named != plan.format)
    {
        plan.notes.add ("writing " + shortName (*plan.format) + " (--format) into " + outputName + ", whose name says "
                        + shortName (*named));
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
    plan.notes.add (name + " files have no " + juce::String (inputBits) + "-bit samples; writing "
                    + juce::String (plan.bits) + "-bit");
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
