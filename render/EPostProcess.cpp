#include "render/EPostProcess.h"

EPostProcess g_PostProcess;

EPostProcess::EPostProcess() : m_fBloomCone(0), m_fBloomPower(0) {}

EPostProcess::~EPostProcess() = default;

// No capture target exists yet: the frame draws straight into the back buffer.
void EPostProcess::BeginCapture() {}
void EPostProcess::OnLostDevice() {}
void EPostProcess::OnResetDevice() {}
