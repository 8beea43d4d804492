#include "win/dialogs/dialog.hpp"

#include <vector>

#include "core/dialog_layout.hpp"
#include "win/app/program_info.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

constexpr DWORD DIALOG_STYLE = WS_POPUPWINDOW | WS_DLGFRAME;
constexpr DWORD DIALOG_EXTENDED_STYLE = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

constexpr LRESULT PUSH_BUTTON_CODES = DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON;

LRESULT dialog_code(HWND control) { return SendMessageW(control, WM_GETDLGCODE, 0, 0); }

}  // namespace

Rect work_area_under_pointer() {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

int dialog_frame_height() {
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, DIALOG_STYLE, FALSE, DIALOG_EXTENDED_STYLE);
    return frame.bottom - frame.top;
}

void register_dialog_class(const wchar_t* class_name, WNDPROC procedure) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hIcon = exe_icon();
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);
}

Dialog create_dialog(const wchar_t* class_name, std::wstring_view title, int client_width, int client_height,
                     WNDPROC procedure) {
    Dialog dialog;
    dialog.instance = GetModuleHandleW(nullptr);
    register_dialog_class(class_name, procedure);

    RECT frame{0, 0, client_width, client_height};
    AdjustWindowRectEx(&frame, DIALOG_STYLE, FALSE, DIALOG_EXTENDED_STYLE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const Point origin = dialog_origin(work_area_under_pointer(), width, height);

    const std::wstring caption(title);
    dialog.window.reset(CreateWindowExW(DIALOG_EXTENDED_STYLE, class_name, caption.c_str(), DIALOG_STYLE, origin.x,
                                        origin.y, width, height, nullptr, nullptr, dialog.instance, nullptr));
    dialog.created = bool(dialog.window);
    if (!dialog.created) return dialog;

    NONCLIENTMETRICSW metrics{};
    static_assert(sizeof(NONCLIENTMETRICSW) == 504, "the metrics with the padded border width");
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    dialog.font.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    return dialog;
}

HWND add_control(const Dialog& dialog, const wchar_t* class_name, std::wstring_view text, DWORD style,
                 DWORD extended_style, const Rect& place, int id) {
    return add_control(dialog, dialog.hwnd(), class_name, text, style, extended_style, place, id);
}

HWND add_control(const Dialog& dialog, HWND parent, const wchar_t* class_name, std::wstring_view text, DWORD style,
                 DWORD extended_style, const Rect& place, int id) {
    const std::wstring content(text);
    HWND control = CreateWindowExW(extended_style, class_name, content.c_str(), style | WS_CHILD | WS_VISIBLE, place.left,
                                   place.top, place.width(), place.height(), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<WORD>(id))),
                                   dialog.instance, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font.get()), FALSE);
    return control;
}

void allow_long_text(HWND edit) { SendMessageW(edit, EM_SETLIMITTEXT, LONGEST_FIELD_TEXT, 0); }

std::string control_text(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(size_t(length) + 1);
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    if (copied <= 0) return {};
    return from_wide(std::wstring_view(buffer.data(), size_t(copied)));
}


namespace {

// The dialogs are ordinary windows, so what the system's dialog manager does for a dialog box
// is done here.  Its rule for the default push button: a push button that has the focus is
// the default one, so that Enter presses it; otherwise OK is.  The look (BS_DEFPUSHBUTTON)
// follows, and only one button has it.
void show_default_button(HWND dialog, HWND focus) {
    const bool on_push_button = focus && IsChild(dialog, focus) && (dialog_code(focus) & PUSH_BUTTON_CODES);
    HWND chosen = on_push_button ? focus : GetDlgItem(dialog, IDOK);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const LRESULT code = dialog_code(child);
        if (child != chosen && (code & DLGC_DEFPUSHBUTTON)) SendMessageW(child, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (chosen && (dialog_code(chosen) & DLGC_UNDEFPUSHBUTTON))
        SendMessageW(chosen, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

}  // namespace

LRESULT move_dialog_focus(HWND dialog, WPARAM wp, LPARAM lp) {
    HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(dialog, GetFocus(), wp != 0);
    if (!next) return 0;
    if (dialog_code(next) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
    show_default_button(dialog, next);
    return 0;
}

LoopEnd run_modal_loop(HWND dialog, bool (*finished)(), bool (*take)(const MSG&)) {
    MSG message{};
    HWND default_shown_for = nullptr;
    for (;;) {
        if (finished()) return LoopEnd::Finished;
        if (HWND focus = GetFocus(); focus != default_shown_for) {
            show_default_button(dialog, focus);
            default_shown_for = focus;
        }
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return LoopEnd::Failed;
        if (got == 0) {
            PostQuitMessage(int(message.wParam));
            return LoopEnd::Quit;
        }
        if (take && take(message)) continue;
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace korvane
