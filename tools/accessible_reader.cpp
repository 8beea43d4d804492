// Reads a window's accessible tree from another process, as a screen reader does: the client
// object from AccessibleObjectFromWindow, its children from AccessibleChildren, and for each
// child its role, state and name; then the focused child.
// usage: accessible_reader.exe HWND OUTPUT_FILE     (HWND in decimal)
// Writes UTF-8 lines to OUTPUT_FILE:
//     children N
//     ID<TAB>ROLE<TAB>STATE<TAB>NAME      one per child; ROLE decimal, STATE as 0x%08lx
//     focus ID | focus none | focus object
// with backslash, tab, line feed and carriage return in names written as \\, \t, \n and \r.
// On a failure the last line is "failed STEP 0xHRESULT" and the exit code is 1 (2 on bad
// arguments).
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
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

int read_tree(HWND window, const Output& out) {
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
        BSTR name = nullptr;
        if (FAILED(result = client->get_accRole(children[size_t(i)], &role))) status = out.fail("get_accRole", result);
        else if (FAILED(result = client->get_accState(children[size_t(i)], &state))) status = out.fail("get_accState", result);
        else if (FAILED(result = client->get_accName(children[size_t(i)], &name))) status = out.fail("get_accName", result);
        else
            std::fprintf(out.file, "%ld\t%ld\t0x%08lx\t%s\n", children[size_t(i)].lVal, role.lVal,
                         static_cast<unsigned long>(state.lVal), escaped(name).c_str());
        SysFreeString(name);
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
    client->Release();
    return status;
}

}  // namespace

// A program without a console or a window, so that starting it takes the keyboard from nobody.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const int argc = __argc;
    wchar_t** argv = __wargv;
    if (argc != 3) return 2;
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::wcstoull(argv[1], nullptr, 10)));
    FILE* file = _wfopen(argv[2], L"wb");
    if (!file) return 2;
    const Output out{file};
    int status = 0;
    if (const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); FAILED(result)) {
        status = out.fail("CoInitializeEx", result);
    } else {
        status = read_tree(window, out);
        CoUninitialize();
    }
    std::fclose(file);
    return status;
}
