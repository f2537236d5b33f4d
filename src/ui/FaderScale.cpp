#include "ui/FaderScale.h"

#include "plugin/ValueText.h"

namespace faderscale
{
juce::String formatMoutDb (float dB)
{
    return valuetext::masterDb (dB);
}
} // namespace faderscale
