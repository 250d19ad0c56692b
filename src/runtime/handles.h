// Owners for the platform's handles: each closes what it holds when it goes, so every path out
// of a method (return or error) leaves nothing open. The frame uses them; they know nothing of it.
#pragma once
#include <windows.h>
#include <cstdint>
#include <utility>

namespace zor {

// A handle with a closing function; EmptyValue is the value that means "nothing held".
template <class H, auto Close, intptr_t EmptyValue = 0>
class Owner {
public:
    Owner() = default;
    explicit Owner(H h) : h_(h) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& o) noexcept : h_(std::exchange(o.h_, empty())) {}
    Owner& operator=(Owner&& o) noexcept { std::swap(h_, o.h_); return *this; }
    ~Owner() { close(); }
    H get() const { return h_; }
    explicit operator bool() const { return h_ != empty(); }
    H* out() { close(); return &h_; }
    H release() { return std::exchange(h_, empty()); }
    void close() {
        if (h_ != empty()) Close(std::exchange(h_, empty()));
    }
private:
    static H empty() { return reinterpret_cast<H>(EmptyValue); }
    H h_ = empty();
};

namespace detail {
inline void closeHandle(HANDLE h) { CloseHandle(h); }
inline void closeKey(HKEY k) { RegCloseKey(k); }
inline void deleteGdiObject(HGDIOBJ o) { DeleteObject(o); }
inline void deleteDc(HDC dc) { DeleteDC(dc); }
inline void destroyWindow(HWND w) { DestroyWindow(w); }
} // namespace detail

// A kernel handle; INVALID_HANDLE_VALUE from a failed open counts as nothing held.
class Handle : public Owner<HANDLE, &detail::closeHandle> {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : Owner(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
};

using RegKey = Owner<HKEY, &detail::closeKey>;
using GdiObject = Owner<HGDIOBJ, &detail::deleteGdiObject>;
using MemoryDc = Owner<HDC, &detail::deleteDc>;
using Window = Owner<HWND, &detail::destroyWindow>;

} // namespace zor
