#pragma once
// The world loader: reads a world file, creates one engine object per object header, applies the
// property lines to the object just created, hands the world-wide light, fog and sky settings to
// the sky and the camera, removes the visibility-blocker objects and last loads the world's paths.
#include <cstdint>
#include <string>
#include <string_view>

class EWorldMgr {
public:
    static constexpr int kLineLimit = 2999;
    static constexpr int kErrorLines = 36;
    static constexpr int kErrorLineSize = 128;

    // False when the file is missing, empty or unreadable (the console then says which file and
    // why, once); failed objects do not fail the load.
    bool LoadWorld(const char* fileName);
    // True when the last load was of this world file (ignoring case) and it failed.
    bool FailedToLoad(const char* worldFile) const;
    // The lines of a world file held in memory, in file order: the objects and the settings,
    // without the blockers' removal and the paths.
    void ParseWorld(std::string_view text);
    // The path file of a world: the text after the file name's last "." becomes "bzr"; a name
    // without one gets ".bzr".
    static std::string PathFileName(const char* worldFile);
    // One more line of a failed creation; lines beyond the 36th are dropped.
    void AddErrorLine(const char* text);

    // Set when the file does not open or an object could not be made; the failures' lines in order:
    // the objects' and, for a file that could not be loaded, which and why (the game shows these
    // while it has no world).
    uint8_t m_bError = 0;
    char m_szErrorLines[kErrorLines][kErrorLineSize] = {};
    uint32_t m_uErrorLines = 0;
    // What the last load set for the rest of the game: fog on, a sky dome made, the sky light's
    // pitch and rotation in degrees.
    uint8_t m_bFogEnabled = 0;
    uint8_t m_bSkyMeshLoaded = 0;
    float m_fSkyLightPitch = 0;
    float m_fSkyLightRotation = 0;
    // The ids of the last "editor_undo_pesel" line.
    uint32_t m_uUndoPesel[3] = {};
    // The world file of the last load when it failed, else empty.
    char m_szFailedWorld[260] = {};

private:
    void ResetSettings();
    void ReportFailure(const char* fileName, const char* why);
    void RemoveVisibilityBlockers();
    // At debug level above 0: the objects of the world and the lines of the failures.
    void LogObjects() const;
};

extern EWorldMgr g_WorldMgr;
