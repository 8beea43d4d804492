// The pieces every modal window shares: an ordinary top-level window of its own class, child
// controls of the system classes in the message font, and a nested message loop that runs
// until the window procedure marks the dialog finished.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "core/dialog_layout.hpp"
#include "core/geometry.hpp"
#include "win/support/handles.hpp"

namespace korvane {

struct Dialog {
    bool created = false;
    HINSTANCE instance = nullptr;
    // Declared before the window so that the window is destroyed first and the controls never
    // hold a deleted font.
    OwnedFont font;
    OwnedWindow window;

    HWND hwnd() const { return window.get(); }
};

// The work area of the monitor under the pointer, where a dialog opens.
Rect work_area_under_pointer();

// How much taller a dialog's window is than its client area: the caption and the frame.
int dialog_frame_height();

// Registers a window class of the dialogs' kind (arrow cursor, the dialog background).  On the
// second and later calls the registration fails and the existing class serves.
void register_dialog_class(const wchar_t* class_name, WNDPROC procedure);

// Created hidden, centred on the monitor under the pointer.
Dialog create_dialog(const wchar_t* class_name, std::wstring_view title, int client_width, int client_height,
                     WNDPROC procedure);

// A child control in the dialog font; the style gets WS_CHILD | WS_VISIBLE.
HWND add_control(const Dialog& dialog, const wchar_t* class_name, std::wstring_view text, DWORD style,
                 DWORD extended_style, const Rect& place, int id);
// The same inside another child window of the dialog.
HWND add_control(const Dialog& dialog, HWND parent, const wchar_t* class_name, std::wstring_view text, DWORD style,
                 DWORD extended_style, const Rect& place, int id);

// An edit control takes 32,767 characters unless told otherwise (about 30,000 under Wine); a
// field of a dialog takes as long a text as a clip can hold: the 256 MiB of a clipboard block,
// in UTF-16 with its terminator.
constexpr LPARAM LONGEST_FIELD_TEXT = 0x10000000 / 2 - 1;
void allow_long_text(HWND edit);

// A control's whole text as UTF-8.
std::string control_text(HWND control);


// WM_NEXTDLGCTL, which a multi-line edit sends for Tab and Shift+Tab (it keeps those keys from
// IsDialogMessageW) and IsDialogMessageW for an arrow key on anything but a radio button: the
// focus moves on, an edit entered has all its text selected, and the default button follows.
LRESULT move_dialog_focus(HWND dialog, WPARAM wp, LPARAM lp);

// DM_GETDEFID: OK is the default command, so Enter outside a push button presses OK, and
// only while it is enabled.
inline LRESULT default_command_id() { return MAKELRESULT(IDOK, DC_HASDEFID); }

// The window procedure every dialog shares: its commands go to the dialog's own handler, the
// close box cancels, and the keyboard works as in a dialog box.
template <LRESULT (*OnCommand)(HWND, WPARAM), LRESULT (*OnClose)()>
LRESULT CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: return OnCommand(window, wparam);
    case WM_CLOSE: return OnClose();
    case WM_NEXTDLGCTL: return move_dialog_focus(window, wparam, lparam);
    case DM_GETDEFID: return default_command_id();
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Dispatches the thread's messages until `finished` says so, keeping the default button with
// the focus however the focus moved (keys, clicks, the dialog's own SetFocus).  A WM_QUIT ends
// the loop and is posted again so that the application's own loop ends too.
// `take` may take a message before the dialog manager and the window see it.
enum class LoopEnd { Finished, Quit, Failed };
LoopEnd run_modal_loop(HWND dialog, bool (*finished)(), bool (*take)(const MSG&) = nullptr);

// A dialog's result record in the user-interface thread's storage: the window procedure reaches
// it while the runner is inside the message loop.  A borrow lasts one short step; the nested
// loop and every call that sends messages back to the dialog happen outside any borrow, so a
// nested borrow is a bug and stops the program at once.
template <class Record>
class DialogRecord {
public:
    class Borrow {
    public:
        explicit Borrow(Record& record) : record_(record) {}
        Borrow(const Borrow&) = delete;
        Borrow& operator=(const Borrow&) = delete;
        ~Borrow() { slot().borrowed = false; }
        Record* operator->() const { return &record_; }
        Record& operator*() const { return record_; }

    private:
        Record& record_;
    };

    static Borrow borrow() {
        Slot& s = slot();
        if (s.borrowed) std::abort();
        s.borrowed = true;
        return Borrow(s.record);
    }

    // One run at a time: a second run of the same dialog opened from inside the first one's
    // loop would reset the record under it.
    class Run {
    public:
        Run() : active_(!slot().running) {
            if (active_) {
                slot().running = true;
                slot().record = Record{};
            }
        }
        Run(const Run&) = delete;
        Run& operator=(const Run&) = delete;
        ~Run() {
            if (!active_) return;
            slot().record = Record{};
            slot().running = false;
        }
        explicit operator bool() const { return active_; }

    private:
        bool active_;
    };

    static bool finished() { return borrow()->finished; }

private:
    struct Slot {
        Record record;
        bool borrowed = false;
        bool running = false;
    };
    static Slot& slot() {
        thread_local Slot s;
        return s;
    }
};

}  // namespace korvane
