#pragma once
// Lays fences along the roads of the world.
class EFenceGenerator {
public:
    EFenceGenerator();
    virtual ~EFenceGenerator();

    // Removes the old fences and generates fences along every fence-generating path.
    void Generate();
    // The world's hooks: the default fence meshes at its start, the frame step and its end.
    void OnStartWorld();
    void Update();
    void OnEndWorld();
};

extern EFenceGenerator g_FenceGenerator;
