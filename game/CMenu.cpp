#include "game/CMenu.h"

#include "core/ESettings.h"
#include "render/ERect.h"
#include "world/EEngine.h"

CMenu g_Menu;

CMenu::CMenu() : m_bActive(0) {}

CMenu::~CMenu() = default;

void CMenu::Init() {}
void CMenu::Release() {}

void CMenu::PrepareSceneRender() { g_Engine.m_bWorldRender = 1; }

void CMenu::Render() {}

void CMenu::OnKeyDown(uint32_t) {}
void CMenu::OnKeyUp(uint32_t) {}

float CMenu::MapRange(float value, float fromA, float toA, float fromB, float toB) {
    return toA + (value - fromA) / (fromB - fromA) * (toB - toA);
}

void CMenu::DrawTextBox(ERect& quad) {
    const float width = static_cast<float>(g_Settings.m_iScreenWidth);
    const float height = static_cast<float>(g_Settings.m_iScreenHeight);
    const float aspect = width / height, wide = 16.0f / 9.0f;
    float u0 = 0.0f, u1 = 1.0f;
    if (aspect < wide) {
        u0 = MapRange(aspect, 1.0f, 0.21875f, wide, 0.0f);
        u1 = MapRange(aspect, 1.0f, 0.78125f, wide, 1.0f);
    }
    quad.SetCorners(0, 0, width, 0, width, height, 0, height, u0, u1, 0, 1, 1);
    quad.RenderWithStates(true, false);
}
