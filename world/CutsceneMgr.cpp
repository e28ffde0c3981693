#include "world/CutsceneMgr.h"

#include "core/EConsole.h"

CutsceneMgr g_CutsceneMgr;

CutsceneMgr::CutsceneMgr() : m_pActiveScene(nullptr), m_pScenes(nullptr) {}

CutsceneMgr::~CutsceneMgr() = default;

void StartScene(const char* name) {
    g_Console.PrintStr2("StartScene ", name);
    // The scene list is read with the cutscene scripts; with none read no name is found.
    if (!g_CutsceneMgr.m_pScenes) g_Console.Print("Scene NOT found!");
}
