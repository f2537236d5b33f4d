// The editor's zoom: the user's step times the host's scale, applied as one
// transform of the whole editor and kept within the screen's work area.

#include "plugin/PluginEditor.h"

#include "presets/PresetSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Below this much room for the sections the window would show only the fixed
// controls; the scale is reduced instead.
constexpr int minimumSectionRoom = 40;
} // namespace

float MassDelayAudioProcessorEditor::largestScaleFor (juce::Rectangle<int> workArea, int fixedHeight)
{
    // Without a screen (renderers) nothing limits the scale.
    if (workArea.isEmpty() || fixedHeight <= 0)
        return std::numeric_limits<float>::max();
    return std::min (static_cast<float> (workArea.getWidth()) / static_cast<float> (editorWidth),
                     static_cast<float> (workArea.getHeight()) / static_cast<float> (fixedHeight));
}

int MassDelayAudioProcessorEditor::tallestHeightFor (juce::Rectangle<int> workArea, float scale)
{
    if (workArea.isEmpty() || ! (scale > 0.0f))
        return maxHeight;
    return static_cast<int> (std::floor (static_cast<float> (workArea.getHeight()) / scale + 1.0e-3f));
}

juce::Rectangle<int> MassDelayAudioProcessorEditor::screenWorkArea() const
{
    const auto& displays = juce::Desktop::getInstance().getDisplays();
    const auto* display = isShowing() ? displays.getDisplayForRect (getScreenBounds()) : displays.getPrimaryDisplay();
    return display != nullptr ? display->userArea : juce::Rectangle<int>();
}

void MassDelayAudioProcessorEditor::setScaleFactor (float newScale)
{
    hostScale = std::isfinite (newScale) && newScale > 0.0f ? newScale : 1.0f;
    applyScale();

    // The VST3 wrapper puts back the editor's previous size right after this
    // call; the height rule for the new scale follows once it has.
    juce::Component::SafePointer<MassDelayAudioProcessorEditor> safeThis (this);
    juce::MessageManager::callAsync ([safeThis] {
        if (safeThis != nullptr)
            safeThis->updateWindowHeight();
    });
}

void MassDelayAudioProcessorEditor::setZoomPercent (int percent)
{
    applyZoomPercent (percent);
    presets::setZoomPercent (zoomPercent, presets::defaultSettingsFile());
}

void MassDelayAudioProcessorEditor::applyZoomPercent (int percent)
{
    zoomPercent = presets::nearestZoomStep (percent);
    applyScale();
    updateWindowHeight();
}

void MassDelayAudioProcessorEditor::applyScale()
{
    const float wanted = hostScale * static_cast<float> (zoomPercent) / 100.0f;
    const float limit = largestScaleFor (screenWorkArea(), sectionTop + 21 + minimumSectionRoom);
    // Never below the host's own scale or 1: a screen too small for those is
    // the host's to handle.
    effectiveScale = std::max (std::min (wanted, limit), std::min (hostScale, wanted));
    AudioProcessorEditor::setScaleFactor (effectiveScale);
}
