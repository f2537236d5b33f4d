#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The base of the visualizer's overlays (HUDs): activation, a short
// visibility ramp and the drawing conventions every overlay shares.
//
// An active overlay is visible at once and draws from the first step of its
// ramp on; a deactivated one stays drawn for the 12 steps of the ramp down
// (200 ms at 60 Hz) and is then hidden. The ramp does not fade the drawing:
// it only delays the disappearance, so a quick change between controls never
// leaves the plot bare. Overlays never take mouse input.
class HudOverlay : public juce::Component, private juce::Timer
{
public:
    HudOverlay();
    ~HudOverlay() override;

    // Selects or releases the overlay; the same value again does nothing.
    void setActive (bool on);
    bool isActive() const noexcept { return active; }
    float getLevel() const noexcept { return level; }
    float getTargetLevel() const noexcept { return targetLevel; }
    bool isRamping() const { return isTimerRunning(); }

    // One step of the ramp as the 60 Hz timer takes it (renderers without a
    // message loop step it themselves).
    void tick() { timerCallback(); }

    void paint (juce::Graphics&) override;

    //==============================================================================
    // Drawing conventions.

    // The default monospaced font at a height, plain or bold.
    static juce::Font mono (float height);
    static juce::Font boldMono (float height);

    // Text in a box whose coordinates are truncated to whole pixels, with an
    // ellipsis when it does not fit.
    static void drawText (juce::Graphics&, const juce::String&, float x, float y, float w, float h,
                          juce::Justification);

    // Rounds half away from zero (0.5 -> 1, -0.5 -> -1).
    static int roundHalfAway (float v);

    // A design grid of cols x rows units stretched over an area.
    struct Grid
    {
        Grid (juce::Rectangle<float> area, float cols, float rows);
        float X (float a) const noexcept { return x + a * sx; }
        float Y (float b) const noexcept { return y + b * sy; }
        float x, y, sx, sy;
    };

protected:
    // Draws the overlay into its local bounds (left and top are 0).
    virtual void paintContent (juce::Graphics&, juce::Rectangle<float> area) = 0;

    // The dark plate behind a diagram: black at 0.65, corner 6.
    static void fillDiagramPlate (juce::Graphics&, juce::Rectangle<float>);

private:
    void timerCallback() override;

    // A full ramp: 12 steps of the 60 Hz timer, 200 ms.
    static constexpr int rampSteps = 12;

    bool active = false;
    int step = 0; // 0..rampSteps; level is step / rampSteps
    float level = 0.0f;
    float targetLevel = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HudOverlay)
};
