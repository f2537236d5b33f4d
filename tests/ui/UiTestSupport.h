#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

namespace uitest
{
// Mouse gestures on one component, delivered straight to its handlers as
// events of JUCE's main mouse source.
class Mouse
{
public:
    explicit Mouse (juce::Component& c)
        : target (c)
    {
    }

    void down (float x, float y, juce::ModifierKeys extra = {}, int clicks = 1)
    {
        downPos = { x, y };
        downTime = juce::Time::getCurrentTime();
        target.mouseDown (event ({ x, y }, buttons (extra), clicks, false));
    }

    void drag (float x, float y, juce::ModifierKeys extra = {})
    {
        target.mouseDrag (event ({ x, y }, buttons (extra), 1, true));
    }

    void up (float x, float y, juce::ModifierKeys extra = {}, bool dragged = false)
    {
        target.mouseUp (event ({ x, y }, extra, 1, dragged));
    }

    void click (float x, float y, juce::ModifierKeys extra = {})
    {
        down (x, y, extra);
        up (x, y, extra);
    }

    void doubleClick (float x, float y)
    {
        click (x, y);
        down (x, y, {}, 2);
        target.mouseDoubleClick (event ({ x, y }, buttons ({}), 2, false));
        up (x, y);
    }

    void move (float x, float y) { target.mouseMove (event ({ x, y }, {}, 0, false)); }
    void enter() { target.mouseEnter (event ({ 1.0f, 1.0f }, {}, 0, false)); }
    void exit() { target.mouseExit (event ({ -1.0f, -1.0f }, {}, 0, false)); }

private:
    static juce::ModifierKeys buttons (juce::ModifierKeys extra)
    {
        if (extra.isAnyMouseButtonDown())
            return extra;
        return extra.withFlags (juce::ModifierKeys::leftButtonModifier);
    }

    juce::MouseEvent event (juce::Point<float> pos, juce::ModifierKeys mods, int clicks, bool dragged) const
    {
        return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), pos, mods,
                                 juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                 juce::MouseInputSource::defaultRotation, juce::MouseInputSource::defaultTiltX,
                                 juce::MouseInputSource::defaultTiltY, &target, &target, juce::Time::getCurrentTime(),
                                 downPos, downTime, clicks, dragged);
    }

    juce::Component& target;
    juce::Point<float> downPos;
    juce::Time downTime;
};

// Mouse events delivered through the window of a component put on the
// desktop, the way the operating system delivers them: JUCE finds the
// component under the mouse, sends enter and exit, and tells mouse listeners.
// Positions are in the component's own coordinates.
class DesktopMouse
{
public:
    explicit DesktopMouse (juce::Component& c)
        : target (c)
    {
        target.setVisible (true);
        target.addToDesktop (0);
    }

    ~DesktopMouse() { target.removeFromDesktop(); }

    DesktopMouse (const DesktopMouse&) = delete;
    DesktopMouse& operator= (const DesktopMouse&) = delete;

    void move (float x, float y) { send ({ x, y }, {}); }
    void down (float x, float y) { send ({ x, y }, juce::ModifierKeys::leftButtonModifier); }
    void drag (float x, float y) { send ({ x, y }, juce::ModifierKeys::leftButtonModifier); }
    void up (float x, float y) { send ({ x, y }, {}); }

private:
    void send (juce::Point<float> pos, juce::ModifierKeys mods)
    {
        // Half a second apart, so that no two presses make a double-click.
        time = std::max (time + 500, juce::Time::currentTimeMillis());
        if (auto* peer = target.getPeer())
            peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, pos, mods,
                                    juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                    time);
    }

    juce::Component& target;
    juce::int64 time = 0;
};

inline const juce::ModifierKeys ctrl { juce::ModifierKeys::ctrlModifier };
inline const juce::ModifierKeys command { juce::ModifierKeys::commandModifier };
inline const juce::ModifierKeys rightButton { juce::ModifierKeys::rightButtonModifier };

// Largest difference of the three colour channels.
inline int colourDistance (juce::Colour a, juce::Colour b)
{
    return std::max ({ std::abs (a.getRed() - b.getRed()), std::abs (a.getGreen() - b.getGreen()),
                       std::abs (a.getBlue() - b.getBlue()) });
}

// Renders c (with its children) at 1x onto an opaque background.
inline juce::Image render (juce::Component& c, juce::Colour background = juce::Colours::black)
{
    juce::Image image (juce::Image::ARGB, std::max (c.getWidth(), 1), std::max (c.getHeight(), 1), true);
    juce::Graphics g (image);
    g.fillAll (background);
    c.paintEntireComponent (g, true);
    return image;
}

// Renders c at the given scale (thin lines become whole pixels to sample).
inline juce::Image renderScaled (juce::Component& c, float scale, juce::Colour background)
{
    const int w = juce::roundToInt (static_cast<float> (c.getWidth()) * scale);
    const int h = juce::roundToInt (static_cast<float> (c.getHeight()) * scale);
    juce::Image image (juce::Image::ARGB, std::max (w, 1), std::max (h, 1), true);
    juce::Graphics g (image);
    g.fillAll (background);
    g.addTransform (juce::AffineTransform::scale (scale));
    c.paintEntireComponent (g, true);
    return image;
}

// The pixel of the area that differs most from background (the full-coverage
// colour of text or an icon drawn there).
inline juce::Colour strongestInk (const juce::Image& image, juce::Rectangle<int> area, juce::Colour background)
{
    juce::Colour best = background;
    int bestDistance = -1;
    area = area.getIntersection (image.getBounds());
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            const int d = colourDistance (c, background);
            if (d > bestDistance)
            {
                bestDistance = d;
                best = c;
            }
        }
    return best;
}

// Draws with fn onto an opaque image of the given size.
inline juce::Image draw (int w, int h, const std::function<void (juce::Graphics&)>& fn,
                         juce::Colour background = juce::Colours::black)
{
    juce::Image image (juce::Image::ARGB, w, h, true);
    juce::Graphics g (image);
    g.fillAll (background);
    fn (g);
    return image;
}

// Bounding box of the pixels that differ from background.
inline juce::Rectangle<int> inkBounds (const juce::Image& image, juce::Colour background, int tolerance = 24)
{
    int x0 = image.getWidth(), y0 = image.getHeight(), x1 = -1, y1 = -1;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (colourDistance (image.getPixelAt (x, y), background) > tolerance)
            {
                x0 = std::min (x0, x);
                y0 = std::min (y0, y);
                x1 = std::max (x1, x);
                y1 = std::max (y1, y);
            }
    return x1 < 0 ? juce::Rectangle<int>() : juce::Rectangle<int>::leftTopRightBottom (x0, y0, x1 + 1, y1 + 1);
}

// Number of pixels of the area within tolerance of colour.
inline int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance = 12)
{
    int n = 0;
    area = area.getIntersection (image.getBounds());
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (colourDistance (image.getPixelAt (x, y), colour) <= tolerance)
                ++n;
    return n;
}

// Bounding box of the pixels of the area within tolerance of colour.
inline juce::Rectangle<int> boundsNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour,
                                        int tolerance = 12)
{
    int x0 = area.getRight(), y0 = area.getBottom(), x1 = -1, y1 = -1;
    area = area.getIntersection (image.getBounds());
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (colourDistance (image.getPixelAt (x, y), colour) <= tolerance)
            {
                x0 = std::min (x0, x);
                y0 = std::min (y0, y);
                x1 = std::max (x1, x);
                y1 = std::max (y1, y);
            }
    return x1 < 0 ? juce::Rectangle<int>() : juce::Rectangle<int>::leftTopRightBottom (x0, y0, x1 + 1, y1 + 1);
}

// Counts the repaints that reach a component: installed as its cached image,
// it is told of every area that is invalidated. The component must be visible.
struct RepaintCounter : public juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override
    {
        ++count;
        return true;
    }
    bool invalidate (const juce::Rectangle<int>&) override
    {
        ++count;
        return true;
    }
    void releaseResources() override {}
    int count = 0;
};

//==============================================================================
// Call-out boxes on the desktop (value entry opens them there).
inline std::vector<juce::CallOutBox*> openCallOuts()
{
    std::vector<juce::CallOutBox*> boxes;
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* box = dynamic_cast<juce::CallOutBox*> (desktop.getComponent (i)))
            boxes.push_back (box);
    return boxes;
}

inline void pump (int ms = 20)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

// Runs the message loop until every call-out box is gone (at most two seconds).
inline bool waitForCallOutsToClose()
{
    for (int i = 0; i < 100 && ! openCallOuts().empty(); ++i)
        pump();
    return openCallOuts().empty();
}

// The text field of the single open value-entry call-out, or nullptr.
inline juce::TextEditor* entryField()
{
    const auto boxes = openCallOuts();
    if (boxes.size() != 1 || ! boxes.front()->isVisible())
        return nullptr;
    auto* content = boxes.front()->getChildComponent (0);
    if (content == nullptr)
        return nullptr;
    return dynamic_cast<juce::TextEditor*> (content->getChildComponent (0));
}

// Types text into the open entry field and presses Return (or Escape);
// returns once the call-out box has closed and committed.
inline bool typeAndClose (const juce::String& text, bool escape = false)
{
    auto* field = entryField();
    if (field == nullptr)
        return false;
    field->setText (text, false);
    field->keyPressed (juce::KeyPress (escape ? juce::KeyPress::escapeKey : juce::KeyPress::returnKey));
    return waitForCallOutsToClose();
}
} // namespace uitest
