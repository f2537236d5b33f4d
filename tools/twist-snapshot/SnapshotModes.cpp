#include "SnapshotModes.h"

#include "WidgetGallery.h"

const std::vector<SnapshotMode>& snapshotModes()
{
    static const std::vector<SnapshotMode> modes {
        { "gallery", "every widget of the visual language in its states",
          [] { return std::make_unique<WidgetGallery>(); } },
    };
    return modes;
}
