#pragma once
// Modal dialogs built from a template: our stand-in for the resource dialogs a program shows
// before its graphics device exists. The template lists the controls with their ids and places;
// the dialog procedure gets the init-dialog message, a command message for each button pressed,
// check box toggled or combo box selection changed (plat::CommandParam), the close message when
// the player closes the window, and the destroy message at the end. It reads and sets the
// controls by id with the functions below.
//
// A player uses the mouse (a click on a combo box opens its list, a click on an entry picks it)
// and the keyboard (Tab and Shift+Tab move the focus, Space and Return press the focused button
// or check box, Up and Down change the focused combo box's selection).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/Message.h"

namespace plat {

enum class ControlKind { Button, CheckBox, ComboBox, Label, Title, Picture };

struct ControlRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

struct ControlTemplate {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    ControlRect place;
};

struct DialogTemplate {
    std::string title;
    int width = 0, height = 0;
    std::vector<ControlTemplate> controls;
};

// DialogBox's answer when nobody answered the dialog.
constexpr int64_t kDialogUnanswered = -1;

// True when someone can answer a dialog: a player at a display (SDL input), or an input script
// that still holds events of frame 0.
bool DialogsCanBeAnswered();
// Shows the dialog and runs it until its procedure calls EndDialog or its window is closed, then
// destroys it; returns the value given to EndDialog. kDialogUnanswered when nobody can answer
// it (nothing is shown), or when the input script's events of frame 0 ran out while it was open.
int64_t DialogBox(WindowHandle parent, const DialogTemplate& dialogTemplate, WindowProc procedure);

// A dialog without its loop: made, sent the init message, shown; messages reach it through the
// queue or SendWindowMessage, and DestroyMainWindow ends it. Null when no window could be made.
WindowHandle CreateDialog(const DialogTemplate& dialogTemplate, WindowProc procedure);
void EndDialog(WindowHandle dialog, int64_t result);
bool DialogEnded(WindowHandle dialog);

void SetDialogItemText(WindowHandle dialog, int id, const std::string& text);
std::string DialogItemText(WindowHandle dialog, int id);
void CheckDialogButton(WindowHandle dialog, int id, bool checked);
bool IsDialogButtonChecked(WindowHandle dialog, int id);
void EnableDialogItem(WindowHandle dialog, int id, bool enabled);
bool IsDialogItemEnabled(WindowHandle dialog, int id);
void ComboResetContent(WindowHandle dialog, int id);
void ComboAddString(WindowHandle dialog, int id, const std::string& text);
// An index outside the entries (such as -1) leaves nothing selected.
void ComboSetCurSel(WindowHandle dialog, int id, int index);
// -1 when nothing is selected.
int ComboGetCurSel(WindowHandle dialog, int id);
std::vector<std::string> ComboItems(WindowHandle dialog, int id);
// The picture of a picture control: ARGB pixels, rows from the top, drawn to fill the control.
void SetDialogPicture(WindowHandle dialog, int id, int width, int height, std::vector<uint32_t> argb);

// Where entry `index` of a combo box's open list lies: rows of kListRowHeight below the box, the
// whole list moved up as far as needed to end inside the dialog.
constexpr int kListRowHeight = 20;
ControlRect ComboListRow(int dialogHeight, const ControlRect& combo, int entries, int index);

}  // namespace plat
