// A long run of Korvane.exe: copy, capture and paste cycles of every kind and repaints of the
// strip, with the process's handle counts and private bytes taken after a warm-up and at the end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/clipboard_data.hpp"
#include "korvane_observer.hpp"
#include "win/support/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

constexpr int WARM_UP_CYCLES = 40;
constexpr int CYCLES = 1000;
constexpr SIZE_T PRIVATE_BYTES_SLACK = 1 << 20;

class Target {
public:
    Target() : process_(test::start_program(test::program_folder() + L"\\test_target.exe")) {
        if (!process_) return;
        test::wait_until([&] {
            window_ = test::find_process_window(process_->id, L"KorvaneTestTarget");
            edit_ = window_ ? FindWindowExW(window_, nullptr, L"EDIT", nullptr) : nullptr;
            return edit_ != nullptr;
        }, 15s);
    }
    ~Target() {
        if (!process_) return;
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (!process_->wait(10s)) process_->kill();
    }
    bool ready() const { return edit_ != nullptr; }
    HWND window() const { return window_; }

    bool copy_text(const std::wstring& text) const { return request(1, text.data(), text.size() * 2); }
    bool put(UINT format, const Bytes& bytes) const {
        Bytes payload;
        const auto u32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) payload.push_back(uint8_t(v >> (8 * i)));
        };
        u32(format);
        u32(0);
        u32(uint32_t(bytes.size()));
        payload.insert(payload.end(), bytes.begin(), bytes.end());
        return request(2, payload.data(), payload.size());
    }
    void clear_text() const { SendMessageW(edit_, WM_SETTEXT, 0, LPARAM(L"")); }
    std::wstring text() const {
        wchar_t buffer[256] = {};
        SendMessageW(edit_, WM_GETTEXT, 256, LPARAM(buffer));
        return buffer;
    }

private:
    bool request(ULONG_PTR kind, const void* data, size_t size) const {
        COPYDATASTRUCT copy{kind, DWORD(size), const_cast<void*>(data)};
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(window_, WM_COPYDATA, 0, LPARAM(&copy), SMTO_ABORTIFHUNG, 10000, &result) && result == 1;
    }
    std::optional<test::Process> process_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

// One copy in the other program, its capture, a click on the new tile and the paste it makes,
// then one repaint of the strip.  The kinds take turns (text, picture, files, picture), so tiles
// with thumbnails and file icons are made and dropped from Recent all the time.
::testing::AssertionResult cycle(const test::RunningKorvane& korvane, const Target& target,
                                 const std::vector<std::wstring>& files, int i) {
    std::wstring shown;
    UINT format = CF_UNICODETEXT;
    Bytes expected;
    // Four cycles a round, so a thousand cycles end with Recent holding the same kinds as at the start.
    switch (i % 4) {
    case 0:
        shown = L"soak text " + std::to_wstring(i);
        if (!target.copy_text(shown)) return ::testing::AssertionFailure() << "the target did not copy";
        break;
    case 1:
    case 3: {
        // Every other picture is big enough to be kept compressed: it is packed on the worker
        // thread, and its raw bytes are given up, while the next cycles run.
        const int32_t side = i % 4 == 1 ? 2 : 640;
        expected = test::solid_dib(side, side, 0xFF000000u | uint32_t(i));
        format = CF_DIB;
        shown = L"Image, " + std::to_wstring(side) + L" \u00D7 " + std::to_wstring(side);
        if (!target.put(CF_DIB, expected)) return ::testing::AssertionFailure() << "the target did not put the picture";
        break;
    }
    default: {
        const std::wstring& path = files[size_t(i / 4) % files.size()];
        expected = encode_drop_block({to_units(path)});
        format = CF_HDROP;
        shown = path;
        if (!target.put(CF_HDROP, expected)) return ::testing::AssertionFailure() << "the target did not put the files";
    }
    }
    if (!korvane.wait_for_front(shown, 10s)) return ::testing::AssertionFailure() << "not captured: " << from_wide(shown);
    const std::optional<std::vector<test::ToolTip>> tiles = korvane.tiles();
    if (!tiles || tiles->empty()) return ::testing::AssertionFailure() << "no tiles";
    target.clear_text();
    korvane.click(tiles->front().rect);
    if (format == CF_UNICODETEXT) {
        if (!test::wait_until([&] { return target.text() == shown; }, 10s))
            return ::testing::AssertionFailure() << "not pasted: " << from_wide(shown) << ", the target holds "
                                                 << from_wide(target.text());
    } else if (test::clipboard_block_owned_by(korvane.main_window(), format) != expected) {
        return ::testing::AssertionFailure() << "the click did not put the clip back on the clipboard";
    }
    if (!korvane.repaint()) return ::testing::AssertionFailure() << "the strip did not repaint";
    return ::testing::AssertionSuccess();
}

void print(const char* when, const test::ResourceCounts& c) {
    std::printf("soak %s: GetGuiResources GDI %lu USER %lu; GDI handle table %s; windows %zu; kernel handles %lu; "
                "private bytes %zu\n",
                when, c.gui_gdi, c.gui_user, c.gdi_table ? std::to_string(*c.gdi_table).c_str() : "unreadable",
                c.windows, c.kernel_handles, size_t(c.private_bytes));
}

TEST(Soak, AThousandCopyCapturePasteCyclesAndRepaintsLeaveHandleCountsAndPrivateBytesWhereTheyWere) {
    // The handle table count follows this process's own objects one for one.
    const std::optional<size_t> own = test::gdi_table_entries(GetCurrentProcess());
    ASSERT_TRUE(own) << "the GDI handle table cannot be read";
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(test::gdi_table_entries(GetCurrentProcess()), *own + 1);
    DeleteObject(brush);
    EXPECT_EQ(test::gdi_table_entries(GetCurrentProcess()), *own);

    test::TempAppData appdata;
    std::vector<std::wstring> files;
    for (int i = 0; i < 20; ++i) {
        files.push_back(appdata.root() + L"\\soak " + std::to_wstring(i) + L".txt");
        ASSERT_TRUE(test::write_file(files.back(), {'s'}));
    }
    Target target;
    ASSERT_TRUE(target.ready());
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    ASSERT_TRUE(korvane);
    print("at start", korvane->counts());
    SetForegroundWindow(target.window());
    Sleep(300);  // Korvane follows the foreground window every 100 ms under Wine

    for (int i = 0; i < WARM_UP_CYCLES; ++i) ASSERT_TRUE(cycle(*korvane, target, files, i)) << "warm-up cycle " << i;
    ASSERT_TRUE(korvane->catch_up());
    const test::ResourceCounts before = korvane->counts();
    print("before", before);

    const auto start = std::chrono::steady_clock::now();
    for (int i = WARM_UP_CYCLES; i < WARM_UP_CYCLES + CYCLES; ++i)
        ASSERT_TRUE(cycle(*korvane, target, files, i)) << "cycle " << i;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_TRUE(korvane->catch_up());
    const test::ResourceCounts after = korvane->counts();
    print("after", after);
    std::printf("soak: %d cycles and %d repaints in %.1f s; private bytes %+lld\n", CYCLES, CYCLES, seconds,
                (long long)after.private_bytes - (long long)before.private_bytes);

    // GetGuiResources counts on Windows; Wine 8 answers 0 for both kinds, and its per-process GDI
    // handle table is counted instead.  USER objects other than windows cannot be counted there.
    if (before.gui_gdi != 0) {
        EXPECT_EQ(after.gui_gdi, before.gui_gdi);
        EXPECT_EQ(after.gui_user, before.gui_user);
    } else {
        EXPECT_EQ(after.gui_user, 0u);
        ASSERT_TRUE(before.gdi_table && after.gdi_table);
        EXPECT_EQ(*after.gdi_table, *before.gdi_table);
    }
    EXPECT_EQ(after.windows, before.windows);
    if (before.kernel_handles != 0) EXPECT_EQ(after.kernel_handles, before.kernel_handles);
    ASSERT_NE(before.private_bytes, 0u) << "the private bytes cannot be read";
    EXPECT_LE(after.private_bytes, before.private_bytes + PRIVATE_BYTES_SLACK);
    EXPECT_EQ(korvane->close(), 0u);
}

}  // namespace
}  // namespace korvane
