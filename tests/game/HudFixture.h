#pragma once
// The HUD over a recording canvas: the null device at 1024 x 768 (one layout unit a pixel), the
// HUD's textures as small pictures, the panel loaded, and every quad and text it draws kept in
// order with a label (the quad's member name, or "text:" and the text).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/ESettings.h"
#include "core/ETextMgr.h"
#include "game/CHudPanel.h"
#include "game/CMainGame.h"
#include "game/HudCanvas.h"
#include "platform/math/Matrix.h"
#include "render/ERenderer.h"
#include "support/DeviceTest.h"
#include "support/TextureFiles.h"
#include "vehicles/CPlayer.h"
#include "world/CRoutesMgr.h"
#include "world/CutsceneMgr.h"
#include "world/ECamera.h"
#include "world/EEngine.h"

namespace test {

struct HudDraw {
    std::string label;
    float left = 0, top = 0, right = 0, bottom = 0;
    uint32_t colour = 0;
    float size = 0;
    bool centred = false;
    float x = 0, y = 0;
};

class HudRecorder : public HudCanvas {
public:
    void BeginStates(ERect&) override { draws.push_back({"begin"}); }
    void EndStates(ERect&) override { draws.push_back({"end"}); }
    void Quad(ERect& quad) override {
        if (quad.m_bCreated) draws.push_back(QuadDraw(quad));
    }
    void QuadInViewport(ERect& quad, const gfx::BaseTexture*, uint32_t, uint32_t, uint32_t, uint32_t) override {
        if (!quad.m_bCreated) return;
        HudDraw d = QuadDraw(quad);
        d.label = "map window";
        draws.push_back(d);
    }
    void Print(const char* text, float x, float y, uint32_t colour, float size, bool centred) override {
        HudDraw d{std::string("text:") + text};
        d.x = x;
        d.y = y;
        d.colour = colour;
        d.size = size;
        d.centred = centred;
        draws.push_back(d);
    }

    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const HudDraw& d : draws) labels.push_back(d.label);
        return labels;
    }
    // The draws of one label.
    std::vector<HudDraw> Of(const std::string& label) const {
        std::vector<HudDraw> found;
        for (const HudDraw& d : draws)
            if (d.label == label) found.push_back(d);
        return found;
    }
    // The characters the digit quads spelled, in order.
    std::string Figures() const {
        std::string text;
        for (const HudDraw& d : draws)
            if (d.label.size() == 1) text += d.label;
        return text;
    }

    std::vector<HudDraw> draws;

private:
    static HudDraw QuadDraw(const ERect& quad) {
        HudDraw d{Name(&quad), quad.m_fLeft, quad.m_fTop, quad.m_fRight, quad.m_fBottom, quad.m_uColour};
        return d;
    }
    static std::string Name(const ERect* quad) {
        CHudPanel& h = g_HudPanel;
        const std::map<const ERect*, std::string> names = {
            {&h.m_Whistle, "whistle"},         {&h.m_TurnLeft, "turn left"},       {&h.m_TurnRight, "turn right"},
            {&h.m_ArrowUp, "arrow up"},        {&h.m_ArrowRight, "arrow right"},   {&h.m_ArrowDown, "arrow down"},
            {&h.m_ArrowLeft, "arrow left"},    {&h.m_Waypoint3D, "marker"},        {&h.m_MapFrame, "map frame"},
            {&h.m_Forbidden, "forbidden"},     {&h.m_StartLight1, "light 1"},      {&h.m_StartLight2, "light 2"},
            {&h.m_StartLight3, "light 3"},     {&h.m_StartFlag, "flag"},           {&h.m_SpeedoBase, "dial"},
            {&h.m_SpeedoOverlayCombine, "combine glass"}, {&h.m_SpeedoOverlay, "glass"},
            {&h.m_SpeedNeedle, "speed needle"}, {&h.m_TempNeedle, "temperature needle"}, {&h.m_GearN, "gear N"},
            {&h.m_GearF, "gear F"},            {&h.m_GearR, "gear R"},             {&h.m_FillBar, "fill bar"},
            {&h.m_FillNeedle, "fill needle"},  {&h.m_ProgressBar, "progress"},     {&h.m_TopLarge, "task panel"},
            {&h.m_TopSmall, "race panel"},     {&h.m_Colon, ":"},                  {&h.m_Dot, "."},
            {&h.m_Slash, "/"},                 {&h.m_InstructionFrame, "instruction frame"},
            {&h.m_White, "white"},
        };
        if (auto found = names.find(quad); found != names.end()) return found->second;
        for (int i = 0; i < 10; ++i)
            if (quad == &h.m_Digits[i]) return std::string(1, static_cast<char>('0' + i));
        for (int i = 0; i < CHudPanel::kGears; ++i)
            if (quad == &h.m_Gears[i]) return "gear " + std::to_string(i + 1);
        for (int i = 0; i < CHudPanel::kWorkIcons; ++i)
            if (quad == &h.m_WorkIcons[i]) return "lamp " + std::to_string(i + 1);
        for (const CHudIcon& icon : h.m_Icons)
            if (quad == &icon.m_Quad) return "icon";
        return "?";
    }
};

// Every texture the HUD asks for, and one points icon.
inline std::vector<std::string> HudTextureNames() {
    std::vector<std::string> names = {
        "hud_whistle.tga", "hud_dwukropek.tga", "hud_kropka.tga", "hud_slash.tga", "hud_top_duzy.tga",
        "hud_top_maly.tga", "hud_gear_r.tga", "hud_gear_n.tga", "hud_gear_f.tga", "hud_pasek1.tga",
        "hud_pasek1_wskazowka.tga", "hud_pasek_zielony.tga", "hud_ramka_gps.tga", "bialy.tga",
        "hud_r_forbidden.tga", "hud_waypoint_gora.tga", "hud_waypoint_prawo.tga", "hud_waypoint_dol.tga",
        "hud_waypoint_lewo.tga", "hud_waypoint3D.tga", "hud_predkosciomierz_dol.tga", "hud_predkosciomierz_gora.tga",
        "hud_predkosciomierz_gora0.tga", "hud_strzalka_predkosc.tga", "hud_strzalka_temp.tga", "hud_start_1.tga",
        "hud_start_2.tga", "hud_start_3.tga", "hud_start_flag.tga", "hud_ico_w_lewo.tga", "hud_ico_w_prawo.tga",
        "hud_ramka_txt.tga", "points.tga"};
    for (int i = 0; i < 10; ++i) names.push_back("hud_" + std::to_string(i) + ".tga");
    for (int i = 1; i <= 4; ++i) names.push_back("hud_ico" + std::to_string(i) + "_on.tga");
    for (int i = 1; i <= 5; ++i) names.push_back("hud_gear_" + std::to_string(i) + ".tga");
    return names;
}

class HudTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        g_Settings.SetScreenSize(1024, 768);
        ASSERT_TRUE(CreateDevice());
        for (const std::string& name : HudTextureNames()) WriteFile("textures\\hud\\" + name, TgaFile(4, 4, 0xFFFFFFFF));
        g_Renderer.InitTextures();
        ResetGlobal(g_HudPanel);
        ResetGlobal(g_Player);
        ResetGlobal(g_MainGame);
        ResetGlobal(g_RoutesMgr);
        ResetGlobal(g_Camera);
        ResetGlobal(g_CutsceneMgr);
        g_Engine.m_fFrameTime = 1.0f / 60;
        g_HudPanel.m_pCanvas = &m_recorder;
        g_HudPanel.Load();
        LookFrom({0, 0, 0}, {0, 0, 1});
    }
    void TearDown() override {
        g_HudPanel.Release();
        ResetGlobal(g_HudPanel);
        ResetGlobal(g_Player);
        ResetGlobal(g_MainGame);
        ResetGlobal(g_RoutesMgr);
        ResetGlobal(g_Camera);
        ResetGlobal(g_CutsceneMgr);
        g_TextMgr.Load();
        DeviceTest::TearDown();
    }

    // The camera at eye looking along a direction, 90 degrees high, the screen's aspect.
    static void LookFrom(const DV& eye, const DV& direction) {
        g_Camera.m_vPosition = eye;
        g_Camera.m_vDirection = pmath::Normalize(direction);
        g_Camera.m_Orientation = EOrientation::EOrientationFromDirection(&g_Camera.m_vDirection);
        g_Camera.m_View = pmath::LookAtLH(eye, eye + direction, DV{0, 1, 0});
        g_Camera.m_Projection = pmath::PerspectiveFovLH(1.5707964f, 1024.0f / 768.0f, 0.5f, 1000.0f);
    }
    // The current route: a fresh record with the settings the case makes.
    static RouteRecord& Route() {
        RouteRecord& route = g_RoutesMgr.m_Routes[0];
        route.Reset();
        g_RoutesMgr.m_iRouteCount = 1;
        g_RoutesMgr.m_iCurrentRoute = 0;
        g_RoutesMgr.m_pCurrentRoute = &route;
        return route;
    }
    static bool InOrder(const std::vector<std::string>& labels, const std::vector<std::string>& expected) {
        auto at = labels.begin();
        for (const std::string& e : expected) {
            at = std::find(at, labels.end(), e);
            if (at == labels.end()) return false;
            ++at;
        }
        return true;
    }

    HudRecorder m_recorder;
};

}  // namespace test
