#include "dialogs/AboutForm.h"
#include "dialogs/artwork.h"
#include "frame/values.h"

namespace zor {

using namespace forms;

namespace {

const Font appNameFont{L"MS Sans Serif", 9.75, true}, versionFont{L"MS Sans Serif", 8.25, true};

std::wstring currentYear() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return decimal(t.wYear);
}

std::vector<Control> aboutDesign() {
    return {
        {.name = L"cmdOK", .kind = Kind::Button, .text = L"&OK", .left = 2520, .top = 1320, .width = 855, .height = 375,
         .flags = DefaultButton | CancelButton},
        {.name = L"lblAppName", .kind = Kind::Label, .text = L"AppName", .left = 1215, .top = 120, .width = 1065,
         .height = 240, .flags = Centred | AutoSize, .font = appNameFont},
        {.name = L"lblVersion", .kind = Kind::Label, .text = L"Version", .left = 1395, .top = 480, .width = 675,
         .height = 195, .flags = Centred | AutoSize, .font = versionFont},
        {.name = L"lblCopyright", .kind = Kind::Label, .text = L"Copyright", .left = 120, .top = 960, .width = 3255, .height = 255},
        {.name = L"Picture1", .kind = Kind::Picture, .left = 240, .top = 120, .width = 480, .height = 480, .image = ZOR_ICON_ABOUT},
        {.name = L"Line1", .kind = Kind::Line, .left = 0, .top = 720, .right = 3360, .bottom = 720},
    };
}

std::vector<Control> zorAboutDesign() {
    return {
        {.name = L"cmdOK", .kind = Kind::Button, .text = L"&OK", .left = 1140, .top = 2880, .width = 1095, .height = 375},
        {.name = L"fraFrame", .kind = Kind::Frame, .left = 240, .top = 1320, .width = 2895, .height = 1335, .flags = WhiteBack},
        {.name = L"picCredits", .kind = Kind::Picture, .left = 300, .top = 0, .width = 2310, .height = 19755,
         .flags = Bitmap, .container = L"fraFrame", .image = ZOR_BITMAP_CREDITS},
        {.name = L"lblCopyright", .kind = Kind::Label, .text = L"Copyright", .left = 0, .top = 720, .width = 3375,
         .height = 495, .flags = Centred},
        {.name = L"lblVersion", .kind = Kind::Label, .text = L"Version", .left = 1395, .top = 360, .width = 675,
         .height = 195, .flags = Centred | AutoSize, .font = versionFont},
        {.name = L"lblAppName", .kind = Kind::Label, .text = L"AppName", .left = 1215, .top = 0, .width = 1065,
         .height = 240, .flags = Centred | AutoSize, .font = appNameFont},
        {.name = L"Picture1", .kind = Kind::Picture, .left = 240, .top = 0, .width = 480, .height = 480},
        {.name = L"Picture2", .kind = Kind::Picture, .left = 0, .top = 0, .width = 480, .height = 480,
         .container = L"Picture1", .image = ZOR_ICON_ABOUT},
        {.name = L"Line1", .kind = Kind::Line, .left = 0, .top = 600, .right = 3360, .bottom = 600},
        {.name = L"Line2", .kind = Kind::Line, .left = 120, .top = 1200, .right = 3240, .bottom = 1200},
        {.name = L"Line3", .kind = Kind::Line, .left = 120, .top = 2760, .right = 3240, .bottom = 2760},
        {.name = L"Line4", .kind = Kind::Line, .left = 120, .top = 1200, .right = 120, .bottom = 2760},
        {.name = L"Line5", .kind = Kind::Line, .left = 3240, .top = 1200, .right = 3240, .bottom = 2760},
    };
}

} // namespace

AboutForm::AboutForm() : Form(L"About", 3420, 1800, aboutDesign()) {}

bool AboutForm::show(const std::wstring& companyName, const std::wstring& appName,
                     const std::wstring& version) {
    companyName_ = companyName;
    appName_ = appName;
    version_ = version;
    showModal();
    return false;
}

void AboutForm::load() {
    setText(L"lblAppName", appName_);
    setText(L"lblVersion", L"Version: " + version_);
    setText(L"lblCopyright", L"\u00A9 Copyright " + companyName_ + L" " + currentYear());
    BringWindowToTop(hwnd());
}

void CreditsScroll::tick() {
    if (ticks < 3) {
        ++ticks;
        return;
    }
    if (!scrolling) {
        top = frameHeight;
        scrolling = true;
        interval = scrollingInterval;
    }
    top -= 2;
    if (top < -pictureHeight) {
        top = 0;
        ticks = 0;
        scrolling = false;
        interval = restingInterval;
    }
}

ZorAboutForm::ZorAboutForm() : Form(L"ZOR About", 3360, 3330, zorAboutDesign()) {}

bool ZorAboutForm::show(const std::wstring& appName, const std::wstring& version) {
    appName_ = appName;
    version_ = version;
    showModal();
    return false;
}

void ZorAboutForm::load() {
    setText(L"lblAppName", appName_);
    setCaption(appName_);
    setText(L"lblVersion", L"Version: " + version_);
    setText(L"lblCopyright", L"\u00A9 Copyright " + currentYear() + L"\r\nZorvane Ltd");
    scroll_ = CreditsScroll{};
    setTimer(scroll_.interval);
    BringWindowToTop(hwnd());
}

void ZorAboutForm::timer() {
    UINT interval = scroll_.interval;
    scroll_.tick();
    setTop(L"picCredits", scroll_.top);
    if (scroll_.interval != interval) setTimer(scroll_.interval);
}

} // namespace zor
