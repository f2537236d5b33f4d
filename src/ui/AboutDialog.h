#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The about dialog, shown in the editor's dialog overlay when the title is
// clicked: name, version, description, credits, a link to the maker's page,
// "OK", and a button that opens the third-party licence notices.
class AboutDialog : public juce::Component
{
public:
    static constexpr const char* version = "1.649";
    static constexpr const char* noticesTitle = "Third-Party Licenses";

    AboutDialog();
    ~AboutDialog() override;

    // Closes the dialog through the first DialogOverlay above it (if any).
    void dismiss();

    // Opens the notices in a window of their own. It stays open when the
    // dialog closes and is kept by the dialog overlay, which closes it at the
    // latest with the editor. Returns the window.
    juce::Component* showLicenses();

    // The text of the embedded notices.
    static juce::String noticesText();

    void paint (juce::Graphics&) override;
    void resized() override;

    juce::Label& getTitleLabel() noexcept { return titleLabel; }
    juce::Label& getVersionLabel() noexcept { return versionLabel; }
    juce::Label& getDescriptionLabel() noexcept { return descriptionLabel; }
    juce::Label& getCreditsLabel() noexcept { return creditsLabel; }
    juce::TextButton& getLicensesButton() noexcept { return licensesButton; }
    juce::TextButton& getOkButton() noexcept { return okButton; }
    juce::HyperlinkButton& getMakerLink() noexcept { return makerLink; }

private:
    juce::Label titleLabel, versionLabel, descriptionLabel, creditsLabel;
    juce::TextButton licensesButton { "Copyright Licenses" };
    juce::TextButton okButton { "OK" };
    juce::HyperlinkButton makerLink;
    // The notices window when no overlay keeps it: it then closes with the dialog.
    juce::Component::SafePointer<juce::Component> ownNotices;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AboutDialog)
};
