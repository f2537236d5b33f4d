#include "ui/MasterOutFader.h"

#include "params/ParameterTable.h"
#include "ui/Col.h"

#include <algorithm>
#include <cmath>

MasterOutFader::MasterOutFader (juce::AudioProcessorValueTreeState& state, std::function<float()> source)
    : meterSource (std::move (source))
{
    // The meter starts from silence: a peak held since the meter last looked
    // (hours ago, perhaps, while no window showed it) is dropped.
    if (meterSource)
        meterSource();

    fader.setColour (juce::Slider::thumbColourId, Col::ax);
    fader.setColour (juce::Slider::trackColourId, Col::ax.withAlpha (0.25f));
    fader.setColour (juce::Slider::backgroundColourId, juce::Colours::transparentBlack);
    addAndMakeVisible (fader);
    fader.addMouseListener (this, false);

    attachment =
        std::make_unique<juce::AudioProcessorValueTreeState::SliderAttachment> (state, params::id::master, fader);
    moutParam = state.getParameter (params::id::master);

    startTimerHz (20);
}

MasterOutFader::~MasterOutFader()
{
    stopTimer();
    fader.removeMouseListener (this);
}

bool MasterOutFader::advanceMeter (float newPeak, float& level)
{
    if (! (newPeak >= 0.0f)) // NaN or a negative reading counts as silence
        newPeak = 0.0f;
    if (0.85f * level > newPeak)
        newPeak = 0.85f * level;
    if (newPeak < 0.0001f)
        newPeak = 0.0f;

    const bool changed = newPeak != level;
    level = newPeak;
    return changed;
}

float MasterOutFader::meterFraction (float level)
{
    if (! (level > 0.0f))
        return 0.0f;
    const float dB = std::max (20.0f * std::log10 (level), -100.0f);
    return juce::jlimit (0.0f, 1.0f, (dB + 60.0f) / 66.0f);
}

void MasterOutFader::timerCallback()
{
    if (! meterSource)
        return;
    const float before = meterLevel;
    if (advanceMeter (meterSource(), meterLevel))
        if (const auto area = meterChangeArea (before, meterLevel); ! area.isEmpty())
            repaint (area);
}

std::pair<float, float> MasterOutFader::meterBottomAndTravel()
{
    // The meter shares the fader's travel: the thumb's centre runs from R
    // below the top to R above the bottom.
    const auto radius = static_cast<float> (getLookAndFeel().getSliderThumbRadius (fader));
    const auto h = static_cast<float> (getHeight());
    const float travel = std::max (h - 2.0f * radius, 0.0f);
    return { radius + travel, travel };
}

juce::Rectangle<int> MasterOutFader::meterChangeArea (float fromLevel, float toLevel)
{
    const float from = meterFraction (fromLevel);
    const float to = meterFraction (toLevel);
    if (from == to)
        return {};

    // The rows between the two tops, with room for their anti-aliased
    // edges, across the whole width: a clip that ended inside the fader
    // would leave its rounded background a hair short of full cover in the
    // clip's last column (JUCE's edge tables stop just inside a clip's
    // right edge), unlike a whole repaint.
    const auto [bottom, travel] = meterBottomAndTravel();
    const float yFrom = bottom - from * travel;
    const float yTo = bottom - to * travel;
    const int top = static_cast<int> (std::floor (std::min (yFrom, yTo))) - 2;
    const int end = static_cast<int> (std::ceil (std::max (yFrom, yTo))) + 2;
    return getLocalBounds().getIntersection ({ 0, top, getWidth(), end - top });
}

void MasterOutFader::resized()
{
    fader.setBounds (getLocalBounds());
}

void MasterOutFader::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    const float x = bounds.getX();
    const float y = bounds.getY();
    const float w = bounds.getWidth();
    const float h = bounds.getHeight();

    g.setGradientFill (juce::ColourGradient (Col::bg2, x, y, Col::bg3, x, y + h, false));
    g.fillRoundedRectangle (bounds, 3.0f);

    // Named copies, not a structured binding: the lambdas below capture
    // them, which clang before 16 does not allow for bindings.
    const auto meterSpan = meterBottomAndTravel();
    const float travel = meterSpan.second;
    const float bottom = y + meterSpan.first;
    const float columnWidth = std::max (w / 2.0f, 4.0f);
    const float left = x + w / 2.0f - columnWidth / 2.0f;

    // Fills the column between two travel fractions.
    auto band = [&] (float from, float to) {
        if (to > from)
            g.fillRect (left, bottom - to * travel, columnWidth, (to - from) * travel);
    };

    const juce::Colour red (0xffff5050);
    g.setColour (Col::meterGreen.withAlpha (0.18f));
    band (0.0f, greenTop);
    g.setColour (Col::dw.withAlpha (0.18f));
    band (greenTop, warningTop);
    g.setColour (red.withAlpha (0.18f));
    band (warningTop, 1.0f);

    const float fraction = meterFraction (meterLevel);
    if (fraction > 0.0f)
    {
        g.setColour (Col::meterGreen.withAlpha (0.95f));
        band (0.0f, std::min (fraction, greenTop));
    }
    if (fraction > greenTop)
    {
        g.setColour (Col::dw.withAlpha (0.95f));
        band (greenTop, std::min (fraction, warningTop));
    }
    if (fraction > warningTop)
    {
        g.setColour (red.withAlpha (0.95f));
        band (warningTop, fraction);
    }

    // Ticks at the fader's own +6, 0 and -60 dB positions.
    if (moutParam != nullptr)
    {
        auto tickY = [&] (float dB) { return bottom - moutParam->convertTo0to1 (dB) * travel - 0.5f; };
        g.setColour (Col::t1.withAlpha (0.45f));
        g.fillRect (x - 1.0f, tickY (6.0f), 4.0f, 1.0f);
        g.fillRect (x - 1.0f, tickY (-60.0f), 4.0f, 1.0f);
        g.setColour (Col::t1.withAlpha (0.85f));
        g.fillRect (x - 1.0f, tickY (0.0f), 6.0f, 1.5f);
    }
}

void MasterOutFader::report (const std::function<void (const juce::String&)>& callback) const
{
    if (callback)
        callback (params::id::master);
}

void MasterOutFader::mouseDown (const juce::MouseEvent&)
{
    report (onParamDragStart);
}

void MasterOutFader::mouseUp (const juce::MouseEvent&)
{
    report (onParamDragEnd);
}

void MasterOutFader::mouseEnter (const juce::MouseEvent&)
{
    report (onParamHoverStart);
}

void MasterOutFader::mouseExit (const juce::MouseEvent&)
{
    report (onParamHoverEnd);
}
