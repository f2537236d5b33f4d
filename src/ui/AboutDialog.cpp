#include "ui/AboutDialog.h"

#include "ui/Col.h"
#include "ui/DialogOverlay.h"
#include "ui/MdLookAndFeel.h"

#include "BinaryData.h"

#include <algorithm>

namespace
{
void style (juce::Label& label, const juce::String& text, float height, juce::Colour colour)
{
    label.setText (text, juce::dontSendNotification);
    label.setFont (MdLookAndFeel::monoFont (height));
    label.setColour (juce::Label::textColourId, colour);
}
} // namespace

AboutDialog::AboutDialog()
{
    style (titleLabel, "Twist Delay", 15.0f, Col::am);
    style (versionLabel, version, 10.0f, Col::t1);
    style (descriptionLabel,
           juce::String::fromUTF8 ("Multi-tap delay VST3/AU plugin.\nTwist-shaped tap distribution.\n\n"
                                   "Effects: Pitch/Chorus \xc2\xb7 Wave \xc2\xb7 Tremolo.\n"
                                   "Tape saturation and wear applied inside the delay matrix.\n"
                                   "Random reshuffles any enabled parameter."),
           11.0f, Col::t0);
    style (creditsLabel,
           juce::String::fromUTF8 ("Twist Delay \xc2\xa9 Twist Audio. All rights reserved.\n"
                                   "Tape Saturation: Airwindows ToTape6, MIT License."),
           9.0f, Col::t2);
    creditsLabel.setMinimumHorizontalScale (1.0f);

    licensesButton.onClick = [this] { showLicenses(); };
    okButton.onClick = [this] { dismiss(); };

    makerLink.setButtonText ("twistdelay.audio");
    makerLink.setURL (juce::URL ("https://twistdelay.audio"));
    makerLink.setFont (MdLookAndFeel::monoFont (12.0f), false, juce::Justification::centredLeft);
    makerLink.setColour (juce::HyperlinkButton::textColourId, Col::t1);

    for (auto* c : std::initializer_list<juce::Component*> { &titleLabel, &versionLabel, &descriptionLabel,
                                                             &creditsLabel, &licensesButton, &okButton, &makerLink })
        addAndMakeVisible (c);

    setSize (340, 355);
}

AboutDialog::~AboutDialog()
{
    delete ownNotices.getComponent();
}

void AboutDialog::dismiss()
{
    if (auto* overlay = findParentComponentOfClass<DialogOverlay>())
        overlay->closeDialog();
}

juce::String AboutDialog::noticesText()
{
    return juce::String::fromUTF8 (BinaryData::THIRDPARTYNOTICES_txt, BinaryData::THIRDPARTYNOTICES_txtSize);
}

juce::Component* AboutDialog::showLicenses()
{
    auto notices = std::make_unique<juce::TextEditor>();
    notices->setMultiLine (true);
    notices->setReadOnly (true);
    notices->setCaretVisible (false);
    notices->setScrollbarsShown (true);
    notices->setFont (MdLookAndFeel::monoFont (11.0f));
    notices->setColour (juce::TextEditor::backgroundColourId, Col::bg1);
    notices->setColour (juce::TextEditor::textColourId, Col::t1);
    notices->setColour (juce::TextEditor::outlineColourId, Col::b1);
    notices->setText (noticesText(), false);
    notices->setSize (480, 400);

    auto* overlay = findParentComponentOfClass<DialogOverlay>();

    juce::DialogWindow::LaunchOptions options;
    options.content.setOwned (notices.release());
    options.dialogTitle = noticesTitle;
    options.dialogBackgroundColour = Col::bg0;
    options.escapeKeyTriggersCloseButton = true;
    options.useNativeTitleBar = true;
    options.resizable = true;
    options.componentToCentreAround = overlay != nullptr ? static_cast<juce::Component*> (overlay) : this;
    auto* window = options.launchAsync();

    if (overlay != nullptr)
    {
        overlay->keepWindow (window);
    }
    else
    {
        delete ownNotices.getComponent();
        ownNotices = window;
    }
    return window;
}

void AboutDialog::resized()
{
    auto area = getLocalBounds();
    area.removeFromLeft (16);
    area.removeFromRight (16);
    area.removeFromTop (14);
    area.removeFromBottom (14);

    auto row = [&area] (int height) { return area.removeFromTop (std::min (height, area.getHeight())); };

    titleLabel.setBounds (row (20));
    row (2);
    versionLabel.setBounds (row (16));
    row (8);
    descriptionLabel.setBounds (row (95));
    row (8);
    creditsLabel.setBounds (row (30));
    row (10);
    auto buttons = row (20);
    licensesButton.setBounds (buttons.removeFromLeft (std::min (130, buttons.getWidth())));
    buttons.removeFromLeft (std::min (8, buttons.getWidth()));
    okButton.setBounds (buttons.removeFromLeft (std::min (50, buttons.getWidth())));
    row (12);
    makerLink.setBounds (row (20));
}

void AboutDialog::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (Col::bg0);
    g.fillRoundedRectangle (bounds, 8.0f);
    g.setColour (Col::b0);
    g.drawRoundedRectangle (bounds, 8.0f, 0.5f);
}
