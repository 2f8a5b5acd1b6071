#pragma once
// The view's fonts and colours from the "Settings" section.

#include "config/settings.h"
#include "render/html_view.h"

namespace corvane::render {

ViewSettings ViewSettingsFromDisplay(const config::DisplaySettings& display);

}  // namespace corvane::render
