#include "game/CLoadingScreen.h"

CLoadingScreen g_LoadingScreen;

CLoadingScreen::CLoadingScreen() : m_bActive(0) {}

CLoadingScreen::~CLoadingScreen() = default;

// The loading screen is not shown yet: a world start draws nothing over the frame.
void CLoadingScreen::Begin(const char*) {}
void CLoadingScreen::CreateBar() {}

void CLoadingScreen::Render() {}
