#pragma once
// The window's fonts, keyed by style word. Eight fonts are made up front (body text, the six
// heading sizes, fixed pitch); every other style gets a font derived on first use and cached, so
// a font is made once per key for the life of the table.

#include <memory>
#include <string>
#include <vector>

#include "platform/host_services.h"
#include "render/drawing_surface.h"
#include "render/style_word.h"

namespace corvane::render {

// The font settings the table is made from ("PropFontName", "PropFontSize", "FixFontName",
// "FixFontSize").
struct FontSettings {
    std::string proportionalFace = "Times New Roman";
    int proportionalPoints = 12;
    std::string fixedFace = "Courier New";
    int fixedPoints = 10;
    friend bool operator==(const FontSettings&, const FontSettings&) = default;
};

// Metrics of the body font, the units of indentation and spacing in layout.
struct BaseMetrics {
    int lineHeight = 0;
    int ascent = 0;
    int averageCharWidth = 0;
    int spaceWidth = 0;
};

class CFontTable {
  public:
    CFontTable(DrawingSurface& surface, platform::HostServices& host);

    enum class Result { kOk, kBaseFontsFailed, kFixedFontFailed };
    // (Re)makes the eight first fonts and drops derived ones. On failure the table keeps
    // whatever it had before and the caller closes the window after the message.
    [[nodiscard]] Result Create(const FontSettings& settings);

    // The font for a style word; never null once Create succeeded. A font that cannot be made
    // is reported once and replaced by the body font.
    const SurfaceFont& FontFor(StyleWord style);

    const BaseMetrics& Base() const { return base_; }
    const FontSettings& Settings() const { return settings_; }
    const SurfaceFont& SmallFixedFont() const { return *smallFixed_; }
    const SurfaceFont& SmallProportionalFont() const { return *smallProportional_; }
    size_t Size() const { return entries_.size(); }

    // The table key of a style: underline and blink never change the font, and headings are
    // heavy by themselves.
    static StyleWord KeyOf(StyleWord style);
    // The font a key not among the first eight is derived as.
    static FontSpec DerivedSpec(StyleWord key, const FontSettings& settings);

  private:
    struct Entry {
        StyleWord key;
        std::unique_ptr<SurfaceFont> font;  // null: creation failed, the body font stands in
    };

    DrawingSurface& surface_;
    platform::HostServices& host_;
    FontSettings settings_;
    std::vector<Entry> entries_;
    BaseMetrics base_;
    std::unique_ptr<SurfaceFont> smallFixed_;
    std::unique_ptr<SurfaceFont> smallProportional_;
};

}  // namespace corvane::render
