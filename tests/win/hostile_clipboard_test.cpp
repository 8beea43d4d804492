// Korvane.exe against a program that puts malformed content on the clipboard: every case of the
// hostile table, each followed by a well-formed text that Korvane must capture next.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/dib.hpp"
#include "hostile_cases.hpp"
#include "korvane_observer.hpp"
#include "win/platform.hpp"
#include "win/wide.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;
using hostile::Outcome;

class HostileProgram {
public:
    HostileProgram() : process_(test::start_program(test::program_folder() + L"\\hostile_clipboard.exe")) {
        if (!process_) return;
        test::wait_until([&] { return (window_ = test::find_process_window(process_->id, L"KorvaneHostileClipboard")) != nullptr; },
                         15s);
    }
    ~HostileProgram() {
        if (!process_) return;
        PostMessageW(window_, WM_CLOSE, 0, 0);
        if (!process_->wait(10s)) process_->kill();
    }
    bool ready() const { return window_ != nullptr; }

    bool play(uint32_t index) const { return request(1, &index, sizeof index); }
    bool put_text(const std::wstring& text) const { return request(2, text.data(), text.size() * sizeof(wchar_t)); }

private:
    bool request(ULONG_PTR kind, const void* data, size_t size) const {
        COPYDATASTRUCT copy{kind, DWORD(size), const_cast<void*>(data)};
        DWORD_PTR result = 0;
        // The largest cases copy a quarter of a gigabyte more than once.
        return SendMessageTimeoutW(window_, WM_COPYDATA, 0, LPARAM(&copy), SMTO_ABORTIFHUNG, 60000, &result) && result == 1;
    }

    std::optional<test::Process> process_;
    HWND window_ = nullptr;
};

TEST(HostileClipboard, KorvaneSurvivesEveryMalformedBlockTakesOnlyWhatPassesItsChecksAndKeepsCapturing) {
    test::TempAppData appdata;
    HostileProgram hostile;
    ASSERT_TRUE(hostile.ready());
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    ASSERT_TRUE(korvane);

    std::wstring previous = L"before the first case";
    ASSERT_TRUE(hostile.put_text(previous));
    ASSERT_TRUE(korvane->wait_for_front(previous, 15s));

    const bool wine = running_on_wine();
    const std::vector<hostile::Case>& cases = hostile::cases();
    size_t ignored = 0, captured = 0, converted = 0;
    for (uint32_t i = 0; i < cases.size(); ++i) {
        const hostile::Case& c = cases[i];
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(hostile.play(i)) << "the hostile program could not put the case on the clipboard";
        // The next change must not reach the clipboard before Korvane has read this one.
        ASSERT_TRUE(korvane->catch_up()) << (korvane->alive() ? "Korvane does not answer" : "Korvane died");
        const std::wstring marker = L"after case " + std::to_wstring(i);
        ASSERT_TRUE(hostile.put_text(marker));
        ASSERT_TRUE(korvane->wait_for_front(marker, 30s)) << (korvane->alive() ? "Korvane stopped capturing" : "Korvane died");
        const std::optional<std::vector<test::ToolTip>> tiles = korvane->tiles();
        ASSERT_TRUE(tiles);
        ASSERT_GE(tiles->size(), 2u);
        const test::ToolTip& second = (*tiles)[1];
        switch (c.outcome) {
        case Outcome::Ignored:
            EXPECT_EQ(second.text, previous) << "captured: " << from_wide(second.text);
            ++ignored;
            break;
        case Outcome::Captured: {
            const std::wstring shown = to_wide(wine && c.shown_on_wine ? *c.shown_on_wine : c.shown);
            const std::optional<hostile::Block>& pasted = wine && c.pasted_on_wine ? c.pasted_on_wine : c.pasted;
            EXPECT_EQ(second.text, shown);
            if (pasted && second.text == shown) {
                korvane->click(second.rect);
                EXPECT_EQ(test::clipboard_block_owned_by(korvane->main_window(), pasted->format), hostile::materialise(*pasted));
            }
            ++captured;
            break;
        }
        case Outcome::Checked:
            if (second.text == previous) {
                ++ignored;
                break;
            }
            // Whatever the system made of the block, what Korvane took is a picture that passes
            // its check, and that is what a click gives back.
            EXPECT_EQ(second.text.rfind(L"Image, ", 0), 0u) << from_wide(second.text);
            korvane->click(second.rect);
            if (const std::optional<Bytes> dib = test::clipboard_block_owned_by(korvane->main_window(), CF_DIB)) {
                EXPECT_TRUE(check_dib(*dib));
            } else {
                ADD_FAILURE() << "a click on the picture put no CF_DIB back";
            }
            ++converted;
            break;
        }
        ASSERT_TRUE(korvane->alive());
        previous = marker;
    }
    std::printf("hostile clipboard: %zu cases, %zu ignored, %zu captured as expected, %zu converted by the system and checked\n",
                cases.size(), ignored, captured, converted);

    ASSERT_TRUE(hostile.put_text(L"  an ordinary copy after it all"));
    EXPECT_TRUE(korvane->wait_for_front(L"an ordinary copy after it all", 15s));
    EXPECT_EQ(korvane->close(), 0u);
}

}  // namespace
}  // namespace korvane
