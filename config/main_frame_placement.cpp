#include "config/main_frame_placement.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace corvane::config {
namespace {

struct FlagKey {
    const IntKey& key;
    bool MainFramePlacement::*member;
};
struct NumberKey {
    const IntKey& key;
    Rectangle MainFramePlacement::*rectangle;
    int Rectangle::*member;
};

const FlagKey kFlags[] = {
    {keys::kToolBar, &MainFramePlacement::toolBar},
    {keys::kStatusBar, &MainFramePlacement::statusBar},
    {keys::kLocationBar, &MainFramePlacement::locationBar},
    {keys::kMaximized, &MainFramePlacement::maximized},
    {keys::kMinimized, &MainFramePlacement::minimized},
    {keys::kToolDock, &MainFramePlacement::toolDocked},
};

const NumberKey kNumbers[] = {
    {keys::kX, &MainFramePlacement::restored, &Rectangle::x},
    {keys::kY, &MainFramePlacement::restored, &Rectangle::y},
    {keys::kWidth, &MainFramePlacement::restored, &Rectangle::width},
    {keys::kHeight, &MainFramePlacement::restored, &Rectangle::height},
    {keys::kToolX, &MainFramePlacement::toolBarRectangle, &Rectangle::x},
    {keys::kToolY, &MainFramePlacement::toolBarRectangle, &Rectangle::y},
    {keys::kToolWidth, &MainFramePlacement::toolBarRectangle, &Rectangle::width},
    {keys::kToolHeight, &MainFramePlacement::toolBarRectangle, &Rectangle::height},
};

}  // namespace

MainFramePlacement ReadMainFramePlacement(const CSettingsSection& mainFrame) {
    MainFramePlacement placement;
    for (const FlagKey& flag : kFlags) placement.*flag.member = mainFrame.Get(flag.key) != 0;
    for (const NumberKey& number : kNumbers) {
        placement.*number.rectangle.*number.member = mainFrame.Get(number.key);
    }
    return placement;
}

bool WriteMainFramePlacement(CSettingsSection& mainFrame, const MainFramePlacement& placement) {
    bool written = true;
    for (const FlagKey& flag : kFlags) {
        written &= mainFrame.WriteInt(flag.key.key, placement.*flag.member ? 1 : 0);
    }
    for (const NumberKey& number : kNumbers) {
        written &= mainFrame.WriteInt(number.key.key, placement.*number.rectangle.*number.member);
    }
    return written;
}

DockSide NearestDockSide(const Rectangle& frame, const Rectangle& toolBar) {
    // Twice the centre, so halves need no rounding; 64-bit so stored junk cannot overflow.
    const std::int64_t centreX = 2 * std::int64_t{toolBar.x} + toolBar.width;
    const std::int64_t centreY = 2 * std::int64_t{toolBar.y} + toolBar.height;
    const std::int64_t left = 2 * std::int64_t{frame.x};
    const std::int64_t top = 2 * std::int64_t{frame.y};
    const std::array<std::pair<DockSide, std::int64_t>, 4> distances = {{
        {DockSide::kTop, std::llabs(centreY - top)},
        {DockSide::kBottom, std::llabs(top + 2 * std::int64_t{frame.height} - centreY)},
        {DockSide::kLeft, std::llabs(centreX - left)},
        {DockSide::kRight, std::llabs(left + 2 * std::int64_t{frame.width} - centreX)},
    }};
    auto nearest = distances[0];
    for (const auto& candidate : distances) {
        if (candidate.second < nearest.second) nearest = candidate;
    }
    return nearest.first;
}

}  // namespace corvane::config
