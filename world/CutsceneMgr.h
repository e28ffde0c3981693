#pragma once
// Scripted camera sequences. Scenes are read with the game's resources; until a scene plays the
// active scene is null.
struct strScene;

class CutsceneMgr {
public:
    CutsceneMgr();
    virtual ~CutsceneMgr();

    strScene* m_pActiveScene;
    // Scenes known by name; none until the cutscene scripts are read.
    strScene* m_pScenes;
};

extern CutsceneMgr g_CutsceneMgr;

// Starts the named scene: logs "StartScene " and the name; an unknown name logs "Scene NOT found!".
void StartScene(const char* name);
