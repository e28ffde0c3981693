#include "vehicles/Truck.h"

// Fields keep their declared starts; the tuning starts at Bullet's own defaults.
Truck::Truck() = default;
