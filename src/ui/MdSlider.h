#pragma once

#include "params/ValueText.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The editor's slider. Its Kind decides the value text and how typed text is
// read; tempo-synced kinds can show and snap to note divisions. A click with
// the right button, ctrl or command opens a ValueEntryBox, a double-click
// restores resetValue, a command-drag moves an eighth of the range per slider
// length, and drags and hovers are reported with paramId.
class MdSlider : public juce::Slider
{
public:
    // The value-text rules of the control (see valuetext::Kind).
    using Kind = valuetext::Kind;

    explicit MdSlider (Kind kind);

    Kind getKind() const noexcept { return kind; }

    // Sets the thumb and the track colour of slider to the same colour.
    static void setColours (juce::Slider& slider, juce::Colour colour);

    // "999 ms" below a second, "1.50 s" from a second on; negatives show as 0 ms.
    static juce::String formatSmartMs (double ms);

    // Moves the value onto the nearest of the 13 note positions (0, 83.3, ..., 1000)
    // when syncMode is on, the kind is tempo-synced and a tempo is known.
    void snapToSyncNote();

    // Asks the parent to repaint the bounds grown by hoverMargin.
    void repaintHoverMargin();

    // True while the value changes by the user's hand: from a plain press to
    // its release (drags, clicks, double-clicks) and while a typed value is
    // applied; false for changes from the parameter, the host or code.
    bool isUserEditing() const noexcept { return userEditing; }

    juce::String getTextFromValue (double value) override;
    double getValueFromText (const juce::String& text) override;
    double proportionOfLengthToValue (double proportion) override;
    double valueToProportionOfLength (double value) override;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    // An arrow key's step is the user's own move, as a drag is.
    bool keyPressed (const juce::KeyPress&) override;

    std::unique_ptr<juce::AccessibilityHandler> createAccessibilityHandler() override;

    // Each is called with paramId.
    std::function<void (const juce::String&)> onParamDragStart;
    std::function<void (const juce::String&)> onParamDragEnd;
    std::function<void (const juce::String&)> onHoverEnter;
    std::function<void (const juce::String&)> onHoverExit;

    double detentCentre = 0.0; // centre of the soft detent
    double detentWidth = 0.0;  // half-width of the soft detent; 0 = none
    bool reversed = false;     // minimum at the right (horizontal) or top (vertical) end
    bool syncMode = false;     // note-division display and snapping for the synced kinds
    bool tempoKnown = false;   // whether a tempo was known when syncMode was last applied
    float displayScale = 1.0f;
    double resetValue = 0.0; // restored on double-click
    juce::String paramId;
    bool phaseMode = false; // beat-offset display and 45-step snapping (with syncMode)
    int hoverMargin = 0;

    // The value text screen readers announce, for a raw value; unset: the
    // slider's own text. The editor gives bound sliders the host's text.
    std::function<juce::String (double)> accessibleValueText;

    // The host tempo, shared by every slider; 0 or less when unknown.
    static inline float hostBpm = 0.0f;

private:
    bool isSyncKind() const noexcept;
    valuetext::Display display() const noexcept;
    void openValueEntry();
    void fineDrag (const juce::MouseEvent&);
    void applyDetentAndSnapping();

    Kind kind;
    bool fineDragActive = false;
    double fineDragStartValue = 0.0;
    float fineDragStartPos = 0.0f;
    bool gestureOpenedEntry = false;
    bool userEditing = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MdSlider)
};
