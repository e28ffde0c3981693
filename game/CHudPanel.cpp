#include "game/CHudPanel.h"

CHudPanel g_HudPanel;

CHudPanel::CHudPanel() : m_bDiscardMouse(0), m_bWideScreen(0), m_bForcedLook(0) {}

CHudPanel::~CHudPanel() = default;
