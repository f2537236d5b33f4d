#include "ui/ValueEntryBox.h"

#include "ui/Col.h"
#include "ui/MdLookAndFeel.h"

namespace
{
// Boxes currently alive (message thread only).
juce::Array<ValueEntryBox*>& openBoxes()
{
    static juce::Array<ValueEntryBox*> boxes;
    return boxes;
}
} // namespace

ValueEntryBox::ValueEntryBox (const juce::String& initialText, CommitFn onCommit)
    : commit (std::move (onCommit))
{
    editor.setFont (MdLookAndFeel::monoFont (13.0f));
    editor.setJustification (juce::Justification::centred);
    editor.setColour (juce::TextEditor::textColourId, Col::t0);
    editor.setColour (juce::TextEditor::highlightColourId, Col::am.withAlpha (0.35f));
    editor.setColour (juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    editor.setColour (juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    editor.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
    editor.setText (initialText, false);
    editor.selectAll();

    editor.onReturnKey = [this] { closeCallOut(); };
    editor.onEscapeKey = [this] {
        cancelled = true;
        closeCallOut();
    };

    addAndMakeVisible (editor);
    setSize (90, 26);
    openBoxes().add (this);
}

ValueEntryBox::~ValueEntryBox()
{
    openBoxes().removeFirstMatchingValue (this);

    if (! cancelled && commit)
        commit (editor.getText());
}

void ValueEntryBox::resized()
{
    editor.setBounds (getLocalBounds());
}

void ValueEntryBox::closeCallOut()
{
    if (auto* callOut = findParentComponentOfClass<juce::CallOutBox>())
        callOut->dismiss();
}

juce::CallOutBox& ValueEntryBox::launch (juce::Component& owner, const juce::String& text, CommitFn onCommit)
{
    return launch (owner, owner.getScreenBounds(), text, std::move (onCommit));
}

juce::CallOutBox& ValueEntryBox::launch (juce::Component& owner, juce::Rectangle<int> screenArea,
                                         const juce::String& text, CommitFn onCommit)
{
    // The call-out box may outlive the widget that opened it (the editor can
    // be closed while a box is open), so the commit checks that it still exists.
    juce::Component::SafePointer<juce::Component> safeOwner (&owner);
    auto box = std::make_unique<ValueEntryBox> (
        text, [safeOwner, onCommit = std::move (onCommit)] (const juce::String& typed) {
            if (safeOwner != nullptr && onCommit)
                onCommit (typed);
        });
    box->owner = safeOwner;

    auto* entry = box.get();
    auto& callOut = juce::CallOutBox::launchAsynchronously (std::move (box), screenArea, nullptr);
    callOut.setLookAndFeel (&owner.getLookAndFeel());
    entry->editor.grabKeyboardFocus();
    entry->editor.selectAll();
    return callOut;
}

bool ValueEntryBox::isOpenFor (const juce::Component& ancestor)
{
    for (auto* box : openBoxes())
        if (auto* opener = box->owner.getComponent(); opener == &ancestor || ancestor.isParentOf (opener))
            return true;
    return false;
}

void ValueEntryBox::dismissAll (const juce::Component* ancestor)
{
    for (auto* box : openBoxes())
    {
        if (ancestor != nullptr)
        {
            // A box whose opener is already gone is closed too: it can no
            // longer commit anything.
            auto* opener = box->owner.getComponent();
            if (opener != nullptr && opener != ancestor && ! ancestor->isParentOf (opener))
                continue;
        }

        box->cancelled = true;

        // Close the call-out box now rather than through its posted message;
        // the modal manager deletes it (and this box) later.
        if (auto* callOut = box->findParentComponentOfClass<juce::CallOutBox>())
        {
            callOut->exitModalState (0);
            callOut->setVisible (false);
        }
    }
}
