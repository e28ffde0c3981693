// Vehicle types read from "scripts\vehicles\*.txt": keywords, tables, limits, bad values, the
// sort by file name and the random pick.
#include "PhysicsFixture.h"

namespace test {
namespace {

class VehicleTypesTest : public PhysicsTest {
protected:
    // The types of one file "a.txt" of the given text.
    const VehicleType& Read(const std::string& text) {
        InitPhysics({{"a.txt", text}});
        return g_Physics.m_Vehicles[0];
    }
};

TEST_F(VehicleTypesTest, KeywordsFillTheirFields) {
    const VehicleType& t = Read(
        "Vehicle Big Red  Tractor\n"
        "PREFAB prefabs\\a\\a.x\n"
        "engine_sound sounds\\e.wav\n"
        "klasa 2\ntraktor\nkombajn\nsiewnik_duzy\nstaly\npojemny\nprzyczepa\nDE\nUS\n"
        "player_can_drive\nreverse_wheels\n"
        "Mass 1200.5\nStiffness 3\nskala_kierowcy 1.2\nkorekcja_kierownicy -0.2\n"
        "mnoznik_fizyki_x 0.9\nmnoznik_fizyki_y 0.8\nmnoznik_fizyki_z 0.7\n"
        "przesuniecie_fizyki_prawo 0.1\nprzesuniecie_fizyki_gora 1.1\nprzesuniecie_fizyki_przod -0.3\n"
        "steering_wheel m\\k.x kierownica\n"
        "front_wheel m\\w.x kolo_lp 0.6 0.2 7\nwheel m\\r.x kolo_lt\n"
        "rotate_cmd0 4.0\nattachment m\\h.x heder\nrotate_cmd1 1.2 0.5\nattachment_zboze m\\z.x kupa\n"
        "attachment_skinmesh m\\l.x tur anim 1\n"
        "tlok m\\a.x m\\b.x\n"
        "zaczep m\\d.x zaczep zp zt\n"
        "hak hak\nhak_siewnik hs\n"
        "this line is a comment\n");
    EXPECT_EQ(g_Physics.m_uVehicleCount, 1u);
    EXPECT_STREQ(t.m_szName, "Big Red  Tractor");
    EXPECT_STREQ(t.m_szFileName, "a.txt");
    EXPECT_STREQ(t.m_szPrefab, "prefabs\\a\\a.x");
    EXPECT_STREQ(t.m_szEngineSound, "sounds\\e.wav");
    EXPECT_EQ(t.m_iKlasa, 2);
    EXPECT_TRUE(t.m_bTraktor && t.m_bKombajn && t.m_bSiewnikDuzy && t.m_bStaly && t.m_bPojemny && t.m_bPrzyczepa);
    EXPECT_FALSE(t.m_bSiewnik || t.m_bPlug || t.m_bTur);
    EXPECT_TRUE(t.m_bDE && t.m_bUS && !t.m_bFR && !t.m_bUK);
    EXPECT_TRUE(t.m_bPlayerCanDrive && t.m_bReverseWheels);
    EXPECT_FLOAT_EQ(t.m_fMass, 1200.5f);
    EXPECT_FLOAT_EQ(t.m_fStiffness, 3);
    EXPECT_FLOAT_EQ(t.m_fDriverScale, 1.2f);
    EXPECT_FLOAT_EQ(t.m_fSteeringCorrection, -0.2f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsScaleX, 0.9f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsScaleY, 0.8f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsScaleZ, 0.7f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsOffsetRight, 0.1f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsOffsetUp, 1.1f);
    EXPECT_FLOAT_EQ(t.m_fPhysicsOffsetForward, -0.3f);
    EXPECT_STREQ(t.m_szSteeringWheelModel, "m\\k.x");
    EXPECT_STREQ(t.m_szSteeringWheelSocket, "kierownica");
    ASSERT_EQ(t.m_uWheelCount, 2u);
    EXPECT_STREQ(t.m_szWheelSocket[0], "kolo_lp");
    EXPECT_TRUE(t.m_bWheelFront[0]);
    EXPECT_FALSE(t.m_bWheelFront[1]);
    EXPECT_FLOAT_EQ(t.m_fWheelA[0], 0.6f);
    EXPECT_FLOAT_EQ(t.m_fWheelB[0], 0.2f);
    EXPECT_FLOAT_EQ(t.m_fWheelC[0], 7);
    // Rotation lines apply to the attachment that the next attachment line adds.
    ASSERT_EQ(t.m_uAttachmentCount, 2u);
    EXPECT_FLOAT_EQ(t.m_fRotateSpeed[0], 4);
    EXPECT_FLOAT_EQ(t.m_fRotateA[1], 1.2f);
    EXPECT_FLOAT_EQ(t.m_fRotateB[1], 0.5f);
    EXPECT_TRUE(t.m_bAttachmentGrain[1]);
    EXPECT_FALSE(t.m_bAttachmentGrain[0]);
    ASSERT_EQ(t.m_uSkinAttachmentCount, 1u);
    EXPECT_STREQ(t.m_szSkinAttachmentAnimation[0], "anim");
    EXPECT_TRUE(t.m_bSkinAttachmentRestorePose[0]);
    EXPECT_STREQ(t.m_szPistonModelB, "m\\b.x");
    EXPECT_STREQ(t.m_szHitchTractorSocket, "zt");
    EXPECT_TRUE(t.m_Hooks[HOOK_MAIN].m_bSet);
    EXPECT_STREQ(t.m_Hooks[HOOK_SEEDER].m_szSocket, "hs");
    EXPECT_FALSE(t.m_Hooks[HOOK_PLOUGH].m_bSet);
}

TEST_F(VehicleTypesTest, ATypeStartsFromItsDefaults) {
    const VehicleType& t = Read("Vehicle Plain\n");
    EXPECT_FLOAT_EQ(t.m_fMass, 800);
    EXPECT_FLOAT_EQ(t.m_fStiffness, 10);
    EXPECT_FLOAT_EQ(t.m_fDriverScale, 1);
    EXPECT_FLOAT_EQ(t.m_fPhysicsScaleY, 1);
    EXPECT_FLOAT_EQ(t.m_fPhysicsOffsetUp, 1.5f);
    EXPECT_FLOAT_EQ(t.m_fWheelA[15], 0.5f);
    EXPECT_EQ(t.m_uWheelCount, 0u);
}

TEST_F(VehicleTypesTest, KlasaIsHeldWithinZeroToThree) {
    for (const auto& [line, klasa] : std::vector<std::pair<std::string, int>>{{"klasa 7", 3}, {"klasa -2", 0}, {"klasa 1", 1}}) {
        SetUp();
        EXPECT_EQ(Read("Vehicle K\n" + line + "\n").m_iKlasa, klasa) << line;
        TearDown();
    }
}

TEST_F(VehicleTypesTest, TablesStopAtSixteenEntriesAndSkinnedAttachmentsCountApart) {
    std::string text = "Vehicle Many\n";
    for (int i = 0; i < 17; ++i) {
        text += "wheel w.x s" + std::to_string(i) + " 0.5 0 0\n";
        text += "attachment a.x s" + std::to_string(i) + "\n";
    }
    text += "attachment_skinmesh l.x tur anim 0\n";
    const VehicleType& t = Read(text);
    EXPECT_EQ(t.m_uWheelCount, 16u);
    EXPECT_STREQ(t.m_szWheelSocket[15], "s15");
    EXPECT_EQ(t.m_uAttachmentCount, 16u);
    EXPECT_EQ(t.m_uSkinAttachmentCount, 1u);
}

TEST_F(VehicleTypesTest, MissingOrBadNumbersKeepTheDefaultsWithALine) {
    struct Case {
        const char* line;
        float VehicleType::*field;
        float expected;
    };
    const Case cases[] = {
        {"Mass", &VehicleType::m_fMass, 800},
        {"Mass heavy", &VehicleType::m_fMass, 800},
        {"Mass -5", &VehicleType::m_fMass, 800},
        {"Mass 0", &VehicleType::m_fMass, 800},
        {"Mass nan", &VehicleType::m_fMass, 800},
        {"mnoznik_fizyki_x 0", &VehicleType::m_fPhysicsScaleX, 1},
        {"skala_kierowcy -1", &VehicleType::m_fDriverScale, 1},
        {"przesuniecie_fizyki_gora inf", &VehicleType::m_fPhysicsOffsetUp, 1.5f},
        {"Mass 950", &VehicleType::m_fMass, 950},
        {"przesuniecie_fizyki_gora -0.5", &VehicleType::m_fPhysicsOffsetUp, -0.5f},
    };
    for (const Case& c : cases) {
        SetUp();
        const VehicleType& t = Read(std::string("Vehicle V\n") + c.line + "\n");
        EXPECT_FLOAT_EQ(t.*c.field, c.expected) << c.line;
        const bool good = c.expected != 800 && c.expected != 1 && c.expected != 1.5f;
        EXPECT_EQ(Logged(std::string("Bad value in vehicle file a.txt: ") + c.line), !good) << c.line;
        TearDown();
    }
}

TEST_F(VehicleTypesTest, ALineWithoutItsWordsSaysWhatIsMissing) {
    const VehicleType& t = Read("Vehicle Z\nhak\nzaczep\nsteering_wheel\nfront_wheel w.x s\n");
    EXPECT_FALSE(t.m_Hooks[HOOK_MAIN].m_bSet);
    for (const char* line : {"Nie zdefiniowano socketa haka!", "Nie zdefiniowano prefaba zaczepu!",
                             "Nie zdefiniowano socketa traktora w zaczepie!", "ERROR: Niezdefiniowana kierownica dla Z",
                             "ERROR: Niezdefiniowany socket kierownicy dla Z", "Bad value in vehicle file a.txt: front_wheel w.x s"})
        EXPECT_TRUE(Logged(line)) << line;
    EXPECT_EQ(t.m_uWheelCount, 1u);
    EXPECT_FLOAT_EQ(t.m_fWheelA[0], 0.5f);
}

TEST_F(VehicleTypesTest, LinesBeforeAFilesFirstVehicleLineChangeNoOtherFilesType) {
    InitPhysics({{"a.txt", "Vehicle First\nMass 500\n"}, {"b.txt", "Mass 900\ntraktor\n// note\nVehicle Second\n"}});
    ASSERT_EQ(g_Physics.m_uVehicleCount, 2u);
    EXPECT_FLOAT_EQ(g_Physics.m_Vehicles[0].m_fMass, 500);
    EXPECT_FALSE(g_Physics.m_Vehicles[0].m_bTraktor);
    EXPECT_FLOAT_EQ(g_Physics.m_Vehicles[1].m_fMass, 800);
    EXPECT_TRUE(Logged("Lines before the first Vehicle line ignored in scripts\\vehicles\\b.txt"));
    EXPECT_FALSE(Logged("Lines before the first Vehicle line ignored in scripts\\vehicles\\a.txt"));
}

TEST_F(VehicleTypesTest, TheSixtyFourthTypeIsRefused) {
    std::string text;
    for (int i = 0; i < 64; ++i) text += "Vehicle T" + std::to_string(i) + "\n";
    InitPhysics({{"a.txt", text}, {"b.txt", "Vehicle Late\n"}});
    EXPECT_EQ(g_Physics.m_uVehicleCount, 63u);
    EXPECT_STREQ(g_Physics.m_Vehicles[62].m_szName, "T62");
    // Once for the file that reached the limit, once for the file after it.
    const std::string log = ConsoleLog();
    size_t count = 0;
    for (size_t at = log.find("MAX_VEHICLES exceeded!"); at != std::string::npos; at = log.find("MAX_VEHICLES exceeded!", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(VehicleTypesTest, TypesAreSortedByFileNameIgnoringCase) {
    InitPhysics({{"c.txt", "Vehicle C\n"}, {"B.txt", "Vehicle B1\nVehicle B2\n"}, {"a.txt", "Vehicle A\n"}});
    ASSERT_EQ(g_Physics.m_uVehicleCount, 4u);
    std::vector<std::string> files;
    for (uint32_t i = 0; i < 4; ++i) files.push_back(g_Physics.m_Vehicles[i].m_szFileName);
    EXPECT_EQ(files, (std::vector<std::string>{"a.txt", "B.txt", "B.txt", "c.txt"}));
    EXPECT_STREQ(g_Physics.m_Vehicles[0].m_szName, "A");
}

TEST_F(VehicleTypesTest, ARandomPickIsADrivableTypeOfTheAskedKindAndClass) {
    InitPhysics({{"a.txt",
                  "Vehicle T0\nprefab t0.x\ntraktor\nplayer_can_drive\nklasa 0\n"
                  "Vehicle T1\nprefab t1.x\ntraktor\nplayer_can_drive\nklasa 1\n"
                  "Vehicle K\nprefab k.x\nkombajn\nplayer_can_drive\nklasa 1\n"
                  "Vehicle Parked\nprefab p.x\ntraktor\nklasa 2\n"}});
    for (int i = 0; i < 20; ++i) {
        EXPECT_STREQ(g_Physics.PickRandomVehicle(false, true, 1), "t1.x");
        EXPECT_STREQ(g_Physics.PickRandomVehicle(true, false, -1), "k.x");
        const std::string any = g_Physics.PickRandomVehicle(false, true, -1);
        EXPECT_TRUE(any == "t0.x" || any == "t1.x") << any;
    }
    // No drivable tractor of class 2; neither kind asked finds nothing in the final scan.
    EXPECT_STREQ(g_Physics.PickRandomVehicle(false, true, 2), "");
    EXPECT_STREQ(g_Physics.PickRandomVehicle(false, false, 3), "");
}

TEST_F(VehicleTypesTest, AnObjectWhoseModelIsAPrefabBecomesThatMachine) {
    InitPhysics();
    EObjectSlot* tractor = AddObject("PREFABS\\T\\Tractor.x", {}, 0, "tractor");
    ASSERT_NE(tractor, nullptr);
    ASSERT_NE(tractor->m_hTruck, nullptr);
    EXPECT_STREQ(tractor->m_hTruck->m_szName, "Test Tractor");
    EXPECT_EQ(AddObject(kHitchModel, {5, 0, 0})->m_hTruck, nullptr);
}

}  // namespace
}  // namespace test
