#include "dialog_driver.hpp"

#include <cstdio>
#include <cstdlib>

#include "win_test_support.hpp"

namespace korvane::test {

using namespace std::chrono_literals;

namespace {

// An earlier test that destroyed a main window leaves its quit pending on this thread; the
// dialog would rightly end on it at once.  Returns the thread the dialogs run on.
DWORD discard_leftover_quit() {
    MSG message{};
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    return GetCurrentThreadId();
}

void send_keys(std::vector<INPUT> inputs) { SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)); }

INPUT key(WORD virtual_key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    if (up) input.ki.dwFlags = KEYEVENTF_KEYUP;
    return input;
}

BOOL CALLBACK collect(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

LRESULT CALLBACK plain_proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(window, message, wp, lp);
}

}  // namespace

Driver::Driver(const wchar_t* window_class, Script script)
    : ui_thread_(discard_leftover_quit()), class_(window_class), script_(std::move(script)),
      thread_([this] { run(); }) {}

Driver::~Driver() {
    if (thread_.joinable()) thread_.join();
}

std::string Driver::finish() {
    if (thread_.joinable()) thread_.join();
    std::string all;
    for (const std::string& f : failures_) all += f + "\n";
    return all;
}

HWND Driver::item(int id) const {
    for (HWND child : descendants(dialog_))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

HWND Driver::at(int x, int y) const {
    return ChildWindowFromPointEx(dialog_, POINT{x, y}, CWP_SKIPINVISIBLE);
}

HWND Driver::focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(ui_thread_, &info) ? info.hwndFocus : nullptr;
}

bool Driver::expect(bool ok, const std::string& what) {
    if (!ok) {
        std::lock_guard lock(mutex_);
        failures_.push_back(what);
    }
    return ok;
}

bool Driver::wait(const std::function<bool()>& condition, const std::string& what) {
    if (wait_until(condition, 5s)) return true;
    expect(false, "timed out waiting for " + what);
    PostMessageW(dialog_, WM_CLOSE, 0, 0);
    return false;
}

bool Driver::wait_focus(HWND control, const std::string& what) {
    return wait([&] { return control && focus() == control; }, "focus on " + what);
}

bool Driver::wait_text(HWND control, const std::wstring& expected, const std::string& what) {
    return wait([&] { return text_of(control) == expected; }, what);
}

void Driver::type(std::wstring_view characters) {
    for (wchar_t c : characters) {
        if (c == L'\n') {
            press(VK_RETURN);
            continue;
        }
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wScan = input[1].ki.wScan = c;
        input[0].ki.dwFlags = KEYEVENTF_UNICODE;
        input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

void Driver::press(WORD virtual_key) { send_keys({key(virtual_key, false), key(virtual_key, true)}); }

void Driver::press_with(WORD modifier, WORD virtual_key) {
    send_keys({key(modifier, false), key(virtual_key, false), key(virtual_key, true), key(modifier, true)});
}

void Driver::close_command() { send_keys({key(VK_MENU, false), key(VK_F4, false), key(VK_F4, true), key(VK_MENU, true)}); }

void Driver::move_pointer(POINT at) {
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    move.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(INPUT));
    expect(wait_until(
               [&] {
                   POINT now{};
                   return GetCursorPos(&now) && std::abs(now.x - at.x) <= 1 && std::abs(now.y - at.y) <= 1;
               },
               2s),
           "the pointer reaching its point");
}

void Driver::click_screen(POINT at) {
    move_pointer(at);
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, press, sizeof(INPUT));
}

void Driver::click(HWND control) {
    const RECT r = screen_rect(control);
    click_screen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void Driver::turn_wheel(int delta) {
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.mouseData = DWORD(delta);
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    SendInput(1, &wheel, sizeof(INPUT));
}

void Driver::pause_for_observer() const {
    const char* ms = std::getenv("KORVANE_DIALOG_PAUSE_MS");
    if (!ms) return;
    const RECT r = screen_rect(dialog_);
    std::printf("KORVANE_DIALOG_PAUSE %ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
}

void Driver::run() {
    const bool found = wait_until(
        [&] {
            dialog_ = FindWindowW(class_, nullptr);
            return dialog_ && IsWindowVisible(dialog_) && GetForegroundWindow() == dialog_;
        },
        10s);
    if (!expect(found, "the dialog did not appear in front")) return;
    script_(*this);
    if (!wait_until([&] { return !IsWindow(dialog_); }, 5s)) {
        expect(false, "the dialog is still open after the script");
        PostMessageW(dialog_, WM_CLOSE, 0, 0);
    }
}

std::wstring text_of(HWND control) {
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(std::max(0, GetWindowTextW(control, text.data(), int(text.size())))));
    return text;
}

bool is_checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool all_selected(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == DWORD(GetWindowTextLengthW(edit));
}

std::wstring class_of(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

DWORD style_of(HWND window) { return DWORD(GetWindowLongW(window, GWL_STYLE)); }

std::vector<HWND> descendants(HWND window) {
    std::vector<HWND> list;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&list));
    return list;
}

RECT rect_in(HWND window, HWND relative_to) {
    RECT r = screen_rect(window);
    MapWindowPoints(nullptr, relative_to, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT screen_rect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

bool contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool looks_default(HWND button) { return (style_of(button) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

namespace {

// Paints a control with WM_PRINTCLIENT into a top-down 32-bit bitmap.
std::vector<uint32_t> paint(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (dc && bitmap && width > 0 && height > 0) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        const auto* first = static_cast<const uint32_t*>(bits);
        pixels.assign(first, first + size_t(width) * size_t(height));
        SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return pixels;
}

}  // namespace

std::vector<uint32_t> rendering(HWND control) { return paint(control); }

std::vector<uint32_t> reference_rendering(HWND control, const std::wstring& text, DWORD style_removed) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = plain_proc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = L"KorvaneTestReference";
    RegisterClassW(&window_class);
    RECT client{};
    GetClientRect(control, &client);
    HWND parent = CreateWindowExW(0, L"KorvaneTestReference", L"", WS_POPUP, 0, 0, client.right, client.bottom,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const DWORD style = (style_of(control) & ~(WS_GROUP | WS_TABSTOP | style_removed)) | WS_CHILD | WS_VISIBLE;
    HWND copy = CreateWindowExW(DWORD(GetWindowLongW(control, GWL_EXSTYLE)), class_of(control).c_str(), text.c_str(),
                                style, 0, 0, client.right, client.bottom, parent, nullptr, GetModuleHandleW(nullptr),
                                nullptr);
    SendMessageW(copy, WM_SETFONT, WPARAM(SendMessageW(control, WM_GETFONT, 0, 0)), FALSE);
    SendMessageW(copy, BM_SETCHECK, SendMessageW(control, BM_GETCHECK, 0, 0), 0);
    std::vector<uint32_t> pixels = paint(copy);
    DestroyWindow(parent);
    return pixels;
}

}  // namespace korvane::test
