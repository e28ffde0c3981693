#include "vehicles/CPlayer.h"

CPlayer g_Player;

CPlayer::CPlayer() : m_bDrivingEnabled(1), m_bFadeStarted(0), m_bRunFinished(0), m_fFade(0) {}

CPlayer::~CPlayer() = default;

void CPlayer::StartFadeOut() {
    if (m_bFadeStarted) return;
    m_bDrivingEnabled = 0;
    // Input seam: the running force-feedback effect is stopped here once controllers play them.
    m_fFade = 0;
    m_bRunFinished = 0;
    m_bFadeStarted = 1;
}
