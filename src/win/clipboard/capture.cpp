#include "win/clipboard/capture.hpp"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "core/clipboard_data.hpp"
#include "core/dib.hpp"
#include "core/store.hpp"
#include "core/text.hpp"
#include "win/app/app.hpp"
#include "win/app/messages.hpp"
#include "win/support/handles.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {
namespace {

// Formats by which other programs (password managers among them) ask monitors to leave the
// content alone.
constexpr const wchar_t* IGNORE_FORMATS[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                             L"Clipboard Viewer Ignore"};
// A block that starts with a 4-byte 0 in this one asks clipboard-history programs to keep the
// content out.
constexpr wchar_t HISTORY_FORMAT[] = L"CanIncludeInClipboardHistory";

bool offers_ignore_format() {
    for (const wchar_t* name : IGNORE_FORMATS)
        if (IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) return true;
    return false;
}

// Called with the clipboard open.  Reads the first four bytes of the block and nothing more.
bool excluded_from_history() {
    const UINT format = RegisterClipboardFormatW(HISTORY_FORMAT);
    if (!IsClipboardFormatAvailable(format)) return false;
    const HANDLE handle = GetClipboardData(format);
    if (!handle || GlobalSize(handle) < 4) return false;
    const LockedGlobal lock(handle);
    if (!lock.data()) return false;
    uint8_t first[4];
    std::memcpy(first, lock.data(), sizeof first);
    return std::all_of(std::begin(first), std::end(first), [](uint8_t b) { return b == 0; });
}

// The blocks a capture may need, copied out of the clipboard so that it is closed again before
// any of them is decoded: other programs cannot open it while Korvane holds it.
struct CopiedBlocks {
    std::optional<Bytes> files;
    std::optional<Bytes> text;
    std::optional<Bytes> picture;
};

// Called with the clipboard open.
std::optional<Bytes> copy_format(UINT format) {
    if (!IsClipboardFormatAvailable(format)) return std::nullopt;
    return read_global_block(GetClipboardData(format));
}

bool gives_files(const std::optional<Bytes>& block) { return block && drop_file_count(*block).value_or(0) > 0; }
bool gives_text(const std::optional<Bytes>& block) { return block && !unicode_text_is_blank(*block); }

// Nothing when the clipboard cannot be opened or its content is to be ignored.
std::optional<CopiedBlocks> copy_blocks(HWND main_window) {
    const ClipboardSession clipboard(open_clipboard_retrying(main_window));
    if (!clipboard) return std::nullopt;
    // The test before opening spares an open for ignored content, but the content may have been
    // replaced while the open was retried.  Now that it is open, it cannot change.
    if (offers_ignore_format() || excluded_from_history()) return std::nullopt;
    CopiedBlocks blocks;
    blocks.files = copy_format(CF_HDROP);
    blocks.text = copy_format(CF_UNICODETEXT);
    // The picture is asked for only when the other two give no clip: it may be large, and its
    // owner may render it only when it is asked for (spreadsheets offer one of every range copied).
    if (IsClipboardFormatAvailable(CF_DIB) && !gives_text(blocks.text) && !gives_files(blocks.files))
        blocks.picture = copy_format(CF_DIB);
    return blocks;
}

// The shell turns 8-bit names into paths with the system code page.  It finds a name by walking
// its list from the start, so asking for each name of a long list in turn is quadratic; each
// name is handed over alone instead, in a drop block of its own.
std::optional<std::vector<FilePath>> paths_of_narrow_names(const std::vector<std::string>& names) {
    size_t longest = 0;
    for (const std::string& name : names) longest = std::max(longest, name.size());
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, sizeof(DROPFILES) + longest + 2));
    if (!block) return std::nullopt;
    const auto drop = static_cast<HDROP>(block.get());
    std::vector<FilePath> paths;
    for (const std::string& name : names) {
        {
            const LockedGlobal lock(block.get());
            if (!lock.data()) return std::nullopt;
            DROPFILES header{};
            header.pFiles = sizeof header;
            auto* bytes = static_cast<uint8_t*>(lock.data());
            std::memcpy(bytes, &header, sizeof header);
            std::memcpy(bytes + sizeof header, name.data(), name.size());
            bytes[sizeof header + name.size()] = 0;
            bytes[sizeof header + name.size() + 1] = 0;
        }
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        std::wstring buffer(size_t(length) + 1, L'\0');
        const UINT copied = std::min(DragQueryFileW(drop, 0, buffer.data(), length + 1), length);
        paths.emplace_back(buffer.begin(), buffer.begin() + copied);
    }
    return paths;
}

std::optional<ClipContent> files_of(const Bytes& block) {
    std::optional<std::vector<FilePath>> paths = parse_drop_block(block);
    if (!paths)
        if (const std::optional<std::vector<std::string>> names = parse_narrow_drop_block(block))
            paths = paths_of_narrow_names(*names);
    // An empty list counts as no files, so the text or the picture is taken instead.
    if (!paths || paths->empty()) return std::nullopt;
    return ClipContent::make_files(std::move(*paths));
}

std::optional<ClipContent> text_of(const Bytes& block) {
    std::string text = decode_unicode_text(block);
    if (trim(text).empty()) return std::nullopt;
    return ClipContent::make_text(std::move(text));
}

std::optional<ClipContent> picture_of(Bytes& block) {
    if (!check_dib(block)) return std::nullopt;
    return ClipContent::make_image(std::move(block));
}

}  // namespace

bool open_clipboard_retrying(HWND owner) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(15);
    }
    return false;
}

std::optional<Bytes> read_global_block(HANDLE handle) {
    if (!handle) return std::nullopt;
    const SIZE_T size = GlobalSize(handle);
    if (size == 0 || size > MAX_CLIPBOARD_BLOCK) return std::nullopt;
    const LockedGlobal lock(handle);
    if (!lock.data()) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(lock.data());
    return Bytes(bytes, bytes + size);
}

std::optional<ClipContent> read_clipboard_content(HWND main_window) {
    if (GetClipboardOwner() == main_window) return std::nullopt;
    if (offers_ignore_format()) return std::nullopt;
    std::optional<CopiedBlocks> blocks = copy_blocks(main_window);
    if (!blocks) return std::nullopt;
    if (blocks->files)
        if (auto files = files_of(*blocks->files)) return files;
    if (blocks->text)
        if (auto text = text_of(*blocks->text)) return text;
    if (blocks->picture) return picture_of(*blocks->picture);
    return std::nullopt;
}

namespace {

// The clipboard's sequence number when its content was last read (0 before the first read, and
// what the system answers when it cannot tell).  A notification that finds it unchanged belongs
// to a change already captured.
DWORD captured_sequence = 0;
// The main window a capture has been posted to and has not yet run in: the notifications queued
// before it collapse into it.  (A window destroyed meanwhile never runs it; the next has its own.)
HWND capture_posted_to = nullptr;
uint64_t reads = 0;

bool already_captured(DWORD sequence) { return sequence != 0 && sequence == captured_sequence; }

// The store's state as the toolbars show it after a capture: a capture either leaves it alone
// (the content is pinned, or is the first Recent clip already) or changes the front clip.
struct RecentFront {
    ClipId id = 0;
    size_t count = 0;
    bool operator==(const RecentFront&) const = default;
};

RecentFront recent_front(const ClipStore& store) {
    return {store.recent.empty() ? 0 : store.recent.front().id, store.recent.size()};
}

}  // namespace

LRESULT on_clipboard_update(HWND main_window) {
    if (capture_posted_to == main_window || already_captured(GetClipboardSequenceNumber())) return 0;
    // Posted behind the notifications already queued, so a burst of changes costs one read of
    // its last content, and input between the notifications is not kept waiting.
    if (!PostMessageW(main_window, WM_CAPTURE_CLIPBOARD, 0, 0)) return on_capture_clipboard(main_window);
    capture_posted_to = main_window;
    return 0;
}

LRESULT on_capture_clipboard(HWND main_window) {
    capture_posted_to = nullptr;
    const DWORD sequence = GetClipboardSequenceNumber();
    if (already_captured(sequence)) return 0;
    captured_sequence = sequence;
    ++reads;
    std::optional<ClipContent> content;
    // A block of up to 256 MiB, or the paths decoded from one, may not fit in memory; then this
    // capture is dropped, silently like every other that fails.
    try {
        content = read_clipboard_content(main_window);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    if (!content) return 0;
    bool changed = false;
    if (AppBorrow app = borrow_app()) {
        app->packer.adopt_finished(app->store);
        const RecentFront before = recent_front(app->store);
        record_capture(app->store, std::move(*content));
        changed = recent_front(app->store) != before;
        app->packer.pack_pictures(app->store, main_window);
    }
    if (changed) refresh_all_toolbars();
    return 0;
}

uint64_t clipboard_reads() { return reads; }

}  // namespace korvane
