// Custom icons from real picture files: GDI+ for raster images, the SVG renderer for SVG, and
// the file dialog driven as a user would; files that would take minutes or gigabytes, and the
// program going on while a conversion runs.
// The cases share the picture files made for them and the watch on the conversion threads.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "core/picture.hpp"
#include "core/store.hpp"
#include "svg/svg_render.hpp"
#include "win/app/app.hpp"
#include "win/support/handles.hpp"
#include "win/pictures/custom_icon_file.hpp"
#include "win/app/main.hpp"
#include "win/app/messages.hpp"
#include "win/toolbar/toolbar.hpp"
#include "win/support/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

std::wstring data_file(const char* name) {
    wchar_t full[MAX_PATH];
    GetFullPathNameW(to_wide(std::string(KORVANE_WIN_TEST_DATA) + "/" + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

// The slow documents are the SVG renderer's own test files.
std::wstring svg_data_file(const char* name) { return data_file((std::string("../../svg/data/") + name).c_str()); }

constexpr char TOO_LONG[] = "This file took too long to convert.";
constexpr char TOO_LARGE[] = "The image is too large.";
constexpr const char* SLOW_DOCUMENTS[] = {"slow_turbulence.svg", "slow_convolve.svg", "slow_use_fan_out.svg",
                                          "slow_rectangles.svg"};

uint8_t alpha_at(const Bytes& picture, int x, int y) { return picture[(size_t(y) * 96 + size_t(x)) * 4 + 3]; }

Bytes picture_of(const char* name) {
    std::variant<Bytes, std::string> result = read_icon_file(data_file(name));
    if (auto* reason = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << name << ": " << *reason;
        return Bytes(PICTURE_BYTES, 0);
    }
    return std::get<Bytes>(result);
}

std::string reason_of_path(const std::wstring& path) {
    std::variant<Bytes, std::string> result = read_icon_file(path);
    return std::holds_alternative<std::string>(result) ? std::get<std::string>(result) : "<a picture>";
}

std::string reason_of(const char* name) { return reason_of_path(data_file(name)); }

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

size_t threads_of_this_process() {
    const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    size_t count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    return count;
}

SIZE_T commit_now() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

// The most this process commits beyond what it did before, sampled while `work` runs (Wine's
// peak counter follows the current one).
template <class Work>
SIZE_T commit_growth_during(Work work) {
    const SIZE_T before = commit_now();
    std::atomic<bool> done{false};
    std::atomic<SIZE_T> most{before};
    std::thread sampler([&] {
        while (!done) {
            most = std::max<SIZE_T>(most, commit_now());
            Sleep(5);
        }
    });
    work();
    done = true;
    sampler.join();
    return most - before;
}

TEST(IconFile, DocumentsThatWouldRunForMinutesEndInTheTooLongReasonAndLeaveNothingRunning) {
    // With the renderer's own limit; the outer bound on the wait is the test's timeout.
    ASSERT_EQ(svg_time_limit(), SVG_TIME_LIMIT);
    const size_t threads = threads_of_this_process();
    for (const char* name : SLOW_DOCUMENTS) {
        EXPECT_EQ(reason_of_path(svg_data_file(name)), TOO_LONG) << name;
        EXPECT_EQ(threads_of_this_process(), threads) << name;  // the SVG renderer was stopped, not left
    }
    EXPECT_EQ(icon_failure_message(svg_data_file("slow_turbulence.svg"), TOO_LONG),
              "Could not use slow_turbulence.svg as an icon.\nThis file took too long to convert.");
    EXPECT_EQ(alpha_at(picture_of("tall.svg"), 48, 48), 255);  // and the next file converts
}

// A scratch folder for files made by the test.
struct ScratchFolder {
    test::TempAppData folder;
    std::wstring file(const wchar_t* name) const { return folder.root() + L"\\" + name; }
};

TEST(IconFile, OnlyRasterImagesWithinTheSizeCapAreDecoded) {
    const ScratchFolder scratch;
    // A metafile named .png: GDI+ would play it.
    const std::wstring metafile = scratch.file(L"drawing.png");
    {
        HDC dc = CreateEnhMetaFileW(nullptr, metafile.c_str(), nullptr, nullptr);
        ASSERT_TRUE(dc);
        Rectangle(dc, 0, 0, 100, 100);
        DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    }
    EXPECT_EQ(reason_of_path(metafile), "This file is not an image Windows can read.");

    // 50,000 x 50,000 pixels in 300 KB: refused before anything decodes it.
    EXPECT_LT(commit_growth_during([] { EXPECT_EQ(reason_of("bomb-50000x50000.png"), TOO_LARGE); }), SIZE_T{64} << 20);

    // Headers alone, beyond the 2^26 pixels or the 65,536 pixels a side.
    const auto png_header = [](uint32_t width, uint32_t height) {
        Bytes b{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        for (uint32_t v : {width, height})
            for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
        b.insert(b.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
        return b;
    };
    const std::wstring wide = scratch.file(L"wide.png"), square = scratch.file(L"square.png");
    ASSERT_TRUE(test::write_file(wide, png_header(65537, 1)));
    ASSERT_TRUE(test::write_file(square, png_header(8193, 8192)));
    EXPECT_EQ(reason_of_path(wide), TOO_LARGE);
    EXPECT_EQ(reason_of_path(square), TOO_LARGE);
}

// The header is looked for in the whole file, and what is checked is what is decoded: a JPEG's
// frame header behind 1.1 MiB of APP1 segments still counts, a JPEG without one is refused, and
// so is a file beyond the 64 MiB read, whatever its header says.
TEST(IconFile, TheSizeIsCheckedInTheWholeFileAndOnlyTheBytesCheckedAreDecoded) {
    const ScratchFolder scratch;
    const std::optional<Bytes> small = test::read_file(data_file("small.jpg"));
    ASSERT_TRUE(small && small->size() > 170);
    const auto behind_app1 = [&](std::optional<std::pair<uint16_t, uint16_t>> frame_size) {
        Bytes jpeg(small->begin(), small->begin() + 2);  // the start of image
        for (int i = 0; i < 18; ++i) {  // 18 x 65,537 bytes
            jpeg.insert(jpeg.end(), {0xFF, 0xE1, 0xFF, 0xFF});
            jpeg.resize(jpeg.size() + 65533, uint8_t('x'));
        }
        if (!frame_size) {
            jpeg.insert(jpeg.end(), {0xFF, 0xD9});
            return jpeg;
        }
        const size_t frame = jpeg.size() - 2 + 158;  // small.jpg's start-of-frame segment
        jpeg.insert(jpeg.end(), small->begin() + 2, small->end());
        EXPECT_EQ(jpeg[frame + 1], 0xC0);
        for (const auto [at, value] : {std::pair{frame + 5, frame_size->second}, std::pair{frame + 7, frame_size->first}}) {
            jpeg[at] = uint8_t(value >> 8);
            jpeg[at + 1] = uint8_t(value);
        }
        return jpeg;
    };
    std::optional<Bytes> padded_png = test::read_file(data_file("one-pixel.png"));
    ASSERT_TRUE(padded_png);
    padded_png->resize((size_t{64} << 20) + 1, 0);  // what follows the image's end is no part of it
    const struct {
        const wchar_t* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {L"bomb-behind-app1.jpg", behind_app1(std::pair{50000, 50000}), TOO_LARGE},
        {L"photo-behind-app1.jpg", behind_app1(std::pair{16, 16}), "<a picture>"},
        {L"no-frame.jpg", behind_app1(std::nullopt), "This file is not an image Windows can read."},
        {L"padded.png", *padded_png, TOO_LARGE},
    };
    for (const auto& c : cases) {
        const std::wstring path = scratch.file(c.name);
        ASSERT_TRUE(test::write_file(path, c.bytes));
        EXPECT_EQ(reason_of_path(path), c.reason) << from_wide(c.name);
    }
}

// GDI+ cannot be stopped; a read that never returns stands in for a decode that would not end.
// Its thread is given up at the limit, and until it ends no other raster conversion starts.
TEST(IconFile, ARasterConversionThatHangsIsGivenUpAtTheLimitAndNoOtherStartsUntilItEnds) {
    const std::wstring pipe_name = L"\\\\.\\pipe\\korvane-icon-test.png";
    OwnedHandle pipe = owned_file(
        CreateNamedPipeW(pipe_name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    set_svg_limits({SVG_MAX_FILE_BYTES, SVG_MEMORY_LIMIT, std::chrono::milliseconds(500)});  // for raster files too
    EXPECT_EQ(reason_of_path(pipe_name), TOO_LONG);  // its header is read from a pipe nobody writes
    const size_t threads = threads_of_this_process();
    EXPECT_EQ(reason_of("wide-200x100.png"), TOO_LONG);
    EXPECT_EQ(threads_of_this_process(), threads);
    set_svg_limits({});
    EXPECT_EQ(alpha_at(picture_of("tall.svg"), 48, 48), 255);  // SVG files do not wait for GDI+
    pipe.reset();  // the read fails, and the unfinished conversion ends
    EXPECT_EQ(alpha_at(picture_of("wide-200x100.png"), 48, 48), 255);
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

// The first tile's tooltip on the strip, asked from another thread as a user's mouse would.
std::wstring first_tile_tip(HWND docked) {
    struct Search {
        HWND owner, found = nullptr;
    } search{docked};
    EnumWindows([](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (_wcsicmp(name, TOOLTIPS_CLASSW) != 0 || GetWindow(window, GW_OWNER) != s->owner) return TRUE;
        // The mouse's tooltip control, with a tool for every tile and button; the keyboard's has one.
        DWORD_PTR tools = 0;
        if (SendMessageTimeoutW(window, TTM_GETTOOLCOUNT, 0, 0, SMTO_NORMAL, 1500, &tools) && tools > 1) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }, LPARAM(&search));
    wchar_t text[256] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    DWORD_PTR found = 0;
    if (!search.found || !SendMessageTimeoutW(search.found, TTM_ENUMTOOLSW, 0, LPARAM(&tool), SMTO_NORMAL, 1500, &found) ||
        !found)
        return {};
    tool.lpszText = text;
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(search.found, TTM_GETTEXTW, 256, LPARAM(&tool), SMTO_NORMAL, 1500, &ignored);
    return text;
}

bool put_text_on_clipboard(const wchar_t* text) {
    if (!test::wait_until([] { return OpenClipboard(nullptr) != 0; }, 5s)) return false;
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(::GlobalLock(block), text, bytes);
    ::GlobalUnlock(block);
    const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    if (!put) GlobalFree(block);
    CloseClipboard();
    return put;
}

// The conversion has ended once the user-interface thread creates its warning box (the first
// dialog window after the file dialog has gone); a hook on that thread sees the creation.
// Wine's message box then takes up to 2 s before it serves anything.
std::atomic<bool> g_file_dialog_gone{false}, g_box_created{false};

LRESULT CALLBACK watch_box_creation(int code, WPARAM wparam, LPARAM lparam) {
    wchar_t name[16] = {};
    if (code == HCBT_CREATEWND && g_file_dialog_gone && GetClassNameW(HWND(wparam), name, 16) && wcscmp(name, L"#32770") == 0)
        g_box_created = true;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// What the other threads saw while the conversion was pending, that is before its warning.
struct DuringTheConversion {
    std::atomic<int> answered{0}, unanswered{0};
    bool captured = false, painted = false, tray_refused = false;
};

// The program in this process: the strip, the popup and the notification icon, with one clip.
// While a slow SVG converts, one thread keeps sending to the strip with the 1.5 s timeout of a
// program that judges whether a window hangs; another copies a text, repaints the strip, and
// clicks its tile and the notification icon.  The copy is captured and painted; the clicks
// start nothing.  After the warning, the same clicks paste and open the popup.
TEST(IconFile, WhileAConversionRunsTheProgramAnswersCapturesAndPaintsButStartsNoCommand) {
    constexpr int TILE_X = 38, RECENT_TILE_Y = 128;
    const test::TempAppData appdata;
    start_shell(GetModuleHandleW(nullptr), {});
    HWND main_window, docked, popup;
    {
        AppBorrow app = borrow_app();
        main_window = app->main_window;
        docked = app->docked.window;
        popup = app->popup.window;
        record_capture(app->store, ClipContent::make_text("before the conversion"));
    }
    refresh_all_toolbars();
    ASSERT_TRUE(IsWindowVisible(docked));
    ASSERT_FALSE(IsWindowVisible(popup));
    // Long enough for every check of the other threads to happen inside it on a loaded machine.
    set_svg_limits({SVG_MAX_FILE_BYTES, SVG_MEMORY_LIMIT, std::chrono::milliseconds(8000)});

    test::MessageBoxWatcher warnings;
    g_file_dialog_gone = false;
    g_box_created = false;
    std::atomic<bool> returned{false};
    const auto pending = [&] { return !g_box_created && !returned; };
    DuringTheConversion seen;
    std::atomic<bool> serving{false};
    const HHOOK hook = SetWindowsHookExW(WH_CBT, watch_box_creation, nullptr, GetCurrentThreadId());
    std::thread user([&] {
        answer_file_dialog(svg_data_file("slow_turbulence.svg"));
        test::wait_until([] { return !test::find_message_box(L"Choose an icon"); }, 15s);
        g_file_dialog_gone = true;
        // Wine's file dialog takes up to 2 s to return once its window is gone; the capture is
        // the first thing served after it, inside the conversion's wait.
        seen.captured = put_text_on_clipboard(L"copied meanwhile") &&
                        test::wait_until([&] { return first_tile_tip(docked) == L"copied meanwhile"; }, 10s) && pending();
        serving = true;
        InvalidateRect(docked, nullptr, FALSE);
        seen.painted = test::wait_until([&] { return !GetUpdateRect(docked, nullptr, FALSE); }, 5s) && pending();
        test::user_click(docked, POINT{TILE_X, RECENT_TILE_Y});
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(main_window, WM_TRAY_CALLBACK, MAKEWPARAM(800, 700), MAKELPARAM(NIN_SELECT, 1), SMTO_NORMAL,
                            1500, &ignored);
        seen.tray_refused = !IsWindowVisible(popup) && pending();
    });
    std::thread prober([&] {
        test::wait_until([&] { return serving.load(); }, 30s);
        while (pending()) {
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutW(docked, WM_NULL, 0, 0, SMTO_NORMAL, 1500, &ignored))
                ++seen.answered;
            else if (pending())
                ++seen.unanswered;
            Sleep(20);
        }
    });
    EXPECT_FALSE(choose_icon_file(main_window));
    returned = true;
    user.join();
    UnhookWindowsHookEx(hook);
    set_svg_limits({});
    prober.join();
    // The click was dropped, not kept for later.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_NE(GetClipboardOwner(), main_window);
    EXPECT_EQ(warnings.texts()[0], L"Could not use slow_turbulence.svg as an icon.\nThis file took too long to convert.");
    EXPECT_EQ(seen.unanswered, 0);
    EXPECT_GT(seen.answered, 20);
    EXPECT_TRUE(seen.captured);
    EXPECT_TRUE(seen.painted);
    EXPECT_TRUE(seen.tray_refused);

    // The same click and notification now do what they do.
    test::user_click(docked, POINT{TILE_X, RECENT_TILE_Y});
    EXPECT_TRUE(test::wait_until([&] {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        return GetClipboardOwner() == main_window;
    }, 5s));
    Sleep(500);  // the popup ignores the icon just after a deactivation
    SendMessageW(main_window, WM_TRAY_CALLBACK, MAKEWPARAM(800, 700), MAKELPARAM(NIN_SELECT, 1));
    EXPECT_TRUE(IsWindowVisible(popup));

    DestroyWindow(main_window);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) DispatchMessageW(&message);
    take_app();
}

}  // namespace
}  // namespace korvane
