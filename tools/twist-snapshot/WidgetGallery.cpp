#include "WidgetGallery.h"

#include "ui/ButtonGrid.h"
#include "ui/ClickableLabel.h"
#include "ui/CloseButton.h"
#include "ui/Col.h"
#include "ui/Helper.h"
#include "ui/IconPainters.h"
#include "ui/MdButton.h"
#include "ui/MdSlider.h"
#include "ui/TapCountBox.h"
#include "ui/ValueEntryBox.h"

#include <array>

namespace
{
constexpr int galleryWidth = 1240;
constexpr int margin = 24;

using Accent = MdButton::Accent;

// clang-format off
const std::array<std::pair<const char*, juce::Colour>, 37> palette { {
    { "bg0", Col::bg0 },         { "bg1", Col::bg1 },         { "bg2", Col::bg2 },
    { "bg3", Col::bg3 },         { "bgSunken", Col::bgSunken }, { "b0", Col::b0 },
    { "b1", Col::b1 },           { "b2", Col::b2 },           { "t0", Col::t0 },
    { "t1", Col::t1 },           { "t2", Col::t2 },           { "am", Col::am },
    { "pu", Col::pu },           { "te", Col::te },           { "co", Col::co },
    { "bl", Col::bl },           { "wearRust", Col::wearRust }, { "mg", Col::mg },
    { "ax", Col::ax },           { "axFill", Col::axFill },   { "dw", Col::dw },
    { "meterGreen", Col::meterGreen }, { "am_bg", Col::am_bg }, { "am_br", Col::am_br },
    { "pu_bg", Col::pu_bg },     { "pu_br", Col::pu_br },     { "te_bg", Col::te_bg },
    { "te_br", Col::te_br },     { "co_bg", Col::co_bg },     { "co_br", Col::co_br },
    { "bl_bg", Col::bl_bg },     { "bl_br", Col::bl_br },     { "mg_bg", Col::mg_bg },
    { "mg_br", Col::mg_br },     { "twistBg", Col::twistBg }, { "twistField", Col::twistField },
    { "twistGlow", Col::twistGlow },
} };

const char* const accentNames[] = { "none", "am", "pu", "te", "co", "bl", "mg" };

// Paints with a function: palette swatches, icons and menu samples.
struct Painted : public juce::Component
{
    explicit Painted (std::function<void (juce::Graphics&, juce::Rectangle<float>)> fn)
        : paintFn (std::move (fn))
    {
        setInterceptsMouseClicks (false, false);
    }

    void paint (juce::Graphics& g) override { paintFn (g, getLocalBounds().toFloat()); }

    std::function<void (juce::Graphics&, juce::Rectangle<float>)> paintFn;
};
// clang-format on

juce::MouseEvent fakeMouseEvent (juce::Component& c)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), { 1.0f, 1.0f }, {}, 1.0f, 0.0f, 0.0f,
                             0.0f, 0.0f, &c, &c, now, { 1.0f, 1.0f }, now, 1, false);
}

void setButtonState (MdButton& b, bool on, juce::Button::ButtonState state)
{
    b.setToggleState (on, juce::dontSendNotification);
    b.setState (state);
}
} // namespace

// Draws linear sliders as if the mouse were over them.
struct WidgetGallery::HighlightedSliderLook : public MdLookAndFeel
{
    void drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height, float sliderPos, float, float,
                           juce::Slider::SliderStyle style, juce::Slider& slider) override
    {
        paintLinearSlider (g, x, y, width, height, sliderPos, style, slider, true);
    }
};

//==============================================================================
WidgetGallery::WidgetGallery()
    : highlightedSliderLook (std::make_unique<HighlightedSliderLook>())
{
    // The sync texts need a tempo; the gallery shows them at 120 BPM.
    savedBpm = MdSlider::hostBpm;
    MdSlider::hostBpm = 120.0f;

    setLookAndFeel (&lookAndFeel);

    int y = margin;
    y = addPalette (y);
    y = addButtons (y);
    y = addChrome (y);
    y = addSliders (y);
    y = addIcons (y);
    y = addSmallWidgets (y);
    setSize (galleryWidth, y + margin);

    // The call-out box places itself inside its parent's bounds, known only now.
    if (auto* target = valueEntryCallOut->getParentComponent())
        valueEntryCallOut->updatePosition (valueEntryTarget, target->getLocalBounds());
}

WidgetGallery::~WidgetGallery()
{
    ValueEntryBox::dismissAll (this);
    setLookAndFeel (nullptr);
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it)
        it->reset();
    MdSlider::hostBpm = savedBpm;
}

void WidgetGallery::paint (juce::Graphics& g)
{
    g.fillAll (Col::bg0);
}

template <typename T, typename... Args>
T& WidgetGallery::add (juce::Rectangle<int> bounds, Args&&... args)
{
    auto widget = std::make_unique<T> (std::forward<Args> (args)...);
    auto& ref = *widget;
    addAndMakeVisible (ref);
    ref.setBounds (bounds);
    widgets.push_back (std::move (widget));
    return ref;
}

void WidgetGallery::caption (const juce::String& text, int x, int y, int width)
{
    auto& label = add<juce::Label> ({ x, y, width, 18 });
    Helper::styleLabel (label, text, Col::t1, 12.0f);
    label.setBorderSize ({});
}

void WidgetGallery::note (const juce::String& text, juce::Rectangle<int> bounds, juce::Justification justification)
{
    auto& label = add<juce::Label> (bounds, juce::String(), text);
    label.setFont (MdLookAndFeel::monoFont (10.0f));
    label.setColour (juce::Label::textColourId, Col::t2);
    label.setJustificationType (justification);
    label.setBorderSize ({});
}

//==============================================================================
int WidgetGallery::addPalette (int y)
{
    caption ("Palette", margin, y);
    y += 26;

    constexpr int columns = 8, cellW = 149, cellH = 30;
    for (size_t i = 0; i < palette.size(); ++i)
    {
        const int col = static_cast<int> (i) % columns;
        const int row = static_cast<int> (i) / columns;
        const auto [name, colour] = palette[i];
        const juce::String label (name);
        add<Painted> ({ margin + col * cellW, y + row * cellH, cellW - 6, cellH - 6 },
                      [label, colour = colour] (juce::Graphics& g, juce::Rectangle<float> r) {
                          auto swatch = r.removeFromLeft (r.getHeight());
                          g.setColour (colour);
                          g.fillRoundedRectangle (swatch, 3.0f);
                          g.setColour (Col::b1);
                          g.drawRoundedRectangle (swatch.reduced (0.5f), 3.0f, 1.0f);
                          g.setColour (Col::t1);
                          g.setFont (MdLookAndFeel::monoFont (10.0f));
                          g.drawText (label, r.withTrimmedLeft (6.0f).withTrimmedBottom (r.getHeight() / 2.0f),
                                      juce::Justification::bottomLeft, false);
                          g.setColour (Col::t2);
                          g.drawText (colour.toDisplayString (true).toLowerCase(),
                                      r.withTrimmedLeft (6.0f).withTrimmedTop (r.getHeight() / 2.0f),
                                      juce::Justification::topLeft, false);
                      });
    }
    return y + ((static_cast<int> (palette.size()) + columns - 1) / columns) * cellH + 14;
}

int WidgetGallery::addButtons (int y)
{
    caption ("MdButton: plain style, every accent and state", margin, y, 600);
    y += 24;

    struct Column
    {
        const char* title;
        bool on;
        juce::Button::ButtonState state;
        bool subtle;
    };
    const Column columns[] = {
        { "off", false, juce::Button::buttonNormal, false },
        { "hovered", false, juce::Button::buttonOver, false },
        { "pressed", false, juce::Button::buttonDown, false },
        { "subtle hover", false, juce::Button::buttonOver, true },
        { "on", true, juce::Button::buttonNormal, false },
        { "on hovered", true, juce::Button::buttonOver, false },
        { "on pressed", true, juce::Button::buttonDown, false },
    };

    constexpr int labelW = 60, cellW = 104, buttonW = 90, rowH = 30;
    for (int c = 0; c < 7; ++c)
        note (columns[c].title, { margin + labelW + c * cellW, y, buttonW, 14 }, juce::Justification::centred);
    note ("icon + text", { margin + labelW + 7 * cellW, y, buttonW, 14 }, juce::Justification::centred);
    note ("icon only: off / hover / on", { margin + labelW + 8 * cellW, y, 180, 14 }, juce::Justification::centredLeft);
    y += 18;

    for (int a = 0; a <= 6; ++a)
    {
        const auto accent = static_cast<Accent> (a);
        const int rowY = y + a * rowH;
        note (accentNames[a], { margin, rowY, labelW, 22 });

        for (int c = 0; c < 7; ++c)
        {
            auto& b = add<MdButton> ({ margin + labelW + c * cellW, rowY, buttonW, 22 }, "Smooth", accent);
            b.subtleHover = columns[c].subtle;
            setButtonState (b, columns[c].on, columns[c].state);
        }

        auto& withIcon = add<MdButton> ({ margin + labelW + 7 * cellW, rowY, buttonW, 22 }, "SYNC", accent);
        withIcon.iconPainter = &IconPainters::sync;
        setButtonState (withIcon, a % 2 == 1, juce::Button::buttonNormal);

        const juce::Button::ButtonState iconStates[] = { juce::Button::buttonNormal, juce::Button::buttonOver,
                                                         juce::Button::buttonNormal };
        for (int i = 0; i < 3; ++i)
        {
            auto& icon = add<MdButton> ({ margin + labelW + 8 * cellW + i * 30, rowY, 22, 22 }, "hidden", accent);
            icon.iconOnly = true;
            icon.iconPainter = &IconPainters::lock;
            setButtonState (icon, i == 2, iconStates[i]);
        }
    }
    y += 7 * rowH + 8;

    // Variations of one button.
    note ("custom colours, off / on", { margin, y, 200, 14 });
    note ("alignLeft icon + text", { margin + 230, y, 180, 14 });
    note ("path icon", { margin + 430, y, 100, 14 });
    note ("corner 0 / 11, font 13", { margin + 560, y, 200, 14 });
    y += 18;

    for (int i = 0; i < 2; ++i)
    {
        auto& custom = add<MdButton> ({ margin + i * 100, y, 90, 24 }, "CUSTOM", Accent::am);
        custom.setCustomColors (juce::Colour (0xff202a3a), juce::Colour (0xff5a7db0), juce::Colour (0xffa8d0ff));
        setButtonState (custom, i == 1, juce::Button::buttonNormal);
    }

    auto& left = add<MdButton> ({ margin + 230, y, 170, 24 }, "Dynamic Smoothing", Accent::te);
    left.iconPainter = &IconPainters::twistRev;
    left.alignLeft = true;
    setButtonState (left, true, juce::Button::buttonNormal);

    auto& path = add<MdButton> ({ margin + 430, y, 100, 24 }, "PLAY", Accent::bl);
    path.icon.addTriangle (0.0f, 0.0f, 10.0f, 6.0f, 0.0f, 12.0f);
    setButtonState (path, true, juce::Button::buttonNormal);

    for (int i = 0; i < 2; ++i)
    {
        auto& shape = add<MdButton> ({ margin + 560 + i * 110, y, 100, 26 }, i == 0 ? "SQUARE" : "PILL", Accent::co);
        shape.cornerRadius = i == 0 ? 0.0f : 11.0f;
        shape.fontSize = 13.0f;
        setButtonState (shape, i == 1, juce::Button::buttonNormal);
    }
    return y + 26 + 18;
}

int WidgetGallery::addChrome (int y)
{
    caption ("ButtonGrid: chrome main buttons (436 px, 109 px slots)", margin, y, 600);
    y += 24;

    struct Row
    {
        const char* title;
        bool on;
        juce::Button::ButtonState state;
    };
    const Row rows[] = { { "off", false, juce::Button::buttonNormal },
                         { "on", true, juce::Button::buttonNormal },
                         { "hovered", false, juce::Button::buttonOver },
                         { "on hovered", true, juce::Button::buttonOver },
                         { "pressed", false, juce::Button::buttonDown } };

    constexpr int labelW = 80, gridW = 436, gridH = 30, rowH = 38;
    for (int r = 0; r < 5; ++r)
    {
        const int column = r % 2;
        const int rowY = y + (r / 2) * rowH;
        const int x = margin + column * (labelW + gridW + 40);
        note (rows[r].title, { x, rowY, labelW, gridH });

        auto& grid = add<ButtonGrid> ({ x + labelW, rowY, gridW, gridH });
        grid.setButtons ({ ButtonGrid::Config { "TAP SYNC", {}, &IconPainters::sync, Accent::am, "mu", {} },
                           ButtonGrid::Config { "TAP-FLIP", {}, &IconPainters::flip, Accent::am, "flipped", {} },
                           ButtonGrid::Config { "TWIST-REV", {}, &IconPainters::twistRev, Accent::am, "rev", {} },
                           ButtonGrid::Config { "RAND", {}, &IconPainters::dice, Accent::am, {}, {} } });
        const auto buttons = grid.getButtons();
        for (auto* b : buttons)
        {
            b->chrome = true;
            setButtonState (*b, rows[r].on && b->paramId.isNotEmpty(), rows[r].state);
        }
        buttons[0]->bold = true;
        buttons[3]->alignLeft = true;
    }
    return y + 3 * rowH + 10;
}

int WidgetGallery::addSliders (int y)
{
    using Kind = MdSlider::Kind;
    caption ("MdSlider: every kind with a value", margin, y, 600);
    y += 24;

    struct SliderRow
    {
        const char* name;
        Kind kind;
        double min, max, value;
        float displayScale;
    };
    const SliderRow rows[] = {
        { "Ms", Kind::Ms, 0.0, 2000.0, 250.0, 1.0f },
        { "Hz", Kind::Hz, 20.0, 20000.0, 2500.0, 1.0f },
        { "PercentPlain", Kind::PercentPlain, 0.0, 100.0, 35.0, 1.0f },
        { "Percent (x100)", Kind::Percent, 0.0, 1.0, 0.42, 100.0f },
        { "Integer", Kind::Integer, 1.0, 64.0, 16.0, 1.0f },
        { "Decimal", Kind::Decimal, 0.0, 1.0, 0.5, 1.0f },
        { "LengthExp", Kind::LengthExp, 0.0, 1000.0, 780.0, 1.0f },
        { "DelayTime", Kind::DelayTime, 0.0, 1000.0, 650.0, 1.0f },
        { "LfoRate", Kind::LfoRate, 0.0, 1000.0, 500.0, 1.0f },
        { "Curve", Kind::Curve, -100.0, 300.0, 250.0, 1.0f },
        { "Cents", Kind::Cents, -1200.0, 1200.0, -350.0, 1.0f },
        { "SlowRate", Kind::SlowRate, 0.0, 1000.0, 500.0, 1.0f },
        { "Decibels", Kind::Decibels, 0.0, 100.0, 50.0, 1.0f },
        { "Width", Kind::Width, 0.0, 15.0, 11.25, 1.0f },
    };
    const juce::Colour accents[] = { Col::am, Col::pu, Col::te, Col::co, Col::bl, Col::mg, Col::wearRust };

    constexpr int nameW = 104, sliderW = 180, valueW = 80, rowH = 26, columnW = nameW + sliderW + valueW + 36;
    const auto addRow = [&] (int column, int row, const juce::String& name, MdSlider& slider) {
        const int x = margin + column * columnW;
        const int rowY = y + row * rowH;
        note (name, { x, rowY, nameW, 20 });
        slider.setBounds (x + nameW, rowY, sliderW, 20);
        auto& value = add<juce::Label> ({ x + nameW + sliderW + 6, rowY, valueW, 20 }, juce::String(),
                                        slider.getTextFromValue (slider.getValue()));
        value.setFont (MdLookAndFeel::monoFont (11.0f));
        value.setColour (juce::Label::textColourId, Col::t0);
        value.setBorderSize ({});
    };

    for (int i = 0; i < 14; ++i)
    {
        const auto& r = rows[i];
        auto& slider = add<MdSlider> ({}, r.kind);
        slider.setRange (r.min, r.max, 0.0);
        slider.displayScale = r.displayScale;
        slider.setValue (r.value, juce::dontSendNotification);
        MdSlider::setColours (slider, accents[i % 7]);
        addRow (i / 7, i % 7, r.name, slider);
    }

    // Third column: sync and phase texts, special travel and looks.
    struct Special
    {
        const char* name;
        Kind kind;
        double min, max, value;
        bool sync, phase, reversed, transparentThumb, highlighted;
    };
    const Special specials[] = {
        { "DelayTime sync", Kind::DelayTime, 0.0, 1000.0, 1000.0 * 7.0 / 12.0, true, false, false, false, false },
        { "LfoRate sync", Kind::LfoRate, 0.0, 1000.0, 1000.0 * 5.0 / 12.0, true, false, false, false, false },
        { "SlowRate sync", Kind::SlowRate, 0.0, 1000.0, 1000.0, true, false, false, false, false },
        { "phase 135", Kind::Integer, 0.0, 360.0, 135.0, true, true, false, false, false },
        { "reversed 25%", Kind::Percent, 0.0, 100.0, 25.0, false, false, true, false, false },
        { "no thumb", Kind::Percent, 0.0, 100.0, 60.0, false, false, false, true, false },
        { "hovered", Kind::Percent, 0.0, 100.0, 70.0, false, false, false, false, true },
    };
    for (int i = 0; i < 7; ++i)
    {
        const auto& s = specials[i];
        auto& slider = add<MdSlider> ({}, s.kind);
        slider.setRange (s.min, s.max, 0.0);
        slider.syncMode = s.sync;
        slider.phaseMode = s.phase;
        slider.reversed = s.reversed;
        slider.setValue (s.value, juce::dontSendNotification);
        MdSlider::setColours (slider, s.reversed ? Col::wearRust : Col::te);
        if (s.transparentThumb)
            slider.setColour (juce::Slider::thumbColourId, juce::Colours::transparentBlack);
        if (s.highlighted)
            slider.setLookAndFeel (highlightedSliderLook.get());
        addRow (2, i, s.name, slider);
    }
    y += 7 * rowH + 6;

    // Vertical sliders: plain, transparent thumb (still drawn), hovered.
    note ("vertical: plain / no thumb colour / hovered / reversed", { margin, y, 420, 14 });
    y += 18;
    for (int i = 0; i < 4; ++i)
    {
        auto& slider = add<MdSlider> ({ margin + 20 + i * 60, y, 22, 110 }, Kind::Decimal);
        slider.setSliderStyle (juce::Slider::LinearVertical);
        slider.setRange (0.0, 1.0, 0.0);
        slider.setValue (0.3 + 0.15 * i, juce::dontSendNotification);
        MdSlider::setColours (slider, Col::bl);
        if (i == 1)
            slider.setColour (juce::Slider::thumbColourId, juce::Colours::transparentBlack);
        if (i == 2)
            slider.setLookAndFeel (highlightedSliderLook.get());
        if (i == 3)
            slider.reversed = true;
    }

    // A value being typed: the entry box in its call-out, over a slider.
    auto& target = add<MdSlider> ({ margin + 330, y + 4, 220, 20 }, Kind::DelayTime);
    target.setRange (0.0, 1000.0, 1.0);
    target.setValue (855.0, juce::dontSendNotification);
    MdSlider::setColours (target, Col::am);
    valueEntryTarget = target.getBounds();
    note ("value entry (right-click)", { margin + 330, y + 104, 220, 14 });

    auto entry =
        std::make_unique<ValueEntryBox> (target.getTextFromValue (target.getValue()), ValueEntryBox::CommitFn());
    auto callOut = std::make_unique<juce::CallOutBox> (*entry, target.getBounds(), this);
    valueEntryCallOut = callOut.get();
    widgets.push_back (std::move (entry));
    widgets.push_back (std::move (callOut));

    // Scroll bars and a popup menu, drawn by the look-and-feel.
    auto& vbar = add<juce::ScrollBar> ({ margin + 640, y, 10, 110 }, true);
    vbar.setRangeLimits (0.0, 100.0);
    vbar.setCurrentRange (20.0, 30.0);
    auto& hbar = add<juce::ScrollBar> ({ margin + 670, y + 100, 160, 10 }, false);
    hbar.setRangeLimits (0.0, 100.0);
    hbar.setCurrentRange (50.0, 25.0);
    note ("scroll bars", { margin + 670, y + 80, 160, 14 });

    add<Painted> ({ margin + 870, y, 180, 110 }, [this] (juce::Graphics& g, juce::Rectangle<float> r) {
        const int w = juce::roundToInt (r.getWidth()), h = juce::roundToInt (r.getHeight());
        lookAndFeel.drawPopupMenuBackground (g, w, h);
        const char* const items[] = { "Load preset", "Save preset", "Set as default", "Show folder" };
        for (int i = 0; i < 4; ++i)
            lookAndFeel.drawPopupMenuItem (g, { 2, 4 + i * 25, w - 4, 24 }, false, true, i == 1, i == 2, false,
                                           items[i], {}, nullptr, nullptr);
    });
    note ("popup menu", { margin + 1060, y, 100, 14 });

    return y + 110 + 18;
}

int WidgetGallery::addIcons (int y)
{
    caption ("IconPainters at 10, 14, 20, 28 and 40 px; a wide area keeps the ratio", margin, y, 800);
    y += 24;

    using Painter = float (*) (juce::Graphics&, juce::Rectangle<float>, juce::Colour);
    const std::pair<const char*, Painter> icons[] = { { "sync", &IconPainters::sync },
                                                      { "flip", &IconPainters::flip },
                                                      { "twistRev", &IconPainters::twistRev },
                                                      { "dice", &IconPainters::dice },
                                                      { "lock", &IconPainters::lock } };
    const int sizes[] = { 10, 14, 20, 28, 40 };

    for (int i = 0; i < 5; ++i)
    {
        const int x = margin + i * 236;
        note (icons[i].first, { x, y, 100, 14 });
        int ix = x;
        for (const int size : sizes)
        {
            add<Painted> ({ ix, y + 18 + (40 - size), size, size },
                          [paint = icons[i].second, i] (juce::Graphics& g, juce::Rectangle<float> r) {
                              paint (g, r, i % 2 == 0 ? Col::t1 : Col::am);
                          });
            ix += size + 8;
        }
        // A 60 x 20 area, outlined: the icon is centred at the height's scale.
        add<Painted> ({ x, y + 64, 60, 20 }, [paint = icons[i].second] (juce::Graphics& g, juce::Rectangle<float> r) {
            g.setColour (Col::b2);
            g.drawRect (r, 1.0f);
            paint (g, r, Col::te);
        });
        auto& widthNote = add<juce::Label> ({ x + 66, y + 64, 120, 20 }, juce::String());
        juce::Image scratch (juce::Image::ARGB, 1, 1, true);
        juce::Graphics sg (scratch);
        widthNote.setText ("returns " + juce::String (icons[i].second (sg, { 0.0f, 0.0f, 60.0f, 20.0f }, Col::te), 1),
                           juce::dontSendNotification);
        widthNote.setFont (MdLookAndFeel::monoFont (10.0f));
        widthNote.setColour (juce::Label::textColourId, Col::t2);
        widthNote.setBorderSize ({});
    }
    return y + 64 + 20 + 18;
}

int WidgetGallery::addSmallWidgets (int y)
{
    caption ("Tap count box, close buttons, clickable label, text buttons, captions", margin, y, 800);
    y += 24;

    auto& taps = add<TapCountBox> ({ margin, y, 120, 22 });
    taps.setRange (1, 64);
    taps.setValue (64);

    auto& closeX = add<CloseButton> ({ margin + 150, y + 4, 14, 14 });
    juce::ignoreUnused (closeX);
    auto& closeXHovered = add<CloseButton> ({ margin + 180, y + 4, 14, 14 });
    closeXHovered.mouseEnter (fakeMouseEvent (closeXHovered));
    auto& closeText = add<CloseButton> ({ margin + 220, y, 70, 22 }, "CLOSE");
    juce::ignoreUnused (closeText);
    auto& closeTextHovered = add<CloseButton> ({ margin + 300, y, 70, 22 }, "CLOSE");
    closeTextHovered.mouseEnter (fakeMouseEvent (closeTextHovered));

    auto& link = add<ClickableLabel> ({ margin + 400, y, 200, 22 }, "link", "Show presets folder");
    link.setFont (MdLookAndFeel::monoFont (11.0f));
    link.setColour (juce::Label::textColourId, Col::bl);

    for (int i = 0; i < 2; ++i)
    {
        auto& tb = add<juce::TextButton> ({ margin + 620 + i * 100, y, 90, 22 }, i == 0 ? "Cancel" : "Save");
        tb.setClickingTogglesState (true);
        tb.setToggleState (i == 1, juce::dontSendNotification);
    }

    auto& styled = add<juce::Label> ({ margin + 830, y, 200, 22 });
    Helper::styleLabel (styled, "tape wear", Col::co, 11.0f);

    return y + 22;
}
