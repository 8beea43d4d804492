#include "win/support/input_source.hpp"

namespace korvane {
namespace {

using SourceQuery = BOOL(WINAPI*)(INPUT_MESSAGE_SOURCE*);

SourceQuery source_query() {
    static const SourceQuery query = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<SourceQuery>(
                            reinterpret_cast<void*>(GetProcAddress(user32, "GetCurrentInputMessageSource")))
                      : nullptr;
    }();
    return query;
}

// The thread's key state is brought up to date as each input message is taken from the queue,
// so a key or button the user pressed is down while its message is handled, and one that was
// posted finds it up.
bool state_matches(UINT message, WPARAM wparam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: return wparam < 256 && GetKeyState(int(wparam)) < 0;
    case WM_LBUTTONDOWN: return GetKeyState(VK_LBUTTON) < 0;
    case WM_LBUTTONUP: return GetKeyState(VK_LBUTTON) >= 0;
    case WM_RBUTTONUP: return GetKeyState(VK_RBUTTON) >= 0;
    default: return false;
    }
}

}  // namespace

bool input_from_user(UINT message, WPARAM wparam) {
    if (InSendMessageEx(nullptr) != ISMEX_NOSEND) return false;
    if (const SourceQuery query = source_query()) {
        INPUT_MESSAGE_SOURCE source{};
        return query(&source) && source.originId != IMO_UNAVAILABLE;
    }
    return state_matches(message, wparam);
}

}  // namespace korvane
