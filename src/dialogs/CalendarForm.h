// The calendar dialog: one month as a grid of day buttons (Monday first), a month list, a year
// box with previous and next buttons, and Today. A day's click stores its date text as
// day/month/year and closes the window; the stored text outlives the window.
#pragma once
#include "dialogs/form.h"
#include <oleauto.h>

namespace zor {

class CalendarForm final : public forms::Form {
public:
    CalendarForm();

    // Shows the window modally, then gives the stored date text.
    std::wstring pickDate();
    // Lays out the day buttons for the month that holds date.
    short showMonth(DATE date);
    short fillMonthList();

private:
    void load() override;
    void click(const forms::Control& c) override;
    void change(const forms::Control& c) override;

    void showChosenMonth();
    void showChosenYear();
    void pickDay(int index);
    void showToday();
    void stepYear(int by); // cmdAddYear and cmdDeleteYear

    int daysInMonth(DATE date);
    int listIndex();
    void setListIndex(int position); // as a user's choice, it redisplays the month
    void setYear(const std::wstring& text); // the same for the year text

    std::wstring date_; // the stored date text
};

// The calling thread's calendar: made on first use and kept while the library is loaded.
CalendarForm& threadCalendar();

} // namespace zor
