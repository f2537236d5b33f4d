#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

// The zoom scales the whole editor: the window a host sees (the editor's
// bounds in its parent) grows with the zoom and the host's scale, and the
// drawing stays vector-sharp at the larger size.
namespace
{
// A processor whose sections open collapsed, and its editor inside a parent
// the way a plug-in wrapper holds it.
struct ZoomFixture
{
    ZoomFixture()
    {
        for (const auto* title : { "TAPE", "PITCH / CHORUS", "WAVE", "TREMOLO" })
            processor.getAccordionLayout().setExpanded (title, false);
        editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
        holder.addAndMakeVisible (*editor);
    }

    ~ZoomFixture()
    {
        editor.reset();
        presets::setZoomPercent (100, presets::defaultSettingsFile());
    }

    juce::Rectangle<int> window() const { return editor->getBoundsInParent(); }

    MassDelayAudioProcessor processor;
    juce::Component holder;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};

struct ZoomCase
{
    const char* what;
    float hostScale;
    int zoom;
};

class EditorZoomSteps : public ::testing::TestWithParam<ZoomCase>
{};
} // namespace

TEST_P (EditorZoomSteps, TheWindowIs460TimesTheScaleWideAndTheHeightRuleScales)
{
    const auto& c = GetParam();
    ZoomFixture f;
    const int layoutHeight = f.editor->getHeight();
    ASSERT_LT (layoutHeight, MassDelayAudioProcessorEditor::maxHeight); // every section closed

    if (c.hostScale != 1.0f)
        f.editor->setScaleFactor (c.hostScale);
    f.editor->setZoomPercent (c.zoom);

    const float scale = c.hostScale * static_cast<float> (c.zoom) / 100.0f;
    EXPECT_FLOAT_EQ (f.editor->getEffectiveScale(), scale);
    // The host's window holds the scaled layout: whole pixels, rounded up.
    const auto pixels = [scale] (int layout) {
        return static_cast<int> (std::ceil (static_cast<float> (layout) * scale - 1.0e-3f));
    };
    EXPECT_EQ (f.window().getWidth(), pixels (460));
    // The height rule, capped where the window would leave the screen's work area.
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    const int tallest = MassDelayAudioProcessorEditor::tallestHeightFor (display->userArea, scale);
    EXPECT_EQ (f.window().getHeight(), pixels (std::min (layoutHeight, tallest)));
    // The layout itself keeps its 460 pixels: nothing is laid out anew.
    EXPECT_EQ (f.editor->getWidth(), 460);
    EXPECT_EQ (f.editor->getMixSlider().getBounds(), juce::Rectangle<int> (397, 73, 22, 101));
}

INSTANTIATE_TEST_SUITE_P (Steps, EditorZoomSteps,
                          ::testing::Values (ZoomCase { "zoom 100", 1.0f, 100 }, ZoomCase { "zoom 125", 1.0f, 125 },
                                             ZoomCase { "zoom 150", 1.0f, 150 }, ZoomCase { "zoom 175", 1.0f, 175 },
                                             ZoomCase { "zoom 200", 1.0f, 200 },
                                             ZoomCase { "host 1_5 zoom 100", 1.5f, 100 },
                                             ZoomCase { "host 1_25 zoom 125", 1.25f, 125 }),
                          testsupport::NameFromWhat {});

TEST (EditorZoom, TheChosenZoomOpensEveryNewEditor)
{
    {
        ZoomFixture f;
        EXPECT_EQ (f.editor->getZoomPercent(), 100);
        f.editor->setZoomPercent (175);
        EXPECT_EQ (presets::getZoomPercent (presets::defaultSettingsFile()), 175);
        f.editor.reset();

        // A new instance, a new editor: the same zoom, read from the settings file.
        MassDelayAudioProcessor other;
        std::unique_ptr<MassDelayAudioProcessorEditor> editor (
            dynamic_cast<MassDelayAudioProcessorEditor*> (other.createEditor()));
        juce::Component holder;
        holder.addAndMakeVisible (*editor);
        EXPECT_EQ (editor->getZoomPercent(), 175);
        EXPECT_EQ (editor->getBoundsInParent().getWidth(), 805);
    }
    presets::setZoomPercent (100, presets::defaultSettingsFile());
}

TEST (EditorZoom, TheWindowNeverExceedsTheWorkArea)
{
    // Every section open wants 788 layout pixels; at 200 % with a host scale
    // of 2 that is far taller and wider than any test screen.
    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor (
        dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor()));
    juce::Component holder;
    holder.addAndMakeVisible (*editor);
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    const auto work = display->userArea;

    editor->setScaleFactor (2.0f);
    editor->applyZoomPercent (200);

    const auto window = editor->getBoundsInParent();
    EXPECT_LE (window.getWidth(), work.getWidth());
    EXPECT_LE (window.getHeight(), work.getHeight());
    EXPECT_LT (editor->getEffectiveScale(), 4.0f);
    EXPECT_GE (editor->getEffectiveScale(), 2.0f); // never below the host's own scale
    // The sections scroll instead of growing the window past the screen.
    auto& viewport = editor->getSectionViewport();
    EXPECT_GT (viewport.getViewedComponent()->getHeight(), viewport.getHeight());
}

TEST (EditorZoom, TwoHundredPercentIsDrawnAsSharpAsTheDeviceScale)
{
    // The editor at zoom 200 drawn at scale 1 must match the editor at zoom
    // 100 drawn at a device scale of 2 (vectors at the larger size), and
    // differ clearly from the 100 % picture stretched to twice its size.
    ZoomFixture small;
    ZoomFixture large;
    large.editor->applyZoomPercent (200);
    large.holder.setSize (large.window().getWidth(), large.window().getHeight());

    const auto device = uitest::renderScaled (*small.editor, 2.0f, juce::Colours::black);
    const auto zoomed = uitest::render (large.holder);
    // The zoomed window may be capped by the screen: compare what both show.
    ASSERT_EQ (zoomed.getWidth(), device.getWidth());
    const int rows = std::min (zoomed.getHeight(), device.getHeight());

    const auto stretched =
        uitest::render (*small.editor)
            .rescaled (device.getWidth(), device.getHeight(), juce::Graphics::mediumResamplingQuality);

    double zoomedError = 0.0, stretchedError = 0.0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < device.getWidth(); ++x)
        {
            const auto d = device.getPixelAt (x, y);
            zoomedError += uitest::colourDistance (d, zoomed.getPixelAt (x, y));
            stretchedError += uitest::colourDistance (d, stretched.getPixelAt (x, y));
        }
    const double pixels = static_cast<double> (device.getWidth() * rows);
    EXPECT_LT (zoomedError / pixels, 1.0); // under one colour level on average
    EXPECT_GT (stretchedError / pixels, 4.0 * std::max (zoomedError / pixels, 0.25));
}
