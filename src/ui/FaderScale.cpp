#include "ui/FaderScale.h"

namespace faderscale
{
juce::String formatMoutDb (float dB)
{
    if (dB <= -60.0f)
        return juce::String ("-") + juce::String (juce::CharPointer_UTF8 ("\xe2\x88\x9e")) + " dB";

    // The parameter's 0.1 dB steps are float sums, so its 0 can come out a
    // hair below zero: that reads 0.0 dB too, never -0.0 dB.
    return juce::String::formatted ("%+.1f dB", static_cast<double> (dB))
        .replace ("+0.0", "0.0")
        .replace ("-0.0 ", "0.0 ");
}
} // namespace faderscale
