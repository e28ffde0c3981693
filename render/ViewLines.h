#pragma once
// The view-line arrow: a small 3-D arrow whose vertex buffer lives with each world.
class ViewLines {
public:
    void CreateVB();
    void ReleaseVB();
};

extern ViewLines g_ViewLines;
