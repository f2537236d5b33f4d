// Keyboard focus and accessibility: the editor leaves the keyboard with the
// host, gives every control an accessible title (the parameter names the
// host shows) and lets a control the user tabbed to move by arrow keys.

#include "plugin/PluginEditor.h"

#include "ui/ValueEntryBox.h"

#include <functional>

namespace
{
// The text a host shows for the parameter at a raw value: what a slider that
// moves the parameter's own value announces.
std::function<juce::String (double)> hostValueText (const juce::RangedAudioParameter& param)
{
    return [&param] (double raw) { return param.getText (param.convertTo0to1 (static_cast<float> (raw)), 1024); };
}
} // namespace

juce::String MassDelayAudioProcessorEditor::parameterName (const char* id) const
{
    if (auto* param = apvts.getParameter (id))
        return param->getName (64);
    return {};
}

void MassDelayAudioProcessorEditor::leaveFocusWithHost (juce::Component& root)
{
    // A click on a component that does not take the focus itself hands it to
    // a parent or a sibling that does, so the whole tree has to opt out.
    root.setMouseClickGrabsKeyboardFocus (false);
    for (auto* child : root.getChildren())
        leaveFocusWithHost (*child);
}

void MassDelayAudioProcessorEditor::setUpKeyboardAndAccessibility()
{
    setWantsKeyboardFocus (false);
    setFocusContainerType (FocusContainerType::keyboardFocusContainer);
    setTitle ("Twist Delay");

    titleLabel.setTitle ("About Twist Delay");
    optionsButton.setTitle ("Options");
    tapCountBox.setTitle (parameterName (params::id::tapCount));
    visualizer.setTitle ("Tap display");
    massControl.setTitle (parameterName (params::id::twist));
    filterSlider.setTitle (parameterName (params::id::highPass) + " / " + parameterName (params::id::lowPass));
    historyBackButton.setTitle ("Random history back");
    historyForwardButton.setTitle ("Random history forward");
    mixLabel.setTitle (parameterName (params::id::mixBypass));
    outLabel.setAccessible (false);
    masterFader->getFader().setTitle (parameterName (params::id::master));
    sectionViewport.setTitle ("Effect sections");
    // The window length strip moves `len` through its own attachment.
    if (auto* length = apvts.getParameter (params::id::length))
    {
        auto& slider = visualizer.getLengthSlider();
        slider.setTitle (length->getName (64));
        slider.accessibleValueText = hostValueText (*length);
    }

    auto& density = visualizer.getDensityStrip();
    density.getLinkButton().setTitle (parameterName (params::id::startEndLock));
    density.getRangeButton().setTitle (parameterName (params::id::times4));
    for (auto* button : buttonGrid.getButtons())
        if (button->paramId.isNotEmpty())
            button->setTitle (parameterName (button->paramId.toRawUTF8()));

    // Sliders: titled by their parameter, reachable with Tab, stepped with
    // the arrow keys (the slider's own key handling).
    std::function<void (juce::Component&)> visit = [this, &visit] (juce::Component& c) {
        if (auto* slider = dynamic_cast<MdSlider*> (&c))
        {
            if (auto* param = apvts.getParameter (slider->paramId))
            {
                if (slider->getTitle().isEmpty())
                    slider->setTitle (param->getName (64));
                slider->accessibleValueText = hostValueText (*param);
            }
            slider->setWantsKeyboardFocus (true);
        }
        for (auto* child : c.getChildren())
            visit (*child);
    };
    visit (*this);

    leaveFocusWithHost (*this);
}

bool MassDelayAudioProcessorEditor::keyPressed (const juce::KeyPress& key)
{
    if (key != juce::KeyPress::escapeKey)
        return false;

    if (ValueEntryBox::isOpenFor (*this))
    {
        ValueEntryBox::dismissAll (this);
        return true;
    }
    if (optionsPanel.isShown())
    {
        optionsPanel.hidePanel();
        return true;
    }
    return false;
}
