#pragma once
// One dialog made from a template: its controls' state, the player's mouse and keyboard turned
// into the dialog procedure's commands, and its drawing. Only the platform layer sees this; the
// program uses the functions of Dialog.h.
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"

namespace plat {

class DialogPainter;

class DialogWindow {
public:
    struct Control {
        ControlTemplate place;
        std::string text;
        bool checked = false;
        bool enabled = true;
        std::vector<std::string> items;  // combo box entries
        int selection = -1;              // combo box
        int pictureWidth = 0, pictureHeight = 0;
        std::vector<uint32_t> picture;   // ARGB
    };

    DialogWindow(const DialogTemplate& dialogTemplate, WindowProc procedure, WindowHandle window);
    ~DialogWindow();

    // Sends the init-dialog message, gives the focus to the first control the player can use and
    // gets ready to draw.
    void Open();
    // The window's messages: mouse buttons and keys become commands; close and destroy are told
    // to the procedure and end the dialog; every other message goes to the procedure as it is.
    int64_t HandleMessage(uint32_t id, uint64_t wParam, int64_t lParam);
    void End(int64_t result);
    // Draws the dialog when something changed since it was last drawn.
    void Paint();

    Control* Find(int id);
    void Changed() { m_dirty = true; }

    const DialogTemplate& Template() const { return m_template; }
    const std::vector<Control>& Controls() const { return m_controls; }
    WindowHandle Window() const { return m_window; }
    bool Ended() const { return m_ended; }
    int64_t Result() const { return m_result; }
    int Focus() const { return m_focus; }
    int Pressed() const { return m_pressed; }
    int OpenList() const { return m_openList; }

private:
    bool Takes(int index) const;  // a control the player can use: enabled button, check box or combo
    int HitTest(int x, int y) const;
    void MouseDown(int x, int y);
    void MouseUp(int x, int y);
    void KeyDown(uint32_t virtualKey);
    void MoveFocus(int step);
    void Activate(int index);
    void Select(int index, int entry);
    void Command(int index, uint32_t code);

    DialogTemplate m_template;
    WindowProc m_procedure;
    std::vector<Control> m_controls;
    WindowHandle m_window = nullptr;
    std::unique_ptr<DialogPainter> m_painter;
    int m_focus = -1;     // index of the control with the keyboard focus
    int m_pressed = -1;   // the button or check box under a held mouse button
    int m_openList = -1;  // the combo box whose list is open
    bool m_ended = false;
    int64_t m_result = 0;
    bool m_dirty = true;
};

// The dialog of a window; null for other windows.
DialogWindow* FindDialog(WindowHandle window);
// The procedure of every dialog window: hands the messages to its DialogWindow.
int64_t DialogWindowProc(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam);

}  // namespace plat
