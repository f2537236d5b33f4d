#include "ui/DialogOverlay.h"

#include <algorithm>

DialogOverlay::DialogOverlay()
{
    setVisible (false);
    setInterceptsMouseClicks (true, true);
}

DialogOverlay::~DialogOverlay()
{
    closeDialog();

    // A window left open would outlive the editor, and with it the code that
    // drew it once the plug-in is unloaded.
    for (auto& window : windows)
        delete window.getComponent();
}

void DialogOverlay::showDialog (std::unique_ptr<juce::Component> newDialog)
{
    if (dialog != nullptr)
        removeChildComponent (dialog.get());
    dialog = std::move (newDialog);

    if (dialog != nullptr)
        addAndMakeVisible (*dialog);
    setVisible (true);
    resized();
    toFront (false);
}

void DialogOverlay::closeDialog()
{
    if (dialog != nullptr)
    {
        removeChildComponent (dialog.get());
        dialog.reset();
    }
    setVisible (false);
}

void DialogOverlay::keepWindow (juce::Component* window)
{
    windows.erase (
        std::remove_if (windows.begin(), windows.end(), [] (const auto& w) { return w.getComponent() == nullptr; }),
        windows.end());
    if (window != nullptr)
        windows.emplace_back (window);
}

std::vector<juce::Component*> DialogOverlay::getOpenWindows() const
{
    std::vector<juce::Component*> open;
    for (const auto& window : windows)
        if (auto* w = window.getComponent())
            open.push_back (w);
    return open;
}

void DialogOverlay::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black.withAlpha (0.78f));
}

void DialogOverlay::resized()
{
    if (dialog == nullptr)
        return;

    int w = dialog->getWidth();
    int h = dialog->getHeight();
    if (w < 1 || h < 1)
    {
        w = 288;
        h = 200;
    }
    dialog->setBounds ((getWidth() - w) / 2, (getHeight() - h) / 2, w, h);
}

void DialogOverlay::mouseDown (const juce::MouseEvent& e)
{
    if (dialog != nullptr && dialog->getBounds().contains (e.getPosition()))
        return;
    closeDialog();
}
