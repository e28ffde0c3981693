#pragma once
// Window messages: our own records, numbered as the game's window procedure expects them.
#include <cstdint>

namespace plat {

struct WindowRecord;
using WindowHandle = WindowRecord*;

namespace msg {
constexpr uint32_t Destroy = 0x0002;
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t Close = 0x0010;
constexpr uint32_t Quit = 0x0012;
constexpr uint32_t ActivateApp = 0x001C;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t InitDialog = 0x0110;
constexpr uint32_t Command = 0x0111;
constexpr uint32_t Timer = 0x0113;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t MButtonDown = 0x0207;
constexpr uint32_t MButtonUp = 0x0208;
constexpr uint32_t App = 0x8000;
}  // namespace msg

// A command message's wParam: the control's id in the low word, what happened in the high word.
namespace notify {
constexpr uint32_t Clicked = 0;        // a button or check box was pressed
constexpr uint32_t SelectionChange = 1;  // a combo box's selection changed
}  // namespace notify
constexpr uint64_t CommandParam(int id, uint32_t code) { return static_cast<uint64_t>(id & 0xFFFF) | uint64_t(code) << 16; }
constexpr int CommandId(uint64_t wParam) { return static_cast<int>(wParam & 0xFFFF); }
constexpr uint32_t CommandCode(uint64_t wParam) { return static_cast<uint32_t>((wParam >> 16) & 0xFFFF); }

// A mouse button message's lParam: the pointer's position in the window's client area, x in the
// low word, y in the high word.
constexpr int64_t PointParam(int x, int y) { return static_cast<int64_t>((x & 0xFFFF) | (y & 0xFFFF) << 16); }
constexpr int PointX(int64_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
constexpr int PointY(int64_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }

struct Message {
    WindowHandle window = nullptr;
    uint32_t id = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

using WindowProc = int64_t (*)(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam);

}  // namespace plat
