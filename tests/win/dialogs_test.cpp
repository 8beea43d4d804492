// The modal windows driven as a user would: a second thread waits for the window, then types,
// clicks and presses keys through SendInput while the test thread runs the dialog's own loop.
#include <gtest/gtest.h>

#include "../core/variable_builder.hpp"

#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/editor_rules.hpp"
#include "core/fill_layout.hpp"
#include "win/editor.hpp"
#include "win/fill.hpp"
#include "win/wizard.hpp"
#include "win_test_support.hpp"

namespace korvane {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t FILL_CLASS[] = L"KorvaneFill";
constexpr wchar_t WIZARD_CLASS[] = L"KorvaneWizard";
constexpr wchar_t EDITOR_CLASS[] = L"KorvaneEditor";

// Runs a script against the dialog of one class from a second thread.  A step that times out
// records a failure and closes the dialog, so a broken dialog fails the test instead of
// hanging it.
class Driver {
public:
    using Script = std::function<void(Driver&)>;

    Driver(const wchar_t* window_class, Script script)
        : ui_thread_(discard_leftover_quit()), class_(window_class), script_(std::move(script)),
          thread_([this] { run(); }) {}
    ~Driver() {
        if (thread_.joinable()) thread_.join();
    }

    // Joins the driver and gives what went wrong, one line each.
    std::string finish() {
        if (thread_.joinable()) thread_.join();
        std::string all;
        for (const std::string& f : failures_) all += f + "\n";
        return all;
    }

    HWND dialog() const { return dialog_; }
    HWND item(int id) const { return GetDlgItem(dialog_, id); }
    // The child control covering a client point, for the controls that share id -1.
    HWND at(int x, int y) const { return ChildWindowFromPointEx(dialog_, POINT{x, y}, CWP_SKIPINVISIBLE); }

    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(ui_thread_, &info) ? info.hwndFocus : nullptr;
    }

    bool expect(bool ok, const std::string& what) {
        if (!ok) {
            std::lock_guard lock(mutex_);
            failures_.push_back(what);
        }
        return ok;
    }

    // Waits for a condition; on a timeout the failure is recorded and the dialog closed.
    bool wait(const std::function<bool()>& condition, const std::string& what) {
        if (test::wait_until(condition, 5s)) return true;
        expect(false, "timed out waiting for " + what);
        PostMessageW(dialog_, WM_CLOSE, 0, 0);
        return false;
    }

    bool wait_focus(HWND control, const std::string& what) {
        return wait([&] { return control && focus() == control; }, "focus on " + what);
    }

    bool wait_text(HWND control, const std::wstring& expected, const std::string& what) {
        return wait([&] { return text(control) == expected; }, what);
    }

    static std::wstring text(HWND control) {
        wchar_t buffer[1024] = {};
        GetWindowTextW(control, buffer, 1024);
        return buffer;
    }

    static bool checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

    // True when the whole text of an edit is selected.
    static bool all_selected(HWND edit) {
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 0 && end == DWORD(GetWindowTextLengthW(edit));
    }

    // Types characters into whatever has the keyboard focus; '\n' is the Enter key.
    void type(std::wstring_view characters) {
        for (wchar_t c : characters) {
            if (c == L'\n') {
                press(VK_RETURN);
                continue;
            }
            INPUT input[2] = {};
            input[0].type = input[1].type = INPUT_KEYBOARD;
            input[0].ki.wScan = input[1].ki.wScan = c;
            input[0].ki.dwFlags = KEYEVENTF_UNICODE;
            input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
            SendInput(2, input, sizeof(INPUT));
        }
    }

    void press(WORD key) {
        INPUT input[2] = {};
        input[0].type = input[1].type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[1].ki.wVk = key;
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }

    // Moves the pointer, waits until the system has it there, then clicks.
    void click_screen(POINT at) {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        move.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &move, sizeof(INPUT));
        expect(test::wait_until(
                   [&] {
                       POINT now{};
                       return GetCursorPos(&now) && std::abs(now.x - at.x) <= 1 && std::abs(now.y - at.y) <= 1;
                   },
                   2s),
               "the pointer reaching the click point");
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
    }

    void click(HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        click_screen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }

    // What the close box does: the system's Close command, here from Alt+F4, because without a
    // window manager Wine draws no caption to click.
    void close_command() {
        INPUT input[4] = {};
        for (INPUT& i : input) i.type = INPUT_KEYBOARD;
        input[0].ki.wVk = input[3].ki.wVk = VK_MENU;
        input[1].ki.wVk = input[2].ki.wVk = VK_F4;
        input[2].ki.dwFlags = input[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, input, sizeof(INPUT));
    }

    // A pause in which screenshots can be taken (KORVANE_DIALOG_PAUSE_MS), no-op otherwise.
    static void pause_for_observer() {
        if (const char* ms = std::getenv("KORVANE_DIALOG_PAUSE_MS")) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(ms)));
    }

private:
    // An earlier test that destroyed a main window leaves its quit pending on this thread; the
    // dialog would rightly end on it at once.  Returns the thread the dialogs run on.
    static DWORD discard_leftover_quit() {
        MSG message{};
        PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        return GetCurrentThreadId();
    }

    void run() {
        const bool found = test::wait_until(
            [&] {
                dialog_ = FindWindowW(class_, nullptr);
                return dialog_ && IsWindowVisible(dialog_) && GetForegroundWindow() == dialog_;
            },
            10s);
        if (!expect(found, "the dialog did not appear in front")) return;
        script_(*this);
        if (!test::wait_until([&] { return !IsWindow(dialog_); }, 5s)) {
            expect(false, "the dialog is still open after the script");
            PostMessageW(dialog_, WM_CLOSE, 0, 0);
        }
    }

    DWORD ui_thread_;
    const wchar_t* class_;
    Script script_;
    HWND dialog_ = nullptr;
    std::mutex mutex_;
    std::vector<std::string> failures_;
    std::thread thread_;
};

using test::variable;

int dpi() { return int(GetDpiForSystem()); }

constexpr int FIRST_EDIT = 1000;
constexpr int row_id(int row) { return FIRST_EDIT + 64 * row; }

// ---- the fill-in dialog ----

TEST(FillInDialog, ANumberIsReturnedTrimmedAndTheWindowHasTheComputedSize) {
    const std::vector<VariableDefinition> definitions{variable("Count", VariableKind::Number)};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        RECT client{};
        GetClientRect(d.dialog(), &client);
        const FillLayout layout = layout_fill_in(definitions, dpi());
        d.expect(client.right == layout.client_width && client.bottom == layout.client_height, "client size");
        d.expect(Driver::text(d.dialog()) == L"Fill in: Order", "title");
        d.expect(Driver::text(d.at(layout.rows[0].label.x + 1, layout.rows[0].label.y + 1)) == L"Count (number):",
                 "label");
        if (!d.wait_focus(d.item(row_id(0)), "the number edit")) return;
        d.type(L" 12 \n");
    });
    const auto values = fill_in("Fill in: Order", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{"12"}}));
}

TEST(FillInDialog, AWordInANumberIsReportedAndTheDialogStaysOpenOnThatEdit) {
    const std::vector<VariableDefinition> definitions{variable("Note", VariableKind::FreeText),
                                                      variable("Price", VariableKind::Number)};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        const FillLayout layout = layout_fill_in(definitions, dpi());
        HWND message = d.at(layout.message.x + 1, layout.message.y + 1);
        HWND price = d.item(row_id(1));
        if (!d.wait_focus(d.item(row_id(0)), "the first edit")) return;
        d.type(L"x");
        d.press(VK_TAB);
        if (!d.wait_focus(price, "the price edit after Tab")) return;
        d.type(L"12 apples\n");
        if (!d.wait_text(message, L"Price must be a number.", "the message line")) return;
        d.expect(IsWindowVisible(d.dialog()) != FALSE, "the dialog stays open");
        d.expect(d.focus() == price, "the focus is back on the price");
        d.expect(Driver::all_selected(price), "the price is selected");
        Driver::pause_for_observer();
        // The selection is replaced by what is typed next.
        d.type(L"12\n");
    });
    const auto values = fill_in("Fill in: Fruit", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{"x"}, {"12"}}));
}

TEST(FillInDialog, EnterPastesRememberedValuesAndAnEmptyFreeText) {
    const std::vector<VariableDefinition> definitions{
        variable("Note", VariableKind::FreeText),
        variable("City", VariableKind::FreeText, {}, {"Oslo"}),
        variable("Extras", VariableKind::MultipleChoice, {"ice", "lemon", "mint"}, {"mint"}),
    };
    Driver driver(FILL_CLASS, [&](Driver& d) {
        d.expect(Driver::text(d.item(row_id(1))) == L"Oslo", "the remembered city");
        d.expect(!Driver::checked(d.item(row_id(2) + 1)) && Driver::checked(d.item(row_id(2) + 3)),
                 "the remembered extras");
        if (!d.wait_focus(d.item(row_id(0)), "the first edit")) return;
        d.click(d.item(row_id(2) + 1));
        if (!d.wait([&] { return Driver::checked(d.item(row_id(2) + 1)); }, "ice ticked by a click")) return;
        d.click(d.item(IDOK));
    });
    const auto values = fill_in("Fill in", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{""}, {"Oslo"}, {"ice", "mint"}}));
}

struct SingleCase {
    const char* remembered;
    int starts_on;  // option index
    bool press_down;
    const char* returned;
};

class FillInSingleChoice : public testing::TestWithParam<SingleCase> {};

TEST_P(FillInSingleChoice, StartsOnTheRememberedOptionOrTheFirst) {
    const SingleCase& c = GetParam();
    const std::vector<VariableDefinition> definitions{
        variable("Answer", VariableKind::SingleChoice, {"Yes", "No"}, {c.remembered})};
    Driver driver(FILL_CLASS, [&](Driver& d) {
        HWND start = d.item(row_id(0) + 1 + c.starts_on);
        HWND other = d.item(row_id(0) + 1 + (1 - c.starts_on));
        d.expect(Driver::checked(start) && !Driver::checked(other), "exactly the expected button checked");
        if (!d.wait_focus(start, "the checked button")) return;
        if (c.press_down) {
            d.press(VK_DOWN);
            if (!d.wait([&] { return Driver::checked(other); }, "the arrow moving the choice")) return;
        }
        d.press(VK_RETURN);
    });
    const auto values = fill_in("Fill in: Answer", definitions);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(values);
    EXPECT_EQ(*values, (std::vector<ValueList>{{c.returned}}));
}

INSTANTIATE_TEST_SUITE_P(Cases, FillInSingleChoice,
                         testing::Values(SingleCase{"No", 1, false, "No"}, SingleCase{"Maybe", 0, false, "Yes"},
                                         SingleCase{"Maybe", 0, true, "No"}));

enum class Dismissal { Escape, CloseBox, CancelButton };

// Every way of leaving a dialog without confirming it, each a fresh opening of the same class.
void dismiss(Driver& d, Dismissal how) {
    switch (how) {
    case Dismissal::Escape: d.press(VK_ESCAPE); break;
    case Dismissal::CloseBox: d.close_command(); break;
    case Dismissal::CancelButton: d.click(d.item(IDCANCEL)); break;
    }
}

constexpr Dismissal ALL_DISMISSALS[] = {Dismissal::Escape, Dismissal::CloseBox, Dismissal::CancelButton};

TEST(FillInDialog, EscapeTheCloseBoxAndCancelReturnNothingAtEveryOpening) {
    const std::vector<VariableDefinition> definitions{variable("City", VariableKind::FreeText, {}, {"Oslo"})};
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(FILL_CLASS, [&](Driver& d) {
            if (d.wait_focus(d.item(row_id(0)), "the edit")) dismiss(d, how);
        });
        EXPECT_EQ(fill_in("Fill in", definitions), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

// ---- the variables wizard ----

constexpr int KIND_ID = 200;
constexpr int OPTIONS_ID = 210;
constexpr int BACK_ID = 300;

HWND wizard_caption(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(12, dpi()) + 1); }
HWND wizard_message(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(280, dpi()) + 1); }

TEST(VariablesWizard, OneDefinitionShowsFinishAndNoBack) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        d.expect(Driver::text(d.dialog()) == L"Define the values to fill in", "title");
        d.expect(Driver::text(wizard_caption(d)) == L"Value 1 of 1:  ${count}", "caption");
        d.expect(Driver::text(d.item(IDOK)) == L"Finish", "Finish");
        d.expect(!IsWindowEnabled(d.item(BACK_ID)), "Back disabled");
        d.expect(!IsWindowEnabled(d.item(OPTIONS_ID)), "options disabled for free text");
        if (!d.wait_focus(d.item(KIND_ID + 0), "the free text button")) return;
        d.press(VK_DOWN);  // the arrows move within the kind buttons
        if (!d.wait([&] { return Driver::checked(d.item(KIND_ID + 1)); }, "Number chosen")) return;
        d.press(VK_RETURN);
    });
    const auto result = run_variables_wizard({variable("count", VariableKind::FreeText, {}, {"x"})}, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 1u);
    EXPECT_EQ((*result)[0].kind, VariableKind::Number);
    EXPECT_TRUE((*result)[0].remembered_values.empty());
}

TEST(VariablesWizard, BackKeepsWhatWasTypedAndFinishEndsOnTheLastPage) {
    const std::vector<VariableDefinition> definitions{variable("who", VariableKind::FreeText, {}, {"Ann"}),
                                                      variable("colour", VariableKind::FreeText)};
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND caption = wizard_caption(d);
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "the first page's kind")) return;
        d.press(VK_RETURN);
        if (!d.wait_text(caption, L"Value 2 of 2:  ${colour}", "page 2")) return;
        d.expect(Driver::text(d.item(IDOK)) == L"Finish" && IsWindowEnabled(d.item(BACK_ID)), "last page buttons");
        d.click(d.item(KIND_ID + 2));
        if (!d.wait([&] { return IsWindowEnabled(options) != FALSE; }, "options enabled by Single choice")) return;
        d.click(options);
        if (!d.wait_focus(options, "the options field")) return;
        d.type(L"red\n red \n\nblue");
        if (!d.wait_text(options, L"red\r\n red \r\n\r\nblue", "four typed lines")) return;
        Driver::pause_for_observer();
        d.click(d.item(BACK_ID));
        if (!d.wait_text(caption, L"Value 1 of 2:  ${who}", "back on page 1")) return;
        d.expect(Driver::text(d.item(IDOK)) == L"Next >", "Next on page 1");
        d.expect(Driver::checked(d.item(KIND_ID)) && !IsWindowEnabled(options), "page 1 is free text again");
        d.click(d.item(IDOK));
        if (!d.wait_text(caption, L"Value 2 of 2:  ${colour}", "page 2 again")) return;
        d.expect(Driver::text(options) == L"red\r\n red \r\n\r\nblue", "the typed options kept");
        d.expect(Driver::checked(d.item(KIND_ID + 2)), "Single choice kept");
        d.click(d.item(IDOK));
    });
    const auto result = run_variables_wizard(definitions, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->size(), 2u);
    EXPECT_EQ((*result)[0].kind, VariableKind::FreeText);
    EXPECT_EQ((*result)[0].remembered_values, (ValueList{"Ann"}));
    EXPECT_EQ((*result)[1].name, "colour");
    EXPECT_EQ((*result)[1].kind, VariableKind::SingleChoice);
    EXPECT_EQ((*result)[1].options, (std::vector<std::string>{"red", "blue"}));
}

TEST(VariablesWizard, AChoiceWithoutOptionsIsRefusedWithTheFocusOnTheOptions) {
    Driver driver(WIZARD_CLASS, [&](Driver& d) {
        HWND options = d.item(OPTIONS_ID);
        if (!d.wait_focus(d.item(KIND_ID), "the kind")) return;
        d.click(d.item(KIND_ID + 3));
        if (!d.wait([&] { return IsWindowEnabled(options) != FALSE; }, "options enabled")) return;
        d.click(d.item(IDOK));
        if (!d.wait_text(wizard_message(d), L"Enter at least one option, one per line.", "the message")) return;
        d.expect(d.focus() == options, "the focus on the options");
        // Picking a kind again clears the message.
        d.click(d.item(KIND_ID + 2));
        if (!d.wait_text(wizard_message(d), L"", "the message cleared")) return;
        d.click(d.item(KIND_ID + 3));
        d.click(options);
        if (!d.wait_focus(options, "the options field")) return;
        d.type(L" x ");
        d.click(d.item(IDOK));
    });
    const auto result = run_variables_wizard({variable("extras", VariableKind::FreeText)}, 0);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ((*result)[0].kind, VariableKind::MultipleChoice);
    EXPECT_EQ((*result)[0].options, (std::vector<std::string>{"x"}));
}

TEST(VariablesWizard, CancelOnTheLastPageDiscardsEveryPageAtEveryOpening) {
    const std::vector<VariableDefinition> definitions{variable("a", VariableKind::FreeText),
                                                      variable("b", VariableKind::Number)};
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(WIZARD_CLASS, [&](Driver& d) {
            // A start index past the end opens the last page.
            d.expect(Driver::text(wizard_caption(d)) == L"Value 2 of 2:  ${b}", "the last page");
            if (!d.wait_focus(d.item(KIND_ID + 1), "the Number button")) return;
            d.click(d.item(BACK_ID));
            if (!d.wait_text(wizard_caption(d), L"Value 1 of 2:  ${a}", "page 1")) return;
            d.click(d.item(KIND_ID + 1));
            d.click(d.item(IDOK));
            if (!d.wait_text(wizard_caption(d), L"Value 2 of 2:  ${b}", "page 2")) return;
            dismiss(d, how);
        });
        EXPECT_EQ(run_variables_wizard(definitions, 9), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

TEST(VariablesWizard, AnEmptyListReturnsAtOnceWithoutAWindow) {
    const auto result = run_variables_wizard({}, 3);
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->empty());
    EXPECT_EQ(FindWindowW(WIZARD_CLASS, nullptr), nullptr);
}

// ---- the text icon editor ----

constexpr int NAME_ID = 100;
constexpr int TEXT_ID = 101;

TEST(TextEditor, EditTextStartsInTheSelectedTextAndReturnsCrLfLines) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND text = d.item(TEXT_ID);
        RECT client{};
        GetClientRect(d.dialog(), &client);
        d.expect(client.bottom == layout_text_editor(true, dpi()).client_height, "the taller layout");
        if (!d.wait_focus(text, "the text field")) return;
        d.expect(Driver::text(text) == L"one\r\ntwo", "a lone LF shown as a line break");
        d.expect(Driver::all_selected(text), "the text selected");
        d.press(VK_END);
        d.type(L"\nthree");  // Enter breaks the line here instead of confirming
        if (!d.wait_text(text, L"one\r\ntwo\r\nthree", "the typed line")) return;
        Driver::pause_for_observer();
        d.click(d.item(IDOK));
    });
    const auto result = run_text_editor("Edit text", " Greeting ", std::string_view("one\ntwo"), true);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, "Greeting");
    EXPECT_EQ(result->text, "one\r\ntwo\r\nthree");
}

TEST(TextEditor, RenameWithThreeSpacesGivesNoNameAndNoText) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        HWND name = d.item(NAME_ID);
        RECT client{};
        GetClientRect(d.dialog(), &client);
        d.expect(client.bottom == layout_text_editor(false, dpi()).client_height, "the short layout");
        d.expect(d.item(TEXT_ID) == nullptr, "no text field");
        if (!d.wait_focus(name, "the name field")) return;
        d.expect(Driver::all_selected(name), "the name selected");
        d.type(L"   \n");  // replaces the selected name, then Enter confirms
    });
    const auto result = run_text_editor("Rename", "Cat picture", std::nullopt, false);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, std::nullopt);
    EXPECT_EQ(result->text, std::nullopt);
}

TEST(TextEditor, ANewTextStartsInTheNameAndTabReachesTheText) {
    Driver driver(EDITOR_CLASS, [&](Driver& d) {
        if (!d.wait_focus(d.item(NAME_ID), "the name field")) return;
        d.type(L"Hi");
        d.press(VK_TAB);
        if (!d.wait_focus(d.item(TEXT_ID), "the text field")) return;
        d.type(L"Dear ${who}");
        if (!d.wait_text(d.item(TEXT_ID), L"Dear ${who}", "the typed text")) return;
        d.press(VK_TAB);
        if (!d.wait_focus(d.item(IDOK), "OK")) return;
        d.press(VK_RETURN);
    });
    const auto result = run_text_editor("New text icon", "", std::string_view(""), false);
    EXPECT_EQ(driver.finish(), "");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->name, "Hi");
    EXPECT_EQ(result->text, "Dear ${who}");
}

TEST(TextEditor, EscapeTheCloseBoxAndCancelReturnNothingAtEveryOpening) {
    for (Dismissal how : ALL_DISMISSALS) {
        Driver driver(EDITOR_CLASS, [&](Driver& d) {
            if (d.wait_focus(d.item(TEXT_ID), "the text field")) dismiss(d, how);
        });
        EXPECT_EQ(run_text_editor("Edit text", "n", std::string_view("t"), true), std::nullopt) << int(how);
        EXPECT_EQ(driver.finish(), "") << int(how);
    }
}

// ---- the shared modal loop ----

// Waits in an ordinary message loop, as the application's would, for the quit.
std::optional<WPARAM> quit_reaching_main_loop() {
    const DWORD end = GetTickCount() + 3000;
    MSG message{};
    while (GetTickCount() < end) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return message.wParam;
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return std::nullopt;
}

TEST(ModalLoop, AQuitEndsEachOpenDialogAndIsPostedAgainForTheMainLoop) {
    const DWORD ui = GetCurrentThreadId();
    const std::pair<const wchar_t*, std::function<bool()>> dialogs[] = {
        {FILL_CLASS, [] { return fill_in("Fill in", {variable("a", VariableKind::FreeText)}).has_value(); }},
        {WIZARD_CLASS, [] { return run_variables_wizard({variable("a", VariableKind::FreeText)}, 0).has_value(); }},
        {EDITOR_CLASS, [] { return run_text_editor("Rename", "a", std::nullopt, false).has_value(); }},
    };
    WPARAM code = 40;
    for (const auto& [window_class, open] : dialogs) {
        ++code;
        Driver driver(window_class, [&](Driver&) { PostThreadMessageW(ui, WM_QUIT, code, 0); });
        EXPECT_FALSE(open()) << code;
        EXPECT_EQ(driver.finish(), "") << code;
        EXPECT_EQ(quit_reaching_main_loop(), std::optional<WPARAM>(code));
    }
}

}  // namespace
}  // namespace korvane
