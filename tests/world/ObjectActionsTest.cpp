// The actions of objects: what an action block changes in the engine when it fires by name or by
// a touch of the player's machine, its gates and its minimum interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "audio/CSoundCache.h"
#include "mesh/EMesh.h"
#include "mesh/EMeshSocketsMgr.h"
#include "mesh/MeshHooks.h"
#include "render/EFXInstance.h"
#include "world/ECamera.h"
#include "tools/SoundSynth.h"
#include "world/WorldFixture.h"

namespace {

using test::WorldTest;

class ObjectActions : public WorldTest {
protected:
    void SetUp() override {
        WorldTest::SetUp();
        g_Engine.m_fFrameTime = 1.0f;
        g_WorldHooks.mainGameEndGame = [] { test::Record("mainGameEndGame"); };
    }
    void TearDown() override {
        test::ResetGlobal(g_MeshSocketsMgr);
        test::ResetGlobal(g_MeshHooks);
        WorldTest::TearDown();
    }

    static void Pass() { g_EngineObject.Update(); }

    // A light (no mesh box to be inside of) whose block fires by name and, when asked, on a touch.
    static EObjectSlot* Trigger(const char* name, bool onTouch, const std::function<void(strActionParams&)>& fill) {
        EObjectSlot* o = AddLight(name, DV{10, 0, 10});
        strActionParams a;
        a.m_uEnabled = 1;
        a.m_uOnTouch = onTouch ? 1 : 0;
        fill(a);
        g_Engine.SetActionParams(o, &a);
        return o;
    }

    // Drives the player's machine onto the object for one pass, then away.
    static void Touch(EObjectSlot* o) {
        test::g_HasPlayerMachine = true;
        test::g_PlayerMachine = o->m_vPosition;
        Pass();
        test::g_HasPlayerMachine = false;
    }

    // The model of the object gets one socket, its only one; the sockets see the object's mesh.
    static void GiveSocket(EObjectSlot* o, const char* name) {
        g_MeshHooks.objectMesh = [](const EObjectSlot* object) -> EMesh* { return object ? object->Mesh() : nullptr; };
        test::ResetGlobal(g_MeshSocketsMgr);
        strmeshsocketfile& file = g_MeshSocketsMgr.m_Files[0];
        std::snprintf(file.m_szMeshFileName, sizeof file.m_szMeshFileName, "%s", o->Mesh()->m_szFileName);
        std::snprintf(file.m_Sockets[0].m_szName, sizeof file.m_Sockets[0].m_szName, "%s", name);
        file.m_uSocketCount = 1;
        g_MeshSocketsMgr.m_uFileCount = 1;
    }

    int TimesLogged(const std::string& line) const {
        std::vector<std::string> lines = ConsoleLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
};

struct ActionCase {
    const char* what;
    std::function<void(strActionParams&)> fill;
    std::function<bool()> done;
};

// Each action, fired by name and by a touch, is seen in the state of the engine it changes.
TEST_F(ObjectActions, EachActionChangesTheEngineWhetherFiredByNameOrByTouch) {
    auto object = [](const char* name) { return g_Engine.FindObject(name, true); };
    const ActionCase cases[] = {
        {"variable set", [](strActionParams& a) { std::strcpy(a.m_szDefaultSet, "gate_open"); },
         [] { return g_GameAI.IsSet("gate_open"); }},
        {"variable unset", [](strActionParams& a) { std::strcpy(a.m_szDefaultUnset, "locked"); },
         [] { return !g_GameAI.IsSet("locked"); }},
        {"sector hidden",
         [](strActionParams& a) {
             a.m_bUseRenderParams = 1;
             a.m_iHideSectors[3] = 7;
         },
         [&] { return object("shed")->m_bHidden == 1; }},
        {"sector shown",
         [](strActionParams& a) {
             a.m_bUseRenderParams = 1;
             a.m_iShowSectors[0] = 8;
         },
         [&] { return object("barn")->m_bHidden == 0; }},
        {"sector deleted", [](strActionParams& a) { a.m_iSectorToDelete = 7; }, [&] { return object("shed") == nullptr; }},
        {"light toggled", [](strActionParams& a) { a.m_uLightToggle = 1; },
         [&] {
             EObjectSlot* light = object("trigger");
             return light->m_bLightByte == 0 && g_Engine.m_bLightOn[light->m_uIndex - EEngine::kFirstLightSlot] == 0;
         }},
        {"time speed", [](strActionParams& a) { a.m_fGlobalTimeSpeed = 0.25f; },
         [] {
             float variable = 0;
             return g_Settings.m_fGlobalTimeSpeed == 0.25f && g_Console.GetVariable("GlobalTimeSpeed", variable) &&
                    variable == 0.25f;
         }},
        {"green point", [](strActionParams& a) { std::strcpy(a.m_szGreenPointFor, "shed"); },
         [&] { return object("shed")->m_bGreenPoint == 1; }},
        {"red point", [](strActionParams& a) { std::strcpy(a.m_szRedPointFor, "barn"); },
         [&] { return object("barn")->m_bRedPoint == 0; }},
        {"teleport here",
         [](strActionParams& a) {
             std::strcpy(a.m_szTeleportObjectHere, "shed");
         },
         [&] { return object("shed")->m_vPosition == (DV{10, 0, 10}) && object("shed")->m_vStartPosition == (DV{10, 0, 10}); }},
        {"kill now",
         [](strActionParams& a) {
             std::strcpy(a.m_szKillObject, "barn");
         },
         [&] { return object("barn")->m_bDead == 1; }},
        {"kill later",
         [](strActionParams& a) {
             std::strcpy(a.m_szKillObject, "barn");
             a.m_fKillDelay = 2.5f;
         },
         [&] { return object("barn")->m_bDead == 0 && object("barn")->m_fDyingDelay == 2.5f; }},
        {"console line", [](strActionParams& a) { std::strcpy(a.m_szConsolePrint, "Gate opens"); },
         [this] { return Logged("Gate opens"); }},
        {"end of game", [](strActionParams& a) { a.m_bEndGame = 1; },
         [] { return std::ranges::count(test::g_EngineCalls, std::string("mainGameEndGame")) == 1; }},
        {"next world", [](strActionParams& a) { std::strcpy(a.m_szStartWorld, "worlds\\next.w"); },
         [] { return g_Engine.m_bStartWorld == 1 && std::strcmp(g_Engine.m_szPendingWorld, "worlds\\next.w") == 0; }},
        {"camera flies to an object",
         [](strActionParams& a) {
             std::strcpy(a.m_szCameraMoveTo, "barn");
             a.m_fCameraMoveTime = 2.0f;
         },
         [&] { return g_Camera.m_bMoveActive == 1 && g_Camera.m_pMoveTarget == object("barn"); }},
        {"camera looks from a socket",
         [](strActionParams& a) {
             std::strcpy(a.m_szCameraLookFrom, "barn");
             std::strcpy(a.m_szCameraLookFromSocket, "oczy");
             a.m_fCameraLookFromTime = 3.0f;
         },
         [&] {
             return g_Camera.m_bLookFromActive == 1 && g_Camera.m_pLookFromObject == object("barn") &&
                    std::strcmp(g_Camera.m_szLookFromSocket, "oczy") == 0 && g_Camera.m_fLookFromTime == 3.0f;
         }},
        {"hand-over", [](strActionParams& a) { std::strcpy(a.m_szHandOver, "barn"); },
         [&] { return object("barn")->m_bHasRun == 1 && g_GameAI.IsSet("barn_ran"); }},
    };
    for (const ActionCase& c : cases) {
        for (bool byTouch : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (byTouch ? " by touch" : " by name"));
            for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
            test::ResetGlobal(g_GameAI);
            g_GameAI.SetVariable("locked", nullptr);
            g_Settings.m_fGlobalTimeSpeed = 1.0f;
            test::g_EngineCalls.clear();
            test::ResetGlobal(g_Camera);
            EObjectSlot* shed = AddMesh("shed", DV{100, 0, 0});
            shed->m_iSector = 7;
            EObjectSlot* barn = AddMesh("barn", DV{200, 0, 0});
            barn->m_iSector = 8;
            barn->m_bHidden = 1;
            barn->m_bRedPoint = 1;
            GiveSocket(barn, "oczy");
            strDeathParams death;
            death.m_bEnabled = 1;
            g_Engine.SetDeathParams(barn, &death);
            strActionParams barnActions;
            barnActions.m_uEnabled = 1;
            std::strcpy(barnActions.m_szDefaultSet, "barn_ran");
            g_Engine.SetActionParams(barn, &barnActions);
            EObjectSlot* trigger = Trigger("trigger", byTouch, c.fill);

            if (byTouch) Touch(trigger);
            else g_Engine.RunAction("trigger");
            EXPECT_EQ(trigger->m_bHasRun, 1);
            EXPECT_TRUE(c.done());
        }
    }
}

// Two objects that hand their actions to each other at once run once each, not without end.
TEST_F(ObjectActions, AHandOverThatComesBackIsRefused) {
    Trigger("ping", false, [](strActionParams& a) {
        std::strcpy(a.m_szHandOver, "pong");
        std::strcpy(a.m_szConsolePrint, "Ping");
    });
    Trigger("pong", false, [](strActionParams& a) {
        std::strcpy(a.m_szHandOver, "ping");
        std::strcpy(a.m_szConsolePrint, "Pong");
    });
    g_Engine.RunAction("ping");
    EXPECT_EQ(TimesLogged("Ping"), 1);
    EXPECT_EQ(TimesLogged("Pong"), 1);
}

TEST_F(ObjectActions, ATouchDoesNotFireABlockThatWaitsForItsNameButTheNameDoes) {
    EObjectSlot* lever = Trigger("lever", false, [](strActionParams& a) { std::strcpy(a.m_szDefaultSet, "pulled"); });
    Touch(lever);
    EXPECT_FALSE(g_GameAI.IsSet("pulled"));
    g_EngineObject.RunObjectActions("lever");
    EXPECT_TRUE(g_GameAI.IsSet("pulled"));
}

// A gated block does nothing while its gate is shut and stays able to fire once it opens.
TEST_F(ObjectActions, VariableGatesStopTheBlockWithoutSpendingIt) {
    g_Settings.m_iDebug = 1;
    EObjectSlot* gate = Trigger("gate", false, [](strActionParams& a) {
        std::strcpy(a.m_szActionIf, "key_found");
        std::strcpy(a.m_szActionIfNot, "alarm");
        std::strcpy(a.m_szDefaultSet, "gate_open");
        a.m_uOnce = 1;
    });
    g_Engine.RunAction("gate");
    EXPECT_TRUE(Logged("Jest ActionIf key_found a zmienna nie ustawiona, wychodze!"));
    g_GameAI.SetVariable("key_found", nullptr);
    g_GameAI.SetVariable("alarm", nullptr);
    g_Engine.RunAction("gate");
    EXPECT_TRUE(Logged("Jest ActionIfNot alarm a zmienna ustawiona, wychodze!"));
    EXPECT_EQ(gate->m_bHasRun, 0);
    g_GameAI.UnsetVariable("alarm", nullptr);
    g_Engine.RunAction("gate");
    EXPECT_TRUE(g_GameAI.IsSet("gate_open"));
    EXPECT_TRUE(Logged("gate - wychodze z uruchomienia akcji OK."));

    g_GameAI.UnsetVariable("gate_open", nullptr);
    Pass();  // the motion is over: the block could fire again, but only once
    g_Engine.RunAction("gate");
    EXPECT_FALSE(g_GameAI.IsSet("gate_open"));
}

// Seconds of frame steps since the last run must reach the minimum interval.
TEST_F(ObjectActions, TheMinimumIntervalRefusesRunsThatComeTooSoon) {
    Trigger("bell", false, [](strActionParams& a) {
        std::strcpy(a.m_szConsolePrint, "Ding");
        a.m_fMinimumInterval = 5;
    });
    for (int i = 0; i < 5; ++i) Pass();
    g_Engine.RunAction("bell");
    EXPECT_EQ(TimesLogged("Ding"), 1);
    for (int i = 0; i < 3; ++i) Pass();
    g_Engine.RunAction("bell");
    EXPECT_EQ(TimesLogged("Ding"), 1);
    EXPECT_TRUE(Logged("Czas od ost. uruchomienia: 3.000000; wymagany: 5.000000"));
    Pass();
    Pass();
    g_Engine.RunAction("bell");
    EXPECT_EQ(TimesLogged("Ding"), 2);
}

// The first state and the switched state run their own variants, one after the other.
// Before its block can fire, a door's knob is put on its socket and the block's sounds and
// dialogue voices are read into the sound cache.
TEST_F(ObjectActions, TheFirstUpdatePutsTheKnobOnItsSocketAndReadsTheSoundsAhead) {
    const std::string wave = synth::Wave(1, 22050, 16, synth::Pcm16(std::vector<float>(100, 0.1f)));
    WriteFile("sounds\\open.wav", wave);
    WriteFile("sounds\\shut.wav", wave);
    WriteFile("voices\\Dialogues\\hello.wav", wave);
    EObjectSlot* door = AddMesh("door", DV{});
    GiveSocket(door, "klamka");
    g_MeshSocketsMgr.m_Files[0].m_Sockets[0].x = 0.5f;
    g_MeshSocketsMgr.m_Files[0].m_Sockets[0].y = 1.0f;
    EObjectSlot* knob = AddMesh("knob", DV{50, 0, 0});
    strActionParams a;
    a.m_uEnabled = 1;
    a.m_uSwing = 1;
    std::strcpy(a.m_szKnobObject, "knob");
    std::strcpy(a.m_szKnobSocket, "klamka");
    std::strcpy(a.m_szSoundActivate, "sounds\\open.wav");
    std::strcpy(a.m_szSoundDeactivate, "sounds\\shut.wav");
    std::strcpy(a.m_szVoices[2], "hello");
    g_Engine.SetActionParams(door, &a);
    DV socket;
    ASSERT_TRUE(g_Engine.GetObjectSocket(door, "klamka", &socket, nullptr));
    ASSERT_NE(socket, knob->m_vPosition);
    g_EngineObject.FirstUpdate(door);
    EXPECT_EQ(knob->m_vPosition, socket);
    for (const char* file : {"sounds\\open.wav", "sounds\\shut.wav", "voices\\Dialogues\\hello.wav"})
        EXPECT_TRUE(g_SoundCache.IsCached(file)) << file;
    ClearSoundCache();
}

// A lamp's glow goes out and comes back with the lamp.
TEST_F(ObjectActions, SwitchingALightSwitchesItsEffectToo) {
    EObjectSlot* lamp = Trigger("lamp", false, [](strActionParams& a) { a.m_uLightToggle = 1; });
    EFXInstance glow;
    lamp->m_pEffectInstance = &glow;
    g_Engine.RunAction("lamp");
    EXPECT_EQ(lamp->m_bLightByte, 0);
    EXPECT_EQ(glow.m_bSwitchedOff, 1);
    lamp->m_bActionsRan = 0;
    g_Engine.RunAction("lamp");
    EXPECT_EQ(lamp->m_bLightByte, 1);
    EXPECT_EQ(glow.m_bSwitchedOff, 0);
    lamp->m_pEffectInstance = nullptr;
}

TEST_F(ObjectActions, TheStatesTakeTurnsWithTheirOwnVariables) {
    Trigger("switch", false, [](strActionParams& a) {
        std::strcpy(a.m_szDefaultSet, "lamp_on");
        std::strcpy(a.m_szDestUnset, "lamp_on");
    });
    g_Engine.RunAction("switch");
    EXPECT_TRUE(g_GameAI.IsSet("lamp_on"));
    g_Engine.RunAction("switch");  // still running: refused
    Pass();
    g_Engine.RunAction("switch");
    EXPECT_FALSE(g_GameAI.IsSet("lamp_on"));
    Pass();
    g_Engine.RunAction("switch");
    EXPECT_TRUE(g_GameAI.IsSet("lamp_on"));
}

// Points switched on missing objects say which point failed.
TEST_F(ObjectActions, MissingObjectsAreReportedByTheStepThatWantedThem) {
    Trigger("panel", false, [](strActionParams& a) {
        std::strcpy(a.m_szGreenPointFor, "nobody");
        std::strcpy(a.m_szRedPointFor, "nobody");
        std::strcpy(a.m_szTeleportObjectHere, "ghost");
        std::strcpy(a.m_szKickObject, "ball");
        std::strcpy(a.m_szAnimForObject, "cow");
        std::strcpy(a.m_szBezierForObject, "cart");
        std::strcpy(a.m_szPassBlockersOn, "tractor");
    });
    g_Engine.RunAction("panel");
    for (const char* line : {"Przelaczanie green point dla nobody FAILED - nie ma obiektu!",
                             "Przelaczanie red point dla nobody FAILED - nie ma obiektu!",
                             "Nie ma obiektu do teleportacji!", "panel nie znalazl obiektu do kopniecia ball",
                             "SetAnimFor cow nie ma obiektu!",
                             "Zmuszenie obiektu do ruchu na bezierze failed - nie ma obiektu!cart",
                             "Chce wlaczyc PassingThroughBlockers dla tractor ale nie ma obiektu!"})
        EXPECT_TRUE(Logged(line)) << line;
}

TEST_F(ObjectActions, DialogueNamesItsFileOrSaysThereIsNone) {
    EObjectSlot* radio = Trigger("radio", false, [](strActionParams& a) { std::strcpy(a.m_szVoices[2], "hello"); });
    g_EngineObject.PlayDialogue(radio);
    EXPECT_TRUE(Logged("voices\\Dialogues\\hello.wav nie istnieje!"));
    radio->m_pActionParams->m_szVoices[2][0] = 0;
    g_EngineObject.PlayDialogue(radio);
    EXPECT_TRUE(Logged("Nie ma klucza"));
    EXPECT_TRUE(Logged("Nie ma path"));
}

TEST_F(ObjectActions, ARespawnIsLoggedWithOneOfItsPhasesAndCounted) {
    EObjectSlot* post = Trigger("post", false, [](strActionParams& a) {
        std::strcpy(a.m_szRespawnCharacter, "guard");
        std::strcpy(a.m_szRespawnPhases[0], "patrol");
        std::strcpy(a.m_szRespawnPhases[1], "patrol");
    });
    g_Engine.RunAction("post");
    EXPECT_TRUE(Logged("Respawnuje postac z id guard"));
    EXPECT_TRUE(Logged("Respawn phase randomised to patrol"));
    EXPECT_EQ(post->m_iRespawns, 1);
    post->m_pActionParams->m_szRespawnCharacter[0] = 0;
    g_EngineObject.RespawnCharacter(post);
    EXPECT_TRUE(Logged("EEngineObject::RespawnCharacter nie ma name!"));
    EXPECT_EQ(post->m_iRespawns, 1);
}

}  // namespace
