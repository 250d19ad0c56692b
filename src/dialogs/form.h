// A small form frame: a modal dialog window built from a table of controls whose positions and
// sizes are in twips (1440 to the inch), run on the caller's thread with the platform's dialog
// navigation (Tab, access keys, Enter for the default button, Escape for the cancel button).
// A form derives from Form, passes its table and handles its events by overriding the hooks.
#pragma once
#include <windows.h>
#include <exception>
#include <string>
#include <vector>
#include "runtime/handles.h"

namespace zor::forms {

enum class Kind { Label, Button, TextBox, DropDownList, Picture, Frame, Line };

enum Flags : unsigned {
    AutoSize = 1,       // a label that fits its width to its text when the text changes
    Centred = 2,        // text centred (an auto-sized label keeps its centre)
    SingleBorder = 4,   // a single-line border
    DefaultButton = 8,  // Enter presses it
    CancelButton = 16,  // Escape presses it
    PasswordChar = 32,  // every character shown as "*"
    WhiteBack = 64,     // a white background
    Bitmap = 128,       // a picture's image is a bitmap, not an icon
};

// A font by face and size; an empty face is the platform's default dialog font.
struct Font {
    const wchar_t* face = L"";
    double points = 0;
    bool bold = false;
};

// One control of a form's table. Geometry in twips, relative to the client area or to the
// container's inside. A line runs from (left, top) to (right, bottom).
struct Control {
    const wchar_t* name;
    Kind kind;
    const wchar_t* text = L"";
    int left = 0, top = 0, width = 0, height = 0;
    unsigned flags = 0;
    Font font{};
    int index = -1;                   // position in a control array, -1 for a single control
    const wchar_t* container = nullptr;
    int maxLength = 0;                // text box: characters accepted, 0 for no limit
    int image = 0;                    // picture: resource number of its icon or bitmap
    int right = 0, bottom = 0;        // line: the end point
};

// Platform pixels of a length in twips, at the screen's resolution (15 twips a pixel at 96 dpi).
int pixels(int twips);

class Form {
public:
    // caption, client area in twips, controls in tab order.
    Form(std::wstring caption, int width, int height, std::vector<Control> controls);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window afresh from the table, runs load, shows it centred on the thread's
    // active window (on the screen when there is none) with that window disabled, and returns
    // when the window has been unloaded or closed by other means (the close box, WM_CLOSE, a
    // quit message, which is put back for the caller's own loop).
    void showModal();

protected:
    // Events.
    virtual void load() {}
    virtual void click(const Control&) {}  // a button pressed (mouse, Space, Enter, access key)
    virtual void change(const Control&) {} // the user chose another entry of a drop-down list
    virtual void timer() {}

    void unload(); // closes the window; showModal returns

    HWND hwnd() const { return hwnd_.get(); }
    HWND control(const wchar_t* name, int index = -1) const;
    std::wstring text(const wchar_t* name, int index = -1) const;
    void setText(const wchar_t* name, int index, const std::wstring& text);
    void setText(const wchar_t* name, const std::wstring& text) { setText(name, -1, text); }
    void setVisible(const wchar_t* name, int index, bool visible);
    void setBold(const wchar_t* name, int index, bool bold); // in the default dialog font
    void setTop(const wchar_t* name, int top);                // twips
    void setFocus(const wchar_t* name);
    void setCaption(const std::wstring& caption);
    void setTimer(UINT milliseconds);                         // the form's one timer
    void messageBox(const std::wstring& text, const std::wstring& title, UINT type);

private:
    static INT_PTR CALLBACK dialogProc(HWND, UINT, WPARAM, LPARAM);
    INT_PTR handle(UINT message, WPARAM wp, LPARAM lp);
    void run();
    void release();
    void create();
    void createControl(size_t i);
    void place();
    void fit(size_t i);
    size_t find(const wchar_t* name, int index) const;
    HFONT fontFor(const Font& f);

    std::wstring caption_;
    int width_, height_;
    std::vector<Control> controls_;
    bool open_ = false;
    HWND owner_ = nullptr;             // the caller's window, disabled while the form shows
    std::exception_ptr failure_;       // from an event, raised again when the form has closed

    // The window goes before the fonts and images that its controls use.
    std::vector<GdiObject> fonts_;
    std::vector<GdiObject> bitmaps_;
    std::vector<Owner<HICON, &DestroyIcon>> icons_;
    GdiObject defaultFont_, boldFont_;
    Window hiddenOwner_;
    Window hwnd_;
    std::vector<HWND> windows_;
};

} // namespace zor::forms
