#include "ui/ButtonGrid.h"

#include "ui/Col.h"

#include <algorithm>

void ButtonGrid::setButtons (const std::array<Config, numSlots>& configs)
{
    clearButtons();

    for (size_t i = 0; i < configs.size(); ++i)
    {
        const auto& config = configs[i];
        if (config.isEmpty())
            continue;

        auto button = std::make_unique<MdButton> (config.label, config.accent);
        if (! config.icon.isEmpty())
            button->icon = config.icon;
        if (config.iconPainter)
            button->iconPainter = config.iconPainter;

        const bool toggles = config.paramId.isNotEmpty();
        button->setClickingTogglesState (toggles);
        if (toggles)
            button->paramId = config.paramId;
        button->onClick = config.onClick;

        addAndMakeVisible (*button);
        buttons[i] = std::move (button);
    }

    resized();
}

void ButtonGrid::clearButtons()
{
    for (auto& button : buttons)
        button.reset();
}

std::vector<MdButton*> ButtonGrid::getButtons() const
{
    std::vector<MdButton*> result;
    for (const auto& button : buttons)
        if (button != nullptr)
            result.push_back (button.get());
    return result;
}

void ButtonGrid::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (Col::bg1);
    g.fillRoundedRectangle (bounds, 6.0f);

    const auto outline = bounds.withSizeKeepingCentre (std::max (bounds.getWidth() - 1.0f, 0.0f),
                                                       std::max (bounds.getHeight() - 1.0f, 0.0f));
    g.setColour (Col::b2);
    g.drawRoundedRectangle (outline, 6.0f, 1.0f);
}

void ButtonGrid::resized()
{
    const int slotWidth = getWidth() / numSlots;
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] != nullptr)
            buttons[i]->setBounds (static_cast<int> (i) * slotWidth, 0, slotWidth, getHeight());
}
