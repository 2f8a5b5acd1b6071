#pragma once
// Device-pixel geometry and colours shared by layout, drawing and the view.

#include <algorithm>
#include <cstdint>

namespace corvane::render {

// A 32-bit RGB value with red in the low byte, then green, then blue.
using Color = std::uint32_t;

constexpr Color MakeColor(int red, int green, int blue) {
    return static_cast<Color>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int RedOf(Color color) {
    return static_cast<int>(color & 0xFF);
}
constexpr int GreenOf(Color color) {
    return static_cast<int>((color >> 8) & 0xFF);
}
constexpr int BlueOf(Color color) {
    return static_cast<int>((color >> 16) & 0xFF);
}

inline constexpr Color kBlack = MakeColor(0, 0, 0);
inline constexpr Color kWhite = MakeColor(255, 255, 255);

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(Point point) const {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    bool Intersects(const Rect& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    // Union that ignores empty rectangles on either side.
    void Unite(const Rect& other) {
        if (other.IsEmpty()) return;
        if (IsEmpty()) {
            *this = other;
            return;
        }
        left = std::min(left, other.left);
        top = std::min(top, other.top);
        right = std::max(right, other.right);
        bottom = std::max(bottom, other.bottom);
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

}  // namespace corvane::render
