#include "render/ViewLines.h"

ViewLines g_ViewLines;

// The arrow is not drawn yet, so no buffer is made for it.
void ViewLines::CreateVB() {}
void ViewLines::ReleaseVB() {}
