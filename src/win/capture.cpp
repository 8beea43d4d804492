#include "win/capture.hpp"

#include <shellapi.h>

#include <cstring>

#include "core/clipboard_data.hpp"
#include "core/dib.hpp"
#include "core/store.hpp"
#include "core/text.hpp"
#include "win/app.hpp"
#include "win/handles.hpp"
#include "win/toolbar.hpp"

namespace korvane {
namespace {

// Formats by which other programs (password managers among them) ask monitors to leave the
// content alone.
constexpr const wchar_t* IGNORE_FORMATS[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                             L"Clipboard Viewer Ignore"};
// Holding a 4-byte 0, this one asks clipboard-history programs to keep the content out.
constexpr wchar_t HISTORY_FORMAT[] = L"CanIncludeInClipboardHistory";

bool offers_ignore_format() {
    for (const wchar_t* name : IGNORE_FORMATS)
        if (IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) return true;
    return false;
}

// Called with the clipboard open.
bool excluded_from_history() {
    const UINT format = RegisterClipboardFormatW(HISTORY_FORMAT);
    if (!IsClipboardFormatAvailable(format)) return false;
    const std::optional<Bytes> value = read_global_block(GetClipboardData(format));
    return value && value->size() == 4 && (*value)[0] == 0 && (*value)[1] == 0 && (*value)[2] == 0 &&
           (*value)[3] == 0;
}

// The shell's reader trusts a drop block, so its file list is checked first, in place, and its
// names counted: the paths themselves are read by the shell.  Nothing for a block that fails.
std::optional<uint64_t> files_in_drop_block(HANDLE handle) {
    const SIZE_T size = GlobalSize(handle);
    if (size == 0 || size > MAX_CLIPBOARD_BLOCK) return std::nullopt;
    const GlobalLock lock(handle);
    if (!lock.data()) return std::nullopt;
    return drop_file_count({static_cast<const uint8_t*>(lock.data()), size});
}

std::optional<ClipContent> read_files() {
    if (!IsClipboardFormatAvailable(CF_HDROP)) return std::nullopt;
    const HANDLE handle = GetClipboardData(CF_HDROP);
    if (!handle) return std::nullopt;
    // An empty list is not handed to the shell: Wine's reader counts one name in it, read from
    // past the block's end.
    const std::optional<uint64_t> names = files_in_drop_block(handle);
    if (!names || *names == 0) return std::nullopt;
    const auto drop = static_cast<HDROP>(handle);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count != *names) return std::nullopt;
    std::vector<FilePath> paths;
    paths.reserve(count);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring buffer(size_t(length) + 1, L'\0');
        DragQueryFileW(drop, i, buffer.data(), length + 1);
        paths.emplace_back(buffer.begin(), buffer.begin() + length);
    }
    return ClipContent::make_files(std::move(paths));
}

std::optional<ClipContent> read_text() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::nullopt;
    const std::optional<Bytes> block = read_global_block(GetClipboardData(CF_UNICODETEXT));
    if (!block) return std::nullopt;
    std::string text = decode_unicode_text(*block);
    if (trim(text).empty()) return std::nullopt;
    return ClipContent::make_text(std::move(text));
}

std::optional<ClipContent> read_picture() {
    if (!IsClipboardFormatAvailable(CF_DIB)) return std::nullopt;
    std::optional<Bytes> block = read_global_block(GetClipboardData(CF_DIB));
    if (!block || !check_dib(*block)) return std::nullopt;
    return ClipContent::make_image(std::move(*block));
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
    const GlobalLock lock(handle);
    if (!lock.data()) return std::nullopt;
    const auto* bytes = static_cast<const uint8_t*>(lock.data());
    return Bytes(bytes, bytes + size);
}

std::optional<ClipContent> read_clipboard_content(HWND main_window) {
    if (GetClipboardOwner() == main_window) return std::nullopt;
    if (offers_ignore_format()) return std::nullopt;
    const ClipboardSession clipboard(open_clipboard_retrying(main_window));
    if (!clipboard) return std::nullopt;
    if (excluded_from_history()) return std::nullopt;
    if (auto files = read_files()) return files;
    if (auto text = read_text()) return text;
    return read_picture();
}

LRESULT on_clipboard_update(HWND main_window) {
    std::optional<ClipContent> content = read_clipboard_content(main_window);
    if (!content) return 0;
    if (AppBorrow app = borrow_app()) record_capture(app->store, std::move(*content));
    refresh_all_toolbars();
    return 0;
}

}  // namespace korvane
