#include "world/ECamera.h"

ECamera g_Camera;
