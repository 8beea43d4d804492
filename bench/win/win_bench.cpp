// Korvane's speed as a user feels it, through the real Win32 API: the program's own start-up,
// clipboard listener, window procedures and files, each timed beside a baseline measured in
// the same run.  Every timed case prints one JSON line with all its samples in milliseconds;
// scripts/bench turns them into medians, percentiles and ratios, and measures the memory of the
// programs that "memory" holds idle for it.
//
// usage: win_bench capture | paint | pins | start | memory | pictures BGRA_FILE | flood
//        (and "writer", started by capture)
// The cases are one file because they share the timing, the baselines and the JSON output.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../../tests/core/dib_builder.hpp"
#include "core/pins_file.hpp"
#include "core/store.hpp"
#include "win/app/app.hpp"
#include "win/storage/files.hpp"
#include "win/support/handles.hpp"
#include "win/app/main.hpp"
#include "win/toolbar/toolbar.hpp"
#include "korvane_observer.hpp"
#include "win_test_support.hpp"

namespace korvane::bench {
namespace {

using namespace std::chrono_literals;

double ticks_to_ms(LONGLONG ticks) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    return double(ticks) * 1000.0 / frequency;
}

LONGLONG ticks() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void report(const char* name, const char* unit, const std::vector<double>& product, const std::vector<double>& baseline) {
    std::string line = std::string("{\"case\": \"") + name + "\", \"unit\": \"" + unit + "\"";
    for (const auto& [key, samples] : {std::pair{"product", &product}, std::pair{"baseline", &baseline}}) {
        line += std::string(", \"") + key + "\": [";
        for (size_t i = 0; i < samples->size(); ++i) {
            char number[32];
            std::snprintf(number, sizeof number, "%s%.4f", i ? ", " : "", (*samples)[i]);
            line += number;
        }
        line += "]";
    }
    std::printf("%s}\n", line.c_str());
    std::fflush(stdout);
}

void fail(const char* what) {
    std::fprintf(stderr, "win_bench: %s\n", what);
    std::fflush(stderr);
    ExitProcess(1);
}

void pump_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// A packed 32-bit bottom-up DIB of noise; its first pixel carries a serial number.
Bytes noise_dib(int32_t width, int32_t height, uint32_t seed) {
    Bytes dib = test::blank_dib(width, height);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 40; i + 4 <= dib.size(); i += 4) {
        state = state * 1664525u + 1013904223u;
        std::memcpy(&dib[i], &state, 4);
    }
    return dib;
}

uint32_t dib_serial(std::span<const uint8_t> dib) {
    uint32_t serial = 0;
    if (dib.size() >= 44) std::memcpy(&serial, &dib[40], 4);
    return serial;
}

// An 8-megapixel picture: a 3840 x 2160 screenshot.
constexpr int32_t PICTURE_WIDTH = 3840;
constexpr int32_t PICTURE_HEIGHT = 2160;
const wchar_t TEXT_PREFIX[] = L"A sentence copied in another program, clip number ";

uint32_t text_serial(std::wstring_view text) {
    const size_t at = text.rfind(L' ');
    return at == std::wstring_view::npos ? 0 : uint32_t(_wtoi(std::wstring(text.substr(at + 1)).c_str()));
}

// A 96 x 96 premultiplied picture of one opaque colour.
Bytes opaque_picture(uint8_t shade) {
    Bytes picture(CUSTOM_ICON_BYTES);
    for (size_t i = 0; i < picture.size(); i += 4) {
        picture[i] = shade;
        picture[i + 1] = uint8_t(255 - shade);
        picture[i + 2] = uint8_t(shade / 2);
        picture[i + 3] = 255;
    }
    return picture;
}

// ---- the strip's content for the paint and capture cases: 20 pins and 10 Recent clips of
// every kind, so every drawing path and cache is used

std::vector<Clip> sample_pins() {
    std::vector<Clip> pins(PIN_CAPACITY);
    for (size_t i = 0; i < pins.size(); ++i) {
        Clip& pin = pins[i];
        pin.animal_index = unsigned(i);
        switch (i % 5) {
        case 0:
        case 1: pin.content = ClipContent::make_text("Pinned text " + std::to_string(i)); break;
        case 2:
            pin.content = ClipContent::make_text("Dear ${name}, your order ${order} ships on ${day}.");
            pin.variables.resize(3);
            pin.variables[0].name = "name";
            pin.variables[1].name = "order";
            pin.variables[2].name = "day";
            break;
        case 3: pin.content = ClipContent::make_image(noise_dib(512, 512, uint32_t(i))); break;
        case 4: pin.content = ClipContent::make_files({u"C:\\windows\\notepad.exe", u"C:\\windows\\win.ini"}); break;
        }
        if (i % 7 == 6) pin.custom_icon = opaque_picture(uint8_t(i * 11));
    }
    return pins;
}

void fill_recent(ClipStore& store) {
    for (uint32_t i = 0; i < RECENT_CAPACITY; ++i) {
        switch (i % 5) {
        case 1: record_capture(store, ClipContent::make_image(noise_dib(800, 600, 100 + i))); break;
        case 3: record_capture(store, ClipContent::make_files({u"C:\\windows\\regedit.exe"})); break;
        default: record_capture(store, ClipContent::make_text("Recent text " + std::to_string(i))); break;
        }
    }
}

// Korvane's shell started in this process as the program starts it, with the sample pins and
// a private APPDATA; the docked strip is shown.
struct Shell {
    test::TempAppData appdata;
    HWND main_window = nullptr;
    HWND docked = nullptr;

    Shell() {
        start_shell(GetModuleHandleW(nullptr), sample_pins());
        if (AppBorrow app = borrow_app()) {
            main_window = app->main_window;
            docked = app->docked.window;
        }
        if (!main_window || !docked || !IsWindowVisible(docked)) fail("the docked strip did not appear");
    }
    ~Shell() {
        if (IsWindow(main_window)) DestroyWindow(main_window);
        pump_messages();
        take_app();
    }
};

// A plain window beside the strip, at the other screen edge so neither covers the other, that
// paints by one BitBlt of a ready bitmap of the strip's size: the least a window can do to show
// a new picture.  It doubles as the bare clipboard listener of the capture baseline.
struct BareWindow {
    HWND window = nullptr;
    OwnedDc memory;
    OwnedBitmap bitmap;
    HGDIOBJ previous = nullptr;

    explicit BareWindow(HWND like, WNDPROC procedure) {
        RECT r{};
        GetClientRect(like, &r);
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"KorvaneBenchBare";
        RegisterClassW(&window_class);
        window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"KorvaneBenchBare", L"Bare",
                                 WS_POPUP, 0, 0, r.right, r.bottom, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        const WindowDc screen(window);
        memory.reset(CreateCompatibleDC(screen.get()));
        bitmap.reset(CreateCompatibleBitmap(screen.get(), r.right, r.bottom));
        previous = SelectObject(memory.get(), bitmap.get());
        PatBlt(memory.get(), 0, 0, r.right, r.bottom, WHITENESS);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
    }
    ~BareWindow() {
        SelectObject(memory.get(), previous);
        DestroyWindow(window);
    }
    void paint() const {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT r{};
        GetClientRect(window, &r);
        BitBlt(dc, 0, 0, r.right, r.bottom, memory.get(), 0, 0, SRCCOPY);
        EndPaint(window, &paint);
    }
};

// ---- paint: one full paint of the docked strip with 10 Recent clips and 20 pins, caches warm,
// against the bare window's BitBlt of the same area.  Both go through WM_PAINT, sent by
// UpdateWindow, so the two differ only in what their window procedures draw.

BareWindow* bare_window = nullptr;

LRESULT CALLBACK bare_paint_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT && bare_window) {
        bare_window->paint();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

double timed_update(HWND window) {
    InvalidateRect(window, nullptr, FALSE);
    const LONGLONG start = ticks();
    UpdateWindow(window);
    return ticks_to_ms(ticks() - start);
}

// A hover moving from one tile to another: the two tiles are drawn again and copied, while the
// bare window copies its whole area.
POINT recent_tile_middle(uint64_t index) {
    AppBorrow app = borrow_app();
    const Rect r = tile_rect(shape_of(app->docked, app->store).layout, Area::Recent, index);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

double timed_hover(HWND window, POINT at) {
    const LONGLONG start = ticks();
    SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    UpdateWindow(window);
    return ticks_to_ms(ticks() - start);
}

int run_paint() {
    Shell shell;
    if (AppBorrow app = borrow_app()) fill_recent(app->store);
    refresh_all_toolbars();
    BareWindow bare(shell.docked, bare_paint_proc);
    bare_window = &bare;
    pump_messages();
    for (int i = 0; i < 10; ++i) {
        timed_update(shell.docked);
        timed_update(bare.window);
    }
    std::vector<double> product, baseline;
    for (int i = 0; i < 200; ++i) {
        product.push_back(timed_update(shell.docked));
        baseline.push_back(timed_update(bare.window));
        pump_messages();
    }
    report("full_paint", "ms", product, baseline);
    const POINT tiles[] = {recent_tile_middle(0), recent_tile_middle(1)};
    std::vector<double> hover, bare_hover;
    for (int i = 0; i < 200; ++i) {
        hover.push_back(timed_hover(shell.docked, tiles[i % 2]));
        bare_hover.push_back(timed_update(bare.window));
        pump_messages();
    }
    bare_window = nullptr;
    report("hover_paint", "ms", hover, bare_hover);
    return 0;
}

// ---- pins: save_pins and load_pins through %APPDATA%\Korvane\pins.dat against one WriteFile
// (flushed, as the save flushes) and one ReadFile of the same bytes

// Each picture pin also keeps the PNG its program offered beside it (a quarter of the DIB, as
// noise compresses), so that the file's section of companions is part of what is measured.
std::vector<Clip> megabyte_pins() {
    std::vector<Clip> pins(PIN_CAPACITY);
    for (size_t i = 0; i < pins.size(); ++i) {
        pins[i].content = ClipContent::make_image(noise_dib(512, 512, uint32_t(i)));
        Bytes png = noise_dib(256, 256, uint32_t(i) + 1000);
        pins[i].content.companions.push_back({"PNG", std::move(png)});
        pins[i].animal_index = unsigned(i);
    }
    return pins;
}

double raw_write(const std::wstring& path, const Bytes& bytes) {
    const LONGLONG start = ticks();
    OwnedHandle file = owned_file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD wrote = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &wrote, nullptr) || wrote != bytes.size() ||
        !FlushFileBuffers(file.get()))
        fail("the raw write failed");
    file.reset();
    return ticks_to_ms(ticks() - start);
}

double raw_read(const std::wstring& path, size_t expected) {
    const LONGLONG start = ticks();
    OwnedHandle file = owned_file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) fail("the raw read failed");
    Bytes bytes(size_t(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr) || got != expected)
        fail("the raw read failed");
    file.reset();
    return ticks_to_ms(ticks() - start);
}

int run_pins() {
    test::TempAppData appdata;
    const std::vector<Clip> pins = megabyte_pins();
    const Bytes encoded = encode_pins(pins);
    const std::wstring raw = appdata.file(L"raw.dat");
    save_pins(pins);
    std::vector<double> save, write, load, read;
    for (int i = 0; i < 25; ++i) {
        LONGLONG start = ticks();
        save_pins(pins);
        save.push_back(ticks_to_ms(ticks() - start));
        write.push_back(raw_write(raw, encoded));

        start = ticks();
        LoadedPins loaded = load_pins();
        load.push_back(ticks_to_ms(ticks() - start));
        if (loaded.error || loaded.pins.size() != pins.size()) fail("the pins did not load back");
        read.push_back(raw_read(appdata.file(L"pins.dat"), encoded.size()));
    }
    report("pins_save", "ms", save, write);
    report("pins_load", "ms", load, read);
    return 0;
}

// ---- start: from CreateProcess to a visible strip whose thread has reached its message loop
// (it answers a sent WM_NULL only from there), against the minimal program's window

struct Started {
    test::Process process;
    HWND window = nullptr;
    double ms = 0;
};

Started start_and_wait_visible(const wchar_t* exe, const wchar_t* window_class) {
    const LONGLONG start = ticks();
    std::optional<test::Process> process = test::start_program(test::program_folder() + L"\\" + exe);
    if (!process) fail("a program did not start");
    Started started{std::move(*process)};
    const bool visible = test::wait_until(
        [&] {
            started.window = test::find_process_window(started.process.id, window_class);
            return started.window && IsWindowVisible(started.window);
        },
        30s);
    DWORD_PTR answer = 0;
    if (!visible || !SendMessageTimeoutW(started.window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer))
        fail("a started program showed no window");
    started.ms = ticks_to_ms(ticks() - start);
    return started;
}

void close_program(const Started& started, const wchar_t* main_class) {
    HWND main_window = test::find_process_window(started.process.id, main_class);
    PostMessageW(main_window ? main_window : started.window, WM_CLOSE, 0, 0);
    if (!started.process.wait(30s)) started.process.kill();
}

int run_start() {
    std::vector<double> korvane, minimal;
    for (int i = 0; i < 21; ++i) {
        {
            test::TempAppData appdata;  // no pins, no settings: the first start of a new user
            const Started started = start_and_wait_visible(L"Korvane.exe", L"KorvaneDock");
            if (i > 0) korvane.push_back(started.ms);  // the first start of each also loads Wine's DLLs from disk
            close_program(started, L"KorvaneMain");
        }
        const Started started = start_and_wait_visible(L"minimal_window.exe", L"KorvaneBenchMinimal");
        if (i > 0) minimal.push_back(started.ms);
        close_program(started, L"KorvaneBenchMinimal");
    }
    report("start_to_visible", "ms", korvane, minimal);
    return 0;
}

// ---- memory: an idle Korvane with an empty store, and the minimal program, held still while
// scripts/bench reads their private memory from Linux: Wine leaves PrivateUsage at 0.

int run_memory() {
    for (int i = 0; i < 3; ++i) {
        test::TempAppData appdata;
        const Started k = start_and_wait_visible(L"Korvane.exe", L"KorvaneDock");
        const Started m = start_and_wait_visible(L"minimal_window.exe", L"KorvaneBenchMinimal");
        Sleep(2000);  // idle: past the start-up's transient work
        std::printf("{\"idle\": [%lu, %lu]}\n", k.process.id, m.process.id);
        std::fflush(stdout);
        char answer[8];
        std::fgets(answer, sizeof answer, stdin);  // the reader is done
        close_program(k, L"KorvaneMain");
        close_program(m, L"KorvaneBenchMinimal");
    }
    return 0;
}

// ---- capture: from a clipboard change made by another process to the end of the strip's
// WM_PAINT that shows the new clip.
//
// The writer (this program started as "writer") takes the time just before the CloseClipboard
// that publishes its change; the strip's window procedure is wrapped so the time is taken as
// its WM_PAINT returns, and the paint only counts when the clip at the front of Recent is the
// one just written.  QueryPerformanceCounter is one clock for every process of the machine.
//
// Baselines: for text, a bare listener in the same place (it reads the same block, invalidates
// and paints with one BitBlt), which is what Wine's clipboard and paint machinery cost any
// program; for the picture, one copy of its bytes in memory; for a text beside a 200 MiB "HTML
// Format", too large to keep beside it, this process reading that block from the clipboard once
// (Wine hands a reader of a format its whole block, so Korvane's size check costs that there).

struct Channel {
    volatile LONG kind;  // 0 quit, 1 text, 2 picture, 3 text beside a large HTML block
    volatile LONG serial;
    volatile LONGLONG changed_at;
};

constexpr wchar_t CHANNEL_NAME[] = L"Local\\KorvaneBenchChannel";
constexpr wchar_t GO_NAME[] = L"Local\\KorvaneBenchGo";
constexpr wchar_t DONE_NAME[] = L"Local\\KorvaneBenchDone";
constexpr UINT WM_USE_LISTENER = WM_APP + 40;

struct Shared {
    OwnedHandle mapping;
    Channel* channel = nullptr;
    OwnedHandle go;
    OwnedHandle done;

    explicit Shared(bool create) {
        if (create) {
            mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Channel), CHANNEL_NAME));
            go.reset(CreateEventW(nullptr, FALSE, FALSE, GO_NAME));
            done.reset(CreateEventW(nullptr, FALSE, FALSE, DONE_NAME));
        } else {
            mapping.reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, CHANNEL_NAME));
            go.reset(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, GO_NAME));
            done.reset(OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, DONE_NAME));
        }
        if (mapping) channel = static_cast<Channel*>(MapViewOfFile(mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Channel)));
        if (!channel || !go || !done) fail("the writer's channel could not be made");
    }
    ~Shared() {
        if (channel) UnmapViewOfFile(channel);
    }
};

OwnedGlobal global_copy(const void* data, size_t size) {
    OwnedGlobal block(GlobalAlloc(GMEM_MOVEABLE, size));
    const LockedGlobal lock(block.get());
    if (!lock.data()) fail("GlobalAlloc failed");
    std::memcpy(lock.data(), data, size);
    return block;
}

constexpr size_t LARGE_HTML_BYTES = size_t{200} << 20;

int run_writer() {
    Shared shared(false);
    HWND window = CreateWindowExW(0, L"STATIC", L"Korvane bench writer", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    Bytes picture = noise_dib(PICTURE_WIDTH, PICTURE_HEIGHT, 1);
    while (WaitForSingleObject(shared.go.get(), 120000) == WAIT_OBJECT_0 && shared.channel->kind != 0) {
        const uint32_t serial = uint32_t(shared.channel->serial);
        OwnedGlobal block;
        UINT format = CF_UNICODETEXT;
        OwnedGlobal html;
        if (shared.channel->kind == 1 || shared.channel->kind == 3) {
            const std::wstring text = TEXT_PREFIX + std::to_wstring(serial);
            block = global_copy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            if (shared.channel->kind == 3) {
                html.reset(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, LARGE_HTML_BYTES));
                if (!html) fail("GlobalAlloc failed");
            }
        } else {
            std::memcpy(&picture[40], &serial, 4);
            block = global_copy(picture.data(), picture.size());
            format = CF_DIB;
        }
        if (!OpenClipboard(window)) fail("the writer could not open the clipboard");
        EmptyClipboard();
        if (SetClipboardData(format, block.get())) block.release();  // the clipboard owns it now
        if (html && SetClipboardData(RegisterClipboardFormatW(L"HTML Format"), html.get())) html.release();
        shared.channel->changed_at = ticks();
        CloseClipboard();
        SetEvent(shared.done.get());
    }
    DestroyWindow(window);
    return 0;
}

// ---- pictures: Korvane holding ten 3840 x 2160 screenshots in Recent, then pasting one of them
// back, held still at each step while scripts/bench reads its memory.  The pictures are one
// screenshot of the strip and the dialogs tiled to size (top-down BGRA rows that scripts/bench
// makes from docs/screenshots), its rows turned by a different amount each, so no two are alike.

constexpr int PICTURES_IN_RECENT = 10;

Bytes screenshot_dib(const Bytes& rows, int turn) {
    const size_t row_bytes = size_t(PICTURE_WIDTH) * 4;
    Bytes dib = test::blank_dib(PICTURE_WIDTH, -PICTURE_HEIGHT);
    const size_t shift = size_t(turn) * 97 % size_t(PICTURE_HEIGHT) * row_bytes;
    std::copy(rows.begin() + ptrdiff_t(shift), rows.end(), dib.end() - ptrdiff_t(rows.size()));
    std::copy(rows.begin(), rows.begin() + ptrdiff_t(shift), dib.end() - ptrdiff_t(shift));
    return dib;
}

void wait_for_reader() {
    std::fflush(stdout);
    char answer[8];
    std::fgets(answer, sizeof answer, stdin);
}

int run_pictures(const char* rows_path) {
    const std::optional<Bytes> rows = test::read_file(std::wstring(rows_path, rows_path + std::strlen(rows_path)));
    if (!rows || rows->size() != size_t(PICTURE_WIDTH) * PICTURE_HEIGHT * 4) fail("the screenshot rows could not be read");
    test::TempAppData appdata;
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    if (!korvane) fail("Korvane did not start");
    HWND window = CreateWindowExW(0, L"STATIC", L"Korvane bench pictures", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    Bytes last;
    for (int i = 0; i < PICTURES_IN_RECENT; ++i) {
        last = screenshot_dib(*rows, i);
        OwnedGlobal block = global_copy(last.data(), last.size());
        if (!OpenClipboard(window)) fail("the clipboard could not be opened");
        EmptyClipboard();
        if (SetClipboardData(CF_DIB, block.get())) block.release();  // the clipboard owns it now
        CloseClipboard();
        if (!test::wait_until([&] {
                korvane->catch_up();
                const auto tiles = korvane->tiles();
                return tiles && tiles->size() == size_t(i + 1);
            }, 20s))
            fail("a picture was not captured");
    }
    Sleep(10000);  // the compression of the last pictures ends
    std::printf("{\"pictures\": %lu}\n", korvane->process().id);
    wait_for_reader();
    korvane->click(korvane->tiles()->front().rect);
    if (test::clipboard_block_owned_by(korvane->main_window(), CF_DIB) != last) fail("the paste gave other bytes");
    Sleep(2000);
    std::printf("{\"pasted\": %lu}\n", korvane->process().id);
    wait_for_reader();
    DestroyWindow(window);
    return 0;
}

// ---- flood: another program replaces the clipboard's text 40,000 times in 20 s, as remote
// desktop and virtual machine clients can.  Measured: how long after the flood the last text is
// the first tile, and, after a second flood, how long a click on the first tile takes to put it
// on the clipboard.  scripts/bench reads Korvane's processor time around the first flood.

constexpr int FLOOD_TEXTS = 40000;
constexpr double FLOOD_SECONDS = 20;

void flood_clipboard(HWND window, int round) {
    const LONGLONG start = ticks();
    for (int i = 0; i < FLOOD_TEXTS; ++i) {
        const std::wstring text = L"flood " + std::to_wstring(round) + L" " + std::to_wstring(i);
        OwnedGlobal block = global_copy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        if (!OpenClipboard(window)) continue;  // Korvane has it open: the next change comes soon
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, block.get())) block.release();  // the clipboard owns it now
        CloseClipboard();
        const double due_ms = (i + 1) * FLOOD_SECONDS * 1000 / FLOOD_TEXTS;
        const double ahead = due_ms - ticks_to_ms(ticks() - start);
        if (ahead >= 1) Sleep(DWORD(ahead));
    }
}

int run_flood() {
    test::TempAppData appdata;
    std::optional<test::RunningKorvane> korvane = test::RunningKorvane::start();
    if (!korvane) fail("Korvane did not start");
    HWND window = CreateWindowExW(0, L"STATIC", L"Korvane bench flood", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    std::vector<double> shown, pasted;
    for (int round = 0; round < 2; ++round) {
        std::printf("{\"flood\": \"start\"}\n");
        wait_for_reader();
        const LONGLONG start = ticks();
        flood_clipboard(window, round);
        const LONGLONG end = ticks();
        std::printf("{\"flood\": \"end\", \"seconds\": %.2f}\n", ticks_to_ms(end - start) / 1000);
        wait_for_reader();
        const LONGLONG flood_end = ticks();
        if (round == 0) {
            const std::wstring last = L"flood 0 " + std::to_wstring(FLOOD_TEXTS - 1);
            if (!korvane->wait_for_front(last, 200s)) fail("the last text of the flood was never shown");
            shown.push_back(ticks_to_ms(ticks() - flood_end));
        } else {
            const std::optional<std::vector<test::ToolTip>> tiles = korvane->tiles();
            if (!tiles || tiles->empty()) fail("no tiles after the flood");
            korvane->click(tiles->front().rect);
            if (!test::wait_until([&] { return GetClipboardOwner() == korvane->main_window(); }, 200s))
                fail("the click after the flood never reached the clipboard");
            pasted.push_back(ticks_to_ms(ticks() - flood_end));
        }
    }
    DestroyWindow(window);
    report("flood_last_text_shown", "ms", shown, {1000});
    report("flood_click_to_clipboard", "ms", pasted, {1000});
    return 0;
}

// What the UI thread's window procedures saw last: the serial of the clip on screen and when
// its paint ended.
std::atomic<LONG> painted_serial{-1};
std::atomic<LONGLONG> painted_at{0};
OwnedHandle painted;  // set after each counted paint
WNDPROC strip_procedure = nullptr;
HWND main_window_of_shell = nullptr;

void note_paint(uint32_t serial) {
    if (painted_serial == LONG(serial)) return;  // a repaint of the same clip keeps the first time
    painted_at = ticks();
    painted_serial = LONG(serial);
    SetEvent(painted.get());
}

LRESULT CALLBACK timed_strip_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const LRESULT result = CallWindowProcW(strip_procedure, window, message, wparam, lparam);
    if (message == WM_PAINT) {
        uint32_t serial = 0;
        if (AppBorrow app = borrow_app(); app && !app->store.recent.empty()) {
            const ClipContent& front = app->store.recent.front().content;
            serial = front.kind == ClipKind::Image ? dib_serial(front.dib.head())
                                                   : text_serial(std::wstring(front.text.begin(), front.text.end()));
        }
        note_paint(serial);
    }
    return result;
}

// The bare listener: the same clipboard read, then one BitBlt.
uint32_t bare_serial = 0;

LRESULT CALLBACK bare_listener_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLIPBOARDUPDATE: {
        if (!OpenClipboard(window)) return 0;
        const bool picture = IsClipboardFormatAvailable(CF_DIB) && !IsClipboardFormatAvailable(CF_UNICODETEXT);
        const HANDLE handle = GetClipboardData(picture ? CF_DIB : CF_UNICODETEXT);
        if (handle) {
            const SIZE_T size = GlobalSize(handle);
            const LockedGlobal lock(handle);
            if (lock.data()) {
                const auto* data = static_cast<const uint8_t*>(lock.data());
                const Bytes copy(data, data + size);
                bare_serial = picture ? dib_serial(copy)
                                      : text_serial(std::wstring_view(reinterpret_cast<const wchar_t*>(copy.data()),
                                                                      wcsnlen(reinterpret_cast<const wchar_t*>(copy.data()),
                                                                              copy.size() / 2)));
            }
        }
        CloseClipboard();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    case WM_PAINT:
        if (bare_window) bare_window->paint();
        else ValidateRect(window, nullptr);
        note_paint(bare_serial);
        return 0;
    case WM_USE_LISTENER:
        // Only one listener at a time, so the two never share the thread's time.
        RemoveClipboardFormatListener(wparam ? window : main_window_of_shell);
        AddClipboardFormatListener(wparam ? main_window_of_shell : window);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

struct CaptureRun {
    Shared* shared = nullptr;
    HWND bare = nullptr;
    std::vector<double> text_korvane, text_bare, picture_korvane, picture_bare, picture_copy, html_korvane, html_copy;
    const char* failure = nullptr;
};

// One change by the writer; the time to the paint that shows it, or a negative value.
double one_change(CaptureRun& run, bool korvane, LONG kind, LONG serial) {
    SendMessageW(run.bare, WM_USE_LISTENER, korvane ? 1 : 0, 0);
    ResetEvent(painted.get());
    run.shared->channel->kind = kind;
    run.shared->channel->serial = serial;
    SetEvent(run.shared->go.get());
    if (WaitForSingleObject(run.shared->done.get(), 60000) != WAIT_OBJECT_0) return -1;
    const LONGLONG changed = run.shared->channel->changed_at;
    const DWORD limit = GetTickCount() + 60000;
    while (painted_serial != serial) {
        if (WaitForSingleObject(painted.get(), 1000) != WAIT_OBJECT_0 && GetTickCount() > limit) return -1;
    }
    const double ms = ticks_to_ms(painted_at - changed);
    Sleep(korvane && kind == 2 ? 300 : 40);  // let Wine's clipboard manager settle before the next change
    return ms;
}

// One copy of a format's block as any reader of the clipboard receives it: open, fetch, copy, close.
std::optional<Bytes> clipboard_copy(UINT format) {
    if (!OpenClipboard(nullptr)) return std::nullopt;
    std::optional<Bytes> copy;
    if (const HANDLE handle = GetClipboardData(format)) {
        const LockedGlobal lock(handle);
        if (lock.data()) copy.emplace(static_cast<const uint8_t*>(lock.data()), static_cast<const uint8_t*>(lock.data()) + GlobalSize(handle));
    }
    CloseClipboard();
    return copy;
}

DWORD WINAPI capture_thread(void* context) {
    auto& run = *static_cast<CaptureRun*>(context);
    LONG serial = 1000;
    for (int i = 0; i < 66 && !run.failure; ++i) {
        const double k = one_change(run, true, 1, ++serial);
        const double b = one_change(run, false, 1, ++serial);
        if (k < 0 || b < 0) run.failure = "a text change was not painted";
        if (i >= 6) {  // the first changes also fill Recent and warm the caches
            run.text_korvane.push_back(k);
            run.text_bare.push_back(b);
        }
    }
    const Bytes picture = noise_dib(PICTURE_WIDTH, PICTURE_HEIGHT, 1);
    for (int i = 0; i < 13 && !run.failure; ++i) {
        const double k = one_change(run, true, 2, ++serial);
        const double b = one_change(run, false, 2, ++serial);
        const LONGLONG start = ticks();
        const Bytes copy(picture.begin(), picture.end());
        const double c = ticks_to_ms(ticks() - start);
        if (dib_serial(copy) != dib_serial(picture) || k < 0 || b < 0) run.failure = "a picture change was not painted";
        if (i >= 1) {
            run.picture_korvane.push_back(k);
            run.picture_bare.push_back(b);
            run.picture_copy.push_back(c);
        }
    }
    const UINT html_format = RegisterClipboardFormatW(L"HTML Format");
    for (int i = 0; i < 6 && !run.failure; ++i) {
        const double k = one_change(run, true, 3, ++serial);
        const LONGLONG start = ticks();
        const std::optional<Bytes> copy = clipboard_copy(html_format);
        const double c = ticks_to_ms(ticks() - start);
        if (!copy || copy->size() != LARGE_HTML_BYTES || k < 0) run.failure = "a text beside a large HTML block was not painted";
        if (i >= 1) {
            run.html_korvane.push_back(k);
            run.html_copy.push_back(c);
        }
    }
    run.shared->channel->kind = 0;
    SetEvent(run.shared->go.get());
    PostMessageW(main_window_of_shell, WM_CLOSE, 0, 0);
    return 0;
}

int run_capture() {
    Shared shared(true);
    painted.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    std::optional<test::Process> writer =
        test::start_program(test::program_folder() + L"\\win_bench.exe", L"writer");
    if (!writer) fail("the writer did not start");
    CaptureRun run;
    run.shared = &shared;
    {
        Shell shell;
        main_window_of_shell = shell.main_window;
        BareWindow bare(shell.docked, bare_listener_proc);
        bare_window = &bare;
        run.bare = bare.window;
        strip_procedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(shell.docked, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timed_strip_proc)));
        OwnedHandle thread(CreateThread(nullptr, 0, capture_thread, &run, 0, nullptr));
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        WaitForSingleObject(thread.get(), INFINITE);
        bare_window = nullptr;
    }
    if (!writer->wait(30s)) writer->kill();
    if (run.failure) fail(run.failure);
    report("capture_text", "ms", run.text_korvane, run.text_bare);
    report("capture_picture", "ms", run.picture_korvane, run.picture_copy);
    report("capture_picture_bare_listener", "ms", run.picture_bare, run.picture_copy);
    report("capture_picture_vs_bare", "ms", run.picture_korvane, run.picture_bare);
    report("capture_text_beside_html", "ms", run.html_korvane, run.html_copy);
    return 0;
}

}  // namespace
}  // namespace korvane::bench

int main(int argc, char** argv) {
    using namespace korvane::bench;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "capture") return run_capture();
    if (mode == "writer") return run_writer();
    if (mode == "paint") return run_paint();
    if (mode == "pins") return run_pins();
    if (mode == "start") return run_start();
    if (mode == "memory") return run_memory();
    if (mode == "pictures" && argc > 2) return run_pictures(argv[2]);
    if (mode == "flood") return run_flood();
    std::fprintf(stderr, "usage: win_bench capture | paint | pins | start | memory | pictures BGRA_FILE | flood\n");
    return 2;
}
