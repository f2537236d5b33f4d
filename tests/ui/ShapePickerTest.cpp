#include "UiTestSupport.h"

#include "ui/Col.h"
#include "ui/ShapeIcons.h"
#include "ui/ShapePickerComponent.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
std::vector<int> litShapes (const ShapePickerComponent& picker)
{
    std::vector<int> lit;
    for (size_t i = 0; i < picker.getShapes().size(); ++i)
        if (picker.getButton (static_cast<int> (i))->getToggleState())
            lit.push_back (picker.getShapes()[i]);
    return lit;
}

// The picker's reports, in order.
struct Reports
{
    explicit Reports (ShapePickerComponent& picker)
    {
        picker.onShapeChanged = [this] (int s) { shapes.push_back (s); };
    }
    std::vector<int> shapes;
};

void clickButton (ShapePickerComponent& picker, int position)
{
    uitest::Mouse (*picker.getButton (position)).click (10.0f, 12.0f);
}
} // namespace

TEST (ShapePicker, LaysOutTwentyPixelButtonsAt34PixelStepsCentred)
{
    struct Case
    {
        std::vector<int> shapes;
        int width, firstX;
    };
    // Seven buttons fill 224 px exactly; five in 164 px leave 4 px each side.
    for (const auto& c : { Case { { 0, 1, 2, 3, 4, 5, 6 }, 224, 0 }, Case { { 0, 1, 2, 6, 5 }, 164, 4 },
                           Case { { 0, 1, 2, 6, 5 }, 100, 0 } })
    {
        ShapePickerComponent picker (c.shapes);
        picker.setSize (c.width, 24);
        for (int i = 0; i < static_cast<int> (c.shapes.size()); ++i)
            EXPECT_EQ (picker.getButton (i)->getBounds(), juce::Rectangle<int> (c.firstX + 34 * i, 0, 20, 24))
                << c.width << " px, button " << i;
    }
}

TEST (ShapePicker, WithNoShapesItLaysOutNothingAndIgnoresClicks)
{
    ShapePickerComponent picker ({});
    Reports reports (picker);
    picker.setSize (224, 24);
    EXPECT_EQ (picker.getNumChildComponents(), 0);
    EXPECT_EQ (picker.getButton (0), nullptr);
    picker.shapeClicked (0);
    picker.shapeClicked (-1);
    EXPECT_TRUE (reports.shapes.empty());
}

TEST (ShapePicker, LightsExactlyTheSelectedShapeOrNoneWhenItIsNotOffered)
{
    ShapePickerComponent picker ({ 0, 1, 2, 6, 5 });
    Reports reports (picker);
    struct Case
    {
        int shape;
        std::vector<int> lit;
    };
    for (const auto& c :
         { Case { 6, { 6 } }, Case { 0, { 0 } }, Case { 3, {} }, Case { 4, {} }, Case { 7, {} }, Case { 5, { 5 } } })
    {
        picker.setSelectedShape (c.shape);
        EXPECT_EQ (litShapes (picker), c.lit) << "shape " << c.shape;
        EXPECT_EQ (picker.getSelectedShape(), c.shape);
    }
    EXPECT_TRUE (reports.shapes.empty()) << "selecting is not picking";
}

TEST (ShapePicker, AClickReportsOnlyThePickedShapeAndALitButtonStaysLit)
{
    ShapePickerComponent picker ({ 0, 1, 2, 6, 5 });
    picker.setSize (164, 24);
    Reports reports (picker);
    picker.setSelectedShape (6);

    // The random button that goes dark is not reported as picked.
    clickButton (picker, 1);
    EXPECT_EQ (reports.shapes, std::vector<int> ({ 1 }));
    EXPECT_EQ (litShapes (picker), std::vector<int> ({ 1 }));

    clickButton (picker, 1);
    EXPECT_EQ (reports.shapes, std::vector<int> ({ 1, 1 })) << "a lit button reports again";
    EXPECT_EQ (litShapes (picker), std::vector<int> ({ 1 }));

    clickButton (picker, 4);
    EXPECT_EQ (reports.shapes, std::vector<int> ({ 1, 1, 5 }));
    EXPECT_EQ (picker.getSelectedShape(), 5);
    EXPECT_EQ (litShapes (picker), std::vector<int> ({ 5 }));
}

TEST (ShapePicker, ButtonsTakeTheAccentsTintsAndColour)
{
    ShapePickerComponent picker ({ 0, 1 });
    picker.setSize (54, 24);
    picker.setSelectedShape (1);
    const float scale = 4.0f;

    struct Case
    {
        MdButton::Accent accent;
        juce::Colour background, icon;
    };
    for (const auto& c :
         { Case { MdButton::Accent::te, Col::te_bg, Col::te }, Case { MdButton::Accent::bl, Col::bl_bg, Col::bl },
           Case { MdButton::Accent::none, Col::bg1, Col::t1 } })
    {
        picker.accent = c.accent;
        picker.updateButtonColours();
        const auto image = uitest::renderScaled (picker, scale, juce::Colours::black);
        // The lit button (x 34 to 54): body fill near its top left corner,
        // icon strokes in the accent colour.
        const auto body = image.getPixelAt (juce::roundToInt (37 * scale), juce::roundToInt (3 * scale));
        EXPECT_LE (uitest::colourDistance (body, c.background), 3) << static_cast<int> (c.accent);
        const auto ink = uitest::strongestInk (image, juce::Rectangle<int> (36, 4, 16, 16) * 4, c.background);
        EXPECT_LE (uitest::colourDistance (ink, c.icon), 12) << static_cast<int> (c.accent);
    }
}

//==============================================================================
TEST (ShapeIcons, EachShapeHasItsOwnDrawingInTheFourteenUnitBox)
{
    struct Case
    {
        int shape;
        juce::Rectangle<float> box;
    };
    const Case cases[] = {
        { 1, { 1, 3, 12, 8 } }, { 2, { 1, 3, 12, 8 } },  { 3, { 1, 3, 10, 8 } },
        { 4, { 1, 3, 10, 8 } }, { 5, { 1, 2, 11, 10 } }, { 6, { 2, 1, 12, 10 } },
    };
    for (const auto& c : cases)
    {
        const auto box = ShapeIcons::get (c.shape).getBounds();
        EXPECT_NEAR (box.getX(), c.box.getX(), 1e-4) << c.shape;
        EXPECT_NEAR (box.getY(), c.box.getY(), 1e-4) << c.shape;
        EXPECT_NEAR (box.getWidth(), c.box.getWidth(), 1e-4) << c.shape;
        EXPECT_NEAR (box.getHeight(), c.box.getHeight(), 1e-4) << c.shape;
    }

    // The two saws mirror each other; the square and triangle differ.
    EXPECT_FALSE (ShapeIcons::get (3) == ShapeIcons::get (4));
    EXPECT_FALSE (ShapeIcons::get (1) == ShapeIcons::get (2));
    EXPECT_TRUE (ShapeIcons::get (6) == ShapeIcons::randomSmooth());

    // The sine: from (1, 7) to (13, 7), through curves; also for 7 and negatives.
    const auto sine = ShapeIcons::get (0);
    EXPECT_TRUE (sine.getBounds().getX() == 1.0f && sine.getBounds().getRight() == 13.0f);
    EXPECT_NEAR (sine.getBounds().getCentreY(), 7.0f, 1e-4);
    for (const int other : { 7, -1, 100 })
        EXPECT_TRUE (ShapeIcons::get (other) == sine) << other;
}

TEST (ShapeIcons, PaintFitsTheShapeToTheAreaAndCentresIt)
{
    // A 16 x 20 icon area (a 20 x 24 button less 2 on each side) at 4x: the
    // 12 x 8 square wave scales by 16/12 to 16 x 10.7, centred in the area,
    // with half the 1.2 px stroke beyond the path (its corners are right
    // angles, so the joins reach no further).
    const float scale = 4.0f;
    const juce::Rectangle<float> area (2.0f, 2.0f, 16.0f, 20.0f);
    const auto image = uitest::draw (80, 96, [&] (juce::Graphics& g) {
        g.addTransform (juce::AffineTransform::scale (scale));
        ShapeIcons::paint (g, 2, area, Col::te);
    });
    const auto ink = uitest::inkBounds (image, juce::Colours::black, 40).toFloat() / scale;
    EXPECT_NEAR (ink.getCentreX(), area.getCentreX(), 0.3);
    EXPECT_NEAR (ink.getCentreY(), area.getCentreY(), 0.3);
    EXPECT_NEAR (ink.getWidth(), 16.0f + 1.2f, 0.8);
    EXPECT_NEAR (ink.getHeight(), 8.0f * 16.0f / 12.0f + 1.2f, 0.8);
    EXPECT_LE (uitest::colourDistance (uitest::strongestInk (image, image.getBounds(), juce::Colours::black), Col::te),
               8);
}
