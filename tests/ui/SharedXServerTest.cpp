// Several test programs share one X server. Their windows come and go while
// the others run, and none of that may end a test program.
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <thread>

TEST (SharedXServer, AnotherProgramsFocusWindowVanishingWhileJuceChecksTheFocusIsHarmless)
{
    // Another client takes the input focus with a window of its own and
    // destroys it, again and again, while JUCE checks whether its window
    // holds the focus: JUCE asks who has the focus, then asks the server
    // about that window, which is often gone by then. (Value-entry boxes do
    // the same check when they take the keyboard focus, with other test
    // programs' boxes opening and closing alongside.)
    juce::Component window;
    window.setBounds (0, 0, 100, 100);
    window.addToDesktop (juce::ComponentPeer::windowIsTemporary);
    window.setVisible (true);
    auto* peer = window.getPeer();
    ASSERT_NE (peer, nullptr);

    std::atomic<bool> stop { false };
    std::atomic<int> vanished { 0 };
    std::thread other ([&stop, &vanished] {
        Display* display = XOpenDisplay (nullptr);
        if (display == nullptr)
            return;
        XSetWindowAttributes attributes {};
        attributes.override_redirect = True;
        while (! stop.load())
        {
            const auto w = XCreateWindow (display, DefaultRootWindow (display), 0, 0, 10, 10, 0, CopyFromParent,
                                          InputOutput, nullptr, CWOverrideRedirect, &attributes);
            XMapWindow (display, w);
            XSetInputFocus (display, w, RevertToParent, CurrentTime);
            XSync (display, False);
            XDestroyWindow (display, w);
            XSync (display, False);
            ++vanished;
        }
        XCloseDisplay (display);
    });

    int checks = 0;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds (10);
    while ((checks < 2000 || vanished.load() < 2000) && std::chrono::steady_clock::now() < giveUp)
    {
        [[maybe_unused]] const bool focused = peer->isFocused();
        ++checks;
    }
    stop = true;
    other.join();

    // Still here; and the two really ran side by side.
    EXPECT_GE (vanished.load(), 2000);
    EXPECT_GE (checks, 2000);
}
