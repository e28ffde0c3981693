#include "collision/ERigidBodySimulation.h"

#include <vector>

#include "collision/ERigidBodyJointsMgr.h"
#include "collision/RigidBodyHooks.h"
#include "collision/RigidBodyParametersMgr.h"
#include "core/EConsole.h"
#include "core/QueryAppTimer.h"
#include "platform/os/Random.h"

ERigidBodySimulation g_RigidBodySimulation;

void ERigidBodySimulation::DeleteTemporaryObjects() {
    for (EObjectSlot*& object : m_hTemporary) {
        if (object) g_RigidBodyHooks.deleteObject(object);
        object = nullptr;
    }
}

bool ERigidBodySimulation::Init() {
    Shutdown();
    m_uBodies = 0;
    m_uActiveBodies = 0;
    DeleteTemporaryObjects();
    plat::SeedRandom(static_cast<uint32_t>(100.0 * QueryAppTimer(TIMER_GETAPPTIME)));
    g_RigidBodyParametersMgr.Init();
    m_bInitialised = 1;
    return true;
}

void ERigidBodySimulation::Shutdown() {
    if (!m_bInitialised) return;
    DeleteTemporaryObjects();
    g_RigidBodyParametersMgr.Release();
}

uint32_t ERigidBodySimulation::SaveGame(EObjectSlot* object, FILE* file) {
    if (!object || !file) return 0;
    const uint8_t none = 0;
    return static_cast<uint32_t>(std::fwrite(&none, 1, 1, file));
}

void ERigidBodySimulation::LoadGame(EObjectSlot* object, const char* objectName, FILE* file) {
    if (!object || !file) return;
    uint8_t saved = 0;
    if (std::fread(&saved, 1, 1, file) != 1 || !saved) return;
    g_Console.Print("ERROR in ERigidBodySimulation::LoadGame()");
    g_Console.PrintStr3("obiekt <", objectName ? objectName : "", "> ma zapisana fizyke i musze ja odczytac, ale");
    g_Console.Print("fizyka dla niego nie jest zainicjowana i");
    g_Console.Print("nie mam dokad zapisac tych parametrow!");
    std::vector<char> skipped(kSavedBodyBytes);
    const size_t read = std::fread(skipped.data(), 1, skipped.size(), file);
    (void)read;
}

void ERigidBodySimulation::RemoveObjectJoints(EObjectSlot* object) {
    if (object) g_RigidBodyJointsMgr.RemoveBodyJoints(object);
}
