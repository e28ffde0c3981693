// The object table: kind ranges, marks, look-ups, default names, the name-prefix file, creation
// and deletion.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mesh/EMesh.h"
#include "platform/os/Files.h"
#include "world/EngineFixture.h"
#include "world/ObjectRef.h"

namespace {

using test::EngineTest;
using Lines = std::vector<std::string>;

class ObjectTable : public EngineTest {};

TEST_F(ObjectTable, EachKindTakesTheLowestFreeSlotOfItsOwnRange) {
    struct Case {
        int kind;
        const char* file;
        int slot;  // -1: refused
        const char* line;
    };
    const Case cases[] = {
        {OT_MESH, "m\\box.x", 0, nullptr},
        {OT_LIGHT, "", 5000, nullptr},
        {OT_SKINMESH, "m\\box.x", 4400, nullptr},  // a mesh without skin is a skinned model of one bone
        {OT_SKINMESH, "m\\missing.x", -1, "SkinMesh Nie Created!"},
        {OT_MESH, "m\\missing.x", -1, nullptr},                  // the mesh code tells its own failure
        {1, "m\\box.x", -1, "Adding object of UNKNOWN type!"},
        {7, "m\\box.x", -1, "Adding object of UNKNOWN type!"},
    };
    for (const Case& c : cases) {
        SetUp();
        EObjectSlot* o = g_Engine.CreateObject(c.kind, c.file, kDefaultObjectFlags, 0, nullptr, nullptr);
        if (c.slot < 0) {
            EXPECT_EQ(o, nullptr) << c.kind << c.file;
            EXPECT_EQ(g_Engine.TotalObjects, 0);
            for (const EObjectSlot& s : g_Engine.m_Objects) EXPECT_EQ(s.m_bUsed, 0);
        } else {
            ASSERT_NE(o, nullptr) << c.kind;
            EXPECT_EQ(o - g_Engine.m_Objects, c.slot);
            EXPECT_EQ(o->pesel[2], static_cast<uint32_t>(c.slot));
            EXPECT_EQ(g_Engine.TotalObjects, 1);
        }
        if (c.line) {
            EXPECT_TRUE(Logged(c.line)) << ConsoleLog();
        }
        TearDown();
    }
}

TEST_F(ObjectTable, AFullRangeRefusesWhileOtherRangesHaveRoom) {
    for (int i = 0; i < 100; ++i) ASSERT_NE(AddLight("lamp"), nullptr) << i;
    EXPECT_EQ(g_Engine.m_iLightMark, 5100);
    EXPECT_EQ(AddLight("one too many"), nullptr);
    EXPECT_TRUE(Logged("*** Over Objects Limit!"));
    EXPECT_NE(AddMesh("box"), nullptr);
    EXPECT_EQ(g_Engine.TotalObjects, 101);
}

TEST_F(ObjectTable, TheMarksFollowTheHighestUsedSlotAndNeverLeaveTheirRange) {
    EObjectSlot* lights[4];
    for (EObjectSlot*& l : lights) l = AddLight("lamp");
    EObjectSlot* meshes[3];
    for (EObjectSlot*& m : meshes) m = AddMesh("box");
    EXPECT_EQ(g_Engine.m_iLightMark, 5004);
    EXPECT_EQ(g_Engine.m_iMeshMark, 3);
    g_Engine.DeleteObject(lights[1]);  // in the middle: the mark stays
    EXPECT_EQ(g_Engine.m_iLightMark, 5004);
    g_Engine.DeleteObject(lights[3]);  // the highest: past the free slot 5001 to 5003
    EXPECT_EQ(g_Engine.m_iLightMark, 5003);
    g_Engine.DeleteObject(lights[2]);
    EXPECT_EQ(g_Engine.m_iLightMark, 5001);
    g_Engine.DeleteObject(lights[0]);
    EXPECT_EQ(g_Engine.m_iLightMark, 5000);
    for (EObjectSlot* m : meshes) g_Engine.DeleteObject(m);
    EXPECT_EQ(g_Engine.m_iMeshMark, 0);
    EXPECT_EQ(g_Engine.m_iSkinMeshMark, 4400);
    EXPECT_EQ(g_Engine.TotalObjects, 0);
}

TEST_F(ObjectTable, FindObjectIgnoresCaseTakesTheLowestSlotAndSkipsEmptyNamesAndTheLastSlots) {
    EObjectSlot* lower = AddMesh("Barn");
    EObjectSlot* upper = AddMesh("BARN");
    AddMesh("");
    EXPECT_EQ(g_Engine.FindObject("barn", false), lower);
    g_Engine.DeleteObject(lower);
    EXPECT_EQ(g_Engine.FindObject("barn", true), upper);
    EXPECT_EQ(g_Engine.FindObject("", false), nullptr);
    EXPECT_EQ(g_Engine.FindObject(nullptr, false), nullptr);

    // Slots 5100 and above are never handed out; a name there is never found.
    EObjectSlot& beyond = g_Engine.m_Objects[5150];
    beyond.m_bUsed = 1;
    std::strcpy(beyond.m_szName, "ghost");
    EXPECT_EQ(g_Engine.FindObject("ghost", false), nullptr);
    beyond = EObjectSlot{};

    // Only the known kinds with the second argument set.
    upper->Type = 1;
    EXPECT_EQ(g_Engine.FindObject("barn", false), upper);
    EXPECT_EQ(g_Engine.FindObject("barn", true), nullptr);
    upper->Type = OT_MESH;
}

TEST_F(ObjectTable, FindObjectByPeselAndObjectRefsInStreams) {
    EObjectSlot* a = AddMesh("a");
    EObjectSlot* b = AddLight("b");
    EXPECT_EQ(g_Engine.FindObjectByPesel(b->pesel), b);
    EXPECT_EQ(g_Engine.FindObjectByPesel(nullptr), nullptr);

    FILE* out = plat::OpenFile("refs.bin", "wb");
    FileWriteObjectRef(out, b);
    FileWriteObjectRef(out, nullptr);
    FileWriteObjectRef(out, a);
    std::fclose(out);
    EXPECT_EQ(ReadFile("refs.bin").size(), 36u);
    g_Engine.DeleteObject(a);
    FILE* in = plat::OpenFile("refs.bin", "rb");
    EObjectSlot* read[3] = {a, a, a};
    for (EObjectSlot*& r : read) FileReadObjectRef(in, &r);
    std::fclose(in);
    EXPECT_EQ(read[0], b);
    EXPECT_EQ(read[1], nullptr);
    EXPECT_EQ(read[2], nullptr);  // deleted since
}

TEST_F(ObjectTable, AMissingPrefixFileIsWrittenWithTheDefaultsAndAnExistingOneIsOnlyRead) {
    const std::string defaults("m\0\0\0sm\0\0l\0\0\0spr\0", 16);
    EXPECT_EQ(ReadFile("save\\NamePrefixes.cfg"), defaults);
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_SKINMESH), "sm");
    EXPECT_STREQ(g_Engine.GetNamePrefix(3), "");

    // A cell of four letters would run into the next: its last letter goes.
    const std::string custom("abcdwv\0\0x\0\0\0yz\0\0", 16);
    WriteFile("save\\NamePrefixes.cfg", custom);
    test::ResetGlobal(g_Engine);
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_MESH), "abc");
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_SKINMESH), "wv");
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_LIGHT), "x");
    EXPECT_EQ(ReadFile("save\\NamePrefixes.cfg"), custom);

    WriteFile("save\\NamePrefixes.cfg", "q");  // short: the other cells stay empty
    test::ResetGlobal(g_Engine);
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_MESH), "q");
    EXPECT_STREQ(g_Engine.GetNamePrefix(OT_LIGHT), "");
}

TEST_F(ObjectTable, TheEditorNamesNewObjectsWithTheFirstFreeNumberFromTheirSlot) {
    g_Settings.m_bEditor = 1;
    EXPECT_STREQ(AddLight(nullptr)->m_szName, "l5000");
    EObjectSlot* first = g_Engine.CreateObject(OT_MESH, "m\\box.x", kDefaultObjectFlags, 0, nullptr, nullptr);
    EXPECT_STREQ(first->m_szName, "m0000");
    for (int i = 0; i < 3; ++i) g_Engine.CreateObject(OT_MESH, "m\\box.x", kDefaultObjectFlags, 0, nullptr, nullptr);
    std::strcpy(first->m_szName, "m0004");  // the number the mesh in slot 4 would take
    g_Engine.DeleteObject(&g_Engine.m_Objects[3]);
    EObjectSlot* again = g_Engine.CreateObject(OT_MESH, "m\\box.x", kDefaultObjectFlags, 0, nullptr, nullptr);
    EXPECT_EQ(again - g_Engine.m_Objects, 3);
    EXPECT_STREQ(again->m_szName, "m0003");
    std::strcpy(g_Engine.m_Objects[1].m_szName, "m0005");
    g_Engine.DeleteObject(again);
    std::strcpy(g_Engine.m_Objects[2].m_szName, "m0003");
    EXPECT_STREQ(g_Engine.CreateObject(OT_MESH, "m\\box.x", 13, 0, nullptr, nullptr)->m_szName, "m0006");
}

TEST_F(ObjectTable, AModelNameOver126CharactersIsRefusedWholeAndNothingIsMade) {
    std::string folder = "m\\" + std::string(118, 'd') + "\\";  // 121 characters
    std::string fits = folder + "a.x";                            // 124
    std::string longest = folder + "abc.x";                       // 126
    std::string over = folder + "abcd.x";                         // 127
    for (const std::string& file : {fits, longest, over}) WriteFile(file, test::kTriangleModel);
    EXPECT_NE(AddMesh("fits", {}, fits.c_str()), nullptr);
    EXPECT_STREQ(AddMesh("longest", {}, longest.c_str())->m_szFileName, longest.c_str());
    EXPECT_EQ(AddMesh("over", {}, over.c_str()), nullptr);
    EXPECT_EQ(AddMesh("far over", {}, (over + std::string(200, 'x')).c_str()), nullptr);
    EXPECT_EQ(g_Engine.TotalObjects, 2);
    EXPECT_EQ(g_Engine.m_Objects[2].m_bUsed, 0);
    EXPECT_TRUE(Logged("AddObject FileName>126"));
    EXPECT_NE(ReadFile("!error.txt").find("AddObject FileName>126"), std::string::npos);
}

TEST_F(ObjectTable, ANewMeshCarriesItsDescriptorAndIsOfferedATruckUnlessAWorldIsStarting) {
    DV at{3, 4, 5}, scale{2, 2, 2};
    EObjectSlot* o = g_Engine.CreateObject(OT_MESH, "m\\box.x", 0x41, 0x20, &at, &scale);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->m_uFlags, 0x41u);
    EXPECT_EQ(o->m_uFlags2, 0x20u);
    EXPECT_EQ(o->m_bVisibleThisFrame, 1);
    EXPECT_EQ(o->m_vPosition, at);
    EXPECT_EQ(o->m_vStartPosition, at);
    EXPECT_EQ(o->m_vScale, scale);
    EXPECT_FLOAT_EQ(o->m_fFullTurn, 6.2831855f);
    EXPECT_EQ(o->Mesh()->m_hObject, o);
    EXPECT_NE(o->m_pBezierParams, nullptr);
    EXPECT_EQ(o->m_pBezierState->m_bEnable, 1);
    EXPECT_EQ(TakeCalls(), (Lines{"createTruckForObject "}));

    g_Engine.m_bStartWorld = 1;
    ASSERT_NE(AddMesh("loaded"), nullptr);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(ObjectTable, ADeletedSlotReadsEmptyItsBlocksAreFreedAndASecondDeleteDoesNothing) {
    g_Settings.m_iSystemDebug = 1;  // the allocation registry counts
    EObjectSlot* o = AddMesh("crate");
    strTexturePaint paint;
    g_Engine.SetTexturePaint(o, &paint);
    strLightBlinking blinking;
    g_Engine.SetLightBlinking(o, &blinking);
    g_Engine.SetFX(o, "smoke");
    g_Engine.TieToSocket(o, true, "tractor", "hitch");  // cached: no world runs
    o->m_pPhysicsBody = o;                               // a body the machines' physics made
    EXPECT_EQ(TagCount("h->FX"), 1u);
    EXPECT_EQ(TagCount("CacheSocketToTieTo"), 1u);
    TakeCalls();
    g_Engine.DeleteObject(o);
    EXPECT_EQ(TakeCalls(), (Lines{"physicsDeleteObject crate", "removeObjectBody crate"}));
    EXPECT_EQ(o->m_bUsed, 0);
    EXPECT_EQ(o->Object, nullptr);
    EXPECT_EQ(o->m_pBezierParams, nullptr);
    EXPECT_EQ(o->FX, nullptr);
    EXPECT_EQ(o->m_szName[0], 0);
    EXPECT_EQ(g_Engine.TotalObjects, 0);
    for (const char* tag : {"EMesh", "strTexturePaint", "strLightBlinking", "h->FX", "CacheObjectToTieTo",
                            "CacheSocketToTieTo", "strBezierMovingParameters", "strBezierMovingState"})
        EXPECT_EQ(TagCount(tag), 0u) << tag;
    g_Engine.DeleteObject(o);
    g_Engine.DeleteObject(nullptr);
    EXPECT_EQ(g_Engine.TotalObjects, 0);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(ObjectTable, DeletingAnObjectUntiesWhatIsTiedToIt) {
    EObjectSlot* tractor = AddMesh("tractor");
    EObjectSlot* plough = AddMesh("plough");
    EObjectSlot* lamp = AddLight("lamp");
    for (EObjectSlot* tied : {plough, lamp}) {
        tied->m_bTied = 1;
        tied->m_pTieTargetObject = tractor;
    }
    TakeCalls();
    g_Engine.DeleteObject(tractor);
    for (EObjectSlot* tied : {plough, lamp}) {
        EXPECT_EQ(tied->m_bTied, 0);
        EXPECT_EQ(tied->m_pTieTargetObject, nullptr);
    }
    // The untied mesh is pushed with nothing to wake its body; it has none, so one is asked for.
    EXPECT_EQ(TakeCalls(), (Lines{"physicsDeleteObject tractor", "createObjectBody plough"}));
}

TEST_F(ObjectTable, BulkDeletions) {
    auto setUpWorld = [&] {
        for (EObjectSlot& o : g_Engine.m_Objects) g_Engine.DeleteObject(&o);
        g_Camera.m_vPosition = DV{};
        EObjectSlot* near = AddMesh("near", {10, 0, 0});
        near->m_fRadius = 5;
        near->m_iSector = 2;
        EObjectSlot* far = AddMesh("far", {100, 0, 0});
        far->m_fRadius = 5;
        far->m_uFlags |= FLAG_NOT_IMPORTANT;
        far->m_bSpawned = 1;
        EObjectSlot* lamp = AddLight("lamp", {50, 0, 0});
        lamp->m_fRadius = 60;
        lamp->m_iSector = 2;
    };
    auto left = [] {
        std::string names;
        for (const EObjectSlot& o : g_Engine.m_Objects)
            if (o.m_bUsed) names += std::string(names.empty() ? "" : " ") + o.m_szName;
        return names;
    };
    setUpWorld();
    g_Engine.DeleteFlaggedObjects();
    EXPECT_EQ(left(), "near lamp");
    setUpWorld();
    g_Engine.DeleteSectorObjects(0);
    EXPECT_EQ(left(), "near far lamp");
    g_Engine.DeleteSectorObjects(2);
    EXPECT_EQ(left(), "far");
    setUpWorld();
    g_Engine.DeleteAllObjects(false);  // spawned meshes, and every light
    EXPECT_EQ(left(), "near");
    setUpWorld();
    g_Engine.WipeOut(0);  // 10 - 5 and 100 - 5 are at least 0; 50 - 60 is not
    EXPECT_EQ(left(), "lamp");
    setUpWorld();
    g_Engine.WipeOut(50);
    EXPECT_EQ(left(), "near lamp");
    EXPECT_TRUE(Logged("WipeOut complete for 50.000000"));
}

TEST_F(ObjectTable, PreloadingLeavesNoObjectBehind) {
    g_Engine.PreloadResource("m\\box.x", 4);
    g_Engine.PreloadResource("m\\box.x", 16);
    g_Engine.PreloadResource("sounds\\missing.wav", 8);
    g_Engine.PreloadResource(nullptr, 4);
    g_Engine.PreloadResource("m\\box.x", 2);
    EXPECT_EQ(g_Engine.TotalObjects, 0);
    EXPECT_EQ(g_Engine.m_iMeshMark, 0);
    for (const EObjectSlot& o : g_Engine.m_Objects) EXPECT_EQ(o.m_bUsed, 0);
}

}  // namespace
