#include "SnapshotModes.h"

#include "EditorSnapshot.h"
#include "MainControlsGallery.h"
#include "WidgetGallery.h"

const std::vector<SnapshotMode>& snapshotModes()
{
    static const std::vector<SnapshotMode> modes {
        { "gallery", "every widget of the visual language in its states",
          [] (const SnapshotOptions&, juce::String&) { return std::make_unique<WidgetGallery>(); } },
        { "main-controls",
          "the filter range, the width and ping-pong row, the density strip and the master fader in their states",
          [] (const SnapshotOptions&, juce::String&) { return std::make_unique<MainControlsGallery>(); } },
        { "editor",
          "the whole editor for a preset, a saved state or the defaults, after a number of refresh ticks; "
          "--open options|about|licences|presets shows that panel, dialog or menu",
          [] (const SnapshotOptions& options, juce::String& error) -> std::unique_ptr<juce::Component> {
              EditorSnapshot::Setup setup;
              setup.presetId = options.presetId;
              setup.stateFile = options.stateFile;
              setup.values = options.values;
              setup.ticks = options.ticks;
              setup.open = options.open;
              setup.dragId = options.dragId;
              setup.hoverId = options.hoverId;
              setup.expand = options.expand;
              setup.zoom = options.zoom;
              return EditorSnapshot::create (setup, error);
          } },
    };
    return modes;
}
