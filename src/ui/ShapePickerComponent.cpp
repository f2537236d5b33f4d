#include "ui/ShapePickerComponent.h"

#include "ui/ShapeIcons.h"

#include <algorithm>

ShapePickerComponent::ShapePickerComponent (std::vector<int> shapeList)
    : shapes (std::move (shapeList))
{
    for (size_t i = 0; i < shapes.size(); ++i)
    {
        auto button = std::make_unique<MdButton> (juce::String(), MdButton::Accent::none);
        const int shape = shapes[i];
        button->iconPainter = [shape] (juce::Graphics& g, juce::Rectangle<float> area, juce::Colour colour) {
            ShapeIcons::paint (g, shape, area, colour);
            return area.getWidth();
        };
        button->setClickingTogglesState (true);
        button->setRadioGroupId (1);
        // In a radio group the button that goes dark is sent a click too:
        // only the button that is lit reports its shape.
        const int position = static_cast<int> (i);
        auto* b = button.get();
        button->onClick = [this, position, b] {
            if (b->getToggleState())
                shapeClicked (position);
        };
        addAndMakeVisible (*button);
        buttons.push_back (std::move (button));
    }
}

void ShapePickerComponent::setButtonTitles (const std::function<juce::String (int)>& titleOf)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setTitle (titleOf (shapes[i]));
}

MdButton* ShapePickerComponent::getButton (int position) const
{
    if (position < 0 || position >= static_cast<int> (buttons.size()))
        return nullptr;
    return buttons[static_cast<size_t> (position)].get();
}

void ShapePickerComponent::setSelectedShape (int s)
{
    selectedShape = s;
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setToggleState (shapes[i] == s, juce::dontSendNotification);
}

void ShapePickerComponent::shapeClicked (int position)
{
    if (position < 0 || position >= static_cast<int> (shapes.size()))
        return;
    selectedShape = shapes[static_cast<size_t> (position)];
    if (onShapeChanged)
        onShapeChanged (selectedShape);
}

void ShapePickerComponent::updateButtonColours()
{
    // The accent's tints and colour; bg1, b1 and t1 for none or an unknown one.
    const auto colours = MdButton::getAccentColours (accent);
    for (auto& button : buttons)
        button->setCustomColors (colours.background, colours.border, colours.accent);
}

void ShapePickerComponent::resized()
{
    const int n = static_cast<int> (buttons.size());
    if (n == 0)
        return;

    const int rowWidth = buttonWidth * n + (buttonPitch - buttonWidth) * (n - 1);
    const int x0 = std::max ((getWidth() - rowWidth) / 2, 0);
    for (int i = 0; i < n; ++i)
        buttons[static_cast<size_t> (i)]->setBounds (x0 + buttonPitch * i, 0, buttonWidth, getHeight());
}
