// Writes the in-game HUD's pictures below the given game directory (textures\hud\): the top panels
// of a race and of a field task with their LCD digits and signs, the start lights, the dashboard
// (the speedometer with its temperature arc, its two overlays, the needles, the gears and the four
// work lamps), the fill bar with its needle, the task's progress bar, the overview map's frame,
// the target marker and edge arrows, the whistle, forbidden and turn icons, the instruction frame;
// the overview map's marker sphere (prefabs\special\marker_sferyczny.x) and the overheating
// engine's warning beep (sounds\hot.wav).
//
// Sizes follow the HUD's layout units (a 1024 x 768 frame): each picture keeps the aspect of the
// rectangle it is drawn in, and the dials sit where the HUD puts its needles.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HudPainter.h"
#include "ModelBuilder.h"
#include "SoundSynth.h"
#include "TgaWriter.h"

namespace {

using namespace hud;

// The dashboard's colours.
constexpr Rgb kEnamelTop{0.13, 0.27, 0.15}, kEnamelBottom{0.06, 0.14, 0.08};
constexpr Rgb kCream{1.0, 0.94, 0.78};
constexpr Rgb kLcd{0.025, 0.04, 0.03};
constexpr Rgb kSteel{0.62, 0.64, 0.62};
constexpr Rgb kBodyTop{0.20, 0.21, 0.20}, kBodyBottom{0.08, 0.085, 0.08};
constexpr Rgb kNeedle{1.0, 0.36, 0.08};
constexpr Rgb kAmber{1.0, 0.72, 0.18}, kGreen{0.40, 0.95, 0.35}, kRed{1.0, 0.24, 0.16};

std::filesystem::path g_dir;
bool g_ok = true;

void Save(const char* name, const Canvas& c) {
    g_ok = tga::Write(g_dir / name, c.Width(), c.Height(), [&c](int x, int y) { return c.Texel(x, y); }) && g_ok;
}

// A steel bolt head.
void Bolt(Canvas& c, V at, double r) {
    c.Fill(Circle(at, r), RadialGradient({0.85, 0.86, 0.84}, {0.35, 0.36, 0.35}, at - V{r * 0.4, r * 0.4}, r * 1.6));
    c.Fill(Capsule(at - V{r * 0.55, 0}, at + V{r * 0.55, 0}, r * 0.14), {0.2, 0.2, 0.2});
}

// A sunken dark window for LCD figures.
void LcdWindow(Canvas& c, V lo, V hi) {
    c.Fill(Box(lo - V{2, 2}, hi + V{2, 2}, 7), {0.02, 0.03, 0.02});
    c.Fill(Box(lo, hi, 5), VerticalGradient({0.05, 0.08, 0.06}, kLcd, lo.y, hi.y));
}

// ---- Symbols -------------------------------------------------------------------------------

Shape ClockSymbol(V c, double r) {
    return Union(Ring(c, r * 0.72, r), Union(Capsule(c, c - V{0, r * 0.55}, r * 0.11), Capsule(c, c + V{r * 0.42, 0}, r * 0.11)));
}

// A wheat ear: a stem with grains on both sides.
Shape WheatSymbol(V c, double h) {
    Shape s = Capsule(c + V{0, h * 0.5}, c - V{0, h * 0.45}, h * 0.045);
    for (int i = 0; i < 4; ++i) {
        const double y = c.y - h * 0.32 + i * h * 0.17;
        s = Union(s, Capsule({c.x - h * 0.05, y}, {c.x - h * 0.2, y - h * 0.1}, h * 0.06));
        s = Union(s, Capsule({c.x + h * 0.05, y}, {c.x + h * 0.2, y - h * 0.1}, h * 0.06));
    }
    return Union(s, Capsule(c - V{0, h * 0.42}, c - V{0, h * 0.52}, h * 0.06));
}

Shape ThermometerSymbol(V c, double h) {
    return Union(Capsule(c - V{0, h * 0.42}, c + V{0, h * 0.2}, h * 0.1), Circle(c + V{0, h * 0.3}, h * 0.18));
}

// A chequered flag on a pole, the cloth flat; the squares are painted by ChequerPaint.
Shape FlagCloth(V lo, V size) { return Box(lo, lo + size, size.y * 0.05); }
Paint ChequerPaint(V lo, V size) {
    return [=](V p) {
        const int i = static_cast<int>(std::floor((p.x - lo.x) / size.x * 4)), j = static_cast<int>(std::floor((p.y - lo.y) / size.y * 3));
        return (i + j) % 2 ? Rgb{0.05, 0.05, 0.05} : Rgb{0.97, 0.97, 0.95};
    };
}

// A bold arrow pointing up from the middle of a square of side s, turned by angle.
Shape Arrow(double s, double angle) {
    const V c{s / 2, s / 2};
    Shape head = Polygon({{s * 0.5, s * 0.1}, {s * 0.88, s * 0.55}, {s * 0.12, s * 0.55}});
    Shape stem = Box({s * 0.36, s * 0.5}, {s * 0.64, s * 0.88}, s * 0.05);
    Shape up = Union(head, stem);
    return [=](V p) { return up(Turn(p, c, -angle)); };
}

// A quarter-circle arrow of a turn: up from the bottom, bending to the left (or to the right).
Shape TurnArrow(double s, bool left) {
    const double k = left ? 1.0 : -1.0;
    auto x = [&](double u) { return s / 2 + k * (u - s / 2); };
    const double w = s * 0.075;
    Shape stem = Capsule({x(s * 0.62), s * 0.84}, {x(s * 0.62), s * 0.52}, w);
    Shape bend = [=](V p) {
        const V mirrored{left ? p.x : s - p.x, p.y};
        return Arc({s * 0.4, s * 0.52}, s * 0.22 - w, s * 0.22 + w, 0, M_PI / 2)(mirrored);
    };
    Shape head = Polygon({{x(s * 0.42), s * 0.14}, {x(s * 0.42), s * 0.46}, {x(s * 0.16), s * 0.3}});
    return Union(Union(stem, bend), head);
}

// ---- Pictures ------------------------------------------------------------------------------

// Digits and signs of the panels: cream LCD figures, the glyph in the middle half of the square
// (the HUD advances a figure by about half its size).
void Figures() {
    const double n = 64;
    const GlyphBox box{{n * 0.29, n * 0.12}, {n * 0.42, n * 0.76}, 0.12, 0.15};
    for (int d = 0; d < 10; ++d) {
        Canvas c(64, 64);
        Shape s = Digit(box, d);
        c.Halo(s, 4, 0.7);
        c.Fill(s, kCream);
        Save(("hud_" + std::to_string(d) + ".tga").c_str(), c);
    }
    auto sign = [&](const char* name, const Shape& s) {
        Canvas c(64, 64);
        c.Halo(s, 4, 0.7);
        c.Fill(s, kCream);
        Save(name, c);
    };
    sign("hud_dwukropek.tga", Union(Circle({n * 0.52, n * 0.33}, 4.5), Circle({n * 0.48, n * 0.7}, 4.5)));
    sign("hud_kropka.tga", Circle({n * 0.45, n * 0.88}, 4.5));
    sign("hud_slash.tga", Capsule({n * 0.64, n * 0.1}, {n * 0.38, n * 0.92}, 3.6));
}

// The gear letters and numbers: F green, N cream, R red, 1 to 5 amber.
void Gears() {
    const GlyphBox box{{64 * 0.2, 64 * 0.12}, {64 * 0.6, 64 * 0.76}, 0.1, 0.14};
    auto gear = [&](const char* name, const Shape& s, Rgb colour) {
        Canvas c(64, 64);
        c.Halo(s, 5, 0.8);
        c.Fill(s, colour);
        Save(name, c);
    };
    gear("hud_gear_f.tga", Letter(box, 'F'), kGreen);
    gear("hud_gear_n.tga", Letter(box, 'N'), kCream);
    gear("hud_gear_r.tga", Letter(box, 'R'), kRed);
    for (int g = 1; g <= 5; ++g) {
        GlyphBox centred = box;
        if (g == 1) centred.lo.x -= 0.38 * box.size.x;
        gear(("hud_gear_" + std::to_string(g) + ".tga").c_str(), Digit(centred, g), kAmber);
    }
}

// An enamel plate with a cream pinstripe and a bolt in each corner, down to `bottom`.
void Plate(Canvas& c, double bottom) {
    const double w = c.Width();
    c.Fill(Box({2, 2}, {w - 2, bottom + 4}, 24), {0, 0, 0}, 0.5);
    c.Fill(Box({4, 4}, {w - 4, bottom}, 22), VerticalGradient(kEnamelTop, kEnamelBottom, 4, bottom));
    c.Fill(Cut(Box({11, 11}, {w - 11, bottom - 7}, 16), Box({13.5, 13.5}, {w - 13.5, bottom - 9.5}, 14)), kCream, 0.8);
    c.Fill(Box({16, 8}, {w - 16, 20}, 6), {1, 1, 1}, 0.06);
    for (V at : {V{24, 24}, V{w - 24, 24}, V{24, bottom - 20}, V{w - 24, bottom - 20}}) Bolt(c, at, 5);
}

// The top panels, 320 x 160 layout units: the figures' row at 0.21875 of the height.
void TopPanels() {
    const double rowTop = 50, rowBottom = 92, rowMid = 71;
    {
        Canvas c(512, 256);
        Plate(c, 104);
        LcdWindow(c, {79, rowTop}, {232, rowBottom});
        LcdWindow(c, {268, rowTop}, {364, rowBottom});
        c.Fill(ClockSymbol({48, rowMid}, 15), kCream);
        c.Fill(Box({240, rowMid - 15}, {243, rowMid + 17}, 1), kSteel);
        c.Fill(FlagCloth({245, rowMid - 15}, {18, 13}), ChequerPaint({245, rowMid - 15}, {18, 13}));
        Save("hud_top_maly.tga", c);
    }
    {
        Canvas c(512, 256);
        Plate(c, 160);
        LcdWindow(c, {76, rowTop}, {232, rowBottom});
        LcdWindow(c, {262, rowTop}, {454, rowBottom});
        c.Fill(ClockSymbol({48, rowMid}, 15), kCream);
        // The progress bar's trough; the green bar fills it from x 88 to 449, y 110 to 130.
        c.Fill(Box({84, 106}, {453, 134}, 6), {0.02, 0.03, 0.02});
        c.Fill(Box({88, 110}, {449, 130}, 4), VerticalGradient({0.05, 0.07, 0.05}, {0.12, 0.15, 0.12}, 110, 130));
        for (int i = 1; i < 4; ++i) c.Fill(Box({88 + 90.25 * i - 1, 110}, {88 + 90.25 * i + 1, 130}, 0), kCream, 0.25);
        c.Fill(WheatSymbol({48, 120}, 34), {0.95, 0.80, 0.35});
        Save("hud_top_duzy.tga", c);
    }
}

// The speedometer's geometry: its centre and dial radius in the 512 x 256 dashboard picture (480 x
// 240 units); the needles turn about this point.
constexpr V kDial{126.5, 130.0};
constexpr double kDialRadius = 112;

// The needle's turn for a speed in km/h (the HUD's formula at simple driving).
double SpeedAngle(double kmh) { return (kmh * 1.9 * 0.031415928 - 2.07345126) * 0.69; }

V Polar(double angle, double r) { return {kDial.x + std::sin(angle) * r, kDial.y - std::cos(angle) * r}; }

void Dashboard() {
    Canvas c(512, 256);
    // The body: round round the dial, a plate to the right that the fill bars stand on.
    Shape body = Union(Circle(kDial, kDialRadius + 14), Box({120, 70}, {508, 254}, 26));
    c.Fill(Grow(body, 2), {0, 0, 0}, 0.6);
    c.Fill(body, VerticalGradient(kBodyTop, kBodyBottom, 20, 256));
    c.Fill(Box({150, 76}, {500, 86}, 5), {1, 1, 1}, 0.05);
    for (V at : {V{484, 96}, V{484, 234}, V{262, 234}}) Bolt(c, at, 5);
    c.Fill(Ring(kDial, kDialRadius, kDialRadius + 9), VerticalGradient({0.9, 0.9, 0.88}, {0.3, 0.31, 0.3}, 10, 250));
    c.Fill(Circle(kDial, kDialRadius), RadialGradient({0.11, 0.12, 0.11}, {0.03, 0.035, 0.03}, kDial, kDialRadius));
    // The temperature arc (cold to hot, counter-clockwise from near the top) and its red end.
    const double coldAngle = -0.36, hotAngle = -1.08, redAngle = -(0.6 * (0.7 * 0.95 + 0.15) + 0.36);
    c.Fill(Arc(kDial, kDialRadius * 0.86, kDialRadius * 0.95, hotAngle, coldAngle), [&](V p) {
        const double a = std::atan2(p.x - kDial.x, -(p.y - kDial.y));
        const double t = std::clamp((coldAngle - a) / (coldAngle - hotAngle), 0.0, 1.0);
        return t < 0.5 ? Mix({0.25, 0.55, 1.0}, {0.9, 0.9, 0.85}, t * 2) : Mix({0.9, 0.9, 0.85}, kRed, t * 2 - 1);
    });
    c.Fill(Arc(kDial, kDialRadius * 0.84, kDialRadius * 0.97, hotAngle, redAngle), kRed, 0.6);
    // Speed: a tick every 5 km/h, long every 10, numbers every 20; red past 80.
    c.Fill(Arc(kDial, kDialRadius * 0.74, kDialRadius * 0.79, SpeedAngle(80), SpeedAngle(90.5)), kRed);
    for (int kmh = 0; kmh <= 90; kmh += 5) {
        const double a = SpeedAngle(kmh);
        const bool major = kmh % 10 == 0;
        c.Fill(Capsule(Polar(a, kDialRadius * (major ? 0.6 : 0.66)), Polar(a, kDialRadius * 0.79), major ? 2.2 : 1.2), kCream);
        if (kmh % 20 != 0) continue;
        const V at = Polar(a, kDialRadius * 0.43);
        const int digits = kmh >= 10 ? 2 : 1;
        for (int i = 0; i < digits; ++i) {
            const int digit = digits == 2 ? (i == 0 ? kmh / 10 : kmh % 10) : kmh;
            const double x = at.x + (i - digits / 2.0) * 10;
            c.Fill(Digit({{x, at.y - 8}, {10, 16}, 0.1, 0.14}, digit), kCream);
        }
    }
    // The gear window at the bottom of the dial.
    LcdWindow(c, {80, 179}, {108, 209});
    Save("hud_predkosciomierz_dol.tga", c);
}

// The glass over the needles: the hub's cap and a faint glare; the combine's overlay adds a wheat
// ear on the dial.
void DashboardOverlays() {
    for (bool combine : {false, true}) {
        Canvas c(512, 256);
        c.Fill(Arc(kDial, kDialRadius * 0.55, kDialRadius * 0.95, -1.2, 0.2), {1, 1, 1}, 0.05);
        if (combine) c.Fill(WheatSymbol(kDial + V{42, 52}, 30), {0.95, 0.8, 0.35}, 0.85);
        c.Fill(Circle(kDial, 13), RadialGradient({0.55, 0.56, 0.55}, {0.12, 0.12, 0.12}, kDial - V{4, 4}, 16));
        c.Fill(Circle(kDial, 4), {0.05, 0.05, 0.05});
        Save(combine ? "hud_predkosciomierz_gora.tga" : "hud_predkosciomierz_gora0.tga", c);
    }
}

// The needles, each pointing up in a square whose half side is the HUD's needle half-size (120
// units, 128 texels here); the dial's radius is 112 of the 128.
void Needles() {
    const double k = kDialRadius / 128.0;
    {
        Canvas c(256, 256);
        Shape needle = Polygon({{128 - 5.5, 128 + 22}, {128 + 5.5, 128 + 22}, {128 + 1.6, 128 - 128 * k * 0.8}, {128 - 1.6, 128 - 128 * k * 0.8}});
        c.Halo(needle, 3, 0.5);
        c.Fill(needle, [](V p) { return p.x < 128 ? kNeedle : Scale(kNeedle, 0.8); });
        Save("hud_strzalka_predkosc.tga", c);
    }
    {
        Canvas c(256, 256);
        Shape pointer = Polygon({{128, 128 - 128 * k * 0.84}, {128 - 7, 128 - 128 * k * 0.99}, {128 + 7, 128 - 128 * k * 0.99}});
        c.Halo(pointer, 2.5, 0.8);
        c.Fill(pointer, {1.0, 1.0, 0.95});
        Save("hud_strzalka_temp.tga", c);
    }
}

// The dashboard's lamps: a rounded lens of the lamp's colour with its symbol.
void WorkLamps() {
    struct Lamp {
        const char* name;
        Rgb colour;
        int symbol;  // 0 wheat, 1 raised implement, 2 thermometer, 3 thermometer with heat waves
    };
    constexpr Lamp kLamps[] = {{"hud_ico1_on.tga", {0.25, 0.85, 0.25}, 0},
                               {"hud_ico2_on.tga", {1.0, 0.72, 0.12}, 1},
                               {"hud_ico3_on.tga", {1.0, 0.5, 0.1}, 2},
                               {"hud_ico4_on.tga", {0.95, 0.12, 0.1}, 3}};
    for (const Lamp& lamp : kLamps) {
        Canvas c(64, 64);
        c.Fill(Box({4, 4}, {60, 60}, 13), {0.05, 0.05, 0.05}, 0.9);
        c.Fill(Box({7, 7}, {57, 57}, 11), RadialGradient(Mix(lamp.colour, {1, 1, 1}, 0.35), Scale(lamp.colour, 0.75), {26, 24}, 36));
        const Rgb ink{0.08, 0.06, 0.04};
        switch (lamp.symbol) {
            case 0: c.Fill(WheatSymbol({32, 33}, 38), ink); break;
            case 1:
                c.Fill(Polygon({{32, 12}, {46, 28}, {18, 28}}), ink);
                c.Fill(Box({28, 27}, {36, 42}, 1), ink);
                c.Fill(Box({14, 46}, {50, 52}, 2), ink);
                break;
            default:
                c.Fill(ThermometerSymbol({lamp.symbol == 3 ? 24.0 : 32.0, 31}, 40), ink);
                if (lamp.symbol == 3)
                    for (int i = 0; i < 2; ++i)
                        c.Fill(Arc({37 + i * 7.0, 31}, 5.5, 8.5, -0.9, 0.9), ink);
                break;
        }
        Save(lamp.name, c);
    }
}

// The fill bar, 48 x 384 units (64 x 512 texels): the needle runs on its left from the empty
// mark (texel 293) up to the full one (texel 61); the tube to its right.
void FillBar() {
    Canvas c(64, 512);
    const double full = 61, empty = 293;
    c.Fill(Box({4, 26}, {62, 480}, 12), {0, 0, 0}, 0.55);
    c.Fill(Box({6, 28}, {60, 478}, 10), VerticalGradient(kBodyTop, kBodyBottom, 28, 478));
    c.Fill(Box({33, full - 6}, {55, empty + 6}, 6), {0.02, 0.02, 0.02});
    c.Fill(Box({36, full - 3}, {52, empty + 3}, 4), VerticalGradient({0.35, 0.85, 0.3}, {0.95, 0.6, 0.15}, full, empty));
    for (int i = 0; i <= 10; ++i) {
        const double y = empty + (full - empty) * i / 10.0;
        c.Fill(Capsule({i % 5 == 0 ? 22.0 : 27.0, y}, {31, y}, i % 5 == 0 ? 1.4 : 0.9), kCream);
    }
    c.Fill(WheatSymbol({33, 340}, 40), {0.95, 0.8, 0.35});
    Save("hud_pasek1.tga", c);

    Canvas needle(32, 32);
    Shape pointer = Polygon({{3, 5}, {29, 16}, {3, 27}});
    needle.Halo(pointer, 2.5, 0.8);
    needle.Fill(pointer, {1.0, 0.88, 0.2});
    Save("hud_pasek1_wskazowka.tga", needle);

    Canvas green(64, 16);
    green.Fill(Box({0, 0}, {64, 16}, 0), VerticalGradient({0.55, 1.0, 0.45}, {0.1, 0.55, 0.12}, 0, 16));
    green.Fill(Box({0, 2}, {64, 5}, 0), {1, 1, 1}, 0.25);
    Save("hud_pasek_zielony.tga", green);
}

// The overview map's frame, 460 x 230 units (512 x 256 texels): a map unit whose screen (x 279 to
// 477, y 29 to 227) is left clear for the map; the frame's left part lies off the screen.
void MapFrame() {
    Canvas c(512, 256);
    const V lo{262, 8}, hi{496, 248};
    const Shape screen = Box({279, 29}, {477, 227}, 7);
    c.Fill(Cut(Box(lo - V{3, 3}, hi + V{3, 3}, 22), screen), {0, 0, 0}, 0.55);
    Shape body = Cut(Box(lo, hi, 20), screen);
    c.Fill(body, VerticalGradient({0.24, 0.26, 0.23}, {0.09, 0.1, 0.09}, lo.y, hi.y));
    c.Fill(Cut(Box({275, 25}, {481, 231}, 10), screen), {0.02, 0.02, 0.02});
    c.Fill(Box({300, 12}, {456, 18}, 3), {1, 1, 1}, 0.07);
    for (V at : {V{270, 16}, V{488, 16}, V{270, 240}, V{488, 240}}) Bolt(c, at, 3.5);
    c.Fill(Circle({378, 239}, 3), kGreen);
    Save("hud_ramka_gps.tga", c);
}

// The start lights: a lamp in a chrome ring, 3 red, 2 amber, 1 yellow, and the green flag.
void StartLights() {
    struct Light {
        const char* name;
        Rgb lens;
        int figure;  // 0: the flag
    };
    constexpr Light kLights[] = {{"hud_start_3.tga", {0.95, 0.12, 0.08}, 3},
                                 {"hud_start_2.tga", {1.0, 0.55, 0.08}, 2},
                                 {"hud_start_1.tga", {1.0, 0.85, 0.1}, 1},
                                 {"hud_start_flag.tga", {0.15, 0.8, 0.2}, 0}};
    const V c0{128, 128};
    for (const Light& light : kLights) {
        Canvas c(256, 256);
        c.Fill(Circle(c0, 124), {0, 0, 0}, 0.5);
        c.Fill(Ring(c0, 104, 120), VerticalGradient({0.95, 0.95, 0.93}, {0.35, 0.36, 0.35}, 8, 248));
        c.Fill(Circle(c0, 104), RadialGradient(Mix(light.lens, {1, 1, 1}, 0.45), Scale(light.lens, 0.7), {110, 100}, 110));
        if (light.figure) {
            // A one stands in the middle, not on the right as in a row of figures.
            const double left = light.figure == 1 ? 54 : 86;
            Shape figure = Digit({{left, 52}, {84, 152}, 0.08, 0.14}, light.figure);
            c.Halo(figure, 8, 0.6);
            c.Fill(figure, {1, 1, 1});
        } else {
            c.Fill(Capsule({78, 60}, {78, 200}, 6), {0.95, 0.95, 0.93});
            c.Halo(FlagCloth({84, 60}, {100, 70}), 6, 0.5);
            c.Fill(FlagCloth({84, 60}, {100, 70}), ChequerPaint({84, 60}, {100, 70}));
        }
        Save(light.name, c);
    }
}

// The target marker (drawn tinted), the edge arrows and the icons of the prompts.
void Markers() {
    auto white = [](const char* name, int size, const Shape& s) {
        Canvas c(size, size);
        c.Halo(s, size / 16.0, 0.8);
        c.Fill(s, {1, 1, 1});
        Save(name, c);
    };
    white("hud_waypoint_gora.tga", 64, Arrow(64, 0));
    white("hud_waypoint_prawo.tga", 64, Arrow(64, M_PI / 2));
    white("hud_waypoint_dol.tga", 64, Arrow(64, M_PI));
    white("hud_waypoint_lewo.tga", 64, Arrow(64, -M_PI / 2));
    white("hud_waypoint3D.tga", 64,
          Cut(Union(Circle({32, 24}, 17), Polygon({{17, 30}, {47, 30}, {32, 60}})), Circle({32, 24}, 7)));

    for (bool left : {true, false}) {
        Canvas c(128, 128);
        c.Fill(Box({6, 6}, {122, 122}, 18), {0.05, 0.05, 0.05});
        c.Fill(Box({11, 11}, {117, 117}, 14), VerticalGradient({1.0, 0.78, 0.2}, {0.92, 0.6, 0.08}, 11, 117));
        c.Fill(TurnArrow(128, left), {0.05, 0.05, 0.05});
        Save(left ? "hud_ico_w_lewo.tga" : "hud_ico_w_prawo.tga", c);
    }

    Canvas forbidden(64, 64);
    forbidden.Fill(Circle({32, 32}, 29), {1, 1, 1}, 0.9);
    Shape around = Union(Arc({32, 32}, 10, 15, -2.6, 1.6), Polygon({{40, 15}, {48, 27}, {33, 28}}));
    forbidden.Fill(around, {0.1, 0.1, 0.1});
    forbidden.Fill(Union(Ring({32, 32}, 23, 29), Capsule({15, 15}, {49, 49}, 3.5)), {0.85, 0.08, 0.06});
    Save("hud_r_forbidden.tga", forbidden);

    Canvas whistle(64, 64);
    Shape body = Union(Circle({26, 38}, 15), Box({26, 23}, {58, 35}, 3));
    whistle.Halo(Union(body, Ring({12, 20}, 5, 8)), 3, 0.7);
    whistle.Fill(Ring({12, 20}, 5, 8), kCream);
    whistle.Fill(body, VerticalGradient({1.0, 0.85, 0.2}, {0.85, 0.5, 0.05}, 22, 54));
    whistle.Fill(Circle({26, 38}, 5), {0.2, 0.12, 0.02});
    Save("hud_whistle.tga", whistle);

    Canvas frame(256, 64);
    frame.Fill(Box({2, 2}, {254, 62}, 10), {0, 0, 0}, 0.55);
    frame.Fill(Cut(Box({3, 3}, {253, 61}, 9), Box({5, 5}, {251, 59}, 7)), kCream, 0.45);
    Save("hud_ramka_txt.tga", frame);
}

// The overview map's marker: a small sphere.
bool MarkerSphere() {
    demo::Model m({"marker.tga"});
    m.Lump({0, 0, 0}, {1, 1, 1}, 8, 12, 0);
    return m.Save("prefabs\\special\\marker_sferyczny.x");
}

// The warning beep: a short, bright double tone that cuts through the engine's hum.
bool HotBeep(const std::filesystem::path& game) {
    constexpr int kRate = 22050;
    std::vector<float> samples(static_cast<size_t>(0.12 * kRate));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double envelope = std::min(1.0, t / 0.005) * std::min(1.0, (0.12 - t) / 0.02);
        samples[i] = static_cast<float>(envelope * 0.45 * (std::sin(2 * M_PI * 1760 * t) + 0.4 * std::sin(2 * M_PI * 2640 * t)));
    }
    std::filesystem::create_directories(game / "sounds");
    std::ofstream out(game / "sounds" / "hot.wav", std::ios::binary);
    out << synth::Wave(1, kRate, 16, synth::Pcm16(samples));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_hud_pictures GAME_DIR\n");
        return 2;
    }
    g_dir = std::filesystem::path(argv[1]) / "textures" / "hud";
    std::filesystem::create_directories(g_dir);
    Figures();
    Gears();
    TopPanels();
    Dashboard();
    DashboardOverlays();
    Needles();
    WorkLamps();
    FillBar();
    MapFrame();
    StartLights();
    Markers();
    plat::SetStartDirectory(argv[1]);
    g_ok = MarkerSphere() && HotBeep(argv[1]) && g_ok;
    if (!g_ok) std::fprintf(stderr, "make_hud_pictures: cannot write into %s\n", argv[1]);
    return g_ok ? 0 : 1;
}
