// Error numbers and their HRESULTs, and the Win32 codes they come from.
#include "client.h"
#include "runtime/errors.h"

using zor::Error;

TEST(Errors, NumbersMapToControlHresultsAndBack) {
    struct Case {
        long n;
        HRESULT hr;
    } cases[] = {{5, (HRESULT)0x800A0005}, {6, (HRESULT)0x800A0006}, {53, (HRESULT)0x800A0035},
                 {62, (HRESULT)0x800A003E}, {70, (HRESULT)0x800A0046}, {76, (HRESULT)0x800A004C}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.hr, Error(c.n).hresult());
        EXPECT_EQ(c.n, Error::fromHresult(c.hr).number);
    }
    Error foreign = Error::fromHresult(E_ACCESSDENIED);
    EXPECT_EQ(0, foreign.number);
    EXPECT_EQ(E_ACCESSDENIED, foreign.hresult());
    EXPECT_FALSE(foreign.description().empty());
    EXPECT_EQ(13, Error::fromHresult(DISP_E_TYPEMISMATCH).number);
}

TEST(Errors, Win32ErrorsBecomeCatalogueNumbers) {
    struct Case {
        DWORD code;
        long n;
    } cases[] = {{ERROR_FILE_NOT_FOUND, 53}, {ERROR_PATH_NOT_FOUND, 76}, {ERROR_ACCESS_DENIED, 70},
                 {ERROR_SHARING_VIOLATION, 70}, {ERROR_ALREADY_EXISTS, 58}, {ERROR_FILE_EXISTS, 58},
                 {ERROR_INVALID_NAME, 52}, {ERROR_HANDLE_EOF, 62}, {ERROR_DISK_FULL, 61}, {ERROR_NOT_READY, 71},
                 {ERROR_GEN_FAILURE, 75}};
    for (const auto& c : cases) EXPECT_EQ(c.n, Error::fromWin32(c.code).number) << c.code;
}
