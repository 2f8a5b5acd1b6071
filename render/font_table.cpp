#include "render/font_table.h"

#include <algorithm>
#include <cassert>

namespace corvane::render {
namespace {

struct FirstEntry {
    StyleWord key;
    int pointDelta;
    bool fixed;
};

// Body text, H6 to H1, fixed pitch: positions 0 to 7, which the size bits of a key index.
constexpr FirstEntry kFirstEntries[] = {
    {0, 0, false},     {0x401, -4, false}, {0x402, -2, false}, {0x403, 0, false},
    {0x404, 2, false}, {0x405, 4, false},  {0x406, 12, false}, {0x200, 0, true},
};

// Point deltas of FONT sizes 1 to 7 (index 0 unused).
constexpr int kSizeDelta[] = {0, -4, -2, 0, 2, 4, 12, 24};

FontSpec FirstSpec(const FirstEntry& entry, const FontSettings& settings) {
    FontSpec spec;
    if (entry.fixed) {
        spec.face = settings.fixedFace;
        spec.points = settings.fixedPoints;
    } else {
        spec.face = settings.proportionalFace;
        spec.points = settings.proportionalPoints + entry.pointDelta;
        if (entry.key != 0) spec.weight = kFontWeightHeavy;
    }
    return spec;
}

}  // namespace

CFontTable::CFontTable(DrawingSurface& surface, platform::HostServices& host)
    : surface_(surface), host_(host) {}

StyleWord CFontTable::KeyOf(StyleWord style) {
    StyleWord key = style & ~(kStyleUnderline | kStyleBlink);
    if (key & kStyleHeading) key &= ~kStyleBold;
    return key;
}

FontSpec CFontTable::DerivedSpec(StyleWord key, const FontSettings& settings) {
    FontSpec spec;
    const bool fixed = (key & kStyleFixed) != 0;
    spec.face = fixed ? settings.fixedFace : settings.proportionalFace;
    spec.points = fixed ? settings.fixedPoints : settings.proportionalPoints;
    if (key & kStyleFontSize) spec.points += kSizeDelta[key & kStyleSizeMask];
    spec.points = std::max(spec.points, 1);
    spec.weight = IsHeavy(key) ? kFontWeightBold : kFontWeightNormal;
    spec.italic = (key & kStyleItalic) != 0;
    spec.strikeOut = (key & kStyleStrike) != 0;
    return spec;
}

CFontTable::Result CFontTable::Create(const FontSettings& settings) {
    std::vector<Entry> fresh;
    for (const FirstEntry& first : kFirstEntries) {
        FontSpec spec = FirstSpec(first, settings);
        spec.points = std::max(spec.points, 1);
        auto font = surface_.CreateFont(spec);
        if (!font) {
            const bool fixed = first.fixed;
            host_.ShowMessage(
                fixed ? "Fail to re-create fixed base font" : "Fail to re-create base fonts",
                platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
            return fixed ? Result::kFixedFontFailed : Result::kBaseFontsFailed;
        }
        fresh.push_back(Entry{first.key, std::move(font)});
    }
    if (!smallFixed_) smallFixed_ = surface_.CreateFont(FontSpec{"Courier New", 10});
    if (!smallProportional_)
        smallProportional_ = surface_.CreateFont(FontSpec{"Times New Roman", 10});
    if (!smallFixed_ || !smallProportional_) {
        host_.ShowMessage("Fail to re-create base fonts", platform::MessageButtons::kOk,
                          platform::MessageIcon::kExclamation);
        return Result::kBaseFontsFailed;
    }

    entries_ = std::move(fresh);
    settings_ = settings;
    const SurfaceFont& body = *entries_.front().font;
    base_.lineHeight = body.Metrics().height;
    base_.ascent = body.Metrics().ascent;
    base_.averageCharWidth = body.Metrics().averageCharWidth;
    base_.spaceWidth = body.TextWidth(" ");
    return Result::kOk;
}

const SurfaceFont& CFontTable::FontFor(StyleWord style) {
    assert(!entries_.empty() && "Create must succeed before fonts are asked for");
    const StyleWord key = KeyOf(style);
    const SurfaceFont& body = *entries_.front().font;
    for (const Entry& entry : entries_) {
        if (entry.key == key) return entry.font ? *entry.font : body;
    }
    auto font = surface_.CreateFont(DerivedSpec(key, settings_));
    if (!font) {
        host_.ShowMessage("Fail to create font", platform::MessageButtons::kOk,
                          platform::MessageIcon::kExclamation);
    }
    entries_.push_back(Entry{key, std::move(font)});
    return entries_.back().font ? *entries_.back().font : body;
}

}  // namespace corvane::render
