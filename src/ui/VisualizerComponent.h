#pragma once

#include "dsp/TapEngine.h"
#include "ui/AxisSliderLookAndFeel.h"
#include "ui/DensityStrip.h"
#include "ui/MdButton.h"
#include "ui/MdSlider.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class HudOverlay;
class EqHud;
class DecayHud;
class WearHud;
class TapeChainHud;
class TapeMixHud;
class BumpHud;
class FlutterHud;
class WidthHud;
class FaderReadoutHud;
class PitchHud;

// The tap display: the taps on a time line, the decay envelope with its
// handles, the window length strip along the bottom and the overlays on top.
// This file holds the display model: the state the editor hands in on every
// refresh, the coordinates, the curve and handle mathematics and the
// children's places; the drawing is in VisualizerDrawing.cpp and the mouse
// handling in VisualizerInteraction.cpp.
class VisualizerComponent : public juce::Component
{
public:
    using TapSnapshot = TapSet;

    enum class ActiveHud
    {
        None = 0,
        Eq = 1,
        Decay = 2,
        TapeChain = 4,
        TapeMix = 5,
        Bump = 6,
        Flutter = 7,
        Mix = 9,
        Master = 10,
        Pitch = 11,
        Start = 12,
        Wear = 13,
        Width = 14,
        Falloff = 15
    };

    // What the editor fills from the parameters on every refresh.
    struct VisualizerState
    {
        bool waveOn = false;
        bool tapeOn = false;
        bool tremOn = false;
        bool pingPongOn = false;
        float waveRateHz = 0.0f;
        float waveDepth = 0.0f;
        float wavePhaseDeg = 0.0f;
        float waveOffsetDeg = 0.0f;
        int waveShape = 0;
        float tremRateHz = 0.0f;
        float tremDepth = 0.0f;
        int tremShape = 0;
        float tremPhaseDeg = 0.0f;
        float tremOffsetDeg = 0.0f;
        float tapeLpf = 0.0f;
        float predelayMs = 0.0f;
        float widen = 0.0f;
        bool noMid = false;
        float pingPongAmount = 0.0f;
        float decayCurve = -70.0f;
        int decayMode = 0;
        int decaySteps = 4;
        float decayFalloff = 25.0f;
        float decayHandleY = 0.5f;
        float wearHandleY = 0.5f;
        ActiveHud activeHud = ActiveHud::None;
        std::uint32_t waveSeed = 0x5EED0001u;
        std::uint32_t tremSeed = 0xC0DEFADEu;
        float twist = 0.0f;
        float hpHz = 0.0f;
        float lpHz = 0.0f;
        float lengthMs = 2400.0f;
        float tapeMix = 0.0f;
        float tapeOut = 0.0f;
        float tapeIn = 0.0f;
        float flutter = 0.0f;
        float flutterSpeed = 0.0f;
        float tapeWear = 0.0f;
        float headBump = 0.0f;
        float flutterPhase = 0.0f;
        float hudClock = 0.0f;
        float mix = 80.0f;
        float master = 0.0f;
        float alphaBoost = 1.0f;
        float pitchRateHz = 0.0f;
        float pitchDepth = 0.0f;
        float pitchCents = 0.0f;
        float pitchMix = 0.0f;
        float pitchRegen = 0.0f;
        bool pitch2x = false;
        juce::String touchedParamId;

        // Every field except noMid, the two handle fractions, flutterPhase and
        // hudClock is equal (floats exactly; NaN never equals).
        bool samePaintInputs (const VisualizerState& other) const;
    };

    struct Coords
    {
        float plotWidth = 0.0f;
        float plotHeight = 0.0f;
        float x0 = 14.0f;
        float xSpan = 0.0f;
        float viewSpanMs = 1.0f;
        float viewStartMs = 0.0f;

        float top() const noexcept { return 0.09f * plotHeight; }         // 0 dB line
        float curveFloorY() const noexcept { return plotHeight - 22.0f; } // -45 dB line
        float timeToX (float ms) const noexcept { return (ms - viewStartMs) / viewSpanMs * xSpan + x0; }

        bool operator== (const Coords&) const = default;
    };

    VisualizerComponent();
    ~VisualizerComponent() override;

    void attachDecay (juce::AudioProcessorValueTreeState&);
    void attachWear (juce::AudioProcessorValueTreeState&);
    void attachFalloff (juce::AudioProcessorValueTreeState&);
    void attachLength (juce::AudioProcessorValueTreeState&);

    void setTaps (const TapSnapshot&);
    void setTimelineMaxMs (float ms);
    void setState (const VisualizerState&);

    // Title and value that the fader-style readouts (Mix, Master, Start,
    // Falloff) show for a state; empty for the other overlays.
    struct Readout
    {
        juce::String title, value;
    };
    static Readout readoutFor (ActiveHud, const VisualizerState&);

    void showHud (ActiveHud);
    void hideAllHuds();
    ActiveHud getShownHud() const noexcept { return shownHud; }

    // The overlay shown for a code (nullptr for None and unused codes), and
    // all thirteen in the order they were created.
    HudOverlay* getOverlay (ActiveHud) const noexcept;
    const std::vector<HudOverlay*>& getOverlays() const noexcept { return overlays; }

    const VisualizerState& getState() const noexcept { return state; }
    const TapSnapshot& getTaps() const noexcept { return taps; }
    float getTimelineMaxMs() const noexcept { return timelineMaxMs; }

    //==============================================================================
    // Coordinates and curves.
    static Coords computeCoords (juce::Rectangle<int> bounds, float timelineMaxMs);
    Coords computeCoords() const { return computeCoords (getLocalBounds(), timelineMaxMs); }

    // Display fraction of a linear amplitude: 1 at 0 dB and above, 0 at -45 dB and below.
    static float ampToT (float amplitude);
    static float ampToDisplayT (float amplitude) { return ampToT (amplitude); }
    // y of a display fraction; a negative floor means the -45 dB line.
    static float tToY (float t, const Coords&, float floor = -1.0f);
    static float ampToY (float amplitude, const Coords& c, float floor = -1.0f)
    {
        return tToY (ampToT (amplitude), c, floor);
    }

    // Window position (0 first tap, 1 window end) of a timeline fraction.
    float windowPosOfTimelineFrac (float f) const;

    float ghostAmp (float p) const;
    float falloffGainAt (float p) const;
    float decayLineYFrac (float p, const Coords&, float floor) const;

    float wearKneeAge() const { return wearKneeAgeFor (state.tapeWear); }
    static float wearKneeAgeFor (float wear);
    float wearRolloff (float p) const { return wearRolloffFor (p, wearKneeAge()); }
    static float wearRolloffFor (float p, float knee);
    float wearCurveYFrac (float p, const Coords&, float floor) const;
    float tapWearDeadMix (float p) const;
    float wearDeadMix (float p) const { return tapWearDeadMix (p); }

    static float falloffKneeXFrac (float falloff, float predelayMs, float lengthMs, float timelineMaxMs);
    float falloffLineX (const Coords&) const;
    static float falloffSpanFromXFrac (float f, float predelayMs, float lengthMs, float timelineMaxMs);

    juce::Point<float> handleOnCurve (float xFrac, bool onWearCurve, const Coords&) const;
    juce::Point<float> decayHandlePos (const Coords&) const;
    juce::Point<float> wearHandlePos (const Coords&) const;
    juce::Point<float> startHandlePos (const Coords&) const;

    //==============================================================================
    // Drawing (VisualizerDrawing.cpp).

    // Opacity of a tap's bar: its level, the effects' shading and the tape
    // wear, before the editor's alpha boost.
    float computeTapAlpha (int i, int n, float pos, float gain) const;
    juce::Colour computeTapColor (int i, int n, float pos) const;
    // Height multiplier of a tap's bar under the tremolo, 1 - depth .. 1.
    float tremoloHeightMultiplier (float t, int i) const;
    // The Wave LFO's value at an angle (radians) and a cycle count, -1..1.
    float lfoShapeValue (float angle, int shape, float cycles) const;
    // Level factor of a tap's opacity: 1 at 0 dB, 0.18 at -45 dB and below.
    static float tapAlphaFromAmp (float gain);
    // Brightness of tap i of n under the tape wear: 1 unworn, towards 0 worn.
    float wearBrightness (int i, int n) const;

    struct TapSpatial
    {
        float centreY, barHeight;
    };
    // A bar's centre and height with ping-pong, for a component height h.
    TapSpatial computeTapSpatial (int i, float barHeight, float h) const;

    //==============================================================================
    // Interaction (VisualizerInteraction.cpp).

    bool isOverStartDot (juce::Point<float>) const;
    bool isOverDecayHandle (juce::Point<float>) const;
    bool isOverWearHandle (juce::Point<float>) const;
    bool isOverFalloffLine (juce::Point<float>) const;

    // Sets pd, clamped to its range.
    void setPredelayMs (float ms);
    // The predelay a typed text means ("250 ms", "1.5 s", "800"), clamped to
    // pd's range; the current value for text that is not a finite number.
    float predelayFromText (const juce::String&) const;

    // What the pointer is over, for the falloff line's emphasis.
    bool isDecayHovered() const noexcept { return decayHover; }
    bool isWearHovered() const noexcept { return wearHover; }
    bool isFalloffHovered() const noexcept { return falloffHover; }

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    //==============================================================================
    void resized() override;
    void paint (juce::Graphics&) override;

    MdSlider& getDecaySlider() noexcept { return decaySlider; }
    MdSlider& getWearSlider() noexcept { return wearSlider; }
    MdSlider& getFalloffSlider() noexcept { return falloffSlider; }
    MdSlider& getLengthSlider() noexcept { return lengthSlider; }
    MdButton& getDecayModeButton() noexcept { return decayModeButton; }
    juce::Label& getStepsLabel() noexcept { return stepsLabel; }
    DensityStrip& getDensityStrip() noexcept { return densityStrip; }

    // The predelay parameter (pd), set by the editor.
    juce::RangedAudioParameter* predelayParam = nullptr;

    // Each is called with "pd".
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;
    std::function<void (const juce::String&)> onParamHoverStart;
    std::function<void (const juce::String&)> onParamHoverEnd;

    // Text of the decay-mode button for a mode (clamped to 0..2).
    static juce::String decayModeText (int mode);

private:
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;

    void setUpAxisSlider (MdSlider&, juce::Slider::SliderStyle, double minimum, double maximum, double step);

    // Drawing layers.
    void paintBackground (juce::Graphics&, const Coords&) const;
    void paintTwistGuides (juce::Graphics&, const Coords&) const;
    void paintLabels (juce::Graphics&) const;
    void paintTaps (juce::Graphics&, const Coords&) const;
    void paintOriginDot (juce::Graphics&, const Coords&) const;
    void paintWearGhostLine (juce::Graphics&, const Coords&) const;
    void paintDecayGhostLine (juce::Graphics&, const Coords&) const;
    juce::Path sampleCurve (const Coords&, bool wear) const;
    // The curves' stroked outlines, remade only when the display state, the
    // coordinates, the single-tap case or the device scale change: the taps
    // move on every refresh while the curves mostly stay.
    struct StrokedCurves
    {
        juce::Path wearShadow, wearLine, decayLine, decayHalo, decayHaloCore;
    };
    const StrokedCurves& strokedCurves (const Coords&, float scale) const;
    void paintFalloffLine (juce::Graphics&, const Coords&) const;
    void paintDecayHandle (juce::Graphics&, const Coords&) const;
    void paintWearHandle (juce::Graphics&, const Coords&) const;
    void paintSatGlow (juce::Graphics&, const Coords&) const;
    void paintPredelayMarker (juce::Graphics&, const Coords&) const;

    // Interaction.
    void pressOnPlot (const juce::MouseEvent&);
    void openPredelayEntry();
    void falloffFromX (float x);
    int readSteps() const;
    void setSteps (int steps);
    void refreshHoverCursor();
    static void reportDragStart (MdSlider&);
    static void reportDragEnd (MdSlider&);
    // Host gestures: one from the press to the release of every drag.
    void beginGesture (juce::RangedAudioParameter*);
    void endGesture (juce::RangedAudioParameter*);
    void endAllGestures();
    juce::RangedAudioParameter* parameter (const char* id) const;

    juce::AudioProcessorValueTreeState* apvts = nullptr;
    TapSnapshot taps {};
    float timelineMaxMs = 2400.0f;
    VisualizerState state;
    ActiveHud shownHud = ActiveHud::None;

    struct CurveCache
    {
        bool valid = false;
        VisualizerState state;
        Coords coords;
        bool singleTap = false;
        float scale = 0.0f;
        StrokedCurves curves;
    };
    mutable CurveCache curveCache;

    // The overlays, created in this order; overlays lists them all.
    std::unique_ptr<EqHud> eqHud;
    std::unique_ptr<DecayHud> decayHud;
    std::unique_ptr<WearHud> wearHud;
    std::unique_ptr<TapeChainHud> tapeChainHud;
    std::unique_ptr<TapeMixHud> tapeMixHud;
    std::unique_ptr<BumpHud> bumpHud;
    std::unique_ptr<FlutterHud> flutterHud;
    std::unique_ptr<WidthHud> widthHud;
    std::unique_ptr<FaderReadoutHud> mixHud, masterHud, startHud, falloffHud;
    std::unique_ptr<PitchHud> pitchHud;
    std::vector<HudOverlay*> overlays;

    AxisSliderLookAndFeel axisLookAndFeel;
    MdSlider decaySlider { MdSlider::Kind::Curve };
    MdSlider wearSlider { MdSlider::Kind::Percent };
    MdSlider falloffSlider { MdSlider::Kind::Percent };
    MdSlider lengthSlider { MdSlider::Kind::LengthExp };
    std::unique_ptr<SliderAttachment> decayAttachment, wearAttachment, falloffAttachment, lengthAttachment;

    MdButton decayModeButton { "Smooth" };
    juce::Label stepsLabel;
    DensityStrip densityStrip;

    // Interaction state.
    bool stepsDrag = false;
    int stepsDragStartY = 0;
    int stepsDragStartSteps = 4;
    bool predelayDrag = false;
    int predelayDragStartX = 0;
    float predelayDragStartValue = 0.0f;
    bool finePredelay = false;
    float finePredelayStartValue = 0.0f;
    int finePredelayStartX = 0;
    bool decayDrag = false;
    int decayDragStartY = 0;
    double decayDragStartValue = 0.0;
    bool wearDrag = false;
    int wearDragStartX = 0;
    double wearDragStartValue = 0.0;
    bool falloffDrag = false;
    float grabOffset = 0.0f;
    bool startHover = false;
    bool decayHover = false;
    bool wearHover = false;
    bool falloffHover = false;
    std::vector<juce::RangedAudioParameter*> openGestures;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VisualizerComponent)
};

namespace viz
{
// The tremolo multiplier of one stereo half (side +1 left, -1 right) for a
// tap at time t (ms): the tremolo's phase shifted by side x its offset.
float mirrorTremMul (const VisualizerComponent::VisualizerState&, float t, int side);
} // namespace viz
