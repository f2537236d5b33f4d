#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "presets/PresetSettings.h"

#include "support/CaseName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

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

// Most repaints cover a part of the window deep inside it (the visualizer,
// the Twist control's dots): the window's own background painted under such
// a clip skips the frame, the section well and the title's glow when the
// clip does not reach them, and must give the same pixels there as the whole
// picture, at every zoom; so must clips that meet the well or the glow.
// (Clips that come within a pixel of the frame take the rounded fill and
// stroke, which under a clip JUCE leaves a little short of full cover at
// the clip's right edge; those are not compared.)
TEST (EditorBackground, PaintingPartOfTheWindowGivesTheWholePicturesPixelsThere)
{
    for (const int zoom : { 100, 125, 175 })
    {
        SCOPED_TRACE ("zoom " + std::to_string (zoom));
        ZoomFixture f;
        auto& e = *f.editor;
        e.applyZoomPercent (zoom);
        e.refresh();
        ASSERT_GT (e.getTitleGlow(), 0.0f) << "the default mix lights the title";
        const float scale = static_cast<float> (zoom) / 100.0f;
        const int w = juce::roundToInt (static_cast<float> (e.getWidth()) * scale);
        const int h = juce::roundToInt (static_cast<float> (e.getHeight()) * scale);

        // The background alone (the children would cover most of it), under
        // a clip given in device pixels.
        auto background = [&] (juce::Rectangle<int> clip) {
            juce::Image image (juce::Image::ARGB, w, h, true);
            juce::Graphics g (image);
            g.reduceClipRegion (clip);
            g.addTransform (juce::AffineTransform::scale (scale));
            e.paint (g);
            return image;
        };
        const auto whole = background ({ 0, 0, w, h });

        const auto visualizer = e.getVisualizer().getBounds();
        const auto twist = e.getMassControl().getBounds();
        const auto well = e.getSectionViewport().getBounds();
        const juce::Rectangle<int> areas[] = {
            visualizer,
            twist.withTrimmedTop (14).withHeight (26),
            visualizer.getUnion (twist),
            e.getMixSlider().getBounds().expanded (2),
            e.getTitleLabel().getBounds().withTrimmedTop (2),
            e.getTitleLabel().getBounds().withY (e.getTitleLabel().getBottom() + 1).withHeight (14),
            well.withHeight (8).translated (0, -5),
            well.withHeight (3).translated (0, -8),
            { 12, visualizer.getY(), 20, 40 },
            { e.getWidth() - 30, well.getBottom() - 20, 18, 16 },
        };
        for (const auto& layoutArea : areas)
        {
            SCOPED_TRACE (layoutArea.toString().toStdString());
            const auto area =
                (layoutArea.toFloat() * scale).getSmallestIntegerContainer().getIntersection ({ 0, 0, w, h });
            const auto part = background (area);
            int differing = 0;
            for (int y = area.getY(); y < area.getBottom(); ++y)
                for (int x = area.getX(); x < area.getRight(); ++x)
                    differing += part.getPixelAt (x, y) != whole.getPixelAt (x, y) ? 1 : 0;
            EXPECT_EQ (differing, 0);
        }
    }
}
