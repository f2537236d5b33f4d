#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

// A layer over the whole editor that dims everything behind one dialog and
// closes it when the user clicks beside it. It also keeps the windows its
// dialogs open (the licence notices), so that none outlives the editor.
class DialogOverlay : public juce::Component
{
public:
    DialogOverlay();
    ~DialogOverlay() override;

    // Shows the dialog, replacing (and destroying) any dialog shown before.
    void showDialog (std::unique_ptr<juce::Component> dialog);
    void closeDialog();

    juce::Component* getDialog() const noexcept { return dialog.get(); }

    // Keeps a window opened from a dialog: it stays open when the dialog
    // closes, and is closed at the latest when the overlay goes.
    void keepWindow (juce::Component* window);
    // The kept windows still open.
    std::vector<juce::Component*> getOpenWindows() const;

    void paint (juce::Graphics&) override;
    void resized() override;
    void mouseDown (const juce::MouseEvent&) override;

private:
    std::unique_ptr<juce::Component> dialog;
    std::vector<juce::Component::SafePointer<juce::Component>> windows;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DialogOverlay)
};
