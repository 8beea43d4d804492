// Custom icons from real picture files: GDI+ for raster images, the SVG renderer for SVG, and
// the file dialog driven as a user would.
#include <gtest/gtest.h>

#include <thread>

#include "core/picture.hpp"
#include "win/icon_file.hpp"
#include "win/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

std::wstring data_file(const char* name) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(to_wide(std::string(KORVANE_WIN_TEST_DATA) + "/" + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

uint8_t alpha_at(const Bytes& picture, int x, int y) { return picture[(size_t(y) * 96 + size_t(x)) * 4 + 3]; }

Bytes picture_of(const char* name) {
    std::variant<Bytes, std::string> result = read_icon_file(data_file(name));
    if (auto* reason = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << name << ": " << *reason;
        return Bytes(PICTURE_BYTES, 0);
    }
    return std::get<Bytes>(result);
}

std::string reason_of(const char* name) {
    std::variant<Bytes, std::string> result = read_icon_file(data_file(name));
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "<a picture>";
}

TEST(IconFile, PicturesAreFittedIntoTheSquareAndCentred) {
    const Bytes wide = picture_of("wide-200x100.png");
    ASSERT_EQ(wide.size(), PICTURE_BYTES);
    EXPECT_EQ(alpha_at(wide, 48, 22), 0);  // 96 x 48 at y = 24: transparent above and below
    EXPECT_EQ(alpha_at(wide, 48, 26), 255);
    EXPECT_EQ(alpha_at(wide, 48, 69), 255);
    EXPECT_EQ(alpha_at(wide, 48, 73), 0);
    EXPECT_EQ(wide[(48 * 96 + 48) * 4 + 2], 255);  // red, in blue-green-red-alpha order

    const Bytes dot = picture_of("one-pixel.png");
    for (int at : {2, 48, 93}) EXPECT_EQ(alpha_at(dot, at, at), 255) << at;  // fills the square

    const Bytes line = picture_of("line-1000x1.png");
    EXPECT_EQ(alpha_at(line, 48, 48), 255);  // 96 x 1 at y = 48
    EXPECT_EQ(alpha_at(line, 48, 46), 0);
    EXPECT_EQ(alpha_at(line, 48, 50), 0);
}

TEST(IconFile, EveryRasterFormatLoadsAndSvgIsChosenByItsExtension) {
    for (const char* name : {"small.jpg", "small.gif", "small.bmp", "small.ico", "small.tiff"})
        EXPECT_EQ(alpha_at(picture_of(name), 48, 48), 255) << name;
    // A 50 x 100 SVG becomes 48 x 96 in the middle; the extension may be in capitals.
    for (const char* name : {"tall.svg", "TALL.SVG"}) {
        const Bytes tall = picture_of(name);
        EXPECT_EQ(alpha_at(tall, 48, 48), 255) << name;
        EXPECT_EQ(alpha_at(tall, 20, 48), 0) << name;
        EXPECT_EQ(tall[(48 * 96 + 48) * 4 + 0], 255) << name;  // blue
    }
    // ".svgz" and no extension go to GDI+, which cannot read SVG text.
    EXPECT_EQ(reason_of("tall.svgz"), "This file is not an image Windows can read.");
    EXPECT_EQ(reason_of("no-extension"), "This file is not an image Windows can read.");
}

TEST(IconFile, EachFailureReasonReachesTheMessage) {
    EXPECT_EQ(reason_of("not-an-image.png"), "This file is not an image Windows can read.");
    const std::string broken = reason_of("broken.svg");
    EXPECT_TRUE(broken.starts_with("This SVG file could not be read (")) << broken;
    EXPECT_TRUE(broken.ends_with(").")) << broken;
    const std::string missing = reason_of("missing.svg");
    EXPECT_TRUE(missing.ends_with(" (os error 2)")) << missing;
    EXPECT_EQ(icon_failure_message(L"C:\\icons\\not-an-image.png", "This file is not an image Windows can read."),
              "Could not use not-an-image.png as an icon.\nThis file is not an image Windows can read.");
}

// Waits for the file dialog, then types the path into its name field and confirms, or cancels.
void answer_file_dialog(const std::wstring& path) {
    HWND dialog = nullptr;
    test::wait_until([&] { return (dialog = test::find_message_box(L"Choose an icon")) != nullptr; }, 15s);
    if (!dialog) return;
    if (path.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, the file name box
    SendMessageW(name, WM_SETTEXT, 0, LPARAM(path.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

TEST(IconFile, TheFileDialogYieldsTheIconCancelGivesNothingAndFailuresAreShown) {
    test::MessageBoxWatcher warnings;
    {
        std::thread user(answer_file_dialog, data_file("wide-200x100.png"));
        const std::optional<Bytes> icon = choose_icon_file(nullptr);
        user.join();
        ASSERT_TRUE(icon);
        EXPECT_EQ(alpha_at(*icon, 48, 48), 255);
    }
    {
        std::thread user(answer_file_dialog, std::wstring());
        EXPECT_FALSE(choose_icon_file(nullptr));
        user.join();
    }
    EXPECT_TRUE(warnings.texts().empty());
    {
        std::thread user(answer_file_dialog, data_file("not-an-image.png"));
        EXPECT_FALSE(choose_icon_file(nullptr));
        user.join();
    }
    ASSERT_TRUE(test::wait_until([&] { return !warnings.texts().empty(); }, 5s));
    EXPECT_EQ(warnings.texts()[0], L"Could not use not-an-image.png as an icon.\nThis file is not an image Windows can read.");
}

}  // namespace
}  // namespace korvane
