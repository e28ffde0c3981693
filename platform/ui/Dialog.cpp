#include "platform/ui/Dialog.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include "platform/input/InputPump.h"
#include "platform/os/Backends.h"
#include "platform/os/MessageQueue.h"
#include "platform/os/Window.h"
#include "platform/os/WindowRecord.h"
#include "platform/ui/DialogWindow.h"

namespace plat {
namespace {

// How long a dialog waiting for its player sleeps between looks at the queue.
constexpr uint32_t kIdleMs = 10;

DialogWindow::Control* FindControl(WindowHandle dialog, int id) {
    DialogWindow* d = FindDialog(dialog);
    return d ? d->Find(id) : nullptr;
}

// Runs f on the control and has the dialog drawn again.
template <class F>
void Change(WindowHandle dialog, int id, F f) {
    if (DialogWindow::Control* c = FindControl(dialog, id)) {
        f(*c);
        FindDialog(dialog)->Changed();
    }
}

}  // namespace

DialogWindow* FindDialog(WindowHandle window) { return window ? window->dialog.get() : nullptr; }

int64_t DialogWindowProc(WindowHandle window, uint32_t id, uint64_t wParam, int64_t lParam) {
    DialogWindow* d = FindDialog(window);
    if (!d) return 0;
    int64_t result = d->HandleMessage(id, wParam, lParam);
    // Drawn again after every message that changed it, so that scripted input is seen as it happens.
    if (!d->Ended()) d->Paint();
    return result;
}

bool DialogsCanBeAnswered() {
    if (Backends().input == InputBackend::Script) return ScriptDialogEventsPending();
    return DisplayPresent();
}

WindowHandle CreateDialog(const DialogTemplate& dialogTemplate, WindowProc procedure) {
    WindowHandle window =
        CreateDialogWindow(dialogTemplate.title, DialogWindowProc, dialogTemplate.width, dialogTemplate.height);
    if (!window) return nullptr;
    window->dialog = std::make_shared<DialogWindow>(dialogTemplate, procedure, window);
    window->dialog->Open();
    return window;
}

int64_t DialogBox(WindowHandle, const DialogTemplate& dialogTemplate, WindowProc procedure) {
    if (!DialogsCanBeAnswered()) return kDialogUnanswered;
    WindowHandle window = CreateDialog(dialogTemplate, procedure);
    if (!window) return kDialogUnanswered;
    // Held here: the dialog outlives its window's record until the loop has read its result.
    std::shared_ptr<DialogWindow> dialog = window->dialog;
    bool scripted = Backends().input == InputBackend::Script;
    while (!dialog->Ended()) {
        Message message;
        if (PeekDialogMessage(message)) {
            DispatchMessage(message);
            continue;
        }
        // A script that has said all it had to say to the dialogs never will again.
        if (scripted && !ScriptDialogEventsPending()) {
            dialog->End(kDialogUnanswered);
            break;
        }
        if (!scripted) SDL_Delay(kIdleMs);
    }
    if (IsWindow(window)) DestroyMainWindow(window);
    return dialog->Result();
}

void EndDialog(WindowHandle dialog, int64_t result) {
    if (DialogWindow* d = FindDialog(dialog)) d->End(result);
}

bool DialogEnded(WindowHandle dialog) {
    DialogWindow* d = FindDialog(dialog);
    return !d || d->Ended();
}

void SetDialogItemText(WindowHandle dialog, int id, const std::string& text) {
    Change(dialog, id, [&](DialogWindow::Control& c) { c.text = text; });
}

std::string DialogItemText(WindowHandle dialog, int id) {
    const DialogWindow::Control* c = FindControl(dialog, id);
    return c ? c->text : std::string();
}

void CheckDialogButton(WindowHandle dialog, int id, bool checked) {
    Change(dialog, id, [&](DialogWindow::Control& c) { c.checked = checked; });
}

bool IsDialogButtonChecked(WindowHandle dialog, int id) {
    const DialogWindow::Control* c = FindControl(dialog, id);
    return c && c->checked;
}

void EnableDialogItem(WindowHandle dialog, int id, bool enabled) {
    Change(dialog, id, [&](DialogWindow::Control& c) { c.enabled = enabled; });
}

bool IsDialogItemEnabled(WindowHandle dialog, int id) {
    const DialogWindow::Control* c = FindControl(dialog, id);
    return c && c->enabled;
}

void ComboResetContent(WindowHandle dialog, int id) {
    Change(dialog, id, [](DialogWindow::Control& c) {
        c.items.clear();
        c.selection = -1;
    });
}

void ComboAddString(WindowHandle dialog, int id, const std::string& text) {
    Change(dialog, id, [&](DialogWindow::Control& c) { c.items.push_back(text); });
}

void ComboSetCurSel(WindowHandle dialog, int id, int index) {
    Change(dialog, id, [&](DialogWindow::Control& c) { c.selection = index >= 0 && index < int(c.items.size()) ? index : -1; });
}

int ComboGetCurSel(WindowHandle dialog, int id) {
    const DialogWindow::Control* c = FindControl(dialog, id);
    return c ? c->selection : -1;
}

std::vector<std::string> ComboItems(WindowHandle dialog, int id) {
    const DialogWindow::Control* c = FindControl(dialog, id);
    return c ? c->items : std::vector<std::string>{};
}

void SetDialogPicture(WindowHandle dialog, int id, int width, int height, std::vector<uint32_t> argb) {
    if (width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height)) return;
    Change(dialog, id, [&](DialogWindow::Control& c) {
        c.pictureWidth = width;
        c.pictureHeight = height;
        c.picture = std::move(argb);
    });
}

ControlRect ComboListRow(int dialogHeight, const ControlRect& combo, int entries, int index) {
    int top = std::max(0, std::min(combo.y + combo.height, dialogHeight - entries * kListRowHeight));
    return ControlRect{combo.x, top + index * kListRowHeight, combo.width, kListRowHeight};
}

}  // namespace plat
