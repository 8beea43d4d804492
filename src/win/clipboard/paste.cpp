#include "win/clipboard/paste.hpp"

#include <atomic>
#include <cstring>
#include <string_view>

#include "core/clipboard_data.hpp"
#include "core/companions.hpp"
#include "core/dib.hpp"
#include "win/clipboard/capture.hpp"
#include "win/support/handles.hpp"
#include "win/app/messages.hpp"
#include "win/support/wide.hpp"
#include "win/support/wipe.hpp"

namespace korvane {
namespace {

std::atomic<HWND> target{nullptr};
std::atomic<HWND> listener{nullptr};

constexpr int FOREGROUND_WAIT_STEPS = 100;
constexpr DWORD FOREGROUND_WAIT_STEP_MS = 10;
constexpr DWORD FOREGROUND_SETTLE_MS = 30;
// Another window may take the foreground back while the target settles (a late activation the
// system makes for a window that was hidden, say): the target is brought forward again, this
// many times in all.
constexpr int FOREGROUND_ATTEMPTS = 3;

// The shell's own surfaces, and Wine's stand-ins for them, never become the target.
constexpr std::string_view SHELL_CLASSES[] = {
    "Shell_TrayWnd",           "Shell_SecondaryTrayWnd",       "NotifyIconOverflowWindow",
    "TopLevelWindowForOverflowXamlIsland", "XamlExplorerHostIslandWindow", "Windows.UI.Core.CoreWindow",
    "__winex11_standalone_tray", "#32769"};

// Called by the system from the message loop: nothing may unwind into it.
void CALLBACK foreground_hook(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) noexcept {
    try {
        follow_reported_foreground(window);
    } catch (...) {
        // The next foreground change is reported again; missing this one loses nothing.
    }
}

INPUT key(WORD virtual_key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtual_key;
    input.ki.dwFlags = flags;
    return input;
}

// The keystroke may only reach the target: typed into whatever else is in front, a clip (often a
// password or a filled-in template) would land in the wrong program.
bool target_is_in_front(HWND t) {
    const HWND front = GetForegroundWindow();
    return front && GetAncestor(front, GA_ROOT) == t && IsWindowVisible(t);
}

// Keys that went down without their release are let go again, so a partly refused keystroke
// does not leave Ctrl held for the user.
void release_keys_left_down(UINT inserted) {
    if (inserted == 0 || inserted >= 4) return;
    INPUT releases[2];
    UINT count = 0;
    if (inserted == 2) releases[count++] = key('V', KEYEVENTF_KEYUP);
    releases[count++] = key(VK_CONTROL, KEYEVENTF_KEYUP);
    SendInput(count, releases, sizeof(INPUT));
}

// Asks for the target to be the foreground window and gives the switch time to settle: true when
// the target is in front then.  A switch the system accepted may reach the foreground only once
// the target's own thread has taken the activation, which on a loaded machine takes a while; a
// refused one never comes, so it is not waited for.
bool bring_to_front(HWND t) {
    bool accepted = SetForegroundWindow(t) != FALSE;
    if (!accepted) {
        const DWORD foreground_thread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const DWORD me = GetCurrentThreadId();
        AttachThreadInput(me, foreground_thread, TRUE);
        accepted = SetForegroundWindow(t) != FALSE;
        AttachThreadInput(me, foreground_thread, FALSE);
    }
    if (accepted)
        for (int i = 0; i < FOREGROUND_WAIT_STEPS && GetForegroundWindow() != t; ++i) Sleep(FOREGROUND_WAIT_STEP_MS);
    Sleep(FOREGROUND_SETTLE_MS);
    return target_is_in_front(t);
}

}  // namespace

void set_foreground_listener(HWND main_window) { listener = main_window; }

void install_foreground_hook() {
    SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, foreground_hook, 0, 0,
                    WINEVENT_OUTOFCONTEXT);
    follow_paste_target(GetForegroundWindow());
}

void follow_paste_target(HWND window) {
    if (!window) return;
    const HWND root = GetAncestor(window, GA_ROOT);
    DWORD process = 0;
    GetWindowThreadProcessId(root, &process);
    if (process == GetCurrentProcessId()) return;
    wchar_t buffer[64];
    const int length = GetClassNameW(root, buffer, 64);
    const std::string name = from_wide(std::wstring_view(buffer, length > 0 ? size_t(length) : 0));
    for (std::string_view shell : SHELL_CLASSES)
        if (name == shell) return;
    if (target.exchange(root) != root) PostMessageW(listener, WM_FOREGROUND_CHANGED, WPARAM(root), 0);
}

void follow_reported_foreground(HWND named) {
    // Any program may raise the event naming any window; only the one really in front counts.
    const HWND front = GetForegroundWindow();
    if (!named || !front || GetAncestor(named, GA_ROOT) != GetAncestor(front, GA_ROOT)) return;
    follow_paste_target(front);
}

HWND paste_target() { return target.load(); }

void return_to_paste_target() {
    if (const HWND window = paste_target(); window && IsWindowVisible(window)) SetForegroundWindow(window);
}

namespace {

bool hand_to_clipboard(UINT format, OwnedGlobal block) {
    if (!block || !SetClipboardData(format, block.get())) return false;
    block.release();  // the clipboard owns it now
    return true;
}

// The picture expanded straight into the block the clipboard takes, so a paste holds one more
// copy of it at most.  A picture that GDI could not draw is not handed to other programs, which
// would read its pixels the same way; it may have come from another program or the pins file.
OwnedGlobal picture_block(const DibBlock& dib) {
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, dib.empty() ? 1 : dib.size()));
    if (!block) return block;
    const LockedGlobal lock(block.get());
    if (!lock.data()) return OwnedGlobal();
    const std::span<uint8_t> bytes(static_cast<uint8_t*>(lock.data()), dib.size());
    if (!dib.expand_into(bytes) || !check_dib_pixels(bytes)) return OwnedGlobal();
    return block;
}

bool write_clipboard_block(UINT format, std::span<const uint8_t> bytes) {
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size()));
    if (!block) return false;
    {
        const LockedGlobal lock(block.get());
        if (!lock.data()) return false;
        if (!bytes.empty()) std::memcpy(lock.data(), bytes.data(), bytes.size());
    }
    return hand_to_clipboard(format, std::move(block));
}

// A secret's text goes to the clipboard through buffers wiped once it is there.
bool write_secret_text(std::string_view text) {
    std::u16string units = utf8_to_utf16(text);
    Bytes block = encode_unicode_units(units);
    const bool written = write_clipboard_block(CF_UNICODETEXT, block);
    wipe(block);
    wipe(units);
    return written;
}

bool write_main_format(const ClipContent& content, OwnedGlobal picture, bool secret) {
    switch (content.kind) {
    case ClipKind::Text:
        if (secret) return write_secret_text(content.text);
        return write_clipboard_block(CF_UNICODETEXT, encode_unicode_text(content.text));
    case ClipKind::Image: return hand_to_clipboard(CF_DIB, std::move(picture));
    case ClipKind::Files: {
        constexpr uint8_t DROP_EFFECT_COPY[] = {1, 0, 0, 0};
        write_clipboard_block(RegisterClipboardFormatW(L"Preferred DropEffect"), DROP_EFFECT_COPY);
        return write_clipboard_block(CF_HDROP, encode_drop_block(content.files));
    }
    }
    return false;
}

// A block that cannot be handed over costs only itself: the main format is already there.
void write_registered(const std::vector<Companion>& blocks) {
    for (const Companion& block : blocks)
        write_clipboard_block(RegisterClipboardFormatW(to_wide(block.format).c_str()), block.bytes);
}

}  // namespace

bool write_clip_to_clipboard(HWND owner, const ClipContent& content, PasteWrite how) {
    OwnedGlobal picture;
    if (content.kind == ClipKind::Image) {
        picture = picture_block(content.dib);
        if (!picture) return false;
    }
    const ClipboardSession clipboard(open_clipboard_retrying(owner));
    if (!clipboard) return false;
    EmptyClipboard();
    if (!write_main_format(content, std::move(picture), how.secret)) return false;
    if (!how.plain_text) write_registered(content.companions);
    write_registered(marker_blocks(content.markers, how.secret));
    return true;
}

bool paste_into_target() {
    const HWND t = target.load();
    if (!t || !IsWindow(t)) return false;
    if (IsIconic(t)) ShowWindow(t, SW_RESTORE);
    if (!IsWindowVisible(t)) return false;  // activating a hidden window would send the keys nowhere visible
    bool in_front = false;
    for (int attempt = 0; attempt < FOREGROUND_ATTEMPTS && !in_front; ++attempt) in_front = bring_to_front(t);
    if (!in_front) return false;
    INPUT keys[] = {key(VK_CONTROL, 0), key('V', 0), key('V', KEYEVENTF_KEYUP), key(VK_CONTROL, KEYEVENTF_KEYUP)};
    const UINT inserted = SendInput(4, keys, sizeof(INPUT));
    release_keys_left_down(inserted);
    return inserted == 4;
}

}  // namespace korvane
