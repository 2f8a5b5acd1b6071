#pragma once
// The average character width that every indent is counted in: the advances of the lower-case
// letters and the space, each weighted by how often it occurs in English text, the way fonts'
// average widths were once defined. A font's own declared average covers all its glyphs and
// comes out far wider for some faces.

#include "render/drawing_surface.h"

namespace corvane::render {

double WeightedAverageCharWidth(const SurfaceFont& font);

}  // namespace corvane::render
