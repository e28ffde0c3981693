#include "render/AmbientProbe.h"

AmbientProbe g_AmbientProbe;

AmbientProbe::AmbientProbe() {}

AmbientProbe::~AmbientProbe() = default;

// The probe surfaces are made only while the grass generator runs, which it does not yet.
void AmbientProbe::OnStartWorld() {}
void AmbientProbe::OnEndWorld() {}
void AmbientProbe::OnLostDevice() {}
void AmbientProbe::OnResetDevice() {}
