// Owners for Win32 handles: each lifetime is visible where the handle is made, and an early
// return cannot leak it.
#pragma once

#include <windows.h>

#include <utility>

namespace korvane {

// Move-only owner of a handle, released with `Release` unless it is null.
template <class H, auto Release>
class Owned {
public:
    Owned() = default;
    explicit Owned(H handle) : handle_(handle) {}
    Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, H{})) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(std::exchange(other.handle_, H{}));
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    H get() const { return handle_; }
    explicit operator bool() const { return handle_ != H{}; }
    H release() { return std::exchange(handle_, H{}); }
    void reset(H handle = H{}) {
        if (handle_ != H{}) Release(handle_);
        handle_ = handle;
    }

private:
    H handle_ = H{};
};

namespace detail {
inline void close_handle(HANDLE h) { CloseHandle(h); }
inline void delete_gdi_object(HGDIOBJ h) { DeleteObject(h); }
inline void delete_dc(HDC h) { DeleteDC(h); }
inline void destroy_icon(HICON h) { DestroyIcon(h); }
inline void destroy_window(HWND h) { DestroyWindow(h); }
inline void destroy_menu(HMENU h) { DestroyMenu(h); }
inline void free_global(HGLOBAL h) { GlobalFree(h); }
inline void close_key(HKEY h) { RegCloseKey(h); }
}  // namespace detail

using OwnedHandle = Owned<HANDLE, detail::close_handle>;
// CreateFileW reports failure with INVALID_HANDLE_VALUE rather than null.
inline OwnedHandle owned_file(HANDLE file) { return OwnedHandle(file == INVALID_HANDLE_VALUE ? nullptr : file); }
using OwnedBitmap = Owned<HBITMAP, detail::delete_gdi_object>;
using OwnedBrush = Owned<HBRUSH, detail::delete_gdi_object>;
using OwnedPen = Owned<HPEN, detail::delete_gdi_object>;
using OwnedFont = Owned<HFONT, detail::delete_gdi_object>;
using OwnedRegion = Owned<HRGN, detail::delete_gdi_object>;
using OwnedDc = Owned<HDC, detail::delete_dc>;
using OwnedIcon = Owned<HICON, detail::destroy_icon>;
using OwnedWindow = Owned<HWND, detail::destroy_window>;
using OwnedMenu = Owned<HMENU, detail::destroy_menu>;
using OwnedGlobal = Owned<HGLOBAL, detail::free_global>;
using OwnedKey = Owned<HKEY, detail::close_key>;

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// An open clipboard, closed when the session ends.
class ClipboardSession {
public:
    explicit ClipboardSession(bool opened) : opened_(opened) {}
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (opened_) CloseClipboard();
    }
    explicit operator bool() const { return opened_; }

private:
    bool opened_;
};

// A locked global memory block, unlocked when the lock ends.
class LockedGlobal {
public:
    explicit LockedGlobal(HGLOBAL block) : block_(block), data_(block ? ::GlobalLock(block) : nullptr) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_) GlobalUnlock(block_);
    }
    void* data() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

}  // namespace korvane
