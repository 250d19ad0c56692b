// The two about boxes: the plain one for the caller's application (name, version, copyright of
// the caller's company) and the maker's box with its scrolling credits.
#pragma once
#include "form.h"

namespace zor {

class frmAbout final : public forms::Form {
public:
    frmAbout();
    // Stores the texts and shows the box modally; the result is never set.
    bool DisplayAbout(const std::wstring& strCompanyName, const std::wstring& strAppName, const std::wstring& strVersion);

private:
    void load() override;
    void click(const forms::Control&) override { unload(); } // cmdOK

    std::wstring strCompanyName_, strAppName_, strVersion_;
};

// The credits scroll as a two-state cycle. Resting (interval 1000 ms, top 0): three ticks only
// count, the fourth enters Scrolling (interval 4 ms), which starts the picture just below the
// panel and moves it up 2 twips a tick until it has passed above the panel; then it rests again.
struct CreditsScroll {
    static constexpr int frameHeight = 1335, pictureHeight = 19755; // twips
    static constexpr UINT resting = 1000, scrolling = 4;             // milliseconds

    long lngTicks = 0;
    bool blnScrolling = false;
    int top = 0; // of the picture inside the panel, twips
    UINT interval = resting;

    void tick();
};

class frmZORAbout final : public forms::Form {
public:
    frmZORAbout();
    bool DisplayAbout(const std::wstring& strAppName, const std::wstring& strVersion);

private:
    void load() override;
    void click(const forms::Control&) override { unload(); } // cmdOK
    void timer() override; // tmrTimer

    std::wstring strAppName_, strVersion_;
    CreditsScroll scroll_;
};

} // namespace zor
