#include "win/storage/files.hpp"

#include <windows.h>
#include <shlobj.h>
#include <knownfolders.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "core/pins_file.hpp"
#include "win/support/handles.hpp"
#include "win/app/warning.hpp"
#include "win/support/wide.hpp"

namespace korvane {
namespace {

constexpr char PINS_SAVE_FAILED[] = "Could not save pinned clips:\n";
constexpr char SETTINGS_SAVE_FAILED[] = "Could not save the settings:\n";

// Set when pins.dat exists but did not load, so its bytes are kept rather than replaced.
std::atomic<bool> pins_file_unloaded{false};

// A failed save is told once; later failures are silent until a save succeeds again, so a new
// failure after that is told too.
struct SaveWarning {
    const char* lead;
    std::atomic<bool> shown{false};

    void report(const std::optional<std::string>& error) {
        if (!error) {
            shown = false;
            return;
        }
        if (!shown.exchange(true)) show_warning(lead + *error);
    }
};
SaveWarning pins_save_warning{PINS_SAVE_FAILED};
SaveWarning settings_save_warning{SETTINGS_SAVE_FAILED};

std::optional<std::wstring> app_folder() { return korvane_folder_in(FOLDERID_RoamingAppData); }

// Creates the folder and any missing parents.  Returns 0 or the error code.
DWORD create_folders(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : error;
    }
    if (error != ERROR_PATH_NOT_FOUND) return error;
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos || cut == 0) return error;
    if (const DWORD parent = create_folders(path.substr(0, cut))) return parent;
    if (CreateDirectoryW(path.c_str(), nullptr)) return 0;
    return GetLastError();
}

// Every operation on files below reports as the system does: 0, or the error code.

// Reads a whole file into `bytes`.  A file too large for memory throws bad_alloc.
DWORD read_whole_file(const std::wstring& path, std::vector<uint8_t>& bytes) {
    OwnedHandle file = owned_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
    if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > bytes.max_size()) return ERROR_FILE_TOO_LARGE;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 26));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) return GetLastError();
        if (got == 0) break;  // the file shrank while being read
        done += got;
    }
    bytes.resize(done);
    return 0;
}

// Error codes of this program's own (bit 29 marks codes that are not the system's): a write
// that the system accepted without writing anything, and no APPDATA to save in.
constexpr DWORD WRITE_MADE_NO_PROGRESS = 0x20000001;
constexpr DWORD APPDATA_NOT_SET = 0x20000002;

std::string error_text(DWORD code) {
    if (code == WRITE_MADE_NO_PROGRESS) return "failed to write whole buffer";
    if (code == APPDATA_NOT_SET) return "APPDATA is not set";
    return os_error_text(code);
}

// The attributes a file is rewritten with.  Creating over a hidden or system file fails unless
// the new file asks for the same attributes, so those of the file being replaced are kept.
DWORD kept_attributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    return attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

struct WriteOptions {
    bool flush = false;
    DWORD attributes = 0;          // besides FILE_ATTRIBUTE_NORMAL
    bool remove_on_failure = false;  // a scratch file: half of it is no use to anyone
};

DWORD write_pieces(HANDLE file, std::span<const std::span<const uint8_t>> pieces, bool flush) {
    for (std::span<const uint8_t> bytes : pieces) {
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 26));
            DWORD wrote = 0;
            if (!WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr)) return GetLastError();
            if (wrote == 0) return WRITE_MADE_NO_PROGRESS;
            done += wrote;
        }
    }
    if (flush && !FlushFileBuffers(file)) return GetLastError();
    return 0;
}

// Writes the pieces one after the other into a new file.  Returns 0 or the error code.
DWORD write_whole_file(const std::wstring& path, std::span<const std::span<const uint8_t>> pieces,
                       const WriteOptions& options) {
    const DWORD attributes = options.attributes ? options.attributes : FILE_ATTRIBUTE_NORMAL;
    OwnedHandle file = owned_file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    if (!file) return GetLastError();
    const DWORD error = write_pieces(file.get(), pieces, options.flush);
    if (error && options.remove_on_failure) {
        file.reset();
        DeleteFileW(path.c_str());
    }
    return error;
}

// Another program may hold a file for a moment (a virus scanner or an indexer looking at the new
// pins): such a step is tried again for about half a second before the save gives up.
constexpr int HELD_FILE_ATTEMPTS = 6;
constexpr DWORD HELD_FILE_PAUSE_MS = 100;

bool held_by_another_program(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

template <class Step>
DWORD retry_while_held(Step step) {
    DWORD error = step();
    for (int attempt = 1; attempt < HELD_FILE_ATTEMPTS && held_by_another_program(error); ++attempt) {
        Sleep(HELD_FILE_PAUSE_MS);
        error = step();
    }
    return error;
}

// Windows 10 1809 added this class; the mingw headers only declare it for a newer target.
constexpr auto FILE_RENAME_INFO_EX = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

// Renames through the file handle: first with POSIX semantics, which replaces a target that is
// still open elsewhere; where that class is refused (Wine, Windows 10 before 1809), the plain
// replacing rename.
DWORD rename_by_handle(const std::wstring& from, const std::wstring& to) {
    OwnedHandle file = owned_file(CreateFileW(from.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    const size_t name_bytes = to.size() * sizeof(wchar_t);
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + name_bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(name_bytes);
    std::memcpy(info->FileName, to.data(), name_bytes);
    info->Flags = FILE_RENAME_FLAG_REPLACE_IF_EXISTS | FILE_RENAME_FLAG_POSIX_SEMANTICS;
    const DWORD size = static_cast<DWORD>(buffer.size());
    if (SetFileInformationByHandle(file.get(), FILE_RENAME_INFO_EX, info, size)) return 0;
    info->Flags = 0;
    info->ReplaceIfExists = TRUE;
    if (SetFileInformationByHandle(file.get(), FileRenameInfo, info, size)) return 0;
    return GetLastError();
}

DWORD replace_file(const std::wstring& from, const std::wstring& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
    const DWORD error = GetLastError();
    if (error != ERROR_ACCESS_DENIED) return error;
    return rename_by_handle(from, to);
}

// Keeps a pins.dat that did not load under the first free name, as a second name for the same
// file (or a copy where the volume has no hard links), so that pins.dat itself is never missing:
// the rename that follows replaces it in one step.  A run killed in between keeps it once more
// on its next start.
DWORD keep_under(const std::wstring& pins, const std::wstring& kept) {
    if (CreateHardLinkW(kept.c_str(), pins.c_str(), nullptr)) return 0;
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED) return error;
    return CopyFileW(pins.c_str(), kept.c_str(), TRUE) ? 0 : GetLastError();
}

// The name a pins.dat that could not be loaded is kept under: "pins (not loaded).dat", then
// "pins (not loaded 2).dat" and so on, the first that is free.
std::wstring unloaded_pins_name(unsigned attempt) {
    return attempt <= 1 ? L"pins (not loaded).dat" : L"pins (not loaded " + std::to_wstring(attempt) + L").dat";
}

DWORD keep_unloaded_pins(const std::wstring& folder) {
    const std::wstring pins = folder + L"\\pins.dat";
    for (unsigned attempt = 1; attempt < 1000; ++attempt) {
        const std::wstring kept = folder + L"\\" + unloaded_pins_name(attempt);
        const DWORD error = keep_under(pins, kept);
        if (error == 0 || error == ERROR_FILE_NOT_FOUND) return 0;  // kept, or gone meanwhile: nothing to keep
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

// Copies the next n bytes of the file with ReadFile.
DWORD read_exactly(HANDLE file, uint8_t* out, size_t n) {
    while (n > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(n, 1u << 26));
        DWORD got = 0;
        if (!ReadFile(file, out, chunk, &got, nullptr)) return GetLastError();
        if (got == 0) return ERROR_HANDLE_EOF;  // shorter than its size said
        out += got;
        n -= got;
    }
    return 0;
}

// Decodes the pins as the file is read with ReadFile, each picture straight into its own memory:
// a failing disk or a lost network share is then a read error, where a mapped view of the file
// would have been an access violation in the decoder.  No other program may write the file
// meanwhile; one may rename another file over it, as the save does.
LoadedPins read_pins_file(const std::wstring& path) {
    LoadedPins loaded;
    OwnedHandle file = owned_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) loaded.error = os_error_text(error);
        return loaded;
    }
    DWORD read_error = 0;
    const PinsFileSource source{static_cast<uint64_t>(size.QuadPart), [&](uint8_t* out, size_t n) {
                                    if (!read_error) read_error = read_exactly(file.get(), out, n);
                                    return read_error == 0;
                                }};
    DecodedPins decoded = decode_pins(source);
    if (read_error) {
        loaded.error = os_error_text(read_error);
    } else if (auto* pins = std::get_if<std::vector<Clip>>(&decoded)) {
        loaded.pins = std::move(*pins);
    } else {
        loaded.error = std::get<std::string>(decoded);
    }
    return loaded;
}

DWORD save_through_scratch_file(const std::vector<Clip>& pins) {
    const std::optional<std::wstring> folder = app_folder();
    if (!folder) return APPDATA_NOT_SET;
    if (const DWORD error = create_folders(*folder)) return error;
    const std::wstring tmp = *folder + L"\\pins.tmp";
    const std::wstring dat = *folder + L"\\pins.dat";
    const PinsFilePieces file = encode_pins_pieces(pins);
    const WriteOptions options{.flush = true, .attributes = kept_attributes(tmp) | kept_attributes(dat),
                               .remove_on_failure = true};
    if (const DWORD error = retry_while_held([&] { return write_whole_file(tmp, file.pieces, options); })) return error;
    if (pins_file_unloaded) {
        if (const DWORD error = keep_unloaded_pins(*folder)) return error;
        pins_file_unloaded = false;
    }
    return retry_while_held([&] { return replace_file(tmp, dat); });
}

}  // namespace

std::optional<std::wstring> korvane_folder_in(const GUID& known) {
    // Not verified: a folder that does not exist yet is made when something is saved in it.
    PWSTR path = nullptr;
    const HRESULT found = SHGetKnownFolderPath(known, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::optional<std::wstring> folder;
    if (SUCCEEDED(found) && path && *path) {
        folder.emplace(path);
        if (folder->back() != L'\\' && folder->back() != L'/') *folder += L'\\';
        *folder += L"Korvane";
    }
    CoTaskMemFree(path);
    return folder;
}

std::string os_error_text(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring message;
    if (length > 0 && buffer) message.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return from_wide(message) + " (os error " + std::to_string(code) + ")";
}

LoadedPins load_pins() {
    LoadedPins loaded;
    pins_file_unloaded = false;
    const std::optional<std::wstring> folder = app_folder();
    if (!folder) return loaded;
    // A file too large for memory, or one whose records hold more than memory does, fails to load
    // like a corrupt one: the run starts without pins and the file is kept.
    try {
        loaded = read_pins_file(*folder + L"\\pins.dat");
    } catch (const std::bad_alloc&) {
        loaded = LoadedPins{{}, os_error_text(ERROR_NOT_ENOUGH_MEMORY)};
    }
    pins_file_unloaded = loaded.error.has_value();
    return loaded;
}

std::optional<std::string> write_pins_file(const std::vector<Clip>& pins) {
    if (const DWORD error = save_through_scratch_file(pins)) return error_text(error);
    return std::nullopt;
}

void report_pins_save(const std::optional<std::string>& error) { pins_save_warning.report(error); }

void save_pins(const std::vector<Clip>& pins) { report_pins_save(write_pins_file(pins)); }

namespace {

bool drive_is_remote(char16_t drive) {
    const wchar_t root[] = {wchar_t(drive), L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}

}  // namespace

bool may_be_remote(const FilePath& path) {
    const std::optional<char16_t> drive = path_drive(path);
    return !drive || drive_is_remote(*drive);
}

PathExists path_check() {
    // Asking another machine about a path takes as long as the network takes to answer or give up,
    // and this check runs on the UI thread, for every path, before the popup opens and before a
    // paste.  So such a path is taken to be there: a paste of one that is gone fails in the program
    // it is pasted into, as it would for a file deleted meanwhile.  A drive's type is asked once
    // per check: under Wine each GetDriveTypeW took 0.4 ms, and 100,000 paths took 95 s.
    return [remote = std::array<std::optional<bool>, 26>{}](const FilePath& path) mutable {
        const std::optional<char16_t> drive = path_drive(path);
        if (!drive) return true;
        std::optional<bool>& known = remote[size_t(*drive - u'A')];
        if (!known) known = drive_is_remote(*drive);
        if (*known) return true;
        const std::wstring wide(path.begin(), path.end());
        return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
}

Settings read_settings() {
    const std::optional<std::wstring> folder = app_folder();
    if (!folder) return {};
    std::vector<uint8_t> bytes;
    try {
        if (read_whole_file(*folder + L"\\settings.ini", bytes)) return {};
    } catch (const std::bad_alloc&) {
        return {};  // a file too large for memory is unreadable like any other
    }
    return parse_settings(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::optional<std::string> write_settings_file(const Settings& settings) {
    const std::optional<std::wstring> folder = app_folder();
    if (!folder) return std::nullopt;
    if (const DWORD error = create_folders(*folder)) return error_text(error);
    const std::string content = format_settings(settings);
    const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    const std::wstring path = *folder + L"\\settings.ini";
    if (const DWORD error = write_whole_file(path, {&bytes, 1}, WriteOptions{.attributes = kept_attributes(path)}))
        return error_text(error);
    return std::nullopt;
}

void report_settings_save(const std::optional<std::string>& error) { settings_save_warning.report(error); }

}  // namespace korvane
