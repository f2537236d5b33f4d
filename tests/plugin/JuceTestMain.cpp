#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

// JUCE needs its message manager (and, for GUI classes, its initialiser)
// alive for the whole run.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
