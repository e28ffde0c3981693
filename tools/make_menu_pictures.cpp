// Writes the menu's pictures below the given game directory (textures\menu\): the cursor, the
// selection bars, the profiles page's farm picture (16:9, cropped to the screen's aspect), the
// route grid's medals, the option slider's bar and knob, the back and quit icons and the result
// page's podium tyre.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "HudPainter.h"
#include "TgaWriter.h"

namespace {

using namespace hud;

std::filesystem::path g_dir;
bool g_ok = true;

void Save(const char* name, const Canvas& c) {
    g_ok = tga::Write(g_dir / name, c.Width(), c.Height(), [&c](int x, int y) { return c.Texel(x, y); }) && g_ok;
}

// The pointer: a white arrow with a dark rim, its tip at the top left corner.
void Cursor() {
    Canvas c(64, 64);
    const Shape arrow = Union(Polygon({{3, 3}, {3, 46}, {15, 35}, {36, 35}}), Capsule({12, 30}, {24, 54}, 4.5));
    c.Halo(arrow, 4, 0.8);
    c.Fill(arrow, {0.12, 0.1, 0.06});
    c.Fill(Grow(arrow, -2.2), VerticalGradient({1.0, 0.97, 0.88}, {0.92, 0.78, 0.5}, 3, 54));
    Save("hud_kursor.tga", c);
}

// The bar behind a selectable line: a dark core that keeps the text readable on any picture, in a
// light rim soft at its ends; the rim takes the bar's tint when drawn.
void SelectionBars() {
    for (const char* name : {"hud_button_5.tga", "hud_button_6.tga"}) {
        Canvas c(256, 64);
        for (int i = 0; i < 8; ++i) c.Fill(Box({4.0 + 3 * i, 10.0 + i}, {252.0 - 3 * i, 54.0 - i}, 20 - i), {1, 1, 1}, 0.09);
        c.Fill(Box({22, 17}, {234, 47}, 13), {0.08, 0.07, 0.05}, 0.72);
        Save(name, c);
    }
}

// A summer farm: sky, low sun, hills, a striped field, a red barn with its silo, a fence; a dark
// panel on the left holds the profile list, one below it the new-profile line.
void FarmPicture() {
    constexpr int w = 1024, h = 576;
    Canvas c(w, h);
    c.Fill(Box({0, 0}, {w, h}, 0), VerticalGradient({0.36, 0.58, 0.86}, {0.93, 0.86, 0.66}, 0, 330));
    c.Fill(Circle({760, 150}, 90), {1.0, 0.95, 0.75}, 0.15);
    c.Fill(Circle({760, 150}, 46), {1.0, 0.97, 0.82});
    // Clouds: a row of puffs on a flat base each.
    for (int i = 0; i < 4; ++i) {
        const double x = 90.0 + 250 * i, y = 70.0 + 30 * (i % 2), r = 16.0 + 4 * (i % 3);
        Shape cloud = Box({x - 2.2 * r, y}, {x + 2.2 * r, y + r}, r / 2);
        for (int k = -2; k <= 2; ++k) cloud = Union(cloud, Circle({x + k * r * 0.9, y - (k % 2 ? 0.2 : 0.5) * r}, r * (k ? 0.9 : 1.25)));
        c.Fill(cloud, VerticalGradient({1, 1, 1}, {0.88, 0.9, 0.95}, y - r, y + r), 0.85);
    }
    c.Fill(Circle({260, 980}, 720), {0.38, 0.55, 0.3});
    c.Fill(Circle({820, 1060}, 790), {0.33, 0.5, 0.26});
    const Shape field = Polygon({{0, 420}, {w, 380}, {w, h}, {0, h}});
    c.Fill(field, VerticalGradient({0.8, 0.68, 0.3}, {0.62, 0.5, 0.2}, 380, h));
    for (int i = 0; i < 14; ++i) {
        const double x = -200.0 + 95 * i;
        c.Fill(Cut(Polygon({{x, h}, {x + 40, h}, {512 + (x - 512) * 0.25 + 10, 395}, {512 + (x - 512) * 0.25, 395}}),
                   Box({0, 0}, {w, 392}, 0)),
               {0.55, 0.43, 0.16}, 0.55);
    }
    // The barn and its silo on the hill.
    c.Fill(Box({600, 250}, {760, 360}, 2), {0.62, 0.14, 0.1});
    c.Fill(Polygon({{588, 252}, {680, 200}, {772, 252}}), {0.35, 0.1, 0.08});
    c.Fill(Box({655, 300}, {705, 360}, 2), {0.95, 0.9, 0.8});
    c.Fill(Box({661, 306}, {699, 360}, 1), {0.4, 0.1, 0.07});
    c.Fill(Box({780, 210}, {830, 360}, 8), {0.78, 0.8, 0.8});
    c.Fill(Circle({805, 212}, 25), {0.6, 0.62, 0.64});
    for (int i = 0; i < 16; ++i) c.Fill(Box({420.0 + 38 * i, 372}, {426.0 + 38 * i, 410}, 1), {0.42, 0.3, 0.18});
    c.Fill(Box({410, 380}, {w, 386}, 1), {0.45, 0.32, 0.2});
    // The panels behind the texts (the page's list sits at x 180 of a 4:3 screen).
    c.Fill(Box({150, 70}, {386, 500}, 18), {0.03, 0.03, 0.02}, 0.62);
    c.Fill(Cut(Box({150, 70}, {386, 500}, 18), Box({154, 74}, {382, 496}, 15)), {0.95, 0.85, 0.6}, 0.5);
    // The line a new name is typed in.
    c.Fill(Box({392, 414}, {640, 452}, 12), {0.03, 0.03, 0.02}, 0.62);
    Save("hud_menu_profil.tga", c);
}

// The medals of the route grid: gold, silver, bronze and the empty place of a route still to win.
void Medals() {
    struct Medal {
        const char* name;
        Rgb light, dark;
    };
    const Medal medals[] = {{"hud_menu_zloto.tga", {1.0, 0.9, 0.45}, {0.78, 0.55, 0.08}},
                            {"hud_menu_srebro.tga", {0.95, 0.96, 0.98}, {0.55, 0.58, 0.62}},
                            {"hud_menu_braz.tga", {0.95, 0.68, 0.42}, {0.58, 0.32, 0.12}}};
    for (const Medal& m : medals) {
        Canvas c(64, 64);
        c.Fill(Polygon({{20, 0}, {30, 0}, {36, 24}, {26, 24}}), {0.75, 0.12, 0.1});
        c.Fill(Polygon({{34, 0}, {44, 0}, {38, 24}, {28, 24}}), {0.15, 0.3, 0.7});
        c.Halo(Circle({32, 40}, 19), 3, 0.6);
        c.Fill(Circle({32, 40}, 19), RadialGradient(m.light, m.dark, {26, 34}, 26));
        c.Fill(Ring({32, 40}, 13, 15), m.dark, 0.8);
        Save(m.name, c);
    }
    Canvas empty(64, 64);
    empty.Fill(Ring({32, 40}, 15, 19), {0.7, 0.7, 0.68}, 0.8);
    Save("hud_menu_pusty.tga", empty);
}

void Slider() {
    Canvas bar(256, 32);
    bar.Fill(Box({2, 11}, {254, 21}, 5), {0.05, 0.05, 0.04}, 0.8);
    bar.Fill(Box({4, 13}, {252, 19}, 3), VerticalGradient({0.7, 0.6, 0.4}, {0.45, 0.36, 0.2}, 13, 19));
    Save("hud_menu_slider_bar.tga", bar);
    Canvas knob(32, 32);
    knob.Halo(Box({9, 2}, {23, 30}, 5), 2, 0.7);
    knob.Fill(Box({9, 2}, {23, 30}, 5), VerticalGradient({1.0, 0.8, 0.35}, {0.8, 0.5, 0.1}, 2, 30));
    Save("hud_menu_slider.tga", knob);
}

void Icons() {
    Canvas back(64, 64);
    back.Fill(Circle({32, 32}, 29), {0.1, 0.08, 0.05}, 0.8);
    back.Fill(Union(Polygon({{12, 32}, {30, 16}, {30, 48}}), Box({28, 27}, {52, 37}, 3)), {0.95, 0.85, 0.6});
    Save("menu_ico_wroc.tga", back);
    Canvas quit(64, 64);
    quit.Fill(Circle({32, 32}, 29), {0.1, 0.08, 0.05}, 0.8);
    quit.Fill(Union(Capsule({20, 20}, {44, 44}, 4), Capsule({44, 20}, {20, 44}, 4)), {0.95, 0.4, 0.25});
    Save("menu_ico_wyjdz.tga", quit);
}

// The winner's tyre over the podium: a black tyre with its tread, a golden rim.
void Tyre() {
    Canvas c(128, 128);
    c.Fill(Ring({64, 64}, 30, 60), {0.08, 0.08, 0.08});
    for (int i = 0; i < 24; ++i) {
        const double a = i * M_PI / 12;
        const V in{64 + 50 * std::sin(a), 64 - 50 * std::cos(a)}, out{64 + 60 * std::sin(a), 64 - 60 * std::cos(a)};
        c.Fill(Capsule(in, out, 2.2), {0.22, 0.22, 0.22});
    }
    c.Fill(Ring({64, 64}, 22, 30), RadialGradient({1.0, 0.88, 0.4}, {0.7, 0.5, 0.1}, {56, 56}, 40));
    c.Fill(Circle({64, 64}, 8), {0.75, 0.55, 0.12});
    Save("hud_wygrana_opona.tga", c);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_menu_pictures GAME_DIR\n");
        return 2;
    }
    g_dir = std::filesystem::path(argv[1]) / "textures" / "menu";
    std::filesystem::create_directories(g_dir);
    Cursor();
    SelectionBars();
    FarmPicture();
    Medals();
    Slider();
    Icons();
    Tyre();
    if (!g_ok) std::fprintf(stderr, "make_menu_pictures: cannot write into %s\n", argv[1]);
    return g_ok ? 0 : 1;
}
