#include "game/CLoadingScreen.h"

CLoadingScreen g_LoadingScreen;

CLoadingScreen::CLoadingScreen() : m_bActive(0) {}

CLoadingScreen::~CLoadingScreen() = default;

void CLoadingScreen::Render() {}
