#pragma once
// One kind of machine or implement as a "scripts\vehicles\*.txt" file describes it: its model,
// wheels, attachments, hitch and hooks, what kind of machine it is and the size of its chassis.
// Tables of 16 entries are filled in the order of the lines that fill them.
#include <cstdint>

struct VehicleType {
    static constexpr int kTable = 16;

    // The record of a "Vehicle" line: every field at its default.
    void Reset();

    char m_szName[256];
    char m_szPrefab[256];
    char m_szWheelModel[kTable][256];
    char m_szWheelSocket[kTable][64];
    uint8_t m_bWheelFront[kTable];
    float m_fWheelC[kTable];
    uint32_t m_uWheelCount;
    uint8_t m_bReverseWheels;
    // The file the type came from, without its folder: the sort key.
    char m_szFileName[64];
    char m_szEngineSound[256];
    // Class 0..3, also the country index (0 DE, 1 FR, 2 UK, 3 US).
    int32_t m_iKlasa;

    // Kind flags.
    uint8_t m_bKombajn;
    uint8_t m_bTraktor;
    uint8_t m_bPrasa;
    uint8_t m_bKostkujaca;
    uint8_t m_bPlug;
    uint8_t m_bSadzarka;
    uint8_t m_bNaSiano;
    uint8_t m_bTur;
    uint8_t m_bKosa;
    uint8_t m_bKosa3x;
    uint8_t m_bSiewnik;
    uint8_t m_bSiewnikDuzy;
    uint8_t m_bPrzyczepaDuza;
    uint8_t m_bSadzarkaDuza;
    uint8_t m_bStaly;
    // Country flags.
    uint8_t m_bDE, m_bFR, m_bUK, m_bUS;

    float m_fWheelA[kTable];
    // Replaced by 0.01 when a truck is built from the type.
    float m_fWheelB[kTable];

    char m_szAttachmentModel[kTable][256];
    char m_szAttachmentSocket[kTable][64];
    uint32_t m_uAttachmentCount;
    char m_szSkinAttachmentModel[kTable][256];
    char m_szPistonModelA[128];
    char m_szPistonModelB[128];
    char m_szSkinAttachmentSocket[kTable][64];
    char m_szSkinAttachmentAnimation[kTable][64];
    uint8_t m_bSkinAttachmentRestorePose[kTable];
    uint8_t m_bAttachmentPhysics[kTable];
    uint8_t m_bAttachmentStable[kTable];
    uint8_t m_bAttachmentGrain[kTable];
    float m_fRotateSpeed[kTable];
    float m_fRotateA[kTable];
    float m_fRotateB[kTable];
    uint32_t m_uSkinAttachmentCount;

    char m_szSteeringWheelModel[256];
    char m_szSteeringWheelSocket[64];
    float m_fSteeringCorrection;
    float m_fDriverScale;
    // The chassis box: factors on its size and its offset from the object's origin.
    float m_fPhysicsScaleX, m_fPhysicsScaleY, m_fPhysicsScaleZ;
    float m_fPhysicsOffsetRight, m_fPhysicsOffsetUp, m_fPhysicsOffsetForward;
    float m_fStiffness;
    float m_fMass;
    uint8_t m_bPlayerCanDrive;
    uint8_t m_bPojemny;
    uint8_t m_bPrzyczepa;

    // The hitch of a trailer: its model, the socket on this machine, and on the hitch model the
    // sockets where the trailer and the tractor attach.
    char m_szHitchPrefab[256];
    char m_szHitchSocket[64];
    char m_szHitchTrailerSocket[64];
    char m_szHitchTractorSocket[64];

    // Where implements couple: the main hook, the plough hook and the seeder hook.
    struct Hook {
        uint8_t m_bSet;
        char m_szSocket[64];
    };
    Hook m_Hooks[3];
};

// The hooks' places in VehicleType::m_Hooks and Truck::m_Hooks.
enum HookKind { HOOK_MAIN = 0, HOOK_PLOUGH = 1, HOOK_SEEDER = 2 };
