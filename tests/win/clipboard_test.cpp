// Capture and paste against another real program through the real clipboard.
#include <gtest/gtest.h>

#include <cstring>

#include "core/clipboard_data.hpp"
#include "core/companions.hpp"
#include "win/app/app.hpp"
#include "win/support/beep.hpp"
#include "win/clipboard/capture.hpp"
#include "win/toolbar/commands.hpp"
#include "win/app/main.hpp"
#include "win/app/messages.hpp"
#include "win/clipboard/paste.hpp"
#include "win/support/wide.hpp"
#include "failing_allocations.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

struct Format {
    UINT format;        // 0: registered by name
    std::wstring name;
    Bytes bytes;
};

Bytes text_bytes(const char* utf8) { return encode_unicode_text(utf8); }

// The 56 bytes of a 2 x 2 picture whose header then claims the given size.
Bytes small_dib(int32_t width = 2, int32_t height = 2) {
    Bytes dib = test::solid_dib(2, 2, 0x00336699);
    std::memcpy(&dib[4], &width, 4);
    std::memcpy(&dib[8], &height, 4);
    return dib;
}

class ClipboardTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        target_process = new std::optional<test::Process>(test::start_program(test::program_folder() + L"\\test_target.exe"));
        ASSERT_TRUE(*target_process);
        // The edit control is made after its window: wait for both.
        test::wait_until([] {
            target_window = test::find_process_window((*target_process)->id, L"KorvaneTestTarget");
            target_edit = target_window ? FindWindowExW(target_window, nullptr, L"EDIT", nullptr) : nullptr;
            return target_edit != nullptr;
        }, 15s);
        ASSERT_NE(target_edit, nullptr);
        main_window = create_main_window(GetModuleHandleW(nullptr));
        auto app = std::make_unique<App>();
        app->main_window = main_window;
        install_app(std::move(app));
        AddClipboardFormatListener(main_window);
        set_foreground_listener(main_window);
    }

    static void TearDownTestSuite() {
        DestroyWindow(main_window);
        take_app();
        PostMessageW(target_window, WM_CLOSE, 0, 0);
        if (!(*target_process)->wait(10s)) (*target_process)->kill();
        delete target_process;
    }

    void SetUp() override {
        pump();
        if (AppBorrow app = borrow_app()) clear_recent(app->store);
    }

    // Handles this thread's messages, as the program's loop would, until the condition holds.
    static bool pump_until(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
        return test::wait_until([&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            return condition();
        }, limit);
    }
    static void pump() {
        pump_until([] { return true; }, 0ms);
    }

    static LRESULT request(ULONG_PTR kind, const void* data, size_t size) {
        COPYDATASTRUCT copy{kind, DWORD(size), const_cast<void*>(data)};
        return SendMessageW(target_window, WM_COPYDATA, WPARAM(main_window), LPARAM(&copy));
    }

    // The other program copies the text from its edit control.
    static void copy_in_target(const std::wstring& text) {
        ASSERT_EQ(request(1, text.data(), text.size() * 2), 1);
    }

    // Handles messages until the clipboard update that a change just made has been dispatched,
    // so the next change cannot overtake it.
    static void await_update() {
        bool seen = false;
        test::wait_until([&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_CLIPBOARDUPDATE) seen = true;
                DispatchMessageW(&message);
            }
            return seen;
        }, 5s);
    }

    // The request that has the other program put the formats on the clipboard.
    static Bytes formats_request(const std::vector<Format>& formats) {
        Bytes payload;
        const auto u32 = [&](uint32_t v) { payload.insert(payload.end(), (uint8_t*)&v, (uint8_t*)&v + 4); };
        for (const Format& f : formats) {
            u32(f.format);
            u32(uint32_t(f.name.size()));
            payload.insert(payload.end(), (const uint8_t*)f.name.data(), (const uint8_t*)(f.name.data() + f.name.size()));
            u32(uint32_t(f.bytes.size()));
            payload.insert(payload.end(), f.bytes.begin(), f.bytes.end());
        }
        return payload;
    }
    static void put_request_in_target(const Bytes& request_payload) {
        ASSERT_EQ(request(2, request_payload.data(), request_payload.size()), 1);
        await_update();
    }
    static void put_in_target(const std::vector<Format>& formats) { put_request_in_target(formats_request(formats)); }

    static HWND make_window_in_target(const std::wstring& class_name) {
        return HWND(request(3, class_name.data(), class_name.size() * 2));
    }

    static std::vector<ClipContent> recent() {
        std::vector<ClipContent> out;
        if (AppBorrow app = borrow_app())
            for (const Clip& c : app->store.recent) out.push_back(c.content);
        return out;
    }

    static bool front_is_text(const char* text) {
        const auto r = recent();
        return !r.empty() && r[0].kind == ClipKind::Text && r[0].text == text;
    }

    // Copies a marker text and waits for it: every earlier clipboard change has been handled then.
    static void settle(const char* marker) {
        copy_in_target(std::wstring(marker, marker + std::strlen(marker)));
        ASSERT_TRUE(pump_until([&] { return front_is_text(marker); })) << marker;
    }

    static std::wstring target_text() {
        wchar_t buffer[1024] = {};
        SendMessageW(target_edit, WM_GETTEXT, 1024, LPARAM(buffer));
        return buffer;
    }

    static std::optional<Bytes> clipboard_block(UINT format) {
        if (!OpenClipboard(main_window)) return std::nullopt;
        std::optional<Bytes> bytes = read_global_block(GetClipboardData(format));
        CloseClipboard();
        return bytes;
    }

    static inline std::optional<test::Process>* target_process = nullptr;
    static inline HWND target_window = nullptr;
    static inline HWND target_edit = nullptr;
    static inline HWND main_window = nullptr;
};

TEST_F(ClipboardTest, TextCopiedInAnotherProgramBecomesTheFrontClipAndACopyAgainMovesIt) {
    copy_in_target(L"first copy");
    ASSERT_TRUE(pump_until([] { return front_is_text("first copy"); }));
    ClipId first_id = 0;
    if (AppBorrow app = borrow_app()) first_id = app->store.recent[0].id;
    copy_in_target(L"second copy");
    ASSERT_TRUE(pump_until([] { return front_is_text("second copy"); }));
    copy_in_target(L"first copy");
    ASSERT_TRUE(pump_until([] { return front_is_text("first copy"); }));
    AppBorrow app = borrow_app();
    ASSERT_EQ(app->store.recent.size(), 2u);
    EXPECT_EQ(app->store.recent[0].id, first_id);
    EXPECT_EQ(app->store.recent[1].content.text, "second copy");
}

TEST_F(ClipboardTest, ABurstOfChangesCostsOneReadOfItsLastContentAndAHandledChangeNone) {
    settle("before the burst");
    const uint64_t before = clipboard_reads();
    // The changes are made while this thread, Korvane's, handles no notification.
    for (int i = 0; i < 20; ++i) copy_in_target(L"burst " + std::to_wstring(i));
    ASSERT_TRUE(pump_until([] { return front_is_text("burst 19"); }));
    EXPECT_EQ(clipboard_reads(), before + 1);
    ASSERT_GE(recent().size(), 2u);
    EXPECT_EQ(recent()[1].text, "before the burst");  // no clip of the changes in between
    // Notifications of a change already read are dropped without reading again.
    SendMessageW(main_window, WM_CLIPBOARDUPDATE, 0, 0);
    SendMessageW(main_window, WM_CLIPBOARDUPDATE, 0, 0);
    pump_until([] { return false; }, 200ms);
    EXPECT_EQ(clipboard_reads(), before + 1);
}

// The capture of a burst's last change is its only chance: when it runs while a handler holds
// the record (from that handler's nested step), it is made again once the record is free.
TEST_F(ClipboardTest, TheLastChangeIsCapturedAlsoWhenItsCaptureFirstFindsTheRecordTaken) {
    settle("before the change");
    {
        const AppBorrow held = borrow_app();
        ASSERT_TRUE(held);
        copy_in_target(L"copied while the record is taken");
        // Only the change's notification and the capture it posts are handled meanwhile.
        const bool captured_while_taken = test::wait_until([] {
            MSG message;
            while (PeekMessageW(&message, main_window, WM_CLIPBOARDUPDATE, WM_CLIPBOARDUPDATE, PM_REMOVE))
                DispatchMessageW(&message);
            if (!PeekMessageW(&message, main_window, WM_CAPTURE_CLIPBOARD, WM_CAPTURE_CLIPBOARD, PM_REMOVE)) return false;
            DispatchMessageW(&message);
            return true;
        }, 10s);
        ASSERT_TRUE(captured_while_taken);
    }
    EXPECT_TRUE(pump_until([] { return front_is_text("copied while the record is taken"); }));
}

TEST_F(ClipboardTest, ContentThatAsksToBeLeftAloneIsNeverCaptured) {
    const uint8_t zero[4] = {0, 0, 0, 0};
    const uint8_t one[4] = {1, 0, 0, 0};
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("secret one")}, {0, L"Clipboard Viewer Ignore", {}}});
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("secret two")},
                   {0, L"ExcludeClipboardContentFromMonitorProcessing", {1}}});
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("secret three")},
                   {0, L"CanIncludeInClipboardHistory", Bytes(zero, zero + 4)}});
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("history allowed")},
                   {0, L"CanIncludeInClipboardHistory", Bytes(one, one + 4)}});
    // Only the first four bytes count: a longer block that starts with them excludes as well.
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("secret four")}, {0, L"CanIncludeInClipboardHistory", Bytes(8, 0)}});
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("secret five")},
                   {0, L"CanIncludeInClipboardHistory", Bytes{0, 0, 0, 0, 1, 1, 1, 1}}});
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("too short to exclude")},
                   {0, L"CanIncludeInClipboardHistory", Bytes(3, 0)}});
    settle("marker after secrets");
    const auto r = recent();
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[1].text, "too short to exclude");
    EXPECT_EQ(r[2].text, "history allowed");
}

// The other program is test_target.exe: a copy there is owned by a window of its process.
TEST_F(ClipboardTest, NothingIsCapturedWhilePausedOrFromAListedProgramAndOtherProgramsStillAre) {
    const auto set = [](bool paused, std::vector<std::string> ignored) {
        AppBorrow app = borrow_app();
        app->settings.capture_paused = paused;
        app->settings.ignored_programs = std::move(ignored);
    };
    set(true, {});
    copy_in_target(L"copied while paused");
    await_update();
    set(false, {"vault.exe", "TEST_TARGET.EXE"});
    copy_in_target(L"copied in a listed program");
    await_update();
    set(false, {"vault.exe", "test_target.ex"});
    settle("copied in a program not listed");
    set(false, {});
    EXPECT_EQ(recent().size(), 1u);
}

TEST_F(ClipboardTest, ABlockThatDoesNotFitInMemoryDropsItsCaptureAndTheNextIsTaken) {
    const Bytes request_payload = formats_request({{CF_UNICODETEXT, L"", text_bytes(std::string(1 << 14, 'x').c_str())}});
    {
        // The copy of the 32 KiB block fails, as a copy of 256 MiB can.
        test::FailingAllocations exhausted(1 << 14);
        put_request_in_target(request_payload);
        EXPECT_GE(exhausted.failed(), 1u);
    }
    settle("marker after the failed copy");
    const auto r = recent();
    ASSERT_EQ(r.size(), 1u);
}

TEST_F(ClipboardTest, APictureGdiCouldNotDrawIsNeverHandedBack) {
    copy_in_target(L"kept on the clipboard");
    ASSERT_TRUE(pump_until([] { return front_is_text("kept on the clipboard"); }));
    const Bytes kept = text_bytes("kept on the clipboard");
    // Captured from another program or loaded from the pins file as they are; refused on paste.
    const Bytes short_of_pixels = small_dib(100, 100);
    Bytes too_wide = test::solid_dib(2, 1, 0);
    const int32_t width = 67108864;  // one pixel more than GDI draws
    std::memcpy(&too_wide[4], &width, 4);
    too_wide[14] = 1;  // one bit a pixel, so the block holds the whole row
    too_wide.resize(40 + 8 + width / 8, 0x55);
    too_wide[32] = 2;  // two colours
    for (const Bytes& dib : {short_of_pixels, too_wide}) {
        EXPECT_FALSE(write_clip_to_clipboard(main_window, ClipContent::make_image(dib)));
        EXPECT_EQ(clipboard_block(CF_UNICODETEXT), kept);
        EXPECT_FALSE(clipboard_block(CF_DIB));
    }
}

TEST_F(ClipboardTest, FilesWinOverTextAndWhiteSpaceTextGivesWayToThePicture) {
    put_in_target({{CF_HDROP, L"", encode_drop_block({u"C:\\users\\a.txt", u"D:\\b"})},
                   {CF_UNICODETEXT, L"", text_bytes("a.txt b")}});
    ASSERT_TRUE(pump_until([] { return !recent().empty() && recent()[0].kind == ClipKind::Files; }));
    EXPECT_EQ(recent()[0].files, (std::vector<FilePath>{u"C:\\users\\a.txt", u"D:\\b"}));
    EXPECT_EQ(recent().size(), 1u);

    const Bytes top_down = small_dib(2, -2);
    put_in_target({{CF_UNICODETEXT, L"", text_bytes(" \t\r\n ")}, {CF_DIB, L"", top_down}});
    ASSERT_TRUE(pump_until([] { return !recent().empty() && recent()[0].kind == ClipKind::Image; }));
    EXPECT_EQ(recent()[0].dib.expanded(), top_down);

    copy_in_target(L"  leading blanks");
    ASSERT_TRUE(pump_until([] { return front_is_text("  leading blanks"); }));
}

TEST_F(ClipboardTest, MalformedPicturesAndDropBlocksFromAnotherProgramAreIgnored) {
    Bytes outside = encode_drop_block({u"C:\\x"});
    outside[0] = 0xE8, outside[1] = 0x03;  // the file list would start at 1000
    Bytes unterminated = encode_drop_block({u"C:\\x"});
    unterminated.resize(unterminated.size() - 4);
    put_in_target({{CF_DIB, L"", small_dib(0, 2)}});
    put_in_target({{CF_DIB, L"", small_dib(2, 0)}});
    Bytes header_only = small_dib();
    header_only.resize(40);
    put_in_target({{CF_DIB, L"", header_only}});
    put_in_target({{CF_HDROP, L"", outside}});
    put_in_target({{CF_HDROP, L"", unterminated}});
    put_in_target({{CF_HDROP, L"", outside}, {CF_UNICODETEXT, L"", text_bytes("text beside a bad list")}});
    settle("marker after malformed");
    const auto r = recent();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].text, "text beside a bad list");
}

TEST_F(ClipboardTest, PasteHandsOverTheExactBytesOfEachKind) {
    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_text("ab")));
    EXPECT_EQ(clipboard_block(CF_UNICODETEXT), (Bytes{0x61, 0, 0x62, 0, 0, 0}));
    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_text("")));
    EXPECT_EQ(clipboard_block(CF_UNICODETEXT), (Bytes{0, 0}));

    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_files({u"D:\\a.txt", u"E:\\b"})));
    const UINT drop_effect = RegisterClipboardFormatW(L"Preferred DropEffect");
    EXPECT_EQ(clipboard_block(drop_effect), (Bytes{1, 0, 0, 0}));
    const std::optional<Bytes> drop = clipboard_block(CF_HDROP);
    ASSERT_TRUE(drop);
    EXPECT_EQ(drop->size(), 50u);
    EXPECT_EQ(*drop, encode_drop_block({u"D:\\a.txt", u"E:\\b"}));
    ASSERT_TRUE(OpenClipboard(main_window));
    const UINT first = EnumClipboardFormats(0);
    const UINT second = EnumClipboardFormats(first);
    CloseClipboard();
    EXPECT_EQ(first, drop_effect);
    EXPECT_EQ(second, UINT(CF_HDROP));

    const Bytes dib = small_dib();
    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_image(dib)));
    EXPECT_EQ(clipboard_block(CF_DIB), dib);

    // None of these writes of the program's own became or moved a clip.
    settle("marker after own writes");
    EXPECT_EQ(recent().size(), 1u);
}

// The formats on the clipboard in their order, each as its name (or number) and its bytes.
std::vector<std::pair<std::string, Bytes>> clipboard_formats(HWND window) {
    std::vector<std::pair<std::string, Bytes>> out;
    if (!OpenClipboard(window)) return out;
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
        wchar_t name[128] = {};
        const int length = GetClipboardFormatNameW(format, name, 128);
        // Wine lists the formats the system makes of a text after it; they are not Korvane's.
        if (length <= 0 && format != CF_UNICODETEXT) continue;
        out.emplace_back(length > 0 ? from_wide(std::wstring_view(name, size_t(length))) : "CF_UNICODETEXT",
                         read_global_block(GetClipboardData(format)).value_or(Bytes{}));
    }
    CloseClipboard();
    return out;
}

TEST_F(ClipboardTest, CompanionsAndMarkersFollowTheMainFormatPlainAndSecretWritesAsAsked) {
    const Bytes html{'<', 'b', '>', 'x'}, rtf{'{', '\\', 'b', '}'}, zero{0, 0, 0, 0}, one{1, 0, 0, 0};
    put_in_target({{CF_UNICODETEXT, L"", text_bytes("formatted")},
                   {0, L"HTML Format", html},
                   {0, L"Rich Text Format", rtf},
                   {0, L"CanUploadToCloudClipboard", zero},
                   {0, L"CanIncludeInClipboardHistory", one},
                   {0, L"Link Source", {9}}});  // never asked for
    settle("marker after formatted");
    const auto r = recent();
    ASSERT_EQ(r.size(), 2u);
    ASSERT_EQ(r[1].text, "formatted");
    using Written = std::vector<std::pair<std::string, Bytes>>;
    const Written text_first{{"CF_UNICODETEXT", text_bytes("formatted")}};
    const Written markers{{"CanIncludeInClipboardHistory", one}, {"CanUploadToCloudClipboard", zero}};
    const struct {
        const char* what;
        PasteWrite how;
        Written expected;
    } writes[] = {
        {"as copied", {}, [&] {
             Written w = text_first;
             w.insert(w.end(), {{"HTML Format", html}, {"Rich Text Format", rtf}});
             w.insert(w.end(), markers.begin(), markers.end());
             return w;
         }()},
        {"plain text", {.plain_text = true}, [&] {
             Written w = text_first;
             w.insert(w.end(), markers.begin(), markers.end());
             return w;
         }()},
        {"a secret", {.plain_text = true, .secret = true}, [&] {
             Written w = text_first;
             w.insert(w.end(), {{MONITOR_EXCLUSION_MARKER, zero}, {HISTORY_MARKER, zero}, {CLOUD_UPLOAD_MARKER, zero}});
             return w;
         }()},
    };
    for (const auto& w : writes) {
        ASSERT_TRUE(write_clip_to_clipboard(main_window, r[1], w.how)) << w.what;
        EXPECT_EQ(clipboard_formats(main_window), w.expected) << w.what;
    }
    // The commands a Shift+click, Shift+Enter and the tile menu's item run.
    ClipId formatted = 0;
    if (AppBorrow app = borrow_app()) formatted = app->store.recent[1].id;
    paste_clip(formatted, false, PasteAs::PlainText);
    EXPECT_EQ(clipboard_formats(main_window), writes[1].expected);
    paste_clip(formatted, false);
    EXPECT_EQ(clipboard_formats(main_window), writes[0].expected);
    run_tile_command(TileCommand::PastePlainText, formatted, false);
    EXPECT_EQ(clipboard_formats(main_window), writes[1].expected);
}

TEST_F(ClipboardTest, APastedClipArrivesInTheTargetRestoredFirstWhenMinimised) {
    SetForegroundWindow(target_window);
    follow_paste_target(target_edit);  // a child is reduced to its top-level window
    ASSERT_EQ(paste_target(), target_window);

    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_text("pasted \xE2\x82\xAC text")));
    ASSERT_TRUE(paste_into_target());
    EXPECT_TRUE(pump_until([] { return target_text().find(L"pasted \u20AC text") != std::wstring::npos; }))
        << from_wide(target_text());

    SendMessageW(target_edit, WM_SETTEXT, 0, LPARAM(L""));
    ShowWindow(target_window, SW_MINIMIZE);
    ASSERT_TRUE(pump_until([] { return IsIconic(target_window) != FALSE; }));
    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_text("after restore")));
    ASSERT_TRUE(paste_into_target());
    EXPECT_FALSE(IsIconic(target_window));
    EXPECT_TRUE(pump_until([] { return target_text() == L"after restore"; }));
}

TEST_F(ClipboardTest, TheTargetSkipsOwnAndShellWindowsAndAGoneTargetCannotBePasted) {
    SetForegroundWindow(target_window);
    follow_paste_target(target_window);
    pump();
    const HWND tray = make_window_in_target(L"Shell_TrayWnd");
    const HWND wine_tray = make_window_in_target(L"__winex11_standalone_tray");
    ASSERT_NE(tray, nullptr);
    const auto changes_posted = [] {
        int count = 0;
        MSG message;
        while (PeekMessageW(&message, main_window, WM_FOREGROUND_CHANGED, WM_FOREGROUND_CHANGED, PM_REMOVE)) ++count;
        return count;
    };
    changes_posted();
    follow_paste_target(tray);
    follow_paste_target(wine_tray);
    follow_paste_target(main_window);
    follow_paste_target(nullptr);
    EXPECT_EQ(paste_target(), target_window);
    EXPECT_EQ(changes_posted(), 0);

    const HWND other = make_window_in_target(L"KorvaneTestOther");
    follow_paste_target(other);
    follow_paste_target(other);
    EXPECT_EQ(paste_target(), other);
    EXPECT_EQ(changes_posted(), 1);

    SendMessageW(other, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(other));
    EXPECT_FALSE(paste_into_target());
    SendMessageW(tray, WM_CLOSE, 0, 0);
    SendMessageW(wine_tray, WM_CLOSE, 0, 0);
}

// Any program can raise a foreground event naming any window (here one of the other program's,
// never shown): the target moves only to the window really in front.
TEST_F(ClipboardTest, AForegroundEventNamingAWindowNotInFrontIsDropped) {
    SetForegroundWindow(target_window);
    ASSERT_TRUE(pump_until([] { return GetForegroundWindow() == target_window; }));
    follow_paste_target(target_window);
    const HWND named = make_window_in_target(L"KorvaneTestOther");
    ASSERT_NE(named, nullptr);
    for (const HWND fake : {named, HWND(nullptr)}) {
        follow_reported_foreground(fake);
        EXPECT_EQ(paste_target(), target_window);
    }

    ShowWindow(named, SW_SHOWNORMAL);
    SetForegroundWindow(named);
    ASSERT_TRUE(pump_until([&] { return GetForegroundWindow() == named; }));
    follow_reported_foreground(named);
    EXPECT_EQ(paste_target(), named);
    SendMessageW(named, WM_CLOSE, 0, 0);
}

// A clip (often a password) is typed only into the window it was meant for: when that window is
// hidden or gone, the one in front gets nothing and the paste is refused with a beep.
TEST_F(ClipboardTest, APasteReachesOnlyItsTargetAndIsRefusedWithABeepOtherwise) {
    ClipId secret = 0;
    if (AppBorrow app = borrow_app()) {
        record_capture(app->store, ClipContent::make_text("secret"));
        secret = app->store.recent[0].id;
    }
    SendMessageW(target_edit, WM_SETTEXT, 0, LPARAM(L""));
    SetForegroundWindow(target_window);
    ASSERT_TRUE(pump_until([] { return GetForegroundWindow() == target_window; }));

    const HWND hidden = make_window_in_target(L"KorvaneTestOther");  // made, never shown
    const HWND gone = make_window_in_target(L"KorvaneTestOther");
    ASSERT_TRUE(hidden && gone);
    for (const HWND meant_for : {hidden, gone}) {
        follow_paste_target(meant_for);
        ASSERT_EQ(paste_target(), meant_for);
        if (meant_for == gone) SendMessageW(gone, WM_CLOSE, 0, 0);
        const uint64_t beeps = refusals_sounded();
        paste_clip(secret, false);
        EXPECT_EQ(refusals_sounded(), beeps + 1);
        EXPECT_EQ(GetForegroundWindow(), target_window);
    }

    // The paste that may go ahead still arrives, and it is all that arrived.
    follow_paste_target(target_window);
    const uint64_t beeps = refusals_sounded();
    ASSERT_TRUE(write_clip_to_clipboard(main_window, ClipContent::make_text("meant for it")));
    ASSERT_TRUE(paste_into_target());
    EXPECT_TRUE(pump_until([] { return target_text() == L"meant for it"; })) << from_wide(target_text());
    EXPECT_EQ(refusals_sounded(), beeps);
    SendMessageW(hidden, WM_CLOSE, 0, 0);
}

}  // namespace
}  // namespace korvane
