#include "dialogs/form.h"
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cwchar>
#include <exception>
#include "runtime/module.h"
#include "runtime/errors.h"

namespace zor::forms {

namespace {

constexpr int firstId = 100; // control ids stay clear of IDOK and IDCANCEL

int screenDpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

// An empty dialog template: the controls are created in pixels afterwards.
std::vector<WORD> dialogTemplate(const std::wstring& caption) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD) + 2, 0); // + no menu, default class
    auto* d = reinterpret_cast<DLGTEMPLATE*>(t.data());
    d->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
    d->cdit = 0;
    t.insert(t.end(), caption.begin(), caption.end());
    t.push_back(0);
    return t;
}

void failIf(bool failed) {
    if (failed) throw Error::fromHresult(HRESULT_FROM_WIN32(GetLastError()));
}

} // namespace

int pixels(int twips) {
    static const int dpi = screenDpi();
    return MulDiv(twips, dpi, 1440);
}

Form::Form(std::wstring caption, int width, int height, std::vector<Control> controls)
    : caption_(std::move(caption)), width_(width), height_(height), controls_(std::move(controls)) {}

Form::~Form() = default;

void Form::showModal() {
    if (hwnd_) throw Error(errIllegalCall); // already showing: a call from one of its own events
    try {
        run();
    } catch (...) {
        release();
        throw;
    }
    release();
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void Form::run() {
    owner_ = GetActiveWindow();
    if (owner_ && !IsWindowVisible(owner_)) owner_ = nullptr;
    if (!owner_) {
        // An owned window stays out of the taskbar; a hidden owner stands in for a missing one.
        hiddenOwner_ = Window(CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                              thisModule(), nullptr));
        failIf(!hiddenOwner_);
    }
    auto tmpl = dialogTemplate(caption_);
    hwnd_ = Window(CreateDialogIndirectParamW(thisModule(), reinterpret_cast<DLGTEMPLATE*>(tmpl.data()),
                                              owner_ ? owner_ : hiddenOwner_.get(), &Form::dialogProc,
                                              reinterpret_cast<LPARAM>(this)));
    failIf(!hwnd_);
    create();
    place();
    open_ = true;
    load();

    if (owner_) EnableWindow(owner_, FALSE);
    if (open_) {
        ShowWindow(hwnd(), SW_SHOW);
        if (HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE))
            SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
    while (open_) {
        MSG msg;
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam)); // the caller's loop ends too
            break;
        }
        if (!IsDialogMessageW(hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Form::release() {
    open_ = false;
    if (owner_) EnableWindow(owner_, TRUE); // before the window goes, so that the owner is activated
    owner_ = nullptr;
    hwnd_.close();
    hiddenOwner_.close();
    windows_.clear();
    fonts_.clear();
    bitmaps_.clear();
    icons_.clear();
    defaultFont_.close();
    boldFont_.close();
}

void Form::unload() {
    open_ = false;
    if (hwnd()) {
        ShowWindow(hwnd(), SW_HIDE);
        PostMessageW(hwnd(), WM_NULL, 0, 0); // wakes the modal loop when a sent message closed it
    }
}

void Form::create() {
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    defaultFont_ = GdiObject(CreateFontIndirectW(&lf));
    lf.lfWeight = FW_BOLD;
    boldFont_ = GdiObject(CreateFontIndirectW(&lf));
    failIf(!defaultFont_ || !boldFont_);
    windows_.assign(controls_.size(), nullptr);
    for (size_t i = 0; i < controls_.size(); ++i) createControl(i);
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].flags & DefaultButton) SendMessageW(hwnd(), DM_SETDEFID, firstId + i, 0);
}

HFONT Form::fontFor(const Font& f) {
    if (!*f.face) return static_cast<HFONT>(f.bold ? boldFont_.get() : defaultFont_.get());
    HDC dc = GetDC(hwnd());
    int height = -MulDiv(static_cast<int>(f.points * 100 + 0.5), GetDeviceCaps(dc, LOGPIXELSY), 7200);
    ReleaseDC(hwnd(), dc);
    fonts_.emplace_back(CreateFontW(height, 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                    0, 0, f.face));
    failIf(!fonts_.back());
    return static_cast<HFONT>(fonts_.back().get());
}

void Form::createControl(size_t i) {
    const Control& c = controls_[i];
    HWND parent = c.container ? windows_[find(c.container, -1)] : hwnd();
    DWORD style = WS_CHILD | WS_VISIBLE, ex = 0;
    const wchar_t* cls = L"Static";
    int x = pixels(c.left), y = pixels(c.top), w = pixels(c.width), h = pixels(c.height);
    switch (c.kind) {
    case Kind::Label:
        style |= SS_NOPREFIX | (c.flags & Centred ? SS_CENTER : SS_LEFT) | (c.flags & SingleBorder ? WS_BORDER : 0);
        break;
    case Kind::Button:
        cls = L"Button";
        style |= WS_TABSTOP | (c.flags & DefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
    case Kind::TextBox:
        cls = L"Edit";
        style |= WS_TABSTOP | ES_AUTOHSCROLL | (c.flags & PasswordChar ? ES_PASSWORD : 0);
        ex = WS_EX_CLIENTEDGE;
        break;
    case Kind::DropDownList:
        cls = L"ComboBox";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        h += pixels(2400); // room for the opened list
        break;
    case Kind::Picture:
        style |= c.image ? (c.flags & Bitmap ? SS_BITMAP : SS_ICON) : 0;
        break;
    case Kind::Frame:
        style |= WS_CLIPCHILDREN;
        break;
    case Kind::Line: {
        bool flat = c.top == c.bottom;
        style |= flat ? SS_ETCHEDHORZ : SS_ETCHEDVERT;
        x = pixels(std::min(c.left, c.right));
        y = pixels(std::min(c.top, c.bottom));
        w = flat ? pixels(std::abs(c.right - c.left)) : 2;
        h = flat ? 2 : pixels(std::abs(c.bottom - c.top));
        break;
    }
    }
    HWND wnd = CreateWindowExW(ex, cls, c.text, style, x, y, w, h, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId + i)), thisModule(), nullptr);
    failIf(!wnd);
    windows_[i] = wnd;
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c.font)), FALSE);
    if (c.flags & AutoSize) fit(i);
    if (c.maxLength) SendMessageW(wnd, EM_LIMITTEXT, c.maxLength, 0);
    if (c.flags & PasswordChar) SendMessageW(wnd, EM_SETPASSWORDCHAR, L'*', 0);
    if (c.kind == Kind::DropDownList) SendMessageW(wnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), pixels(c.height) - 6);
    if (c.kind == Kind::Picture && c.image) {
        // The picture takes the image's size.
        bool bitmap = c.flags & Bitmap;
        HANDLE img = LoadImageW(thisModule(), MAKEINTRESOURCEW(c.image), bitmap ? IMAGE_BITMAP : IMAGE_ICON,
                                bitmap ? 0 : 32, bitmap ? 0 : 32, 0);
        failIf(!img);
        if (bitmap) bitmaps_.emplace_back(img);
        else icons_.emplace_back(static_cast<HICON>(img));
        SendMessageW(wnd, STM_SETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, reinterpret_cast<LPARAM>(img));
    }
}

void Form::place() {
    RECT r{0, 0, pixels(width_), pixels(height_)};
    AdjustWindowRectEx(&r, GetWindowLongW(hwnd(), GWL_STYLE), FALSE, GetWindowLongW(hwnd(), GWL_EXSTYLE));
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner_) GetWindowRect(owner_, &around);
    SetWindowPos(hwnd(), nullptr, around.left + (around.right - around.left - w) / 2,
                 around.top + (around.bottom - around.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

size_t Form::find(const wchar_t* name, int index) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].index == index && std::wcscmp(controls_[i].name, name) == 0) return i;
    // A form's code names only its own controls: another name is a mistake in that code, never
    // the caller's, so it stops here instead of reaching the caller as an automation error.
    assert(!"no such control on this form");
    std::abort();
}

HWND Form::control(const wchar_t* name, int index) const { return windows_[find(name, index)]; }

std::wstring Form::text(const wchar_t* name, int index) const {
    HWND w = control(name, index);
    std::wstring t(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
    t.resize(static_cast<size_t>(GetWindowTextW(w, t.data(), static_cast<int>(t.size()))));
    return t;
}

void Form::setText(const wchar_t* name, int index, const std::wstring& text) {
    size_t i = find(name, index);
    SetWindowTextW(windows_[i], text.c_str());
    if (controls_[i].flags & AutoSize) fit(i);
}

// Fits a label's width to its text, keeping the left edge, or the centre of a centred label.
void Form::fit(size_t i) {
    HWND w = windows_[i];
    std::wstring t = text(controls_[i].name, controls_[i].index);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(w, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    int left = controls_[i].flags & Centred ? (r.left + r.right) / 2 - size.cx / 2 : r.left;
    SetWindowPos(w, nullptr, left, r.top, size.cx, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::setVisible(const wchar_t* name, int index, bool visible) {
    ShowWindow(control(name, index), visible ? SW_SHOWNA : SW_HIDE);
}

void Form::setBold(const wchar_t* name, int index, bool bold) {
    SendMessageW(control(name, index), WM_SETFONT, reinterpret_cast<WPARAM>(bold ? boldFont_.get() : defaultFont_.get()),
                 TRUE);
}

void Form::setTop(const wchar_t* name, int top) {
    size_t i = find(name, -1);
    SetWindowPos(windows_[i], nullptr, pixels(controls_[i].left), pixels(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::setFocus(const wchar_t* name) {
    SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(name)), TRUE);
}

void Form::setCaption(const std::wstring& caption) { SetWindowTextW(hwnd(), caption.c_str()); }

void Form::setTimer(UINT milliseconds) { SetTimer(hwnd(), 1, milliseconds, nullptr); }

void Form::messageBox(const std::wstring& text, const std::wstring& title, UINT type) {
    MessageBoxW(hwnd(), text.c_str(), title.c_str(), type);
}

INT_PTR CALLBACK Form::dialogProc(HWND wnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(wnd, DWLP_USER, lp);
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(wnd, DWLP_USER));
    if (!form || !form->open_) return FALSE;
    try {
        return form->handle(message, wp, lp);
    } catch (...) {
        // No exception may pass through the platform's frames: the form closes, and the
        // failure reaches the caller of showModal.
        form->failure_ = std::current_exception();
        form->unload();
        return TRUE;
    }
}

INT_PTR Form::handle(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(wp);
        unsigned flag = id == IDOK ? unsigned{DefaultButton} : id == IDCANCEL ? unsigned{CancelButton} : 0u;
        for (size_t i = 0; i < controls_.size(); ++i) {
            const Control& c = controls_[i];
            bool keyed = flag && (c.flags & flag) && HIWORD(wp) == BN_CLICKED;
            if (keyed || (id == firstId + static_cast<int>(i) && c.kind == Kind::Button && HIWORD(wp) == BN_CLICKED)) {
                click(c);
                return TRUE;
            }
            if (id == firstId + static_cast<int>(i) && c.kind == Kind::DropDownList && HIWORD(wp) == CBN_SELCHANGE) {
                change(c);
                return TRUE;
            }
        }
        return TRUE;
    }
    case WM_TIMER:
        timer();
        return TRUE;
    case WM_CLOSE: // closed by other means than the form's buttons
        unload();
        return TRUE;
    case WM_CTLCOLORSTATIC:
        for (size_t i = 0; i < controls_.size(); ++i)
            if (windows_[i] == reinterpret_cast<HWND>(lp) && (controls_[i].flags & WhiteBack))
                return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        return FALSE;
    }
    return FALSE;
}

} // namespace zor::forms
