#include "game/CMenu.h"

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
