#pragma once
// A colour of the records and the controls: red, green and blue, one byte each.
// Through the generic invokers and property accessors it travels as one Int32,
// 0x00RRGGBB, like the framework's own colour values.
#include <cstdint>

#include "framework/Runtime.h"

namespace fw {

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    int32_t Packed() const { return (int32_t(red) << 16) | (int32_t(green) << 8) | int32_t(blue); }
    static Color FromPacked(int32_t rgb) {
        return Color{uint8_t((rgb >> 16) & 0xFF), uint8_t((rgb >> 8) & 0xFF), uint8_t(rgb & 0xFF)};
    }
    bool operator==(const Color& o) const { return red == o.red && green == o.green && blue == o.blue; }
    bool operator!=(const Color& o) const { return !(*this == o); }
};

inline constexpr Color kBlack{0x00, 0x00, 0x00};
inline constexpr Color kWhite{0xFF, 0xFF, 0xFF};

template <> struct ValueTraits<Color> {
    static Color From(const Value& v) { return Color::FromPacked(std::get<int32_t>(v)); }
    static Value To(const Color& c) { return c.Packed(); }
};

// Text sizes are single-precision; a Value carries them as a double.
template <> struct ValueTraits<float> {
    static float From(const Value& v) { return static_cast<float>(std::get<double>(v)); }
    static Value To(float f) { return static_cast<double>(f); }
};

}  // namespace fw
