#include "ui/FaderScale.h"

#include "params/ValueText.h"

namespace faderscale
{
juce::String formatMoutDb (float dB)
{
    return valuetext::masterDb (dB);
}
} // namespace faderscale
