#include "MainControlsGallery.h"

#include "plugin/PluginEditor.h"
#include "ui/Col.h"
#include "ui/DensityStrip.h"
#include "ui/FilterSlider.h"
#include "ui/Helper.h"
#include "ui/MainControlsComponent.h"
#include "ui/MasterOutFader.h"

namespace
{
constexpr int galleryWidth = 960;
constexpr int margin = 24;
constexpr int rowWidth = 436; // the editor's inner width

juce::MouseEvent fakeMouseEvent (juce::Component& c, juce::Point<float> position)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, {}, 1.0f, 0.0f, 0.0f, 0.0f,
                             0.0f, &c, &c, now, position, now, 1, false);
}
} // namespace

MainControlsGallery::MainControlsGallery()
{
    // The synced texts need a tempo; the gallery shows them at 120 BPM.
    savedBpm = MdSlider::hostBpm;
    MdSlider::hostBpm = 120.0f;
    MassDelayAudioProcessor::setApplyDefaultPatchAtStartup (false);

    setLookAndFeel (&lookAndFeel);

    int y = margin;
    y = addFilters (y);
    y = addMainRows (y);
    y = addDensityStrips (y);
    y = addFaders (y);
    setSize (galleryWidth, y + margin);
}

MainControlsGallery::~MainControlsGallery()
{
    setLookAndFeel (nullptr);
    for (auto it = widgets.rbegin(); it != widgets.rend(); ++it)
        it->reset();
    processors.clear();
    MdSlider::hostBpm = savedBpm;
}

void MainControlsGallery::paint (juce::Graphics& g)
{
    g.fillAll (Col::bg0);
}

template <typename T, typename... Args>
T& MainControlsGallery::add (juce::Rectangle<int> bounds, Args&&... args)
{
    auto widget = std::make_unique<T> (std::forward<Args> (args)...);
    auto& ref = *widget;
    addAndMakeVisible (ref);
    ref.setBounds (bounds);
    widgets.push_back (std::move (widget));
    return ref;
}

MassDelayAudioProcessor&
MainControlsGallery::processorWith (std::initializer_list<std::pair<const char*, float>> values)
{
    processors.push_back (std::make_unique<MassDelayAudioProcessor>());
    auto& processor = *processors.back();
    for (const auto& [id, value] : values)
        if (auto* p = processor.getValueTreeState().getParameter (id))
            p->setValueNotifyingHost (p->convertTo0to1 (value));
    return processor;
}

void MainControlsGallery::caption (const juce::String& text, int x, int y, int width)
{
    auto& label = add<juce::Label> ({ x, y, width, 18 });
    Helper::styleLabel (label, text, Col::t1, 12.0f);
    label.setBorderSize ({});
}

void MainControlsGallery::note (const juce::String& text, juce::Rectangle<int> bounds)
{
    auto& label = add<juce::Label> (bounds, juce::String(), text);
    label.setFont (MdLookAndFeel::monoFont (10.0f));
    label.setColour (juce::Label::textColourId, Col::t2);
    label.setJustificationType (juce::Justification::centredLeft);
    label.setBorderSize ({});
}

//==============================================================================
int MainControlsGallery::addFilters (int y)
{
    caption ("FilterSlider: hp and lp on one axis, 20 Hz .. 1600 Hz .. 22 kHz", margin, y, 700);
    y += 26;

    struct State
    {
        const char* what;
        float hpHz, lpHz;
        int interaction; // 0 none, 1 high-pass hovered, 2 low-pass grabbed
    };
    const State states[] = {
        { "defaults: 200 Hz .. 6.0 kHz", 200.0f, 6000.0f, 0 },
        { "999 Hz .. 1.0 kHz: the handles meet", 999.0f, 1000.0f, 0 },
        { "20 Hz .. 22 kHz, the high-pass handle hovered", 20.0f, 22000.0f, 1 },
        { "80 Hz .. 12.0 kHz, the low-pass handle grabbed", 80.0f, 12000.0f, 2 },
    };
    for (const auto& s : states)
    {
        auto& filter = add<FilterSlider> ({ margin, y, rowWidth, 16 });
        filter.setRawPositions (FilterSlider::hzToRawHp (s.hpHz), FilterSlider::hzToRawLp (s.lpHz));
        if (s.interaction == 1)
            filter.mouseMove (fakeMouseEvent (filter, { filter.hzToX (s.hpHz), 8.0f }));
        if (s.interaction == 2)
            filter.mouseDown (fakeMouseEvent (filter, { filter.hzToX (s.lpHz), 8.0f }));
        note (s.what, { margin + rowWidth + 16, y, 460, 16 });
        y += 24;
    }
    return y + 14;
}

int MainControlsGallery::addMainRows (int y)
{
    caption ("MainControlsComponent: width and ping-pong row", margin, y, 700);
    y += 26;

    struct State
    {
        const char* what;
        float spread, pingPong, noMid;
        int ticks;
    };
    const State states[] = {
        { "defaults: width 0, ping pong 0%", 7.5f, 0.0f, 0.0f, 0 },
        { "width +50, ping pong 40%", 11.25f, 40.0f, 0.0f, 0 },
        { "width detent pulled, WIDEST, 100%", 15.0f, 100.0f, 0.0f, 0 },
        { "NO MID, width mono: MUTED, bright phase", 0.0f, 25.0f, 1.0f, 3 },
        { "NO MID, width mono: MUTED, dim phase", 0.0f, 25.0f, 1.0f, 1 },
        { "NO MID, width -50", 3.75f, 25.0f, 1.0f, 1 },
    };
    for (const auto& s : states)
    {
        auto& processor = processorWith ({ { "spread", s.spread }, { "ppW", s.pingPong }, { "sideOnly", s.noMid } });
        auto& row = add<MainControlsComponent> ({ margin, y, rowWidth, 24 }, processor.getValueTreeState());
        for (int i = 0; i < s.ticks; ++i)
            row.tick();
        note (s.what, { margin + rowWidth + 16, y, 460, 24 });
        y += 32;
    }
    return y + 6;
}

int MainControlsGallery::addDensityStrips (int y)
{
    caption ("DensityStrip: start and end spacings, link and 4X (the bottom of the visualizer)", margin, y, 800);
    y += 26;

    struct State
    {
        const char* what;
        float start, end;
        bool link, times4, sync;
    };
    const State states[] = {
        { "free: 30 ms .. 301 ms", 320.0f, 537.0f, false, false, false },
        { "4X and link on: 120 ms .. 1204 ms", 320.0f, 537.0f, true, true, false },
        { "tap sync at 120 BPM, link on", 250.0f, 583.33f, true, false, true },
        { "tap sync, longest and shortest", 1000.0f, 0.0f, false, false, true },
    };
    for (const auto& s : states)
    {
        auto& strip = add<DensityStrip> ({ margin, y, rowWidth, 40 });
        strip.getStartSlider().setValue (s.start, juce::dontSendNotification);
        strip.getEndSlider().setValue (s.end, juce::dontSendNotification);
        strip.getLinkButton().setToggleState (s.link, juce::dontSendNotification);
        strip.getRangeButton().setToggleState (s.times4, juce::dontSendNotification);
        for (auto* slider : { &strip.getStartSlider(), &strip.getEndSlider() })
        {
            slider->syncMode = s.sync;
            slider->tempoKnown = true;
            slider->displayScale = s.times4 ? 4.0f : 1.0f;
        }
        strip.setStartEndValues (MassDelayAudioProcessorEditor::densityValueText (s.start, s.sync, s.times4),
                                 MassDelayAudioProcessorEditor::densityValueText (s.end, s.sync, s.times4));
        note (s.what, { margin + rowWidth + 16, y, 460, 40 });
        y += 48;
    }
    return y + 6;
}

int MainControlsGallery::addFaders (int y)
{
    caption ("MasterOutFader: meter -60 .. +6 dB (green, warning from -12 dB, red from -3 dB), ticks at +6, 0, -60 dB",
             margin, y, 900);
    y += 26;

    struct State
    {
        const char* what;
        float level; // linear peak
        float master;
    };
    const State states[] = {
        { "silence", 0.0f, 0.0f },    { "-40 dB", 0.01f, 0.0f },    { "-12 dB", 0.2512f, 0.0f },
        { "-3 dB", 0.7079f, 0.0f },   { "0 dB", 1.0f, 0.0f },       { "+6 dB", 2.0f, 0.0f },
        { "mout -60", 0.5f, -60.0f }, { "mout -12", 0.5f, -12.0f }, { "mout +6", 0.5f, 6.0f },
    };
    int x = margin + 8;
    for (const auto& s : states)
    {
        auto& processor = processorWith ({ { "mout", s.master } });
        const float level = s.level;
        auto& fader = add<MasterOutFader> ({ x, y, 22, 101 }, processor.getValueTreeState(), [level] { return level; });
        fader.tick();
        auto& label = add<juce::Label> (juce::Rectangle<int> { x - 20, y + 106, 62, 14 }, juce::String(), s.what);
        label.setFont (MdLookAndFeel::monoFont (9.0f));
        label.setColour (juce::Label::textColourId, Col::t2);
        label.setJustificationType (juce::Justification::centred);
        label.setBorderSize ({});
        x += 72;
    }
    return y + 126;
}
