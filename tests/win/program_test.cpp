// Korvane.exe itself, started as a user would start it.
#include <gtest/gtest.h>

#include "win/files.hpp"
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
    EXPECT_NE(xml.find(">system</dpiAwareness>"), std::string::npos);
    EXPECT_NE(xml.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(FindResourceW(image, MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
    FreeLibrary(image);
}

}  // namespace
}  // namespace korvane
