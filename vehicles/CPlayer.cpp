#include "vehicles/CPlayer.h"

#include "core/EInput.h"

CPlayer g_Player;

CPlayer::CPlayer()
    : m_bSurfaceForceFeedback(1), m_bHudOption(1), m_bOption2(0), m_uDrivingOption(3), m_bDrivingEnabled(1),
      m_bFadeStarted(0), m_bRunFinished(0), m_fFade(0) {}

CPlayer::~CPlayer() = default;

void CPlayer::StartFadeOut() {
    if (m_bFadeStarted) return;
    m_bDrivingEnabled = 0;
    g_Input.StopActiveEffect();
    m_fFade = 0;
    m_bRunFinished = 0;
    m_bFadeStarted = 1;
}
