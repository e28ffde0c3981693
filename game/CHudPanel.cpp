#include "game/CHudPanel.h"

CHudPanel g_HudPanel;

CHudPanel::CHudPanel() : m_bWideScreen(0) {}

CHudPanel::~CHudPanel() = default;
