#pragma once
// The main window's stored placement and bars (section "Main Frame"), read at start and written
// whole when the window closes, with the decisions the window makes from them. Toolkit-free: the
// Qt window converts to and from its own geometry.

#include "config/settings_section.h"

namespace corvane::config {

struct Rectangle {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // Empty when it has no area; an empty stored rectangle leaves the system's placement.
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const Rectangle&) const = default;
};

enum class DockSide { kTop, kBottom, kLeft, kRight };
enum class Orientation { kHorizontal, kVertical };

struct MainFramePlacement {
    bool toolBar = true;
    bool statusBar = true;
    bool locationBar = true;
    bool maximized = false;
    bool minimized = false;
    Rectangle restored;  // the window's normal (not maximised or minimised) rectangle
    bool toolDocked = true;
    Rectangle toolBarRectangle;
    bool operator==(const MainFramePlacement&) const = default;

    // A floating toolbar lies horizontally when it is wider than high.
    Orientation FloatingOrientation() const {
        return toolBarRectangle.width > toolBarRectangle.height ? Orientation::kHorizontal
                                                                : Orientation::kVertical;
    }
};

MainFramePlacement ReadMainFramePlacement(const CSettingsSection& mainFrame);

// Writes every key (the window closes once per run); false when the file could not be written.
bool WriteMainFramePlacement(CSettingsSection& mainFrame, const MainFramePlacement& placement);

// The side of `frame` nearest to the docked toolbar's stored rectangle (its centre); the top wins
// ties, then the bottom, the left and the right.
DockSide NearestDockSide(const Rectangle& frame, const Rectangle& toolBar);

}  // namespace corvane::config
