#pragma once
// Pictures written from the device: the back buffer as a BMP file (screenshots).
#include "platform/gfx/Device.h"

namespace gfx {

// Writes the whole back buffer, 24-bit, to a game path; fails when it cannot be read or written.
Result SaveBackBufferToBmp(Device& device, const char* gamePath);

}  // namespace gfx
