#include "UiTestSupport.h"

#include "ui/ButtonGrid.h"
#include "ui/Col.h"
#include "ui/IconPainters.h"

#include <gtest/gtest.h>

using Accent = MdButton::Accent;

namespace
{
struct GridFixture : public ::testing::Test
{
    GridFixture()
    {
        grid.setBounds (0, 0, 436, 30);

        juce::Path arrow;
        arrow.addTriangle (0.0f, 0.0f, 10.0f, 5.0f, 0.0f, 10.0f);

        std::array<ButtonGrid::Config, 4> configs;
        configs[0] = { "TAP SYNC", {}, &IconPainters::sync, Accent::am, "mu", [this] { log.add ("sync"); } };
        configs[1] = { "TAP-FLIP", arrow, {}, Accent::pu, "flipped", [this] { log.add ("flip"); } };
        configs[2] = {}; // empty slot
        configs[3] = { "RAND", {}, &IconPainters::dice, Accent::te, {}, [this] { log.add ("rand"); } };
        grid.setButtons (configs);
    }

    ButtonGrid grid;
    juce::StringArray log;
};
} // namespace

TEST_F (GridFixture, EachSlotIsAQuarterOfTheWidth)
{
    const auto buttons = grid.getButtons();
    ASSERT_EQ (buttons.size(), 3u);
    EXPECT_EQ (buttons[0]->getBounds(), juce::Rectangle<int> (0, 0, 109, 30));
    EXPECT_EQ (buttons[1]->getBounds(), juce::Rectangle<int> (109, 0, 109, 30));
    EXPECT_EQ (buttons[2]->getBounds(), juce::Rectangle<int> (327, 0, 109, 30)) << "the fourth slot keeps its place";

    grid.setSize (437, 24);
    EXPECT_EQ (grid.getButtons()[2]->getBounds(), juce::Rectangle<int> (327, 0, 109, 24));
}

TEST_F (GridFixture, ButtonsAreBuiltFromTheirConfigs)
{
    const auto buttons = grid.getButtons();
    ASSERT_EQ (buttons.size(), 3u);

    EXPECT_EQ (buttons[0]->getButtonText(), "TAP SYNC");
    EXPECT_EQ (buttons[0]->accent, Accent::am);
    EXPECT_EQ (buttons[0]->paramId, "mu");
    EXPECT_TRUE (buttons[0]->iconPainter != nullptr);
    EXPECT_TRUE (buttons[0]->icon.isEmpty());

    EXPECT_EQ (buttons[1]->accent, Accent::pu);
    EXPECT_FALSE (buttons[1]->icon.isEmpty());
    EXPECT_TRUE (buttons[1]->iconPainter == nullptr);

    EXPECT_EQ (buttons[2]->getButtonText(), "RAND");
    EXPECT_TRUE (buttons[2]->paramId.isEmpty());
    for (auto* b : buttons)
        EXPECT_TRUE (b->isVisible());
}

TEST_F (GridFixture, ButtonsWithAParameterToggleAndMomentaryOnesDoNot)
{
    const auto buttons = grid.getButtons();
    ASSERT_EQ (buttons.size(), 3u);

    for (auto* b : buttons)
    {
        uitest::Mouse mouse (*b);
        mouse.click (20.0f, 10.0f);
    }
    EXPECT_EQ (log, juce::StringArray ("sync", "flip", "rand"));
    EXPECT_TRUE (buttons[0]->getToggleState());
    EXPECT_TRUE (buttons[1]->getToggleState());
    EXPECT_FALSE (buttons[2]->getToggleState()) << "momentary";

    uitest::Mouse (*buttons[0]).click (20.0f, 10.0f);
    EXPECT_FALSE (buttons[0]->getToggleState());
}

TEST_F (GridFixture, SetButtonsReplacesTheOldButtons)
{
    juce::Component::SafePointer<MdButton> old (grid.getButtons()[0]);
    std::array<ButtonGrid::Config, 4> configs;
    configs[2] = { "ONLY", {}, {}, Accent::bl, {}, {} };
    grid.setButtons (configs);

    EXPECT_EQ (old.getComponent(), nullptr) << "deleted";
    ASSERT_EQ (grid.getButtons().size(), 1u);
    EXPECT_EQ (grid.getNumChildComponents(), 1);
    EXPECT_EQ (grid.getButtons()[0]->getBounds().getX(), 218);

    grid.clearButtons();
    EXPECT_TRUE (grid.getButtons().empty());
    EXPECT_EQ (grid.getNumChildComponents(), 0);
}

TEST (ButtonGridPaint, RoundedPanelWithAnInsetOutline)
{
    ButtonGrid grid;
    grid.setBounds (0, 0, 436, 30);
    const juce::Colour grey (0xff808080);
    const auto image = uitest::render (grid, grey);

    EXPECT_EQ (image.getPixelAt (200, 15), Col::bg1);
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (200, 0), Col::b2), 2) << "top outline row";
    EXPECT_LE (uitest::colourDistance (image.getPixelAt (435, 15), Col::b2), 2) << "right outline column";
    EXPECT_EQ (image.getPixelAt (0, 0), grey) << "rounded corner";
}
