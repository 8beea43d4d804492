#include "win/dialog.hpp"

#include <vector>

#include "core/dialog_layout.hpp"
#include "win/program_info.hpp"
#include "win/wide.hpp"

namespace korvane {
namespace {

constexpr DWORD DIALOG_STYLE = WS_POPUPWINDOW | WS_DLGFRAME;
constexpr DWORD DIALOG_EXTENDED_STYLE = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

ScreenRect work_area_under_pointer() {
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

}  // namespace

Dialog create_dialog(const wchar_t* class_name, std::wstring_view title, int client_width, int client_height,
                     WNDPROC procedure) {
    Dialog dialog;
    dialog.instance = GetModuleHandleW(nullptr);

    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = dialog.instance;
    window_class.hIcon = program_icon();
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);

    RECT frame{0, 0, client_width, client_height};
    AdjustWindowRectEx(&frame, DIALOG_STYLE, FALSE, DIALOG_EXTENDED_STYLE);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const ScreenPoint origin = dialog_origin(work_area_under_pointer(), width, height);

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
                 DWORD extended_style, int x, int y, int width, int height, int id) {
    const std::wstring content(text);
    HWND control = CreateWindowExW(extended_style, class_name, content.c_str(), style | WS_CHILD | WS_VISIBLE, x, y,
                                   width, height, dialog.hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(static_cast<WORD>(id))),
                                   dialog.instance, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialog.font.get()), FALSE);
    return control;
}

std::string control_text(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return {};
    std::vector<wchar_t> buffer(size_t(length) + 1);
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    if (copied <= 0) return {};
    return from_wide(std::wstring_view(buffer.data(), size_t(copied)));
}

OwnedFont make_font(const wchar_t* face, int size_dips, int weight, bool italic) {
    const int dpi = int(GetDpiForSystem());
    return OwnedFont(CreateFontW(-scale(size_dips, dpi), 0, 0, 0, weight, italic ? TRUE : FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face));
}

LRESULT move_dialog_focus(HWND dialog, WPARAM wp, LPARAM lp) {
    HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(dialog, GetFocus(), wp != 0);
    if (!next) return 0;
    // As the dialog manager does: an edit entered from the keyboard has all its text selected.
    if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
    SetFocus(next);
    return 0;
}

LoopEnd run_modal_loop(HWND dialog, bool (*finished)()) {
    MSG message{};
    for (;;) {
        if (finished()) return LoopEnd::Finished;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return LoopEnd::Failed;
        if (got == 0) {
            PostQuitMessage(int(message.wParam));
            return LoopEnd::Quit;
        }
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace korvane
