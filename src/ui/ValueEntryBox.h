#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// A small text field for typing a value, shown in a call-out box. Return or a
// click outside closes the box and commits the text; Escape closes it without
// committing. The commit runs when the box is destroyed, after the call-out
// box has closed.
class ValueEntryBox : public juce::Component
{
public:
    using CommitFn = std::function<void (const juce::String&)>;

    ValueEntryBox (const juce::String& initialText, CommitFn onCommit);
    ~ValueEntryBox() override;

    // Opens a box holding text in a call-out box pointing at screenArea, drawn
    // with owner's look-and-feel, with all of its text selected and focused.
    // onCommit runs only while owner still exists.
    static juce::CallOutBox& launch (juce::Component& owner, juce::Rectangle<int> screenArea, const juce::String& text,
                                     CommitFn onCommit);

    // The same, pointing at owner's own screen area.
    static juce::CallOutBox& launch (juce::Component& owner, const juce::String& text, CommitFn onCommit);

    // Closes open boxes at once without committing: every box launched for
    // ancestor or one of its children, or every open box when ancestor is
    // nullptr. An editor calls this before its widgets are destroyed.
    static void dismissAll (const juce::Component* ancestor = nullptr);

    // Whether a box launched for ancestor or one of its children is open.
    static bool isOpenFor (const juce::Component& ancestor);

    void resized() override;

private:
    void closeCallOut();

    juce::TextEditor editor;
    CommitFn commit;
    bool cancelled = false;
    juce::Component::SafePointer<juce::Component> owner;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ValueEntryBox)
};
