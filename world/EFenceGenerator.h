#pragma once
// Lays fences along the roads of the world.
class EFenceGenerator {
public:
    EFenceGenerator();
    virtual ~EFenceGenerator();

    // Removes the old fences and generates fences along every fence-generating path.
    void Generate();
};

extern EFenceGenerator g_FenceGenerator;
