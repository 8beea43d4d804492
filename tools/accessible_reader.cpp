// Reads a window's accessible tree from another process, as a screen reader does: the client
// object from AccessibleObjectFromWindow, its children from AccessibleChildren, and for each
// child its role, state, name and value; then the focused child.  Then, when asked, acts on one
// child as a reader would.
// usage: accessible_reader.exe HWND OUTPUT_FILE [select ID | act ID]     (HWND and ID in decimal)
// Writes UTF-8 lines to OUTPUT_FILE:
//     children N
//     ID<TAB>ROLE<TAB>STATE<TAB>NAME<TAB>VALUE      one per child; ROLE decimal, STATE as 0x%08lx,
//                                                  VALUE empty when the child has none
//     focus ID | focus none | focus object
//     select 0xHRESULT                after accSelect(SELFLAG_TAKEFOCUS, ID), then
//     selection event ID | selection event none      the EVENT_OBJECT_SELECTION heard within 5 s
//     act 0xHRESULT                   after accDoDefaultAction(ID)
// with backslash, tab, line feed and carriage return in texts written as \\, \t, \n and \r.
// On a failure the last line is "failed STEP 0xHRESULT" and the exit code is 1 (2 on bad
// arguments).
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string utf8(const wchar_t* text, size_t length) {
    if (length == 0) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string result(size_t(bytes > 0 ? bytes : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, int(length), result.data(), bytes, nullptr, nullptr);
    return result;
}

std::string escaped(BSTR text) {
    std::string out;
    for (char c : utf8(text, text ? SysStringLen(text) : 0)) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

struct Output {
    FILE* file;
    int fail(const char* step, HRESULT result) const {
        std::fprintf(file, "failed %s 0x%08lx\n", step, static_cast<unsigned long>(result));
        return 1;
    }
};

// The child of the last EVENT_OBJECT_SELECTION on the window, as a reader's hook hears it.
HWND watched = nullptr;
std::optional<LONG> selected_child;

void CALLBACK on_selection(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (window == watched && object == OBJID_CLIENT) selected_child = child;
}

// Takes the focus to a child and waits, serving this thread's messages, for the event.
void select_child(IAccessible* client, HWND window, LONG id, const Output& out) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    watched = window;
    const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr, on_selection,
                                               process, 0, WINEVENT_OUTOFCONTEXT);
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    const HRESULT result = client->accSelect(SELFLAG_TAKEFOCUS, child);
    std::fprintf(out.file, "select 0x%08lx\n", static_cast<unsigned long>(result));
    const ULONGLONG end = GetTickCount64() + 5000;
    while (!selected_child && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    if (hook) UnhookWinEvent(hook);
    if (selected_child) std::fprintf(out.file, "selection event %ld\n", *selected_child);
    else std::fprintf(out.file, "selection event none\n");
}

void act_on_child(IAccessible* client, LONG id, const Output& out) {
    VARIANT child{};
    child.vt = VT_I4;
    child.lVal = id;
    const HRESULT result = client->accDoDefaultAction(child);
    std::fprintf(out.file, "act 0x%08lx\n", static_cast<unsigned long>(result));
}

struct Request {
    bool select = false;
    bool act = false;
    LONG child = 0;
};

int read_tree(HWND window, const Output& out, const Request& request) {
    IAccessible* client = nullptr;
    HRESULT result = AccessibleObjectFromWindow(window, DWORD(OBJID_CLIENT), __uuidof(IAccessible),
                                                reinterpret_cast<void**>(&client));
    if (FAILED(result) || !client) return out.fail("AccessibleObjectFromWindow", result);
    LONG count = 0;
    result = client->get_accChildCount(&count);
    if (FAILED(result)) {
        client->Release();
        return out.fail("get_accChildCount", result);
    }
    std::fprintf(out.file, "children %ld\n", count);
    std::vector<VARIANT> children(size_t(count > 0 ? count : 0));
    LONG obtained = 0;
    if (count > 0) result = AccessibleChildren(client, 0, count, children.data(), &obtained);
    int status = FAILED(result) ? out.fail("AccessibleChildren", result) : 0;
    for (LONG i = 0; i < obtained && status == 0; ++i) {
        if (children[size_t(i)].vt != VT_I4) {
            status = out.fail("a child that is an object", E_UNEXPECTED);
            break;
        }
        VARIANT role{}, state{};
        BSTR name = nullptr, value = nullptr;
        if (FAILED(result = client->get_accRole(children[size_t(i)], &role))) status = out.fail("get_accRole", result);
        else if (FAILED(result = client->get_accState(children[size_t(i)], &state))) status = out.fail("get_accState", result);
        else if (FAILED(result = client->get_accName(children[size_t(i)], &name))) status = out.fail("get_accName", result);
        else if (FAILED(result = client->get_accValue(children[size_t(i)], &value)) && result != DISP_E_MEMBERNOTFOUND)
            status = out.fail("get_accValue", result);
        else
            std::fprintf(out.file, "%ld\t%ld\t0x%08lx\t%s\t%s\n", children[size_t(i)].lVal, role.lVal,
                         static_cast<unsigned long>(state.lVal), escaped(name).c_str(), escaped(value).c_str());
        SysFreeString(name);
        SysFreeString(value);
    }
    for (LONG i = 0; i < obtained; ++i) VariantClear(&children[size_t(i)]);
    if (status == 0) {
        VARIANT focus{};
        result = client->get_accFocus(&focus);
        if (FAILED(result)) status = out.fail("get_accFocus", result);
        else if (focus.vt == VT_I4) std::fprintf(out.file, "focus %ld\n", focus.lVal);
        else if (focus.vt == VT_EMPTY) std::fprintf(out.file, "focus none\n");
        else std::fprintf(out.file, "focus object\n");
        VariantClear(&focus);
    }
    if (status == 0 && request.select) select_child(client, window, request.child, out);
    if (status == 0 && request.act) act_on_child(client, request.child, out);
    client->Release();
    return status;
}

}  // namespace

// A program without a console or a window, so that starting it takes the keyboard from nobody.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const int argc = __argc;
    wchar_t** argv = __wargv;
    Request request;
    if (argc == 5) {
        request.select = std::wcscmp(argv[3], L"select") == 0;
        request.act = std::wcscmp(argv[3], L"act") == 0;
        request.child = LONG(std::wcstol(argv[4], nullptr, 10));
        if (!request.select && !request.act) return 2;
    } else if (argc != 3) {
        return 2;
    }
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(argv[1], nullptr, 10)));
    FILE* file = _wfopen(argv[2], L"wb");
    if (!file) return 2;
    std::setvbuf(file, nullptr, _IONBF, 0);  // each line written as it is learnt, should a call hang
    const Output out{file};
    int status = 0;
    if (const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); FAILED(result)) {
        status = out.fail("CoInitializeEx", result);
    } else {
        status = read_tree(window, out, request);
        CoUninitialize();
    }
    std::fclose(file);
    return status;
}
