// The modal windows driven as a user would: a second thread waits for the window, then types,
// clicks and presses keys through SendInput while the test thread runs the dialog's own loop.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvane::test {

// Runs a script against the dialog of one class from a second thread.  A step that times out
// records a failure and closes the dialog, so a broken dialog fails the test instead of
// hanging it.
class Driver {
public:
    using Script = std::function<void(Driver&)>;

    Driver(const wchar_t* window_class, Script script);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    // Joins the driver and gives what went wrong, one line each.
    std::string finish();

    HWND dialog() const { return dialog_; }
    // The control with this id among all the dialog's descendants (the fill-in's rows may sit
    // inside a scrolling window).
    HWND item(int id) const;
    // The child control covering a point of the dialog's client area, for the controls that
    // share id -1.
    HWND at(int x, int y) const;
    HWND focus() const;

    bool expect(bool ok, const std::string& what);
    // Waits for a condition; on a timeout the failure is recorded and the dialog closed.
    bool wait(const std::function<bool()>& condition, const std::string& what);
    bool wait_focus(HWND control, const std::string& what);
    bool wait_text(HWND control, const std::wstring& expected, const std::string& what);

    // Types characters into whatever has the keyboard focus; '\n' is the Enter key.
    void type(std::wstring_view characters);
    void press(WORD key);
    // A key pressed while a modifier (VK_SHIFT, VK_CONTROL) is held.
    void press_with(WORD modifier, WORD key);
    // The system's Close command, from Alt+F4: without a window manager Wine draws no caption
    // to click.
    void close_command();
    // Moves the pointer, waits until the system has it there, then clicks.
    void click_screen(POINT at);
    void click(HWND control);
    void move_pointer(POINT at);
    void turn_wheel(int delta);

    // A pause of KORVANE_DIALOG_PAUSE_MS in which scripts/screenshots takes a picture, announced
    // on the standard output with the window's place on the screen; nothing without the
    // variable.
    void pause_for_observer() const;

private:
    void run();

    DWORD ui_thread_;
    const wchar_t* class_;
    Script script_;
    HWND dialog_ = nullptr;
    std::mutex mutex_;
    std::vector<std::string> failures_;
    std::thread thread_;
};

std::wstring text_of(HWND control);
bool is_checked(HWND button);
// True when the whole text of an edit is selected.
bool all_selected(HWND edit);
std::wstring class_of(HWND window);
DWORD style_of(HWND window);
// Every descendant of a window, in creation order within each parent.
std::vector<HWND> descendants(HWND window);
// A window's rectangle in another window's client coordinates, or on the screen.
RECT rect_in(HWND window, HWND relative_to);
RECT screen_rect(HWND window);
bool contains(const RECT& outer, const RECT& inner);
// Whether the push button shows itself as the default one.
bool looks_default(HWND button);

// The control's client area as it paints itself: 32-bit pixels, rows top to bottom.
std::vector<uint32_t> rendering(HWND control);
// The same control class, style, size, font and check state showing `text`, painted on a
// window of its own: how the control looks when it shows that text.
std::vector<uint32_t> reference_rendering(HWND control, const std::wstring& text, DWORD style_removed = 0);

}  // namespace korvane::test
