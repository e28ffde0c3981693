// A small painter for the HUD's pictures: shapes given as signed distances (in texels, negative
// inside) are filled with smooth edges and laid over what is already there, so panels, dials,
// lamps and glyphs come out crisp at any size. Glyphs are dashboard-style: LCD digits of seven
// rounded, slanted segments, and letters drawn as strokes.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace hud {

struct Rgb {
    double r, g, b;
};

inline Rgb Mix(Rgb a, Rgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
inline Rgb Scale(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }

struct V {
    double x, y;
};
inline V operator+(V a, V b) { return {a.x + b.x, a.y + b.y}; }
inline V operator-(V a, V b) { return {a.x - b.x, a.y - b.y}; }
inline V operator*(V a, double k) { return {a.x * k, a.y * k}; }
inline double Dot(V a, V b) { return a.x * b.x + a.y * b.y; }
inline double Len(V a) { return std::sqrt(Dot(a, a)); }

// A shape: the signed distance of a point from its edge.
using Shape = std::function<double(V)>;
// The colour a shape is filled with at a point.
using Paint = std::function<Rgb(V)>;

inline Paint Flat(Rgb c) {
    return [c](V) { return c; };
}
// From colour a at y0 to colour b at y1.
inline Paint VerticalGradient(Rgb a, Rgb b, double y0, double y1) {
    return [=](V p) { return Mix(a, b, std::clamp((p.y - y0) / (y1 - y0), 0.0, 1.0)); };
}
inline Paint RadialGradient(Rgb inner, Rgb outer, V c, double r) {
    return [=](V p) { return Mix(inner, outer, std::clamp(Len(p - c) / r, 0.0, 1.0)); };
}

inline Shape Circle(V c, double r) {
    return [=](V p) { return Len(p - c) - r; };
}
inline Shape Ring(V c, double inner, double outer) {
    return [=](V p) {
        const double d = Len(p - c);
        return std::max(inner - d, d - outer);
    };
}
// A rectangle with corners rounded by radius.
inline Shape Box(V lo, V hi, double radius) {
    return [=](V p) {
        const V c = (lo + hi) * 0.5, half = (hi - lo) * 0.5;
        const double qx = std::abs(p.x - c.x) - half.x + radius, qy = std::abs(p.y - c.y) - half.y + radius;
        const double outside = Len({std::max(qx, 0.0), std::max(qy, 0.0)});
        return outside + std::min(std::max(qx, qy), 0.0) - radius;
    };
}
// A stroke from a to b, halfWidth thick on each side, with round ends.
inline Shape Capsule(V a, V b, double halfWidth) {
    return [=](V p) {
        const V ab = b - a;
        const double len2 = Dot(ab, ab);
        const double t = len2 > 0 ? std::clamp(Dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
        return Len(p - (a + ab * t)) - halfWidth;
    };
}
// A convex polygon, its corners in either turning order.
inline Shape Polygon(std::vector<V> corners) {
    double area = 0;
    for (size_t i = 0; i < corners.size(); ++i) {
        const V a = corners[i], b = corners[(i + 1) % corners.size()];
        area += a.x * b.y - b.x * a.y;
    }
    const double sign = area > 0 ? 1.0 : -1.0;
    return [corners, sign](V p) {
        double d = -1e9;
        for (size_t i = 0; i < corners.size(); ++i) {
            const V a = corners[i], b = corners[(i + 1) % corners.size()];
            const V edge = b - a;
            const V outward = V{edge.y, -edge.x} * (sign / Len(edge));
            d = std::max(d, Dot(p - a, outward));
        }
        return d;
    };
}
// The part of a ring between two angles (radians, 0 up, growing clockwise on the picture).
inline Shape Arc(V c, double inner, double outer, double from, double to) {
    return [=](V p) {
        const V d = p - c;
        const double r = Len(d);
        double band = std::max(inner - r, r - outer);
        const double angle = std::atan2(d.x, -d.y);
        const double mid = (from + to) / 2, half = (to - from) / 2;
        double off = std::remainder(angle - mid, 2 * M_PI);
        const double across = (std::abs(off) - half) * r;
        return std::max(band, across);
    };
}
inline Shape Union(Shape a, Shape b) {
    return [=](V p) { return std::min(a(p), b(p)); };
}
inline Shape Cut(Shape a, Shape b) {
    return [=](V p) { return std::max(a(p), -b(p)); };
}
inline Shape Grow(Shape a, double by) {
    return [=](V p) { return a(p) - by; };
}
// The point turned about centre c by angle (radians, clockwise on the picture).
inline V Turn(V p, V c, double angle) {
    const V d = p - c;
    const double s = std::sin(angle), k = std::cos(angle);
    return {c.x + d.x * k - d.y * s, c.y + d.x * s + d.y * k};
}

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_rgb(width * height), m_alpha(width * height) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Lays the shape over the picture with the paint, its edge one texel soft.
    void Fill(const Shape& shape, const Paint& paint, double opacity = 1.0) {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const V p{x + 0.5, y + 0.5};
                const double cover = std::clamp(0.5 - shape(p), 0.0, 1.0) * opacity;
                if (cover > 0) Over(x, y, paint(p), cover);
            }
    }
    void Fill(const Shape& shape, Rgb colour, double opacity = 1.0) { Fill(shape, Flat(colour), opacity); }
    // A dark glow round the shape, so a light shape stays readable on a light background.
    void Halo(const Shape& shape, double width, double opacity) {
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const double d = shape({x + 0.5, y + 0.5});
                if (d >= width) continue;
                const double cover = d <= 0 ? 1.0 : 1.0 - d / width;
                Over(x, y, {0, 0, 0}, cover * cover * opacity);
            }
    }

    // ARGB, for the TGA writer.
    uint32_t Texel(int x, int y) const {
        const Rgb& c = m_rgb[y * m_width + x];
        auto byte = [](double v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
        return byte(m_alpha[y * m_width + x]) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b);
    }

private:
    void Over(int x, int y, Rgb c, double a) {
        Rgb& dst = m_rgb[y * m_width + x];
        double& da = m_alpha[y * m_width + x];
        const double out = a + da * (1 - a);
        if (out <= 0) return;
        const double below = da * (1 - a);
        dst = {(c.r * a + dst.r * below) / out, (c.g * a + dst.g * below) / out, (c.b * a + dst.b * below) / out};
        da = out;
    }

    int m_width, m_height;
    std::vector<Rgb> m_rgb;
    std::vector<double> m_alpha;
};

// ---- Glyphs ------------------------------------------------------------------------------------

// The box a glyph is drawn in, and how far its top leans to the right.
struct GlyphBox {
    V lo;
    V size;
    double slant = 0.12;
    double stroke = 0.13;  // half of a stroke's width, of the box's width
};

// The point (u, v) of the box (0..1 across and down), leaning with the box.
inline V At(const GlyphBox& b, double u, double v) {
    return {b.lo.x + b.size.x * (u + b.slant * (0.5 - v)), b.lo.y + b.size.y * v};
}

// Strokes through the points of each line, as one shape.
inline Shape Strokes(const GlyphBox& b, std::initializer_list<std::initializer_list<std::pair<double, double>>> lines) {
    const double hw = b.stroke * b.size.x;
    Shape shape = [](V) { return 1e9; };
    for (const auto& line : lines) {
        const std::pair<double, double>* prev = nullptr;
        for (const auto& point : line) {
            if (prev) shape = Union(shape, Capsule(At(b, prev->first, prev->second), At(b, point.first, point.second), hw));
            prev = &point;
        }
    }
    return shape;
}

// An LCD digit: the segments of the digit out of a (top), b, c (right, top to bottom), d
// (bottom), e, f (left, bottom to top) and g (middle), each a rounded bar with a small gap.
inline Shape Digit(const GlyphBox& b, int digit) {
    static constexpr const char* kSegments[10] = {"abcdef", "bc", "abged", "abgcd", "fgbc",
                                                  "afgcd",  "afgedc", "abc", "abcdefg", "abcdfg"};
    const double l = 0.12, r = 0.88, t = 0.06, m = 0.5, bo = 0.94, gap = 0.09;
    auto bar = [&](double u0, double v0, double u1, double v1) {
        const bool across = v0 == v1;
        const double du = across ? gap : 0, dv = across ? 0 : gap * b.size.x / b.size.y;
        return Capsule(At(b, u0 + du, v0 + dv), At(b, u1 - du, v1 - dv), b.stroke * b.size.x);
    };
    Shape shape = [](V) { return 1e9; };
    for (const char* s = kSegments[digit]; *s; ++s) {
        switch (*s) {
            case 'a': shape = Union(shape, bar(l, t, r, t)); break;
            case 'b': shape = Union(shape, bar(r, t, r, m)); break;
            case 'c': shape = Union(shape, bar(r, m, r, bo)); break;
            case 'd': shape = Union(shape, bar(l, bo, r, bo)); break;
            case 'e': shape = Union(shape, bar(l, m, l, bo)); break;
            case 'f': shape = Union(shape, bar(l, t, l, m)); break;
            default: shape = Union(shape, bar(l, m, r, m)); break;
        }
    }
    return shape;
}

// The letters a dashboard needs: F, N and R.
inline Shape Letter(const GlyphBox& b, char letter) {
    switch (letter) {
        case 'F': return Strokes(b, {{{0.85, 0.06}, {0.15, 0.06}, {0.15, 0.94}}, {{0.15, 0.48}, {0.7, 0.48}}});
        case 'N': return Strokes(b, {{{0.15, 0.94}, {0.15, 0.06}, {0.85, 0.94}, {0.85, 0.06}}});
        default:
            return Strokes(b, {{{0.15, 0.94}, {0.15, 0.06}, {0.62, 0.06}, {0.82, 0.14}, {0.86, 0.28}, {0.82, 0.42},
                                {0.62, 0.5}, {0.15, 0.5}},
                               {{0.5, 0.5}, {0.86, 0.94}}});
    }
}

}  // namespace hud
