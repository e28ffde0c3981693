#pragma once
// The front-end menu: every screen outside a running event (profiles, main menu, route grid, route
// page, garage and shop, options, controls, achievements, credits) and the pause and result pages
// over a frozen event. A page is a list of text items built from text keys; the mouse picks an item
// and a click (on release) acts on it. In scene mode the world has been ended for the menu; in
// overlay mode the event stays loaded behind it. Positions are in a 1024 x 768 frame, scaled.
#include <cstdint>

#include "render/ERect.h"
#include "render/ESurface.h"

// One line of a page, in a doubly linked list, newest first.
struct MenuItem {
    static constexpr int kTextSize = 158;
    // Kinds: plain text, button, text field, carousel-bound item.
    enum Kind : uint32_t { kText = 0, kButton = 1, kField = 2, kCarousel = 3 };

    uint32_t m_uId;
    uint32_t m_uKind;
    float m_fGlow;
    // -1 no selection bar; 0 and 1 a bar of half-width 80 or 140.
    int32_t m_iFadeMode;
    uint8_t m_bDisabled;
    uint8_t m_bHighlight;
    char m_szText[kTextSize];
    float m_fX;
    float m_fAlpha;
    uint32_t m_uColourAlpha;
    float m_fHomeX;
    float m_fY;
    float m_fWidth;
    float m_fScale;
    float m_fCarousel[4];
    uint8_t m_bCarouselVisible;
    MenuItem* m_pPrev;
    MenuItem* m_pNext;
};

// A tile of the route grid.
struct RouteTile {
    uint8_t m_bEnabled;
    uint32_t m_uRoute;
    ERect* m_pMedal;
    char m_szTask[256];
    float m_fRect[4];
    float m_fIcon[4];
};

// A slider of the options page: its bar and the value 0..1 it edits in place.
struct MenuSlider {
    float m_fX, m_fY, m_fWidth, m_fHeight;
    float* m_pValue;
};

class CMenu {
public:
    static constexpr uint32_t kMaxSliders = 16;
    static constexpr uint32_t kMaxTiles = 256;
    static constexpr int kNameLength = 19;
    // Item colours.
    static constexpr uint32_t kPlainColour = 0xFFCFBC98;
    static constexpr uint32_t kIdleColour = 0xFFA36719;
    static constexpr uint32_t kHoverColour = 0xFFFFB630;
    static constexpr uint32_t kPressedColour = 0xFFD9D5BF;
    static constexpr uint32_t kEditedColour = 0xFF20FFD0;
    static constexpr uint32_t kDisabledColour = 0xFF808080;
    static constexpr uint32_t kHighlightColour = 0xFFCFBC98;
    static constexpr float kTitleScale = 1.4f;
    static constexpr float kItemScale = 0.9f;
    // The level frame the menu's scene holds the main game at.
    static constexpr uint32_t kSceneFrame = 300;

    CMenu();
    virtual ~CMenu();

    // The engine's start and release hooks (nothing to do).
    void Init();
    void Release();

    // Items.
    uint32_t AddItem(uint32_t kind, const char* text, float x, float y, float scale, bool centred, int32_t fadeMode,
                     bool disabled, bool rightAligned, bool indented);
    void ClearItems();
    MenuItem* FindItem(uint32_t id) const;
    void SetBackButton(const char* iconFile, const char* caption, uint32_t targetPage);
    void ClearBackButton();
    void ClearMessage();

    // Pages and input.
    void ShowPage(uint32_t pageId);
    void HandleSelection();
    void OnKeyDown(uint32_t keyCode);
    void OnKeyUp(uint32_t keyCode);
    void Update();
    void UpdateMouse();
    void UpdateItemFade();
    void PrepareSceneRender();
    void Render();
    void DrawItems();

    // Opening and closing, starting and restarting.
    void LoadResources(uint32_t page, bool sceneMode);
    void CloseMenu();
    void ExitWorld();
    void StartRace(int32_t index);
    void Restart();
    void BackToMainMenu();
    void CaptureScreenTexture();
    void DrawBackground();
    void DrawResultBackground();
    // The result page's lines, place and picture, given by the player's run end before page 14.
    void SetResult(const char* const lines[3], uint32_t place, const char* picture);

    // Machines: the choice for a route, the owned machines, the shop, the sale and the upgrades.
    // The route's needs pick the machines that fit it; the selection is saved with the profile.
    void NextMachine(bool needTractor, bool needCombine, bool needLoader);
    void PrevMachine(bool needTractor, bool needCombine, bool needLoader);
    // The selected route's needs, then the selection stepped onto a machine that fits it.
    void FitMachineToRoute();
    // The route page's previous (-1) and next (+1) machine among those that fit the route.
    void StepMachineForRoute(int step);
    void EnsureTractorSelected();
    bool HasOwnedTractor() const;
    bool IsMachineForSale() const;
    void NextShopMachine();
    void PrevShopMachine();
    void BuyShopMachine();
    void SellSelectedMachine();
    // Steps the selection through the owned machines (step +1 or -1).
    void StepOwnedMachine(int step);
    // Upgrade offers 1..5 of the upgrades page; whether one is offered now.
    bool UpgradeOffered(int offer) const;
    void BuyUpgrade(int offer);
    void NextDriver();
    void NextSkin();
    void DrawMachineLine();
    void DrawMachineStats();

    // Content pages.
    void BuildRouteGrid();
    void DrawRouteGrid();
    void PickRoute();
    void BuildRouteInfo(int32_t route);
    void ShowProfilesPage();
    void HandleProfileSelection(uint32_t id);
    void EditProfileName(uint32_t key);
    void DrawNameEntry();
    void ChooseDifficulty(int32_t difficulty);
    void ShowAchievementsPage();
    void ShowOptionsPage();
    void ShowControlsPage();
    void DrawControlsPage();
    void AddSlider(float x, float y, float* value);
    void DrawSliders();
    void UpdateSliders();
    void DrawCredits();

    // Draws the quad over a rectangle of the 1024 x 768 frame, its texture tinted by the colour.
    static void DrawTinted(ERect& quad, float left, float top, float right, float bottom, uint32_t colour);
    // Draws the quad over the whole screen with its 16:9 picture cropped to the screen's aspect,
    // in its own render states.
    void DrawTextBox(ERect& quad);
    // value mapped linearly from fromA..fromB onto toA..toB.
    static float MapRange(float value, float fromA, float toA, float fromB, float toB);

    uint8_t m_bActive;
    uint8_t m_bSceneMode;
    uint32_t m_uPage;
    MenuItem* m_pItems;
    uint32_t m_uNextId;
    MenuItem* m_pHovered;
    MenuItem* m_pPressed;
    MenuItem* m_pEdited;
    uint32_t m_uEditedLength;
    uint8_t m_bBackButton;
    ERect m_BackIcon;
    char m_szBackCaption[64];
    uint32_t m_uBackPage;
    float m_fCursorX, m_fCursorY;
    uint8_t m_bButtonDown, m_bButtonDownLast, m_bWaitForRelease;
    ERect m_Cursor;
    float m_fFrameTime;
    float m_fClock;
    char m_szMessageCaption[128];
    char m_szMessageText[4096];
    uint32_t m_uSliderCount;
    MenuSlider m_Sliders[kMaxSliders];
    float m_fGamma, m_fAppliedGamma;
    ERect m_Bars[2];
    ERect m_Overlay;
    ERect m_SliderBar, m_SliderKnob;
    ERect m_ProfilePicture;
    ERect m_Medals[4];
    ERect m_Tyre;
    ESurface m_Background;
    ESurface m_ResultPicture;
    char m_szResultLines[3][256];
    uint32_t m_uResultPlace;

    // Routes.
    int32_t m_iSelectedRoute;
    int32_t m_iSelectedMachine;
    int32_t m_iShopIndex;
    // The player's country (0 DE, 1 FR, 2 UK, 3 US): combines and loaders are chosen by it.
    uint32_t m_uCountry;
    uint8_t m_bRouteList;
    uint32_t m_uTileCount;
    RouteTile m_Tiles[kMaxTiles];
    int32_t m_iSelectedTile;
    char m_szRouteInfo[4][256];
    // Profiles: the slot offered for select or delete, the slot asked for deletion, the name entry.
    int32_t m_iOfferedSlot;
    int32_t m_iDeleteSlot;
    int32_t m_iEntrySlot;
    char m_szEntryName[kNameLength + 1];
    int32_t m_iEntryCursor;
    // Key capture of the controls page.
    uint8_t m_bCapturing;
    uint8_t m_bCaptureLatch;
    int32_t m_iCaptureRow;
    int32_t m_iCaptureColumn;
    float m_fCreditsScroll;
    float m_fShowcaseYaw[2];
    float m_fEffectTimer;

private:
    void ShowPageItems(uint32_t pageId);
    void ShowGaragePage();
    void ShowOwnedPage();
    void ShowShopPage();
    void ShowSalePage();
    void ShowUpgradesPage();
    void HandleGarageSelection(uint32_t id);
    void StepMachine(int step, bool needTractor, bool needCombine, bool needLoader);
    void RouteNeeds(bool& needTractor, bool& needCombine, bool& needLoader) const;
    bool MachineFits(int slot, bool needTractor, bool needCombine, bool needLoader) const;
    void StepShop(int step);
    void ShowRoutePage();
    void ShowResultPage();
    void HandlePageSelection(uint32_t id);
    void DrawSelectionBar(MenuItem& item);
    uint32_t ItemColour(const MenuItem& item) const;
    bool ItemContains(const MenuItem& item) const;
};

extern CMenu g_Menu;

namespace Menu {
// Opens the menu at a page, in scene mode (the world ended, the menu's own scene) or over the
// running event; ignored while the menu is open.
void LoadResources(uint32_t page, bool sceneMode);
}  // namespace Menu
