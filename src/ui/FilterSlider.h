#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The echo filters' range: one strip with two handles, the high-pass corner
// and the low-pass corner, on a shared logarithmic axis from 20 Hz to 22 kHz
// (1600 Hz in the middle), the pass band between them lit. The handles never
// cross: each stops at the other's frequency. It edits no parameter itself:
// a moved handle is reported through onChange with both raw positions.
class FilterSlider : public juce::Component
{
public:
    FilterSlider();

    // Raw positions (0..1000) and their frequencies.
    static float rawToHzHp (float raw); // 20 Hz .. 4 kHz
    static float hzToRawHp (float hz);
    static float rawToHzLp (float raw); // 500 Hz .. 22 kHz
    static float hzToRawLp (float hz);

    // The frequency at an x of the track and back.
    float xToHz (float x) const;
    float hzToX (float hz) const;
    juce::Rectangle<float> getTrackBounds() const;

    // "999 Hz" below 1 kHz, "1.0 kHz" from there (999.5 Hz and up).
    static juce::String formatHz (float hz);

    // The readout of a handle ("HP 200 Hz", "LP 6.0 kHz"): the frequency the
    // filter takes, so a handle dragged past its parameter's range reads the
    // range's end.
    juce::String readoutText (bool highPass) const;

    // The handles, in the parameters' raw domain; the refresh timer sets them
    // from hp and lp while no drag is in progress.
    void setRawPositions (float hpRaw, float lpRaw);
    float getHpRaw() const noexcept { return hpRaw; }
    float getLpRaw() const noexcept { return lpRaw; }
    bool isDragging() const noexcept { return dragging; }

    void paint (juce::Graphics&) override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseMove (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;

    // Called with the grabbed handle's parameter ID.
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;
    // Called when a handle moved, with both raw positions.
    std::function<void (float hpRaw, float lpRaw)> onChange;

    // The parameter IDs the drag callbacks report.
    juce::String hpParamId;
    juce::String lpParamId;

    static constexpr float defaultHpRaw = 434.59f; // 200 Hz
    static constexpr float defaultLpRaw = 656.65f; // 6000 Hz

private:
    float hpX() const { return hzToX (juce::jlimit (20.0f, 22000.0f, rawToHzHp (hpRaw))); }
    float lpX() const { return hzToX (juce::jlimit (20.0f, 22000.0f, rawToHzLp (lpRaw))); }
    // The handle a press at x takes: the nearer one, low-pass on a tie.
    bool nearerIsHp (float x) const;
    const juce::String& grabbedId() const { return grabbedHp ? hpParamId : lpParamId; }

    float hpRaw = defaultHpRaw;
    float lpRaw = defaultLpRaw;
    bool grabbedHp = false;
    bool dragging = false;
    bool hpHover = false;
    bool lpHover = false;
    bool fineDragActive = false;
    float fineStartRaw = 0.0f;
    float fineStartX = 0.0f;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilterSlider)
};
