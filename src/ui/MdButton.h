#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// The editor's button: accent colours, an optional icon (a path or a painter
// function) and three styles: plain (rounded body with text and/or icon),
// iconOnly (just the icon) and chrome (the main buttons' metal look).
class MdButton : public juce::Button
{
public:
    enum class Accent
    {
        none = 0,
        am = 1,
        pu = 2,
        te = 3,
        co = 4,
        bl = 5,
        mg = 6
    };

    using IconPainter = std::function<float (juce::Graphics&, juce::Rectangle<float>, juce::Colour)>;

    MdButton (const juce::String& buttonText, Accent accent = Accent::none);

    // Background tint, border tint and accent colour of an accent; none and
    // unknown accents give Col::bg1, Col::b1 and Col::t1.
    struct AccentColours
    {
        juce::Colour background, border, accent;
    };
    static AccentColours getAccentColours (Accent);
    static juce::Colour getAccentColour (Accent);

    // Replaces the accent's three colours (iconOnly buttons keep the accent).
    void setCustomColors (juce::Colour background, juce::Colour border, juce::Colour textColour);
    void clearCustomColors();

    void paintButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void paintChromeButton (juce::Graphics&, bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown);

    juce::Path icon; // in its own coordinates from the origin; fitted to the icon square
    IconPainter iconPainter;
    juce::String paramId;
    Accent accent = Accent::none;
    bool iconOnly = false;
    float cornerRadius = 6.0f;
    bool subtleHover = false;
    bool alignLeft = false;
    bool chrome = false;
    bool bold = false;
    float fontSize = 0.0f; // 0 = 10

private:
    bool hasIcon() const;
    void drawIcon (juce::Graphics&, juce::Rectangle<float> area, juce::Colour) const;
    juce::Font textFont() const;

    bool useCustomColours = false;
    juce::Colour customBackground, customBorder, customText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MdButton)
};
