#pragma once
// Post-processing: the scene is captured into a target and drawn back through the "dof" effect.

class EPostProcess {
public:
    EPostProcess();
    virtual ~EPostProcess();

    // Redirects the frame's drawing into the capture target.
    void BeginCapture();
    // Around a device reset: the targets are released, then the resources created again.
    void OnLostDevice();
    void OnResetDevice();
};

extern EPostProcess g_PostProcess;
