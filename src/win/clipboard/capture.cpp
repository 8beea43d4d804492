#include "win/clipboard/capture.hpp"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "core/byte_io.hpp"
#include "core/clipboard_data.hpp"
#include "core/companions.hpp"
#include "core/dib.hpp"
#include "core/drop_list.hpp"
#include "core/store.hpp"
#include "core/text.hpp"
#include "win/app/app.hpp"
#include "win/app/messages.hpp"
#include "win/pictures/png_picture.hpp"
#include "win/support/handles.hpp"
#include "win/support/wide.hpp"
#include "win/toolbar/toolbar.hpp"

namespace korvane {
namespace {

// Formats by which other programs (password managers among them) ask monitors to leave the
// content alone.
constexpr const wchar_t* IGNORE_FORMATS[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                             L"Clipboard Viewer Ignore"};

bool offers_ignore_format() {
    for (const wchar_t* name : IGNORE_FORMATS)
        if (IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) return true;
    return false;
}

UINT registered_format(std::string_view name) { return RegisterClipboardFormatW(to_wide(name).c_str()); }

// Called with the clipboard open.  The first four bytes of a marker's block as a little-endian
// value, reading nothing more; nothing when it is not offered or shorter.
std::optional<uint32_t> marker_value(std::string_view name) {
    const UINT format = registered_format(name);
    if (!IsClipboardFormatAvailable(format)) return std::nullopt;
    const HANDLE handle = GetClipboardData(format);
    if (!handle || GlobalSize(handle) < 4) return std::nullopt;
    const LockedGlobal lock(handle);
    if (!lock.data()) return std::nullopt;
    uint8_t first[4];
    std::memcpy(first, lock.data(), sizeof first);
    return u32_at(first, 0);
}

// A history told to leave the content out (a 4-byte 0 in this marker) is what Korvane is.
bool excluded_from_history(std::optional<uint32_t> history) { return history == 0u; }

// The file name of the program whose window owns the clipboard ("vault.exe"); nothing when no
// window owns it or its process cannot be asked.
std::optional<std::wstring> clipboard_owner_program() {
    const HWND owner = GetClipboardOwner();
    if (!owner) return std::nullopt;
    DWORD process_id = 0;
    if (!GetWindowThreadProcessId(owner, &process_id) || process_id == 0) return std::nullopt;
    const OwnedHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    if (!process) return std::nullopt;
    std::wstring path(32768, L'\0');
    DWORD length = DWORD(path.size());
    if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &length) || length >= path.size())
        return std::nullopt;
    path.resize(length);
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// Windows compares file names without case, as CompareStringOrdinal does.
bool owned_by_ignored_program(const std::vector<std::string>& ignored_programs) {
    if (ignored_programs.empty()) return false;
    const std::optional<std::wstring> program = clipboard_owner_program();
    if (!program) return false;
    for (const std::string& name : ignored_programs) {
        const std::wstring wide = to_wide(name);
        if (CompareStringOrdinal(wide.data(), int(wide.size()), program->data(), int(program->size()), TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// The blocks a capture may need, copied out of the clipboard so that it is closed again before
// any of them is decoded: other programs cannot open it while Korvane holds it.
struct CopiedBlocks {
    std::optional<Bytes> files;
    std::optional<Bytes> text;
    std::optional<Bytes> picture;
    // A picture offered only as PNG, decoded once the clipboard is closed.
    std::optional<Bytes> png;
    std::vector<Companion> companions;
    PrivacyMarkers markers;
};

// Called with the clipboard open.
std::optional<Bytes> copy_format(UINT format) {
    if (!IsClipboardFormatAvailable(format)) return std::nullopt;
    return read_global_block(GetClipboardData(format));
}

// Called with the clipboard open.  The companions of a clip of this kind that are offered and fit
// within their budget; a block's size is asked before it is copied, so one that does not fit is
// never read.
std::vector<Companion> copy_companions(ClipKind kind) {
    std::vector<Companion> kept;
    for (std::string_view name : companion_formats(kind)) {
        const UINT format = registered_format(name);
        if (!IsClipboardFormatAvailable(format)) continue;
        const HANDLE handle = GetClipboardData(format);
        if (!handle || !companion_fits(kept, GlobalSize(handle))) continue;
        if (std::optional<Bytes> bytes = read_global_block(handle)) kept.push_back({std::string(name), std::move(*bytes)});
    }
    return kept;
}

bool gives_files(const std::optional<Bytes>& block) { return block && drop_file_count(*block).value_or(0) > 0; }
bool gives_text(const std::optional<Bytes>& block) { return block && !unicode_text_is_blank(*block); }

// Nothing when the clipboard cannot be opened or its content is to be ignored.
std::optional<CopiedBlocks> copy_blocks(HWND main_window, const std::vector<std::string>& ignored_programs) {
    const ClipboardSession clipboard(open_clipboard_retrying(main_window));
    if (!clipboard) return std::nullopt;
    // The tests before opening spare an open for ignored content, but the content may have been
    // replaced while the open was retried.  Now that it is open, it cannot change.
    const std::optional<uint32_t> history = marker_value(HISTORY_MARKER);
    if (offers_ignore_format() || excluded_from_history(history) || owned_by_ignored_program(ignored_programs))
        return std::nullopt;
    CopiedBlocks blocks;
    blocks.markers = {.no_cloud_upload = marker_value(CLOUD_UPLOAD_MARKER) == 0u, .history_allowed = history.has_value()};
    blocks.files = copy_format(CF_HDROP);
    blocks.text = copy_format(CF_UNICODETEXT);
    if (gives_files(blocks.files)) return blocks;  // a file list keeps no companions
    if (gives_text(blocks.text)) {
        blocks.companions = copy_companions(ClipKind::Text);
        return blocks;
    }
    // The picture is asked for only when the other two give no clip: it may be large, and its
    // owner may render it only when it is asked for (spreadsheets offer one of every range copied).
    if (IsClipboardFormatAvailable(CF_DIB)) {
        blocks.picture = copy_format(CF_DIB);
        if (blocks.picture) blocks.companions = copy_companions(ClipKind::Image);
    } else {
        blocks.png = copy_format(registered_format(PNG_FORMAT));
    }
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

// The PNG's own bytes stay beside the picture made of it, when they fit.
std::optional<ClipContent> picture_of_png(Bytes& png) {
    std::optional<Bytes> dib = dib_of_png(png);
    if (!dib) return std::nullopt;
    std::optional<ClipContent> picture = picture_of(*dib);
    if (picture && companion_fits({}, png.size())) picture->companions.push_back({PNG_FORMAT, std::move(png)});
    return picture;
}

std::optional<ClipContent> content_of(CopiedBlocks& blocks) {
    if (blocks.files)
        if (auto files = files_of(*blocks.files)) return files;
    if (blocks.text)
        if (auto text = text_of(*blocks.text)) return text;
    if (blocks.picture) return picture_of(*blocks.picture);
    if (blocks.png) return picture_of_png(*blocks.png);
    return std::nullopt;
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

namespace {

// Reads the clipboard's current content as a clip content, or nothing when it is to be ignored
// (its owner's program file name is one of ignored_programs, any case) or holds nothing
// usable.  Opens and closes the clipboard.
std::optional<ClipContent> read_clipboard_content(HWND main_window, const std::vector<std::string>& ignored_programs) {
    if (GetClipboardOwner() == main_window) return std::nullopt;
    if (offers_ignore_format() || owned_by_ignored_program(ignored_programs)) return std::nullopt;
    std::optional<CopiedBlocks> blocks = copy_blocks(main_window, ignored_programs);
    if (!blocks) return std::nullopt;
    std::optional<ClipContent> content = content_of(*blocks);
    if (!content) return std::nullopt;
    // A file list keeps none; a picture made of a PNG has its own.
    if (content->companions.empty() && content->kind != ClipKind::Files)
        content->companions = std::move(blocks->companions);
    content->markers = blocks->markers;
    return content;
}

// The clipboard's sequence number when its content was last read (0 before the first read, and
// what the system answers when it cannot tell).  A notification that finds it unchanged belongs
// to a change already captured.
DWORD captured_sequence = 0;
// The main window a capture has been posted to and has not yet run in: the notifications queued
// before it collapse into it.  (A window destroyed meanwhile never runs it; the next has its own.)
HWND capture_posted_to = nullptr;
uint64_t reads = 0;

bool already_captured(DWORD sequence) { return sequence != 0 && sequence == captured_sequence; }

// The capture is posted again behind what is queued.  Used when the record is taken by the
// handler under whose step this one runs: no notification may follow the last change of a
// burst, so the capture is never dropped.
void capture_later(HWND main_window) {
    if (capture_posted_to != main_window && PostMessageW(main_window, WM_CAPTURE_CLIPBOARD, 0, 0))
        capture_posted_to = main_window;
}

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
    std::vector<std::string> ignored_programs;
    if (AppBorrow app = borrow_app()) {
        // While paused nothing is read, not even which program copied.
        if (app->settings.capture_paused) return 0;
        ignored_programs = app->settings.ignored_programs;
    } else {
        capture_later(main_window);
        return 0;
    }
    const DWORD sequence = GetClipboardSequenceNumber();
    if (already_captured(sequence)) return 0;
    const DWORD read_before = captured_sequence;
    captured_sequence = sequence;
    ++reads;
    std::optional<ClipContent> content;
    // A block of up to 256 MiB, or the paths decoded from one, may not fit in memory; then this
    // capture is dropped, silently like every other that fails.
    try {
        content = read_clipboard_content(main_window, ignored_programs);
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
    } else {
        captured_sequence = read_before;  // read again, as if this read had not been made
        capture_later(main_window);
        return 0;
    }
    if (changed) refresh_all_toolbars();
    return 0;
}

uint64_t clipboard_reads() { return reads; }

}  // namespace korvane
