#include "render/EPostProcess.h"

EPostProcess g_PostProcess;

EPostProcess::EPostProcess() : m_fBloomCone(0), m_fBloomPower(0) {}

EPostProcess::~EPostProcess() = default;

// No capture target exists yet: the frame draws straight into the back buffer.
void EPostProcess::BeginCapture() {}
void EPostProcess::Create() {}
void EPostProcess::ReleaseTargets() {}
void EPostProcess::ReleaseDecl() {}
void EPostProcess::EndCapture() {}
void EPostProcess::Render() {}
void EPostProcess::Update() {}
void EPostProcess::OnLostDevice() {}
void EPostProcess::OnResetDevice() {}
