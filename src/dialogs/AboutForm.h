// The two about boxes: the plain one for the caller's application (name, version, copyright of
// the caller's company) and the maker's box with its scrolling credits.
#pragma once
#include "dialogs/form.h"

namespace zor {

class AboutForm final : public forms::Form {
public:
    AboutForm();
    // Stores the texts and shows the box modally; the result is never set.
    bool show(const std::wstring& companyName, const std::wstring& appName, const std::wstring& version);

private:
    void load() override;
    void click(const forms::Control&) override { unload(); } // cmdOK

    std::wstring companyName_, appName_, version_;
};

// The credits scroll as a two-state cycle. Resting (interval 1000 ms, top 0): three ticks only
// count, the fourth enters Scrolling (interval 4 ms), which starts the picture just below the
// panel and moves it up 2 twips a tick until it has passed above the panel; then it rests again.
struct CreditsScroll {
    static constexpr int frameHeight = 1335, pictureHeight = 19755; // twips
    static constexpr UINT restingInterval = 1000, scrollingInterval = 4; // milliseconds

    long ticks = 0;
    bool scrolling = false;
    int top = 0; // of the picture inside the panel, twips
    UINT interval = restingInterval;

    void tick();
};

class ZorAboutForm final : public forms::Form {
public:
    ZorAboutForm();
    bool show(const std::wstring& appName, const std::wstring& version);

private:
    void load() override;
    void click(const forms::Control&) override { unload(); } // cmdOK
    void timer() override; // tmrTimer

    std::wstring appName_, version_;
    CreditsScroll scroll_;
};

} // namespace zor
