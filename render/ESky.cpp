#include "render/ESky.h"

ESky g_Sky;

namespace {
int ClampSet(int set) { return set >= 0 && set < ESky::kSets ? set : 0; }
}  // namespace

ESky::ESky() : m_uFogColour{}, m_fFogFar{}, m_fFogNear{} {}

ESky::~ESky() = default;

void ESky::GetFogColour(uint32_t& colour, int set) const { colour = m_uFogColour[ClampSet(set)]; }
void ESky::SetFogColour(uint32_t colour, int set) { m_uFogColour[ClampSet(set)] = colour; }
float ESky::GetFogFar(int set) const { return m_fFogFar[ClampSet(set)]; }
void ESky::SetFogFar(float distance, int set) { m_fFogFar[ClampSet(set)] = distance; }
float ESky::GetFogNear(int set) const { return m_fFogNear[ClampSet(set)]; }

int ESky::SetFogNear(float distance, int set) {
    set = ClampSet(set);
    m_fFogNear[set] = distance;
    return set;
}

void ESky::OnResetDevice() {}
