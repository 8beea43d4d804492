// Another program for the Wine tests to work with: a window with an edit control that a paste
// lands in, which also copies and puts raw clipboard content on request.
//
// Requests arrive as WM_COPYDATA to the window titled "Korvane test target":
//   COPY_TEXT   (1): payload is UTF-16 text; it is put in the edit control, selected and copied
//                    with WM_COPY, as a user would copy it.
//   PUT_FORMATS (2): payload is a list of formats put on the clipboard in one go, each
//                    u32 format (0: registered by name), u32 name units, the name's UTF-16 units,
//                    u32 byte count, the bytes.
//   MAKE_WINDOW (3): payload is a UTF-16 class name; a hidden top-level window of that class is made and
//                    its handle returned.
//   TAKE_HOTKEY (4): payload is u32 modifiers, u32 virtual key; the program registers that global
//                    shortcut for itself, as another program holding it would.
// The result of a request is 1 on success (or the window handle), 0 on failure.
// With a file name as its argument, it writes the edit control's text (UTF-8) to that file
// whenever the text changes, so a test outside Wine can see what was pasted.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND edit_control = nullptr;
std::wstring text_log;

void log_text() {
    if (text_log.empty()) return;
    const int length = GetWindowTextLengthW(edit_control);
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(edit_control, text.data(), length + 1);
    text.resize(size_t(length));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    HANDLE file = CreateFileW(text_log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD wrote = 0;
    WriteFile(file, utf8.data(), DWORD(utf8.size()), &wrote, nullptr);
    CloseHandle(file);
}

bool read_u32(const uint8_t*& at, const uint8_t* end, uint32_t& out) {
    if (end - at < 4) return false;
    std::memcpy(&out, at, 4);
    at += 4;
    return true;
}

LRESULT put_formats(HWND window, const uint8_t* at, const uint8_t* end) {
    struct Item {
        UINT format;
        std::vector<uint8_t> bytes;
    };
    std::vector<Item> items;
    while (at < end) {
        uint32_t format = 0, name_units = 0, size = 0;
        if (!read_u32(at, end, format) || !read_u32(at, end, name_units) || uint64_t(end - at) < uint64_t(name_units) * 2)
            return 0;
        std::wstring name(name_units, L'\0');
        std::memcpy(name.data(), at, size_t(name_units) * 2);
        at += size_t(name_units) * 2;
        if (!read_u32(at, end, size) || uint64_t(end - at) < size) return 0;
        items.push_back({format ? format : RegisterClipboardFormatW(name.c_str()), std::vector<uint8_t>(at, at + size)});
        at += size;
    }
    if (!OpenClipboard(window)) return 0;
    EmptyClipboard();
    for (const Item& item : items) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, item.bytes.empty() ? 1 : item.bytes.size());
        if (!block) continue;
        if (void* data = GlobalLock(block)) {
            if (!item.bytes.empty()) std::memcpy(data, item.bytes.data(), item.bytes.size());
            GlobalUnlock(block);
        }
        if (!SetClipboardData(item.format, block)) GlobalFree(block);
    }
    CloseClipboard();
    return 1;
}

LRESULT make_window(const wchar_t* class_name) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassW(&window_class);
    HWND made = CreateWindowExW(0, class_name, class_name, WS_OVERLAPPEDWINDOW, 300, 300, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return LRESULT(made);
}

LRESULT on_copy_data(HWND window, const COPYDATASTRUCT* request) {
    const auto* bytes = static_cast<const uint8_t*>(request->lpData);
    const size_t size = request->cbData;
    switch (request->dwData) {
    case 1: {
        std::wstring text(size / 2, L'\0');
        std::memcpy(text.data(), bytes, text.size() * 2);
        SetWindowTextW(edit_control, text.c_str());
        SendMessageW(edit_control, EM_SETSEL, 0, -1);
        SendMessageW(edit_control, WM_COPY, 0, 0);
        return 1;
    }
    case 2: return put_formats(window, bytes, bytes + size);
    case 3: {
        std::wstring name(size / 2, L'\0');
        std::memcpy(name.data(), bytes, name.size() * 2);
        return make_window(name.c_str());
    }
    case 4: {
        uint32_t modifiers = 0, key = 0;
        if (size != 8) return 0;
        std::memcpy(&modifiers, bytes, 4);
        std::memcpy(&key, bytes + 4, 4);
        return RegisterHotKey(window, 0x4B4B, modifiers, key) ? 1 : 0;
    }
    }
    return 0;
}

LRESULT CALLBACK target_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COPYDATA: return on_copy_data(window, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_COMMAND:
        if (HIWORD(wparam) == EN_CHANGE) log_text();
        return 0;
    case WM_SIZE: MoveWindow(edit_control, 0, 0, LOWORD(lparam), HIWORD(lparam), TRUE); return 0;
    case WM_SETFOCUS: SetFocus(edit_control); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int) {
    if (arguments && *arguments) text_log = arguments;
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = target_proc;
    window_class.hInstance = instance;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = L"KorvaneTestTarget";
    RegisterClassW(&window_class);
    HWND window = CreateWindowExW(0, L"KorvaneTestTarget", L"Korvane test target", WS_OVERLAPPEDWINDOW, 600, 200,
                                  500, 300, nullptr, nullptr, instance, nullptr);
    edit_control = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0,
                                   500, 300, window, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
