#pragma once
// Post-processing: the scene is captured into a target and drawn back through the "dof" effect.

class EPostProcess {
public:
    EPostProcess();
    virtual ~EPostProcess();

    // Redirects the frame's drawing into the capture target.
    void BeginCapture();
    // The capture's resources with each world, its end and passes, and its frame hook.
    void Create();
    void ReleaseTargets();
    void ReleaseDecl();
    void EndCapture();
    void Render();
    void Update();
    // Around a device reset: the targets are released, then the resources created again.
    void OnLostDevice();
    void OnResetDevice();

    // Bloom parameters of the final pass, set by the sky's time of day and the console.
    float m_fBloomCone;
    float m_fBloomPower;
};

extern EPostProcess g_PostProcess;
