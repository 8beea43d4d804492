// Korvane.exe itself, started as a user would start it.
// Each case starts the real executable; they share its temporary folders and window lookups,
// which keeps them in one file.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "core/logo.hpp"
#include "core/layout.hpp"
#include "core/settings_layout.hpp"
#include "win/app/messages.hpp"
#include "win/storage/files.hpp"
#include "win/support/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using test::TempAppData;

std::wstring korvane_exe() { return test::program_folder() + L"\\Korvane.exe"; }

// Starts Korvane and waits for its hidden main window.
HWND start_and_wait(test::Process& process) {
    HWND main_window = nullptr;
    test::wait_until([&] { return (main_window = test::find_process_window(process.id, L"KorvaneMain")) != nullptr; }, 15s);
    return main_window;
}

TEST(Program, ASecondStartExitsAtOnceWhileTheFirstRunsAndClosingEndsItWithCodeZero) {
    TempAppData appdata;
    std::vector<Clip> pins(2);
    pins[0].content = ClipContent::make_text("kept");
    pins[1].content = ClipContent::make_files({u"C:\\kept"});
    pins[1].animal_index = 1;
    save_pins(pins);
    const std::optional<Bytes> saved = test::read_file(appdata.file(L"pins.dat"));
    ASSERT_TRUE(saved);
    std::optional<test::Process> first = test::start_program(korvane_exe());
    ASSERT_TRUE(first);
    HWND main_window = start_and_wait(*first);
    ASSERT_NE(main_window, nullptr);
    EXPECT_FALSE(IsWindowVisible(main_window));
    wchar_t title[32] = {};
    GetWindowTextW(main_window, title, 32);
    EXPECT_STREQ(title, L"Korvane");

    std::optional<test::Process> second = test::start_program(korvane_exe());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->wait(15s), 0u);
    EXPECT_EQ(first->wait(0ms), std::nullopt);  // the first still runs

    PostMessageW(main_window, WM_CLOSE, 0, 0);
    const std::optional<DWORD> code = first->wait(15s);
    if (!code) first->kill();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(test::read_file(appdata.file(L"pins.dat")), saved);  // as the last change left it
}

TEST(Program, ACorruptPinsFileIsReportedBeforeAnyWindowExists) {
    TempAppData appdata;
    CreateDirectoryW(appdata.korvane_folder().c_str(), nullptr);
    ASSERT_TRUE(test::write_file(appdata.file(L"pins.dat"), {'K', 'R', 'V', 'N', 9}));
    std::optional<test::Process> program = test::start_program(korvane_exe());
    ASSERT_TRUE(program);
    HWND box = nullptr;
    ASSERT_TRUE(test::wait_until([&] { return (box = test::find_message_box(L"Korvane")) != nullptr; }, 15s));
    EXPECT_EQ(test::message_box_text(box), L"Could not load pinned clips, starting without them:\npins.dat is corrupt");
    EXPECT_EQ(test::find_process_window(program->id, L"KorvaneMain"), nullptr);
    EXPECT_NE(GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE, 0);

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main_window = start_and_wait(*program);
    ASSERT_NE(main_window, nullptr);  // the run goes on without pins
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    const std::optional<DWORD> code = program->wait(15s);
    if (!code) program->kill();
    EXPECT_EQ(code, 0u);
}

// A copy of the portable exe in a folder that also holds DLLs under the names of those it uses
// (a Downloads folder, say): it starts, shows its strip and popup, answers a screen reader, and
// loads none of them.
TEST(Program, DllsPlantedBesideACopyOfTheExeAreNeverLoaded) {
    TempAppData appdata;
    const std::wstring folder = appdata.root() + L"\\Downloads";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring copy = folder + L"\\Korvane.exe";
    ASSERT_TRUE(CopyFileW(korvane_exe().c_str(), copy.c_str(), TRUE));
    const wchar_t* const planted[] = {L"dwmapi.dll", L"gdiplus.dll", L"comdlg32.dll", L"oleacc.dll", L"oleaut32.dll",
                                      L"msimg32.dll"};
    const std::wstring planted_folder = test::program_folder() + L"\\planted\\";
    for (const wchar_t* name : planted)
        ASSERT_TRUE(CopyFileW((planted_folder + name).c_str(), (folder + L"\\" + name).c_str(), TRUE)) << from_wide(name);
    // The planted DLLs say when they are loaded: one loaded here leaves its marker.
    const std::wstring canary = folder + L"\\canary.dll";
    ASSERT_TRUE(CopyFileW((planted_folder + L"dwmapi.dll").c_str(), canary.c_str(), TRUE));
    const HMODULE loaded = LoadLibraryW(canary.c_str());
    ASSERT_NE(loaded, nullptr);
    FreeLibrary(loaded);
    EXPECT_TRUE(test::file_exists(canary + L".loaded"));

    std::optional<test::Process> program = test::start_program(copy);
    ASSERT_TRUE(program);
    // What the run does is checked first; whether a planted DLL came in is asked however far it got.
    [&] {
        const HWND main_window = start_and_wait(*program);
        ASSERT_NE(main_window, nullptr);
        HWND dock = nullptr, popup = nullptr;
        ASSERT_TRUE(test::wait_until([&] {
            dock = test::find_process_window(program->id, L"KorvaneDock");
            return dock && IsWindowVisible(dock);
        }, 15s));
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main_window, WM_TRAY_CALLBACK, MAKEWPARAM(800, 700), MAKELPARAM(NIN_SELECT, 1), SMTO_NORMAL,
                            5000, &ignored);
        ASSERT_TRUE(test::wait_until([&] {
            popup = test::find_process_window(program->id, L"KorvaneToolbar");
            return popup && IsWindowVisible(popup);
        }, 15s));
        // The accessible objects come from oleacc, their names from oleaut32.
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        IAccessible* accessible = nullptr;
        if (SUCCEEDED(AccessibleObjectFromWindow(popup, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&accessible)))) {
            VARIANT first{};
            first.vt = VT_I4;
            first.lVal = 1;
            BSTR name = nullptr;
            EXPECT_EQ(accessible->get_accName(first, &name), S_OK);
            EXPECT_GT(SysStringLen(name), 0u);
            SysFreeString(name);
            accessible->Release();
        } else {
            ADD_FAILURE() << "the popup has no accessible object";
        }
        CoUninitialize();
        PostMessageW(main_window, WM_CLOSE, 0, 0);
        EXPECT_EQ(program->wait(15s), 0u);
    }();
    if (program->wait(0ms) == std::nullopt) program->kill();
    for (const wchar_t* name : planted)
        EXPECT_FALSE(test::file_exists(folder + L"\\" + name + L".loaded")) << from_wide(name) << " was loaded";
}

TEST(Program, CarriesItsManifestAndVersionResource) {
    HMODULE image = LoadLibraryExW(korvane_exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const DWORD size = SizeofResource(image, manifest);
    const char* text = static_cast<const char*>(LockResource(LoadResource(image, manifest)));
    const std::string xml(text, size);
    EXPECT_NE(xml.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(xml.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(xml.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(xml.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos);
    EXPECT_NE(xml.find(">true/pm</dpiAware>"), std::string::npos);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
    FreeLibrary(image);
}

BOOL CALLBACK collect_name(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(IS_INTRESOURCE(name) ? ULONG_PTR(name) : 0);
    return TRUE;
}

// The icon drawn into a 32-bit picture over magenta, as a shell view draws it: the drawn colours
// where it is opaque and the background where it is transparent.
std::vector<uint32_t> drawn_over_magenta(HICON icon, int size) {
    constexpr uint32_t MAGENTA = 0xFFFF00FF;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (picture && bits) {
        std::fill_n(static_cast<uint32_t*>(bits), size * size, MAGENTA);
        HGDIOBJ previous = SelectObject(dc, picture);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size * size);
        SelectObject(dc, previous);
        DeleteObject(picture);
    }
    DeleteDC(dc);
    for (uint32_t& pixel : pixels) pixel = (pixel & 0xFFFFFF) == (MAGENTA & 0xFFFFFF) ? 0 : pixel | 0xFF000000;
    return pixels;
}

TEST(Program, ItsFirstIconGroupHoldsTheClipboardAtEightSizesAsTheSystemReadsThem) {
    HMODULE image = LoadLibraryExW(korvane_exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    std::vector<ULONG_PTR> groups;
    EnumResourceNamesW(image, RT_GROUP_ICON, collect_name, LONG_PTR(&groups));
    ASSERT_EQ(groups, std::vector<ULONG_PTR>{1});
    HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const DWORD group_size = SizeofResource(image, group);
    const auto* directory = static_cast<const uint8_t*>(LockResource(LoadResource(image, group)));
    ASSERT_NE(directory, nullptr);
    ASSERT_GE(group_size, 6u);
    uint16_t count = 0;
    std::memcpy(&count, directory + 4, 2);
    ASSERT_EQ(count, 8u);
    ASSERT_EQ(group_size, 6u + 14u * count);  // GRPICONDIRENTRY: 14 bytes

    std::vector<int> sizes;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = directory + 6 + 14 * i;
        const int size = entry[0] == 0 ? 256 : entry[0];
        sizes.push_back(size);
        EXPECT_EQ(entry[1], entry[0]);
        uint16_t bits = 0, id = 0;
        std::memcpy(&bits, entry + 6, 2);
        std::memcpy(&id, entry + 12, 2);
        EXPECT_EQ(bits, 32u) << size;
        HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(id), RT_ICON);
        ASSERT_NE(found, nullptr) << size;
        const DWORD length = SizeofResource(image, found);
        auto* data = static_cast<BYTE*>(LockResource(LoadResource(image, found)));
        ASSERT_NE(data, nullptr);
        const bool png = length > 8 && std::memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0;
        EXPECT_EQ(png, size == 256) << size << ": only the largest is PNG-compressed";
        HICON icon = CreateIconFromResourceEx(data, length, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(icon, nullptr) << size;
        const std::vector<uint32_t> drawn = drawn_over_magenta(icon, size);
        DestroyIcon(icon);
        const std::vector<uint32_t> expected = logo_pixels(size);
        ASSERT_EQ(drawn.size(), expected.size());
        const auto differing = std::mismatch(drawn.begin(), drawn.end(), expected.begin());
        EXPECT_TRUE(differing.first == drawn.end())
            << size << ": pixel " << (differing.first - drawn.begin()) << " is " << std::hex << *differing.first
            << ", drawn " << *differing.second;
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    FreeLibrary(image);
}

// The user's local application data, where crash reports go, redirected to a folder of the test
// while the object lives.
class TempLocalAppData {
public:
    explicit TempLocalAppData(const TempAppData& appdata) : root_(appdata.root() + L"\\Local") {
        CreateDirectoryW(root_.c_str(), nullptr);
        redirect_.emplace(L"Local AppData", root_);
    }

    std::wstring crashes() const { return root_ + L"\\Korvane\\crashes"; }

private:
    std::wstring root_;
    std::optional<test::RedirectedUserFolder> redirect_;
};

std::vector<std::wstring> dumps_in(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// The exception code a minidump records, read from its exception stream.
std::optional<uint32_t> dumped_exception_code(const std::vector<uint8_t>& dump) {
    const auto u32 = [&](size_t at) -> std::optional<uint32_t> {
        if (at + 4 > dump.size()) return std::nullopt;
        uint32_t value = 0;
        std::memcpy(&value, dump.data() + at, 4);
        return value;
    };
    if (u32(0) != 0x504D444Du) return std::nullopt;  // "MDMP"
    const auto streams = u32(8), directory = u32(12);
    if (!streams || !directory) return std::nullopt;
    for (uint32_t i = 0; i < *streams; ++i) {
        const size_t entry = *directory + 12 * size_t(i);
        const auto type = u32(entry), location = u32(entry + 8);
        if (type == 6u && location) return u32(*location + 8);  // MINIDUMP_EXCEPTION_STREAM: thread, padding, code
    }
    return std::nullopt;
}

bool set_write_time(const std::wstring& path, int day) {
    const SYSTEMTIME time{2020, 1, 0, WORD(day), 12, 0, 0, 0};
    FILETIME written{};
    SystemTimeToFileTime(&time, &written);
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool set = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return set;
}

TEST(Program, ACrashLeavesAMinidumpThatTheNextStartAnnouncesOnce) {
    TempAppData appdata;
    TempLocalAppData local(appdata);
    // Five reports of earlier crashes, the first the oldest.
    CreateDirectoryW((appdata.root() + L"\\Local\\Korvane").c_str(), nullptr);
    CreateDirectoryW(local.crashes().c_str(), nullptr);
    std::vector<std::wstring> earlier;
    for (int day = 1; day <= 5; ++day) {
        earlier.push_back(L"korvane-2020010" + std::to_wstring(day) + L"-120000-4.dmp");
        const std::wstring path = local.crashes() + L"\\" + earlier.back();
        ASSERT_TRUE(test::write_file(path, {'M', 'D', 'M', 'P'}));
        ASSERT_TRUE(set_write_time(path, day));
    }

    // The folder comes from the system, not from the environment, which may say anything.
    SetEnvironmentVariableW(L"LOCALAPPDATA", L"");
    std::optional<test::Process> crashing = test::start_program(korvane_exe(), L"--crash-for-test");
    SetEnvironmentVariableW(L"LOCALAPPDATA", nullptr);
    ASSERT_TRUE(crashing);
    const std::optional<DWORD> crash_code = crashing->wait(30s);
    if (!crash_code) crashing->kill();
    ASSERT_EQ(crash_code, DWORD(EXCEPTION_ACCESS_VIOLATION));

    // The newest five are kept: the oldest earlier report made way for this one.
    const std::wstring written = L"-" + std::to_wstring(crashing->id) + L".dmp";
    std::vector<std::wstring> dumps = dumps_in(local.crashes());
    ASSERT_EQ(dumps.size(), 5u);
    EXPECT_EQ(std::vector<std::wstring>(dumps.begin(), dumps.begin() + 4),
              std::vector<std::wstring>(earlier.begin() + 1, earlier.end()));
    const std::wstring name = dumps.back();
    EXPECT_EQ(name.substr(0, 8), L"korvane-");
    ASSERT_GT(name.size(), written.size());
    EXPECT_EQ(name.substr(name.size() - written.size()), written);
    const std::wstring dump_path = local.crashes() + L"\\" + name;
    const std::optional<std::vector<uint8_t>> dump = test::read_file(dump_path);
    ASSERT_TRUE(dump);
    EXPECT_EQ(dumped_exception_code(*dump), uint32_t(EXCEPTION_ACCESS_VIOLATION));

    // The next start says where the report is, before any window exists, then runs as usual.
    std::optional<test::Process> next = test::start_program(korvane_exe());
    ASSERT_TRUE(next);
    HWND box = nullptr;
    ASSERT_TRUE(test::wait_until([&] { return (box = test::find_message_box(L"Korvane")) != nullptr; }, 15s));
    EXPECT_EQ(test::message_box_text(box),
              L"Korvane closed unexpectedly the last time it ran. A report of the crash was saved as:\n" + dump_path +
                  L"\n\nKorvane saves your pins after every change, so they are as you left them.");
    EXPECT_EQ(test::find_process_window(next->id, L"KorvaneMain"), nullptr);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main_window = start_and_wait(*next);
    ASSERT_NE(main_window, nullptr);
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    std::optional<DWORD> code = next->wait(15s);
    if (!code) next->kill();
    EXPECT_EQ(code, 0u);

    // Once only: the start after that shows its windows without a word.
    std::optional<test::Process> later = test::start_program(korvane_exe());
    ASSERT_TRUE(later);
    main_window = start_and_wait(*later);
    ASSERT_NE(main_window, nullptr);
    EXPECT_EQ(test::find_message_box(L"Korvane"), nullptr);
    PostMessageW(main_window, WM_CLOSE, 0, 0);
    code = later->wait(15s);
    if (!code) later->kill();
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(dumps_in(local.crashes()), dumps);
}

std::wstring version_of(const std::wstring& exe) {
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), nullptr);
    std::vector<uint8_t> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(exe.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
        return L"?";
    return std::to_wstring(HIWORD(fixed->dwProductVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwProductVersionMS)) +
           L"." + std::to_wstring(HIWORD(fixed->dwProductVersionLS));
}

BOOL CALLBACK find_link(HWND child, LPARAM found) {
    wchar_t class_name[16] = {};
    GetClassNameW(child, class_name, 16);
    if (std::wcscmp(class_name, L"SysLink") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

struct TitledWindow {
    std::wstring prefix;
    HWND window = nullptr;
};

BOOL CALLBACK find_titled(HWND window, LPARAM wanted) {
    auto& titled = *reinterpret_cast<TitledWindow*>(wanted);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (!IsWindowVisible(window) || std::wcsncmp(title, titled.prefix.c_str(), titled.prefix.size()) != 0) return TRUE;
    titled.window = window;
    return FALSE;
}

void press(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

// Korvane.exe's settings dialog, opened with the strip's settings button.
HWND open_settings(DWORD process_id) {
    HWND strip = nullptr;
    test::wait_until([&] { return (strip = test::find_process_window(process_id, L"KorvaneDock")) && IsWindowVisible(strip); }, 15s);
    if (!strip) return nullptr;
    RECT client{};
    GetClientRect(strip, &client);
    const ToolbarLayout layout = make_layout({true, 0}, {client.right, client.bottom}, GetDpiForSystem(), 0, 0);
    const std::vector<Button> buttons = button_list(layout);
    const auto settings = std::find_if(buttons.begin(), buttons.end(), [](const Button& b) { return b.kind == HitKind::SettingsButton; });
    if (settings == buttons.end()) return nullptr;
    test::user_click(strip, POINT{(settings->rect.left + settings->rect.right) / 2, (settings->rect.top + settings->rect.bottom) / 2});
    HWND dialog = nullptr;
    test::wait_until([&] { return (dialog = test::find_process_window(process_id, L"KorvaneSettings")) && GetForegroundWindow() == dialog; }, 15s);
    return dialog;
}

// Windows opens .txt files in Notepad; a fresh Wine prefix may have no such association, so the
// test gives it the one Windows has while it runs.
class TextFilesOpenInNotepad {
public:
    TextFilesOpenInNotepad() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".txt", 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return;
        }
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.txt", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return;
        RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"txtfile"), sizeof(L"txtfile"));
        RegCloseKey(key);
        added_ = true;
    }
    ~TextFilesOpenInNotepad() {
        if (added_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\.txt");
    }
    TextFilesOpenInNotepad(const TextFilesOpenInNotepad&) = delete;
    TextFilesOpenInNotepad& operator=(const TextFilesOpenInNotepad&) = delete;

private:
    bool added_ = false;
};

TEST(Program, TheCreditLineNamesTheVersionAndLicenceAndLinksToTheNoticesBesideTheExe) {
    TempAppData appdata;
    TextFilesOpenInNotepad association;
    std::optional<test::Process> program = test::start_program(korvane_exe());
    ASSERT_TRUE(program);
    ASSERT_NE(start_and_wait(*program), nullptr);

    // The keys that reach each link from the focused placement button: past the sign-in box and
    // the shortcut's field and box and the ignored programs' field, then from the first link to
    // the second.
    const struct {
        std::vector<WORD> keys;
        const wchar_t* opened;
    } links[] = {{{VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, L"LICENSE.txt"},
                 {{VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, L"THIRD-PARTY-NOTICES.txt"}};
    const Rect place = layout_settings_dialog(96).credit;
    for (const auto& link : links) {
        HWND dialog = open_settings(program->id);
        ASSERT_NE(dialog, nullptr);
        HWND credit = nullptr;
        EnumChildWindows(dialog, find_link, LPARAM(&credit));
        ASSERT_NE(credit, nullptr);
        wchar_t text[512] = {};
        GetWindowTextW(credit, text, 512);
        EXPECT_EQ(std::wstring(text), L"Korvane " + version_of(korvane_exe()) +
                                          L" by the Korvane developers, under the MIT licence.\n"
                                          L"<a id=\"licence\">Licence</a>   <a id=\"notices\">Third-party notices</a>");
        RECT frame{};
        GetWindowRect(credit, &frame);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
        EXPECT_EQ((Rect{frame.left, frame.top, frame.right, frame.bottom}), place);

        for (WORD key : link.keys) press(key);
        TitledWindow viewer{link.opened};
        EXPECT_TRUE(test::wait_until([&] { return EnumWindows(find_titled, LPARAM(&viewer)), viewer.window != nullptr; }, 20s))
            << "nothing showed " << std::string(link.opened, link.opened + std::wcslen(link.opened));
        if (viewer.window) PostMessageW(viewer.window, WM_CLOSE, 0, 0);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(test::wait_until([&] { return !IsWindow(dialog); }, 10s));
    }
    PostMessageW(test::find_process_window(program->id, L"KorvaneMain"), WM_CLOSE, 0, 0);
    const std::optional<DWORD> code = program->wait(15s);
    if (!code) program->kill();
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace korvane
