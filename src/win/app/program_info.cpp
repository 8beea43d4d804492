#include "win/app/program_info.hpp"

#include <shellapi.h>

#include <cstring>

#include "win/res/resource_ids.h"

namespace korvane {

HICON exe_icon() { return LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(KORVANE_ICON_ID)); }

std::optional<std::wstring> program_version() {
    const HMODULE program = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
    if (!found) return std::nullopt;
    const DWORD size = SizeofResource(program, found);
    const auto* block = static_cast<const uint8_t*>(LockResource(LoadResource(program, found)));
    // VS_VERSIONINFO: its length, the length of its value, its type, the key "VS_VERSION_INFO"
    // with its terminator, padding to 32 bits, then the value, VS_FIXEDFILEINFO.
    constexpr size_t FIXED_AT = (6 + sizeof(L"VS_VERSION_INFO") + 3) / 4 * 4;
    VS_FIXEDFILEINFO fixed{};
    if (!block || size < FIXED_AT + sizeof fixed) return std::nullopt;
    uint16_t value_length = 0;
    std::memcpy(&value_length, block + 2, sizeof value_length);
    std::memcpy(&fixed, block + FIXED_AT, sizeof fixed);
    if (value_length != sizeof fixed || fixed.dwSignature != VS_FFI_SIGNATURE) return std::nullopt;
    return std::to_wstring(HIWORD(fixed.dwProductVersionMS)) + L"." + std::to_wstring(LOWORD(fixed.dwProductVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed.dwProductVersionLS));
}

std::optional<std::wstring> program_path() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0 || length >= path.size()) return std::nullopt;
    path.resize(length);
    return path;
}

bool open_program_file(const wchar_t* name) {
    std::optional<std::wstring> found = program_path();
    if (!found) return false;
    std::wstring path = std::move(*found);
    path.resize(path.find_last_of(L'\\') + 1);
    path += name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;  // as documented: a value above 32 is success
}

}  // namespace korvane
