#include "render/average_char_width.h"

namespace corvane::render {
namespace {

// Occurrences per thousand characters of "a" to "z", then of the space.
constexpr int kLetterWeights[26] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3,  6, 35, 20,
                                    56, 56, 17, 4,  49,  56, 71, 31, 10, 18, 3, 18, 2};
constexpr int kSpaceWeight = 166;
constexpr int kTotalWeight = 1000;

}  // namespace

double WeightedAverageCharWidth(const SurfaceFont& font) {
    double sum = kSpaceWeight * font.TextAdvance(" ");
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('a' + i);
        sum += kLetterWeights[i] * font.TextAdvance(std::string_view(&letter, 1));
    }
    return sum / kTotalWeight;
}

}  // namespace corvane::render
