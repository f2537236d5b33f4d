#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

// The file formats twist-render reads and writes: WAV, AIFF and FLAC through
// JUCE's readers and writers (FLAC through Debian's libFLAC).
class AudioFiles
{
public:
    AudioFiles();

    // A reader for a mono or stereo file in one of the formats; fails with a
    // message naming the file and what is wrong with it.
    juce::Result openInput (const juce::File& file, std::unique_ptr<juce::AudioFormatReader>& reader);

    // The same for an input named on the command line: "-" is standard
    // input, and a pipe or character device is read whole first (the readers
    // move around in their input). A WAV header written for a stream, whose
    // data length runs past the end, is taken to end where the data does.
    juce::Result openInput (const juce::String& argument, std::unique_ptr<juce::AudioFormatReader>& reader);

    // "wav", "aiff" or "aif", "flac" (any case); null for anything else.
    juce::AudioFormat* formatNamed (const juce::String& name);

    // The format a file name's extension stands for, or null.
    juce::AudioFormat* formatForName (const juce::String& name);

    // The format of a reader this object opened.
    juce::AudioFormat* formatOf (const juce::AudioFormatReader& reader);

    // "WAV", "AIFF" or "FLAC".
    static juce::String shortName (const juce::AudioFormat& format);

    // What the output is written as.
    struct OutputPlan
    {
        juce::AudioFormat* format = nullptr;
        int bits = 24;
        juce::StringArray notes; // when the bit depth had to change, or the name says another format
    };

    // Output format: the one asked for, else the output name's extension,
    // else the input's. Bit depth: the one asked for (which the format must
    // support), else the input's, else the nearest the format supports. A
    // format asked for that differs from the one the name's extension stands
    // for is kept, with a note.
    juce::Result planOutput (const juce::String& outputName, juce::AudioFormat* requestedFormat, int requestedBits,
                             juce::AudioFormat* inputFormat, int inputBits, OutputPlan& plan);

    // A writer into file (which is replaced); null when it cannot be created.
    static std::unique_ptr<juce::AudioFormatWriter> createWriter (const OutputPlan& plan, const juce::File& file,
                                                                  double sampleRate, int numChannels);

private:
    juce::Result checkReader (const juce::String& name, std::unique_ptr<juce::AudioFormatReader>& reader);

    juce::AudioFormatManager manager;
};
