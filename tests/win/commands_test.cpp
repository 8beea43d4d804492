// The toolbar commands while their dialogs are open: the toolbars stay live, so a dialog can be
// asked for again, and another dialog can change the clip a first one was opened on.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/clipboard_data.hpp"
#include "core/companions.hpp"
#include "core/template.hpp"
#include "win/clipboard/capture.hpp"
#include "win/support/wide.hpp"
#include "win/support/beep.hpp"
#include "win/toolbar/commands.hpp"
#include "shell_fixture.hpp"

namespace korvane {
namespace {

using namespace shell_test;

class OpenDialogs : public Shell {
protected:
    // A template pin named Letter with one free-text value.
    ClipId add_letter() {
        AppBorrow app = borrow_app();
        add_pin(app->store, ClipContent::make_text("Dear ${name},"), std::string("Letter"),
                sync_variables("Dear ${name},", {}).definitions);
        return app->store.pins.back().id;
    }
};

TEST_F(OpenDialogs, ASecondRequestForAnOpenDialogBeepsAndLeavesTheFirstAsItIs) {
    const ClipId letter = add_letter();
    refresh_all_toolbars();
    const LPARAM first_pin = tile_lparam(docked, Area::Pinned, 0);
    uint64_t beeps_while_open = 0;
    bool editor_still_open = false;
    std::thread driver([&] {
        HWND editor = test::wait_for_dialog(L"KorvaneEditor", 10s);
        if (!editor) return;
        const uint64_t before = refusals_sounded();
        // Edit text on the same pin again, through its menu, while the editor is open.
        MenuReader menu;
        menu.read_then_choose(4);
        test::user_click(docked, point_of(first_pin), true);
        menu.thread.join();
        test::wait_until([&] { return refusals_sounded() > before; }, 10s);
        beeps_while_open = refusals_sounded() - before;
        editor_still_open = FindWindowW(L"KorvaneEditor", nullptr) == editor && IsWindowVisible(editor);
        PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
    });
    run_tile_command(TileCommand::EditText, letter, false);
    driver.join();
    EXPECT_EQ(beeps_while_open, 1u);
    EXPECT_TRUE(editor_still_open);
    EXPECT_EQ(FindWindowW(L"KorvaneEditor", nullptr), nullptr);  // and no second one came up after it
}

// The fill-in is opened, then the wizard changes the same template's values; the wizard's change
// stands, and the fill-in, filled in for the definitions it was opened on, pastes nothing.
TEST_F(OpenDialogs, AFillInOutOfDateAfterTheWizardChangedItsTemplateIsDroppedWithABeep) {
    const ClipId letter = add_letter();
    refresh_all_toolbars();
    const LPARAM first_pin = tile_lparam(docked, Area::Pinned, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    bool wizard_done = false;
    uint64_t beeps_before_paste = 0;
    std::thread driver([&] {
        HWND fill = test::wait_for_dialog(L"KorvaneFill", 10s);
        if (!fill) return;
        MenuReader menu;
        menu.read_then_choose(8);  // Variables…
        test::user_click(docked, point_of(first_pin), true);
        menu.thread.join();
        HWND wizard = test::wait_for_dialog(L"KorvaneWizard", 10s);
        if (!wizard) return;
        test::click_button(wizard, 201);  // Number
        PostMessageW(wizard, WM_COMMAND, IDOK, 0);  // Finish
        wizard_done = test::wait_until([] { return FindWindowW(L"KorvaneWizard", nullptr) == nullptr; }, 10s);
        beeps_before_paste = refusals_sounded();
        SetWindowTextW(FindWindowExW(fill, nullptr, L"EDIT", nullptr), L"Ann");
        PostMessageW(fill, WM_COMMAND, IDOK, 0);  // Paste
    });
    paste_clip(letter, false);
    driver.join();
    ASSERT_TRUE(wizard_done);
    EXPECT_EQ(refusals_sounded(), beeps_before_paste + 1);
    EXPECT_NE(GetClipboardOwner(), main_window);  // nothing was written to paste
    AppBorrow app = borrow_app();
    ASSERT_EQ(app->store.pins[0].variables.size(), 1u);
    EXPECT_EQ(app->store.pins[0].variables[0].kind, VariableKind::Number);     // the wizard's change stands
    EXPECT_TRUE(app->store.pins[0].variables[0].remembered_values.empty());  // the fill-in's values do not
}

using SecretPaste = OpenDialogs;

// A secret is typed into a masked field that starts empty, is pasted with every privacy marker,
// and is kept nowhere: not in the pin, not in pins.dat.
TEST_F(SecretPaste, IsMaskedStartsEmptyIsNeverKeptAndPastesWithEveryMarker) {
    ClipId login = 0;
    if (AppBorrow app = borrow_app()) {
        std::vector<VariableDefinition> definitions = sync_variables("${user}:${pw}", {}).definitions;
        definitions[1].kind = VariableKind::Secret;
        definitions[1].remembered_values = {"stale"};  // never shown, nor saved
        add_pin(app->store, ClipContent::make_text("${user}:${pw}"), std::nullopt, std::move(definitions));
        login = app->store.pins.back().id;
    }
    std::wstring secret_at_open = L"<none>";
    bool masked = false;
    std::thread driver([&] {
        HWND fill = test::wait_for_dialog(L"KorvaneFill", 10s);
        HWND user = FindWindowExW(fill, nullptr, L"EDIT", nullptr);
        HWND secret = FindWindowExW(fill, user, L"EDIT", nullptr);
        masked = (GetWindowLongW(secret, GWL_STYLE) & ES_PASSWORD) && !(GetWindowLongW(user, GWL_STYLE) & ES_PASSWORD);
        wchar_t text[32] = {};
        SendMessageW(secret, WM_GETTEXT, 32, LPARAM(text));
        secret_at_open = text;
        SetWindowTextW(user, L"ann");
        SetWindowTextW(secret, L"hunter2");
        PostMessageW(fill, WM_COMMAND, IDOK, 0);
    });
    paste_clip(login, false);
    driver.join();
    EXPECT_TRUE(masked);
    EXPECT_EQ(secret_at_open, L"");

    ASSERT_TRUE(OpenClipboard(nullptr));
    const auto block = [](const char* name) {
        const UINT format = name ? RegisterClipboardFormatW(to_wide(name).c_str()) : CF_UNICODETEXT;
        return read_global_block(GetClipboardData(format)).value_or(Bytes{});
    };
    const std::vector<Bytes> written{block(nullptr), block(MONITOR_EXCLUSION_MARKER), block(HISTORY_MARKER),
                                     block(CLOUD_UPLOAD_MARKER)};
    CloseClipboard();
    const Bytes zero{0, 0, 0, 0};
    EXPECT_EQ(written, (std::vector<Bytes>{encode_unicode_text("ann:hunter2"), zero, zero, zero}));

    if (AppBorrow app = borrow_app()) {
        const std::vector<VariableDefinition>& kept = app->store.pins.back().variables;
        EXPECT_EQ(kept.at(0).remembered_values, ValueList{"ann"});
        EXPECT_EQ(kept.at(1).kind, VariableKind::Secret);
        EXPECT_TRUE(kept.at(1).remembered_values.empty());
    }
    // Saved after the fill-in, with the free text remembered and the secret nowhere.
    const Bytes file = test::read_file(appdata.file(L"pins.dat")).value_or(Bytes{});
    const std::string saved(file.begin(), file.end());
    EXPECT_NE(saved.find("ann"), std::string::npos);
    EXPECT_EQ(saved.find("hunter2"), std::string::npos);
    EXPECT_EQ(saved.find("stale"), std::string::npos);
}

}  // namespace
}  // namespace korvane
