// The calendar dialog: one month as a grid of day buttons (Monday first), a month list, a year
// box with previous and next buttons, and Today. A day's click stores its date text as
// day/month/year and closes the window; the stored text outlives the window.
#pragma once
#include "form.h"
#include <oleauto.h>

namespace zor {

class frmCalendar final : public forms::Form {
public:
    frmCalendar();

    // Shows the window modally, then gives the stored date text.
    std::wstring CalDate();
    // Lays out the day buttons for the month that holds dteDate.
    short DisplayDates(DATE dteDate);
    short PopulateMonth();

private:
    void load() override;
    void click(const forms::Control& c) override;
    void change(const forms::Control& c) override;

    void cboMonth_Click();
    void lblYear_Change();
    void cmdDate_Click(int index);
    void cmdToday_Click();
    void stepYear(int by); // cmdAddYear and cmdDeleteYear

    int GetDaysInMonth(DATE dteDate);
    int listIndex();
    void setListIndex(int position); // as a user's choice, it redisplays the month
    void setYear(const std::wstring& text); // the same for the year text

    std::wstring strDate_; // the stored date text
};

// The calling thread's calendar: made on first use and kept while the library is loaded.
frmCalendar& threadCalendar();

} // namespace zor
