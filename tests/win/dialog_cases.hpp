// What the dialogs' tests share: the dialogs' window classes and control ids, the fill-in's
// controls found by their places, texts for the clipboard, and the ways of leaving a dialog.
#pragma once

#include <windows.h>

#include <string>

#include "core/dips.hpp"
#include "core/fill_layout.hpp"
#include "dialog_driver.hpp"

namespace korvane::dialog_test {

using test::Driver;

constexpr wchar_t FILL_CLASS[] = L"KorvaneFill";
constexpr wchar_t WIZARD_CLASS[] = L"KorvaneWizard";
constexpr wchar_t EDITOR_CLASS[] = L"KorvaneEditor";

inline int dpi() { return int(GetDpiForSystem()); }

inline bool same_class(HWND window, const wchar_t* name) { return _wcsicmp(test::class_of(window).c_str(), name) == 0; }

// The fill-in's controls found by the place their layout gives them in the window that holds
// the rows, whatever their ids.
inline HWND placed(const Driver& d, const Rect& place, const wchar_t* window_class) {
    for (HWND child : test::descendants(d.dialog())) {
        if (!same_class(child, window_class)) continue;
        const RECT r = test::rect_in(child, GetParent(child));
        if ((Rect{r.left, r.top, r.right, r.bottom}) == place) return child;
    }
    return nullptr;
}

inline HWND row_input(const Driver& d, const FillLayout& layout, size_t row, size_t input = 0) {
    const Rect& place = layout.rows[row].inputs[input];
    if (HWND edit = placed(d, place, L"Edit")) return edit;
    return placed(d, place, L"Button");
}

inline HWND row_label(const Driver& d, const FillLayout& layout, size_t row) { return placed(d, layout.rows[row].label, L"Static"); }

// Puts a text on the clipboard for a Ctrl+V.
inline bool put_on_clipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool ok = false;
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// A long list of lines, as one pasted from elsewhere would be, ending in a line of its own.
inline std::wstring long_lines(size_t at_least) {
    std::wstring text;
    for (size_t i = 0; text.size() < at_least; ++i) text += L"line " + std::to_wstring(i) + L"\r\n";
    return text + L"the last line";
}

// A single line, for a single-line edit, which takes only the first line of what is pasted.
inline std::wstring long_line(size_t length) {
    std::wstring text;
    for (size_t i = 0; text.size() < length; ++i) text += L"word" + std::to_wstring(i) + L' ';
    text.resize(length);
    return text;
}

inline std::string narrow(const std::wstring& ascii) { return std::string(ascii.begin(), ascii.end()); }

enum class Dismissal { Escape, CloseBox, CancelButton };

// Every way of leaving a dialog without confirming it, each a fresh opening of the same class.
inline void dismiss(Driver& d, Dismissal how) {
    switch (how) {
    case Dismissal::Escape: d.press(VK_ESCAPE); break;
    case Dismissal::CloseBox: d.close_command(); break;
    case Dismissal::CancelButton: d.click(d.item(IDCANCEL)); break;
    }
}

constexpr Dismissal ALL_DISMISSALS[] = {Dismissal::Escape, Dismissal::CloseBox, Dismissal::CancelButton};

// The variables wizard's controls.
constexpr int KIND_ID = 200;
constexpr int OPTIONS_ID = 210;
constexpr int BACK_ID = 300;

inline HWND wizard_caption(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(12, dpi()) + 1); }
inline HWND wizard_message(const Driver& d) { return d.at(scale(12, dpi()) + 1, scale(280, dpi()) + 1); }

// The text icon editor's edits.
constexpr int NAME_ID = 100;
constexpr int TEXT_ID = 101;

}  // namespace korvane::dialog_test
