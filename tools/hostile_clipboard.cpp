// A program that puts malformed content on the clipboard, as a careless or hostile program
// could, so that Korvane reads it from another process.
//
// Requests arrive as WM_COPYDATA to the window titled "Korvane hostile clipboard":
//   PLAY_CASE (1): payload is a u32 index into the case table (hostile_cases.hpp); that case's
//                  blocks are put on the clipboard in one go.
//   PUT_TEXT  (2): payload is UTF-16 text, put on the clipboard as a well-formed CF_UNICODETEXT.
//   RACE      (3): payload is a u32 trial number n.  Copies the text "race decoy n", takes the
//                  clipboard back at once, before a monitor told of the copy can open it, holds it
//                  while the monitor retries, then replaces the content with "race secret n" and
//                  one of the two formats that ask monitors to ignore it, and lets go.
// The result is 1 when every block was handed to the clipboard, 0 otherwise.  The program stays
// the clipboard's owner, as the program that copied would, and never renders a delayed format.
#include <windows.h>

#include <cstring>
#include <string>

#include "hostile_cases.hpp"

namespace {

using korvane::hostile::Block;

bool put_block(const Block& given) {
    Block b = given;
    if (!b.format_name.empty()) b.format = RegisterClipboardFormatW(std::wstring(b.format_name.begin(), b.format_name.end()).c_str());
    if (b.delayed) {
        SetClipboardData(b.format, nullptr);
        return true;
    }
    const korvane::hostile::Bytes bytes = korvane::hostile::materialise(b);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
    if (!memory) return false;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return false;
    }
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    if (SetClipboardData(b.format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// Korvane may still be reading the previous content: wait for it as a well-behaved program would.
bool open_clipboard(HWND window) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (OpenClipboard(window)) return true;
        Sleep(10);
    }
    return false;
}

LRESULT put_blocks(HWND window, const std::vector<Block>& blocks) {
    if (!open_clipboard(window)) return 0;
    EmptyClipboard();
    bool all = true;
    for (const Block& b : blocks) all = put_block(b) && all;
    CloseClipboard();
    return all ? 1 : 0;
}

// Listeners hear of a change only once the program that made it handles its messages again.
void serve_messages_for(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

Block text_block(const std::wstring& text) {
    const auto* units = reinterpret_cast<const uint8_t*>(text.c_str());
    const korvane::hostile::Bytes bytes(units, units + (text.size() + 1) * sizeof(wchar_t));
    return Block{CF_UNICODETEXT, bytes, bytes.size(), {}, false};
}

// Shorter than the ten attempts 15 ms apart that a monitor makes, longer than it takes to begin them.
constexpr DWORD RACE_HOLD_MS = 100;

LRESULT race(HWND window, uint32_t trial) {
    const std::wstring number = std::to_wstring(trial);
    if (!put_blocks(window, {text_block(L"race decoy " + number)})) return 0;
    if (!open_clipboard(window)) return 0;
    serve_messages_for(RACE_HOLD_MS);
    EmptyClipboard();
    const wchar_t* ignore = trial % 2 ? L"ExcludeClipboardContentFromMonitorProcessing" : L"Clipboard Viewer Ignore";
    const bool all = put_block(text_block(L"race secret " + number)) &&
                     put_block(Block{RegisterClipboardFormatW(ignore), {1}, 1, {}, false});
    CloseClipboard();
    return all ? 1 : 0;
}

LRESULT on_copy_data(HWND window, const COPYDATASTRUCT* request) {
    const auto* bytes = static_cast<const uint8_t*>(request->lpData);
    switch (request->dwData) {
    case 1: {
        uint32_t index = 0;
        if (request->cbData != 4) return 0;
        std::memcpy(&index, bytes, 4);
        const auto& all = korvane::hostile::cases();
        if (index >= all.size()) return 0;
        return put_blocks(window, all[index].blocks);
    }
    case 2: {
        Block text{CF_UNICODETEXT, korvane::hostile::Bytes(bytes, bytes + request->cbData), 0, {}, false};
        text.head.push_back(0), text.head.push_back(0);
        text.size = text.head.size();
        return put_blocks(window, {text});
    }
    case 3: {
        uint32_t trial = 0;
        if (request->cbData != 4) return 0;
        std::memcpy(&trial, bytes, 4);
        return race(window, trial);
    }
    }
    return 0;
}

LRESULT CALLBACK hostile_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COPYDATA: return on_copy_data(window, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS: return 0;  // announced, never delivered
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = hostile_proc;
    window_class.hInstance = instance;
    window_class.lpszClassName = L"KorvaneHostileClipboard";
    RegisterClassW(&window_class);
    CreateWindowExW(0, L"KorvaneHostileClipboard", L"Korvane hostile clipboard", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                    nullptr, nullptr, instance, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
