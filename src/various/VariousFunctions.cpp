#include "various/VariousFunctions.h"
#include <algorithm>
#include <cmath>
#include "runtime/platform.h"
#include "runtime/pump.h"
#include "runtime/text.h"

namespace zor {

STDMETHODIMP VariousFunctions::DataExists(BSTR strData, VARIANT_BOOL* result) {
    return untrapped(result, [&] { return !trimSpaces(str(strData)).empty(); });
}

STDMETHODIMP VariousFunctions::ExtractDecimal(BSTR strIN, short intDecimals, BSTR* result) {
    return untrapped(result, [&] {
        if (intDecimals < 0) throw Error(errIllegalCall);
        std::wstring in = str(strIN);
        const size_t decimals = static_cast<size_t>(intDecimals);
        std::wstring out;
        size_t p = in.find(L'.');
        if (p == std::wstring::npos) {
            out = trimSpaces(in);
            out.append(decimals, L'0');
        } else {
            std::wstring_view whole = std::wstring_view(in).substr(0, p);
            std::wstring_view fraction = std::wstring_view(in).substr(p + 1);
            out = whole;
            if (fraction.size() >= decimals) {
                out += fraction.substr(0, decimals); // surplus decimals are cut off, not rounded
            } else {
                out += fraction;
                out.append(decimals - fraction.size(), L'0');
            }
        }
        return out;
    });
}

// Waits on the caller's thread and lets its window messages run. Between message-pump steps
// the thread blocks until a message arrives or the time is up, so the wait costs no processor.
STDMETHODIMP VariousFunctions::Sleep(double* Seconds, VARIANT_BOOL* result) {
    return untrapped(result, inout(Seconds), [&](const double seconds) {
        const PlatformApi& clock = platform();
        double start = clock.secondsSinceMidnight();
        double elapsed = clock.secondsSinceMidnight() - start;
        while (elapsed < seconds) {
            pumpMessages();
            // Whole milliseconds up to the deadline, at most a second so that a clock that was
            // set back or forward is looked at again soon.
            double remaining = std::min(seconds - elapsed, 1.0);
            clock.waitForMessage(static_cast<DWORD>(std::ceil(remaining * 1000.0)));
            double now = clock.secondsSinceMidnight();
            // Midnight has passed since the start: the clock went back to 0.
            if (static_cast<float>(start) > static_cast<float>(now)) start -= 86400.0;
            elapsed = now - start;
        }
        return false;
    });
}

STDMETHODIMP VariousFunctions::ExtractRubbish(BSTR strIN, BSTR* result) {
    return untrapped(result, [&] {
        std::wstring out;
        for (wchar_t c : str(strIN)) {
            unsigned char code = ansiCode(c);
            bool digit = code >= '0' && code <= '9';
            bool upper = code >= 'A' && code <= 'Z';
            bool lower = code >= 'a' && code <= 'z';
            if (digit || upper || lower) out += c;
        }
        return out;
    });
}

} // namespace zor
