#include "render/EPostProcess.h"

EPostProcess g_PostProcess;

EPostProcess::EPostProcess() {}

EPostProcess::~EPostProcess() = default;

// No capture target exists yet: the frame draws straight into the back buffer.
void EPostProcess::BeginCapture() {}
void EPostProcess::OnLostDevice() {}
void EPostProcess::OnResetDevice() {}
