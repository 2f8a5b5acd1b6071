#include "render/view_settings.h"

namespace corvane::render {

ViewSettings ViewSettingsFromDisplay(const config::DisplaySettings& display) {
    ViewSettings settings;
    settings.fonts.proportionalFace = display.propFontName;
    settings.fonts.proportionalPoints = display.propFontSize;
    settings.fonts.fixedFace = display.fixFontName;
    settings.fonts.fixedPoints = display.fixFontSize;
    // Stored colours already hold red in the low byte.
    const auto colour = [](int value) { return static_cast<Color>(value) & 0xFFFFFF; };
    settings.colors.text = colour(display.textColor);
    settings.colors.background = colour(display.backgroundColor);
    settings.colors.link = colour(display.unvisitedLinkColor);
    settings.colors.visitedLink = colour(display.visitedLinkColor);
    settings.colors.activeLink = colour(display.highlightedLinkColor);
    settings.colors.underlineLinks = display.underlineLinks != 0;
    settings.useDocumentColors = display.useDocumentColor != 0;
    return settings;
}

}  // namespace corvane::render
