#include "platform/ui/DialogWindow.h"

#include <algorithm>

#include "platform/input/InputState.h"
#include "platform/os/WindowRecord.h"
#include "platform/ui/DialogPainter.h"

namespace plat {
namespace {

// Virtual-key codes of the keys a dialog answers.
constexpr uint32_t kVkTab = 9;
constexpr uint32_t kVkReturn = 13;
constexpr uint32_t kVkSpace = 32;
constexpr uint32_t kVkUp = 38;
constexpr uint32_t kVkDown = 40;
// DirectInput scan codes of the shift keys.
constexpr int kScanLeftShift = 0x2A;
constexpr int kScanRightShift = 0x36;

bool ShiftHeld() {
    const InputState& input = CurrentInput();
    return (input.keys[kScanLeftShift] | input.keys[kScanRightShift]) & 0x80;
}

}  // namespace

DialogWindow::DialogWindow(const DialogTemplate& dialogTemplate, WindowProc procedure, WindowHandle window)
    : m_template(dialogTemplate), m_procedure(procedure), m_window(window) {
    for (const ControlTemplate& place : m_template.controls) {
        Control& c = m_controls.emplace_back();
        c.place = place;
    }
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::Open() {
    m_procedure(m_window, msg::InitDialog, 0, 0);
    if (m_focus < 0 || !Takes(m_focus)) MoveFocus(1);
    if (m_window->sdlWindow) m_painter = std::make_unique<DialogPainter>(m_window->sdlWindow);
    Paint();
}

DialogWindow::Control* DialogWindow::Find(int id) {
    auto found = std::find_if(m_controls.begin(), m_controls.end(), [id](const Control& c) { return c.place.id == id; });
    return found == m_controls.end() ? nullptr : &*found;
}

int64_t DialogWindow::HandleMessage(uint32_t id, uint64_t wParam, int64_t lParam) {
    switch (id) {
        case msg::LButtonDown: MouseDown(PointX(lParam), PointY(lParam)); break;
        case msg::LButtonUp: MouseUp(PointX(lParam), PointY(lParam)); break;
        case msg::KeyDown: KeyDown(static_cast<uint32_t>(wParam)); break;
        case msg::Close:
            m_procedure(m_window, msg::Close, 0, 0);
            // The window goes whatever the procedure made of it.
            if (!m_ended) End(0);
            break;
        case msg::Destroy:
            m_procedure(m_window, msg::Destroy, 0, 0);
            m_painter.reset();
            break;
        case msg::Paint:
            m_dirty = true;
            return m_procedure(m_window, id, wParam, lParam);
        // Everything else is the procedure's, such as a command sent to the dialog.
        default: return m_procedure(m_window, id, wParam, lParam);
    }
    return 0;
}

void DialogWindow::End(int64_t result) {
    m_ended = true;
    m_result = result;
}

void DialogWindow::Paint() {
    if (!m_dirty || !m_painter) return;
    m_painter->Paint(*this);
    m_dirty = false;
}

bool DialogWindow::Takes(int index) const {
    if (index < 0 || index >= int(m_controls.size())) return false;
    const Control& c = m_controls[index];
    ControlKind kind = c.place.kind;
    return c.enabled && (kind == ControlKind::Button || kind == ControlKind::CheckBox || kind == ControlKind::ComboBox);
}

int DialogWindow::HitTest(int x, int y) const {
    for (int i = 0; i < int(m_controls.size()); ++i)
        if (Takes(i) && m_controls[i].place.place.Contains(x, y)) return i;
    return -1;
}

void DialogWindow::MouseDown(int x, int y) {
    m_dirty = true;
    if (m_openList >= 0) {
        // A click while a list is open picks an entry or, elsewhere, only closes the list.
        int combo = m_openList;
        m_openList = -1;
        int entries = int(m_controls[combo].items.size());
        for (int i = 0; i < entries; ++i)
            if (ComboListRow(m_template.height, m_controls[combo].place.place, entries, i).Contains(x, y))
                Select(combo, i);
        return;
    }
    int hit = HitTest(x, y);
    if (hit < 0) return;
    m_focus = hit;
    if (m_controls[hit].place.kind != ControlKind::ComboBox) m_pressed = hit;
    else if (!m_controls[hit].items.empty()) m_openList = hit;
}

void DialogWindow::MouseUp(int x, int y) {
    int pressed = m_pressed;
    m_pressed = -1;
    if (pressed < 0) return;
    m_dirty = true;
    // A press counts where it was released, as on any push button.
    if (m_controls[pressed].place.place.Contains(x, y)) Activate(pressed);
}

void DialogWindow::KeyDown(uint32_t virtualKey) {
    m_dirty = true;
    m_openList = -1;
    switch (virtualKey) {
        case kVkTab: MoveFocus(ShiftHeld() ? -1 : 1); break;
        case kVkSpace:
        case kVkReturn:
            if (Takes(m_focus) && m_controls[m_focus].place.kind != ControlKind::ComboBox) Activate(m_focus);
            break;
        case kVkUp:
        case kVkDown:
            if (Takes(m_focus) && m_controls[m_focus].place.kind == ControlKind::ComboBox) {
                const Control& c = m_controls[m_focus];
                if (c.items.empty()) break;
                int step = virtualKey == kVkDown ? 1 : -1;
                Select(m_focus, std::clamp(c.selection < 0 ? 0 : c.selection + step, 0, int(c.items.size()) - 1));
            }
            break;
        default: break;
    }
}

void DialogWindow::MoveFocus(int step) {
    int count = int(m_controls.size());
    int from = m_focus >= 0 ? m_focus : (step > 0 ? count - 1 : 0);
    for (int k = 1; k <= count; ++k) {
        int i = ((from + step * k) % count + count) % count;
        if (Takes(i)) {
            m_focus = i;
            return;
        }
    }
}

void DialogWindow::Activate(int index) {
    if (!Takes(index)) return;
    Control& c = m_controls[index];
    if (c.place.kind == ControlKind::CheckBox) c.checked = !c.checked;
    Command(index, notify::Clicked);
}

void DialogWindow::Select(int index, int entry) {
    Control& c = m_controls[index];
    if (entry == c.selection) return;
    c.selection = entry;
    Command(index, notify::SelectionChange);
}

void DialogWindow::Command(int index, uint32_t code) {
    m_dirty = true;
    m_procedure(m_window, msg::Command, CommandParam(m_controls[index].place.id, code), 0);
}

}  // namespace plat
