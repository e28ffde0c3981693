#include "vehicles/CPlayer.h"

CPlayer g_Player;

CPlayer::CPlayer() : m_bSurfaceForceFeedback(1), m_bHudOption(1), m_bOption2(0), m_uDrivingOption(3) {}

CPlayer::~CPlayer() = default;
