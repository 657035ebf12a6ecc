#pragma once
// One move-only owner per kind of handle: unique_handle<T, Close> and one alias per kind.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shtypes.h>

#include <memory>
#include <utility>

namespace lumbra::win32 {

// What counts as "no handle": null for most kinds, INVALID_HANDLE_VALUE for files and finds.
template <class T>
struct null_invalid {
    static T invalid() noexcept { return T{}; }
};
struct minus_one_invalid {
    static HANDLE invalid() noexcept { return INVALID_HANDLE_VALUE; }
};

template <class T, auto Close, class Invalid = null_invalid<T>>
class unique_handle {
public:
    unique_handle() noexcept = default;
    explicit unique_handle(T value) noexcept : value_(value) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_handle() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Invalid::invalid(); }
    T release() noexcept { return std::exchange(value_, Invalid::invalid()); }
    void reset(T value = Invalid::invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Invalid::invalid()) Close(old);
    }
    // For out-parameters: frees the current value and hands out the slot.
    T* put() noexcept {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid::invalid();
};

namespace detail {
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void CloseHandleChecked(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseFind(HANDLE h) noexcept { ::FindClose(h); }
inline void CloseChangeNotification(HANDLE h) noexcept { ::FindCloseChangeNotification(h); }
inline void DestroyIconChecked(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DestroyMenuChecked(HMENU menu) noexcept { ::DestroyMenu(menu); }
inline void DestroyWindowChecked(HWND window) noexcept { ::DestroyWindow(window); }
inline void DeleteObjectChecked(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void DeleteDcChecked(HDC dc) noexcept { ::DeleteDC(dc); }
inline void FreeLibraryChecked(HMODULE module) noexcept { ::FreeLibrary(module); }
}  // namespace detail

using unique_hkey = unique_handle<HKEY, detail::CloseKey>;
using unique_handle_ptr = unique_handle<HANDLE, detail::CloseHandleChecked>;
using unique_file = unique_handle<HANDLE, detail::CloseHandleChecked, minus_one_invalid>;
using unique_find = unique_handle<HANDLE, detail::CloseFind, minus_one_invalid>;
using unique_change_notification = unique_handle<HANDLE, detail::CloseChangeNotification, minus_one_invalid>;
using unique_hicon = unique_handle<HICON, detail::DestroyIconChecked>;
using unique_hmenu = unique_handle<HMENU, detail::DestroyMenuChecked>;
using unique_hwnd = unique_handle<HWND, detail::DestroyWindowChecked>;
using unique_hbitmap = unique_handle<HBITMAP, detail::DeleteObjectChecked>;
using unique_hbrush = unique_handle<HBRUSH, detail::DeleteObjectChecked>;
using unique_hfont = unique_handle<HFONT, detail::DeleteObjectChecked>;
using unique_hdc = unique_handle<HDC, detail::DeleteDcChecked>;
using unique_hmodule = unique_handle<HMODULE, detail::FreeLibraryChecked>;

// Memory the shell hands out with CoTaskMemAlloc (item ID lists among it).
struct co_task_mem_deleter {
    void operator()(void* memory) const noexcept { ::CoTaskMemFree(memory); }
};
using unique_item_id = std::unique_ptr<ITEMIDLIST, co_task_mem_deleter>;

// A window's DC taken with GetDC, given back with ReleaseDC.
class window_dc {
public:
    explicit window_dc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Puts an object into a DC for the scope and puts the previous one back.
class select_object {
public:
    select_object(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;
    ~select_object() {
        if (previous_) ::SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// One-off clean-up at the end of a scope.
template <class F>
class scope_exit {
public:
    explicit scope_exit(F f) noexcept : f_(std::move(f)) {}
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;
    ~scope_exit() { f_(); }

private:
    F f_;
};

// COM initialised on this thread for the scope (apartment-threaded, as the shell wants).
class com_apartment {
public:
    com_apartment() noexcept : hr_(::OleInitialize(nullptr)) {}
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;
    ~com_apartment() {
        if (SUCCEEDED(hr_)) ::OleUninitialize();
    }
    bool ok() const noexcept { return SUCCEEDED(hr_); }

private:
    HRESULT hr_;
};

}  // namespace lumbra::win32
