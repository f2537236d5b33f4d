#include "UiTestSupport.h"

#include "plugin/PluginEditor.h"
#include "plugin/PluginProcessor.h"
#include "ui/AboutDialog.h"
#include "ui/Col.h"
#include "ui/DialogOverlay.h"

#include "support/CaseName.h"
#include "support/ProgramFolderSandbox.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment (new testsupport::ProgramFolderSandbox ("twist-delay-dialog-tests-"));

struct About : public ::testing::Test
{
    About() { editor.reset (dynamic_cast<MassDelayAudioProcessorEditor*> (processor.createEditor())); }

    ~About() override
    {
        editor.reset();
        uitest::pump (30);
    }

    DialogOverlay& overlay() { return editor->getDialogOverlay(); }

    AboutDialog* openAbout()
    {
        uitest::Mouse (editor->getTitleLabel()).click (10.0f, 10.0f);
        return dynamic_cast<AboutDialog*> (overlay().getDialog());
    }

    // Desktop windows titled as the notices window.
    static int noticesWindowsOnTheDesktop()
    {
        int n = 0;
        auto& desktop = juce::Desktop::getInstance();
        for (int i = 0; i < desktop.getNumComponents(); ++i)
            if (auto* w = dynamic_cast<juce::DialogWindow*> (desktop.getComponent (i)))
                if (w->getName() == AboutDialog::noticesTitle)
                    ++n;
        return n;
    }

    MassDelayAudioProcessor processor;
    std::unique_ptr<MassDelayAudioProcessorEditor> editor;
};

// A dialog that tells when it is destroyed.
struct Probe : public juce::Component
{
    explicit Probe (bool& destroyedFlag)
        : destroyed (destroyedFlag)
    {
    }
    ~Probe() override { destroyed = true; }
    bool& destroyed;
};
} // namespace

TEST_F (About, TheTitleOpensTheAboutDialogCentredOverTheDimmedEditor)
{
    EXPECT_FALSE (overlay().isVisible());
    auto* about = openAbout();
    ASSERT_NE (about, nullptr);
    EXPECT_TRUE (overlay().isVisible());
    EXPECT_EQ (overlay().getBounds(), editor->getLocalBounds());
    EXPECT_EQ (editor->getChildren().getLast(), &overlay()) << "the overlay lies above everything";

    const int w = editor->getWidth(), h = editor->getHeight();
    EXPECT_EQ (about->getBounds(), juce::Rectangle<int> ((w - 340) / 2, (h - 355) / 2, 340, 355));

    EXPECT_EQ (about->getTitleLabel().getText(), "Twist Delay");
    EXPECT_EQ (about->getVersionLabel().getText(), "1.649");
    EXPECT_TRUE (about->getDescriptionLabel().getText().startsWith ("Multi-tap delay VST3/AU plugin.\n"));
    EXPECT_TRUE (about->getCreditsLabel().getText().endsWith ("\nTape Saturation: Airwindows ToTape6, MIT License."));
    EXPECT_EQ (about->getCreditsLabel().getMinimumHorizontalScale(), 1.0f);
}

TEST_F (About, RowsFollowTheLayoutFromTheTop)
{
    auto* about = openAbout();
    ASSERT_NE (about, nullptr);
    struct Row
    {
        const char* name;
        juce::Component* component;
        juce::Rectangle<int> bounds;
    };
    for (const auto& row : { Row { "title", &about->getTitleLabel(), { 16, 14, 308, 20 } },
                             Row { "version", &about->getVersionLabel(), { 16, 36, 308, 16 } },
                             Row { "description", &about->getDescriptionLabel(), { 16, 60, 308, 95 } },
                             Row { "credits", &about->getCreditsLabel(), { 16, 163, 308, 30 } },
                             Row { "licences", &about->getLicensesButton(), { 16, 203, 130, 20 } },
                             Row { "ok", &about->getOkButton(), { 154, 203, 50, 20 } },
                             Row { "link", &about->getMakerLink(), { 16, 235, 308, 20 } } })
        EXPECT_EQ (row.component->getBounds(), row.bounds) << row.name;

    // A smaller dialog squeezes the rows it still has room for.
    about->setSize (200, 120);
    EXPECT_EQ (about->getDescriptionLabel().getBounds(), juce::Rectangle<int> (16, 60, 168, 46));
    EXPECT_EQ (about->getMakerLink().getHeight(), 0);
}

struct ClickCase
{
    const char* what;
    int dx, dy; // from the dialog's top-left corner
    bool closes;
};

class AboutClicks : public About, public ::testing::WithParamInterface<ClickCase>
{};

TEST_P (AboutClicks, ClicksOnTheDimmedAreaCloseTheDialogAndClicksInsideDoNot)
{
    const auto& c = GetParam();
    juce::Component::SafePointer<AboutDialog> about (openAbout());
    ASSERT_NE (about, nullptr);
    const auto origin = about->getPosition();

    uitest::Mouse (overlay()).down (static_cast<float> (origin.x + c.dx), static_cast<float> (origin.y + c.dy));
    EXPECT_EQ (about == nullptr, c.closes);
    EXPECT_EQ (overlay().isVisible(), ! c.closes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P (Places, AboutClicks, ::testing::Values (
    ClickCase { "left of the dialog", -5, 100, true },
    ClickCase { "above the dialog", 100, -3, true },
    ClickCase { "right of the dialog", 341, 100, true },
    ClickCase { "below the dialog", 100, 356, true },
    ClickCase { "empty part inside", 300, 330, false },
    ClickCase { "top-left corner inside", 0, 0, false },
    ClickCase { "bottom-right corner inside", 339, 354, false }),
    testsupport::NameFromWhat());
// clang-format on

TEST_F (About, OkClosesTheDialog)
{
    juce::Component::SafePointer<AboutDialog> about (openAbout());
    ASSERT_NE (about, nullptr);
    about->getOkButton().triggerClick();
    uitest::pump (30);
    EXPECT_EQ (about, nullptr);
    EXPECT_FALSE (overlay().isVisible());

    // Outside an overlay, OK leaves the dialog where it is.
    juce::Component holder;
    AboutDialog alone;
    holder.addAndMakeVisible (alone);
    alone.dismiss();
    EXPECT_EQ (alone.getParentComponent(), &holder);
}

TEST_F (About, ANewDialogReplacesAndDestroysTheOneShownAndASizelessOneGetsADefaultSize)
{
    bool firstDestroyed = false, secondDestroyed = false;
    overlay().showDialog (std::make_unique<Probe> (firstDestroyed));
    auto second = std::make_unique<Probe> (secondDestroyed);
    auto* secondRaw = second.get();
    overlay().showDialog (std::move (second));

    EXPECT_TRUE (firstDestroyed);
    EXPECT_FALSE (secondDestroyed);
    EXPECT_EQ (overlay().getNumChildComponents(), 1);
    const int w = editor->getWidth(), h = editor->getHeight();
    EXPECT_EQ (secondRaw->getBounds(), juce::Rectangle<int> ((w - 288) / 2, (h - 200) / 2, 288, 200));

    overlay().closeDialog();
    EXPECT_TRUE (secondDestroyed);
    EXPECT_FALSE (overlay().isVisible());
}

TEST_F (About, TheOverlayDimsTheEditorAndTheDialogIsDrawnOnTop)
{
    const auto plain = uitest::render (*editor, juce::Colours::white);
    auto* about = openAbout();
    ASSERT_NE (about, nullptr);
    const auto dimmed = uitest::render (*editor, juce::Colours::white);

    // Black at 0.78 over whatever lies below: a bright pixel of the title keeps 22 %.
    juce::Point<int> bright;
    int best = -1;
    for (int x = 12; x < 60; ++x)
        for (int y = 14; y < 34; ++y)
            if (plain.getPixelAt (x, y).getRed() > best)
            {
                best = plain.getPixelAt (x, y).getRed();
                bright = { x, y };
            }
    ASSERT_GT (best, 150) << "the title's ink";
    EXPECT_NEAR (dimmed.getPixelAt (bright.x, bright.y).getRed(), best * 0.22, 3.0);

    // The dialog's fill and its amber title.
    const auto origin = about->getPosition();
    EXPECT_LE (uitest::colourDistance (dimmed.getPixelAt (origin.x + 200, origin.y + 330), Col::bg0), 2);
    EXPECT_LE (uitest::colourDistance (
                   uitest::strongestInk (dimmed, about->getTitleLabel().getBounds() + origin, Col::bg0), Col::am),
               8);
}

TEST_F (About, TheNoticesWindowOutlivesTheDialogButNotTheEditor)
{
    auto* about = openAbout();
    ASSERT_NE (about, nullptr);
    juce::Component::SafePointer<juce::Component> window (about->showLicenses());
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (noticesWindowsOnTheDesktop(), 1);

    auto* dialogWindow = dynamic_cast<juce::DialogWindow*> (window.getComponent());
    ASSERT_NE (dialogWindow, nullptr);
    auto* text = dynamic_cast<juce::TextEditor*> (dialogWindow->getContentComponent());
    ASSERT_NE (text, nullptr);
    EXPECT_TRUE (text->isReadOnly());
    EXPECT_TRUE (text->isMultiLine());
    EXPECT_EQ (text->getText(), AboutDialog::noticesText());
    EXPECT_TRUE (text->getText().contains ("MIT License"));
    // 480 x 400 is asked for; a window manager's frame estimate may add to it.
    EXPECT_GE (text->getWidth(), 480);
    EXPECT_GE (text->getHeight(), 400);
    EXPECT_TRUE (dialogWindow->isResizable());

    // The dialog closes; the window stays.
    overlay().closeDialog();
    uitest::pump (30);
    EXPECT_NE (window, nullptr);
    EXPECT_EQ (noticesWindowsOnTheDesktop(), 1);

    // The editor closes; the window goes with it.
    editor.reset();
    EXPECT_EQ (window, nullptr);
    EXPECT_EQ (noticesWindowsOnTheDesktop(), 0);
}

TEST_F (About, EscapeClosesTheNoticesWindowAndTheOverlayForgetsIt)
{
    auto* about = openAbout();
    ASSERT_NE (about, nullptr);
    juce::Component::SafePointer<juce::Component> window (about->showLicenses());
    ASSERT_NE (window, nullptr);

    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    for (int i = 0; i < 50 && window != nullptr; ++i)
        uitest::pump (20);
    EXPECT_EQ (window, nullptr);
    EXPECT_TRUE (overlay().getOpenWindows().empty());
}
