#pragma once

#include "ui/Col.h"
#include "ui/MdButton.h"
#include "ui/MdModeSwitch.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The four colours of an effect section.
struct AccordionColors
{
    juce::Colour accent; // border, and the power button while the effect is off
    juce::Colour shade;  // the power button's background at construction
    juce::Colour light;  // title text and arrow
    juce::Colour spare;  // kept with the others; the section does not use it
};

// A collapsible effect section: a 24 px header with a power button, the
// title, optional SYNC, WIDE and 2X buttons or a mode switch, and an arrow;
// below it the effect's control body, which slides open and shut in 200 ms.
// A press on the header (outside its buttons) opens or closes it. Message
// thread only.
class AccordionComponent : public juce::Component, private juce::Timer
{
public:
    static constexpr int headerHeight = 24;
    static constexpr juce::uint32 animationMs = 200;

    // Told whenever the body's height changes (every animation step too).
    struct HeightListener
    {
        virtual ~HeightListener() = default;
        virtual void accordionHeightChanged (AccordionComponent*) = 0;
    };

    AccordionComponent (const juce::String& title, AccordionColors colours, MdButton::Accent accent);
    ~AccordionComponent() override;

    // Replaces the body (the old one is deleted).
    void setBody (std::unique_ptr<juce::Component> newBody);
    juce::Component* getBody() const noexcept { return body.get(); }

    // The effect's on/off look; follows the power button.
    void setUnitActive (bool active);
    bool isUnitActive() const noexcept { return unitActive; }

    // Opens or closes the body: at once while the section has no parent,
    // otherwise with the 200 ms animation.
    void setExpanded (bool shouldBeExpanded);
    bool isExpanded() const noexcept { return expanded; }

    // Starts an animation of the body height from one height to another.
    void startAnimation (int from, int to);
    // Gives the body the height h and tells the listener.
    void applyAnimationHeight (int h);
    // One animation step at the time nowMs (of the millisecond counter);
    // the timer calls it with the current time.
    void advanceAnimation (juce::uint32 nowMs);
    // Jumps a running animation to its end (for renderers without a
    // message loop).
    void finishAnimation();
    bool isAnimating() const noexcept { return animating; }
    juce::uint32 getAnimationStartMs() const noexcept { return animStartMs; }

    const juce::String& getTitle() const noexcept { return title; }
    MdButton::Accent getAccent() const noexcept { return accent; }
    const AccordionColors& getColours() const noexcept { return colours; }
    int getBodyHeight() const noexcept { return bodyHeight; }
    int getCurrentHeight() const noexcept { return currentHeight; }
    bool isHovered() const noexcept { return hovered; }

    void setBodyHeight (int h) { bodyHeight = h; }
    void setHeightListener (HeightListener* l) noexcept { heightListener = l; }

    MdButton& getPowerButton() noexcept { return powerButton; }
    MdButton& getSyncButton() noexcept { return syncButton; }
    MdButton& getWideButton() noexcept { return wideButton; }
    MdButton& get2xButton() noexcept { return twoXButton; }
    MdModeSwitch& getModeSwitch() noexcept { return modeSwitch; }
    juce::Label& getTitleLabel() noexcept { return titleLabel; }

    // Which header extras the owner shows; they take part in the layout and
    // are made visible (or hidden) with it.
    void setShowSync (bool show);
    void setShowWide (bool show);
    void setShow2x (bool show);
    void setShowModeSwitch (bool show);

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;

private:
    void timerCallback() override;
    void setBodyBounds();
    void notifyHeight();
    void applyUnitLook();

    juce::String title;
    MdButton::Accent accent;
    AccordionColors colours;

    MdButton powerButton;
    MdButton syncButton { "SYNC", MdButton::Accent::am };
    MdButton wideButton { "WIDE", MdButton::Accent::am };
    MdButton twoXButton { "2X", MdButton::Accent::am };
    MdModeSwitch modeSwitch { "TAPE", "OD", Col::co };
    bool showSync = false, showWide = false, show2x = false, showModeSwitch = false;

    juce::Label titleLabel;
    std::unique_ptr<juce::Component> body;
    int bodyHeight = 0;
    int currentHeight = 0;
    bool expanded = false;
    bool unitActive = false;
    bool hovered = false;
    HeightListener* heightListener = nullptr;

    bool animating = false;
    int animFrom = 0, animTo = 0;
    juce::uint32 animStartMs = 0;

    juce::Path arrowDown, arrowUp;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AccordionComponent)
};
