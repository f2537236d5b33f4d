// The LV2 support libraries (lilv, serd, sord, sratom) that JUCE's LV2
// hosting reads bundles with; test-only, like the rest of the hosting.
#include <juce_audio_processors/juce_audio_processors_lv2_libs.cpp>
