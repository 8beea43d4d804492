// The pieces every modal window shares: an ordinary top-level window of its own class, child
// controls of the system classes in the message font, and a nested message loop that runs
// until the window procedure marks the dialog finished.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "win/handles.hpp"

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

// Created hidden, centred on the monitor under the pointer.  The class is registered on first
// use; later registrations fail and the existing class serves.
Dialog create_dialog(const wchar_t* class_name, std::wstring_view title, int client_width, int client_height,
                     WNDPROC procedure);

// A child control in the dialog font; the style gets WS_CHILD | WS_VISIBLE.
HWND add_control(const Dialog& dialog, const wchar_t* class_name, std::wstring_view text, DWORD style,
                 DWORD extended_style, int x, int y, int width, int height, int id);

// A control's whole text as UTF-8.
std::string control_text(HWND control);

// A toolbar font of the given size in DIPs.
OwnedFont make_font(const wchar_t* face, int size_dips, int weight, bool italic);

// WM_NEXTDLGCTL, which a multi-line edit sends to its parent for Tab and Shift+Tab because it
// keeps those keys from IsDialogMessageW.  Without it the focus could never leave the edit.
LRESULT move_dialog_focus(HWND dialog, WPARAM wp, LPARAM lp);

// The window procedure every dialog shares: its commands go to the dialog's own handler, the
// close box cancels, and Tab out of a multi-line edit moves the focus on.
template <LRESULT (*OnCommand)(HWND, WPARAM), LRESULT (*OnClose)()>
LRESULT CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND: return OnCommand(window, wparam);
    case WM_CLOSE: return OnClose();
    case WM_NEXTDLGCTL: return move_dialog_focus(window, wparam, lparam);
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Dispatches the thread's messages until `finished` says so.  A WM_QUIT ends the loop and is
// posted again so that the application's own loop ends too.
enum class LoopEnd { Finished, Quit, Failed };
LoopEnd run_modal_loop(HWND dialog, bool (*finished)());

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
