#include "dialogs/CalendarForm.h"
#include <cmath>
#include <cwchar>
#include "frame/values.h"
#include "runtime/dates.h"

namespace zor {

using namespace forms;

namespace {

constexpr int days = 37; // a 31-day month that begins on a Sunday ends at the 37th cell
constexpr int firstYear = 100, lastYear = 9999;
const wchar_t* const months[12] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                   L"July",    L"August",   L"September", L"October", L"November", L"December"};

Control dayButton(int i) {
    static const int lefts[7] = {120, 480, 840, 1200, 1560, 2040, 2400};
    return {.name = L"cmdDate", .kind = Kind::Button, .text = L"0", .left = lefts[i % 7], .top = 360 + 360 * (i / 7),
            .width = 375, .height = 375, .index = i};
}

// The controls in tab order.
std::vector<Control> design() {
    std::vector<Control> c;
    for (int i = 0; i <= 34; ++i) c.push_back(dayButton(i));
    c.push_back({.name = L"cboMonth", .kind = Kind::DropDownList, .left = 120, .top = 2640, .width = 1455, .height = 315});
    c.push_back({.name = L"lblYear", .kind = Kind::Label, .left = 360, .top = 3000, .width = 975, .height = 255,
                 .flags = SingleBorder | Centred});
    c.push_back({.name = L"cmdAddYear", .kind = Kind::Button, .text = L">", .left = 1320, .top = 3000, .width = 255, .height = 255});
    c.push_back({.name = L"cmdDeleteYear", .kind = Kind::Button, .text = L"<", .left = 120, .top = 3000, .width = 255, .height = 255});
    c.push_back(dayButton(36));
    c.push_back(dayButton(35));
    c.push_back({.name = L"lblM", .kind = Kind::Label, .text = L"M", .left = 225, .width = 165, .height = 195});
    c.push_back({.name = L"Label1", .kind = Kind::Label, .text = L"T", .left = 600, .width = 135, .height = 195});
    c.push_back({.name = L"Label2", .kind = Kind::Label, .text = L"W", .left = 930, .width = 195, .height = 195});
    c.push_back({.name = L"Label3", .kind = Kind::Label, .text = L"Th", .left = 1275, .width = 225, .height = 195});
    c.push_back({.name = L"Label4", .kind = Kind::Label, .text = L"F", .left = 1695, .width = 105, .height = 195});
    c.push_back({.name = L"Label5", .kind = Kind::Label, .text = L"Sa", .left = 2040, .width = 195, .height = 195});
    c.push_back({.name = L"Label6", .kind = Kind::Label, .text = L"Su", .left = 2400, .width = 195, .height = 195});
    c.push_back({.name = L"cmdToday", .kind = Kind::Button, .text = L"&Today", .left = 1800, .top = 3000, .width = 975,
                 .height = 255, .flags = DefaultButton | CancelButton});
    c.push_back({.name = L"Line1", .kind = Kind::Line, .left = 0, .top = 240, .right = 2880, .bottom = 240});
    return c;
}

SYSTEMTIME today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

// Day of the week with Sunday 1 and Saturday 7 (day 0 of the Date type was a Saturday).
int weekday(DATE d) {
    long n = static_cast<long>(std::floor(d));
    return static_cast<int>(((n + 6) % 7 + 7) % 7) + 1;
}

} // namespace

CalendarForm::CalendarForm() : Form(L"Calendar", 2850, 3330, design()) {}

CalendarForm& threadCalendar() {
    // Deliberately never freed: it must outlive every call on its thread, and a destructor run
    // at thread exit could find the library already unloaded.
    thread_local CalendarForm* calendar = nullptr;
    if (!calendar) calendar = new CalendarForm();
    return *calendar;
}

std::wstring CalendarForm::pickDate() {
    showModal();
    return date_;
}

void CalendarForm::load() {
    fillMonthList();
    showToday();
    BringWindowToTop(hwnd());
}

void CalendarForm::click(const Control& c) {
    std::wstring_view name = c.name;
    if (name == L"cmdDate") pickDay(c.index);
    else if (name == L"cmdToday") showToday();
    else if (name == L"cmdAddYear") stepYear(+1);
    else if (name == L"cmdDeleteYear") stepYear(-1);
}

void CalendarForm::change(const Control&) { showChosenMonth(); }

short CalendarForm::fillMonthList() {
    for (const wchar_t* m : months) SendMessageW(control(L"cboMonth"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m));
    return 0;
}

void CalendarForm::showChosenMonth() {
    std::wstring year = text(L"lblYear");
    int y = year.empty() ? today().wYear : std::wcstol(year.c_str(), nullptr, 10);
    showMonth(makeDate(y, listIndex() + 1, 1));
}

void CalendarForm::showChosenYear() {
    showMonth(makeDate(std::wcstol(text(L"lblYear").c_str(), nullptr, 10), listIndex() + 1, 1));
}

short CalendarForm::showMonth(DATE date) {
    for (int i = 0; i < days; ++i) {
        setBold(L"cmdDate", i, false);
        setVisible(L"cmdDate", i, false);
    }
    int n = daysInMonth(date);
    DATE first = date - (calendarDate(date).day - 1);
    int w = weekday(first);
    int offset = w == 1 ? 6 : w - 2;
    SYSTEMTIME now = today();
    bool shownMonthIsCurrent = decimal(now.wYear) == text(L"lblYear") && now.wMonth == listIndex() + 1;
    for (int d = 1; d <= n; ++d) {
        int i = offset + d - 1;
        setVisible(L"cmdDate", i, true);
        setBold(L"cmdDate", i, shownMonthIsCurrent && now.wDay == d);
        setText(L"cmdDate", i, decimal(d));
    }
    return 0;
}

void CalendarForm::showToday() {
    SYSTEMTIME now = today();
    setListIndex(now.wMonth - 1);
    setYear(decimal(now.wYear));
}

void CalendarForm::stepYear(int by) {
    // The year stays within the years that the Date type can hold.
    long y = std::wcstol(text(L"lblYear").c_str(), nullptr, 10) + by;
    setYear(decimal(y < firstYear ? firstYear : y > lastYear ? lastYear : y));
}

void CalendarForm::pickDay(int index) {
    date_ = text(L"cmdDate", index) + L"/" + decimal(listIndex() + 1) + L"/" + text(L"lblYear");
    unload();
}

int CalendarForm::daysInMonth(DATE date) {
    CalendarDate d = calendarDate(date);
    int k = 28;
    while (isValidDate(d.year, d.month, k)) ++k;
    return k - 1;
}

int CalendarForm::listIndex() { return static_cast<int>(SendMessageW(control(L"cboMonth"), CB_GETCURSEL, 0, 0)); }

void CalendarForm::setListIndex(int position) {
    SendMessageW(control(L"cboMonth"), CB_SETCURSEL, position, 0);
    showChosenMonth();
}

void CalendarForm::setYear(const std::wstring& text) {
    setText(L"lblYear", text);
    showChosenYear();
}

} // namespace zor
