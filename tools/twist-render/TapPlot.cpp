#include "TapPlot.h"

#include "TapReport.h"
#include "ui/Col.h"

#include <cmath>

namespace tapplot
{
namespace
{
constexpr int left = 72;
constexpr int right = 28;
constexpr int top = 56;
constexpr int bottom = 52;

// 1, 2 or 5 times a power of ten, at least x.
double niceStep (double x)
{
    const double power = std::pow (10.0, std::floor (std::log10 (x)));
    for (const double m : { 1.0, 2.0, 5.0, 10.0 })
        if (m * power >= x)
            return m * power;
    return 10.0 * power;
}

juce::String timeLabel (double ms, double spanMs)
{
    if (spanMs >= 2000.0)
        return juce::String (ms / 1000.0, ms < 10000.0 && std::fmod (ms, 1000.0) != 0.0 ? 1 : 0) + " s";
    return juce::String (juce::roundToInt (ms)) + " ms";
}
} // namespace

juce::Colour barColour()
{
    return Col::am;
}

juce::Image draw (const TapSet& taps, const juce::String& title)
{
    juce::Image image (juce::Image::RGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (Col::bg0);

    const juce::Rectangle<int> area (left, top, width - left - right, height - top - bottom);

    float lastMs = 0.0f;
    for (int i = 0; i < taps.count; ++i)
        lastMs = juce::jmax (lastMs, taps.taps[static_cast<std::size_t> (i)].timeMs);
    const double step = niceStep (juce::jmax (1.0, static_cast<double> (lastMs)) * 1.05 / 8.0);
    const double spanMs = step * std::ceil (juce::jmax (1.0, static_cast<double> (lastMs)) * 1.05 / step);

    const auto xFor = [&] (double ms) { return area.getX() + juce::roundToInt (ms / spanMs * (area.getWidth() - 1)); };
    const auto yFor = [&] (double db) {
        const double v = (juce::jlimit (floorDb, ceilingDb, db) - floorDb) / (ceilingDb - floorDb);
        return area.getBottom() - juce::roundToInt (v * area.getHeight());
    };

    // Level grid with labels, 0 dB brighter.
    g.setFont (juce::Font (13.0f));
    for (double db = 0.0; db >= floorDb; db -= 12.0)
    {
        const int y = yFor (db);
        g.setColour (db == 0.0 ? Col::b1 : Col::b2);
        g.fillRect (area.getX(), y, area.getWidth(), 1);
        g.setColour (Col::t2);
        g.drawText (juce::String (juce::roundToInt (db)) + " dB", 0, y - 8, left - 8, 16,
                    juce::Justification::centredRight);
    }

    // Time axis with ticks.
    g.setColour (Col::b1);
    g.fillRect (area.getX(), area.getBottom(), area.getWidth(), 1);
    for (double ms = 0.0; ms <= spanMs + 0.5 * step; ms += step)
    {
        const int x = xFor (ms);
        g.setColour (Col::b1);
        g.fillRect (x, area.getBottom(), 1, 6);
        g.setColour (Col::t2);
        g.drawText (timeLabel (ms, spanMs), x - 40, area.getBottom() + 8, 80, 16, juce::Justification::centred);
    }

    // One bar per tap; a silent one is a stub on the floor.
    const int barWidth = juce::jlimit (1, 6, area.getWidth() / juce::jmax (1, 3 * taps.count));
    g.setColour (barColour());
    for (int i = 0; i < taps.count; ++i)
    {
        const auto& tap = taps.taps[static_cast<std::size_t> (i)];
        const int x = xFor (static_cast<double> (tap.timeMs)) - barWidth / 2;
        const int y = juce::jmin (area.getBottom() - 2, yFor (tapreport::gainDb (tap.gain)));
        g.fillRect (x, y, barWidth, area.getBottom() - y);
    }

    g.setColour (Col::t0);
    g.setFont (juce::Font (17.0f, juce::Font::bold));
    g.drawText (title, left, 14, width - left - right, 24, juce::Justification::centredLeft);
    g.setColour (Col::t1);
    g.setFont (juce::Font (13.0f));
    const juce::String summary = juce::String (taps.count) + (taps.count == 1 ? " tap" : " taps") + ", last at "
                                 + juce::String (static_cast<double> (lastMs), 1) + " ms";
    g.drawText (summary, left, 14, width - left - right, 24, juce::Justification::centredRight);
    return image;
}

bool writePng (const juce::Image& image, const juce::File& file)
{
    if (! file.deleteFile())
        return false;
    juce::FileOutputStream out (file);
    juce::PNGImageFormat png;
    if (! out.openedOk() || ! png.writeImageToStream (image, out))
        return false;
    out.flush();
    return out.getStatus().wasOk();
}
} // namespace tapplot
