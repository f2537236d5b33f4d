#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <string>
#include <vector>

// The Twist control: a horizontal strip that sets g (-100 at the left edge,
// +100 at the right, mirrored with rev) and pictures it as a perspective grid
// that sags into a glowing singularity for negative g and bulges into a grey
// sphere for strongly positive g, with a stream of amber dots flowing across.
class MassControl : public juce::Component, private juce::Timer
{
public:
    // One dot of the stream.
    struct DotSample
    {
        float x = 0.0f;
        float y = 0.0f;
        float alpha = 0.0f;
        bool swallowed = false; // reached the singularity
        bool nearCore = false;  // inside the strong pull zone
    };

    explicit MassControl (juce::AudioProcessorValueTreeState& state);
    ~MassControl() override;

    // Sets g from a mouse x (with the dead zone of +-1 around the centre).
    void setFromX (float x);

    // The dot stream at time t (seconds); stateless, so paint and tick agree.
    static std::vector<DotSample> computeDots (double timeSeconds, float width, float height, float g, float focusX,
                                               float focusY);

    // Focus point of the picture for a size and g.
    static juce::Point<float> focusFor (float width, float height, float g);

    // One animation step of the singularity's energy.
    void accumTick();
    float getEnergy() const noexcept { return energy; }
    float getHoverAmount() const noexcept { return hoverAmount; }

    // What the next animation tick repaints: only the band the dots and the
    // singularity move in while nothing else changed since the last paint and
    // g >= 0, else the whole control.
    juce::Rectangle<int> areaToRepaint() const;

    // Rebuilds the cached grid picture when g, size or scale changed.
    void ensureBackground (float scale);
    const juce::Image& getBackground() const noexcept { return background; }

    void paint (juce::Graphics&) override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;

    // Each is called with "g".
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;

private:
    void timerCallback() override;

    float rawG() const;
    bool isReversed() const;
    void setG (float value);

    // What a frame draws besides the dots and the singularity: when none of
    // it changes between two ticks, only the band the dots and the
    // singularity move in needs painting again.
    struct StillPart
    {
        float g = 0.0f;
        bool reversed = false;
        int width = 0;
        int height = 0;
        bool decorated = false; // the hover's bokeh or flare is drawn

        bool operator== (const StillPart& o) const noexcept
        {
            return g == o.g && reversed == o.reversed && width == o.width && height == o.height
                   && decorated == o.decorated;
        }
    };
    StillPart stillPart() const;
    // The rows the dots and the singularity can reach while g >= 0 and
    // nothing else moves: the dots run along one line there.
    juce::Rectangle<int> dotBand() const;

    void drawBokeh (juce::Graphics&, float twist, float focusX, float focusY) const;
    void drawFlare (juce::Graphics&, float focusX, float focusY, float intensity, double timeSeconds) const;

    juce::AudioProcessorValueTreeState& apvts;
    bool hovered = false;
    float hoverAmount = 0.0f;
    float energy = 0.0f;

    // The still part the last paint drew with; a band-only repaint is
    // allowed only while it is unchanged.
    StillPart lastPainted;
    bool paintedOnce = false;

    juce::Image background;
    float cachedG = 1.0e9f;
    float cachedScale = 0.0f;
    int cachedWidth = 0;
    int cachedHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MassControl)
};

namespace ui
{
// The star at the focus (glowing, with a black core beyond g = -30) that
// cross-fades into a grey sphere between e = 0.3 and 0.6; e = g / 100.
void drawSingularity (juce::Graphics&, float x, float y, float e, float energy, float scale);

namespace gfm
{
// "+25%", "-40%", "0%": rounded half away from zero.
std::string signedPercent (float value);
} // namespace gfm
} // namespace ui
