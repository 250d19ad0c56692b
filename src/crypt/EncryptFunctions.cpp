#include "EncryptFunctions.h"
#include <vector>
#include "keystream.h"
#include "runtime/files.h"
#include "runtime/text.h"

namespace zor {

namespace {

// Files are scrambled in blocks of this size; the key stream restarts with every block.
constexpr DWORD blockSize = 4096;

void checkLength(std::wstring_view text) {
    if (text.size() > maxCryptLength) throw Error(errOverflow);
}

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// A hexadecimal number read the lenient way of the scrambled-string format: blanks, tabs and
// line feeds are skipped, the first other non-digit ends the number, no digit at all is 0.
unsigned readHex(std::wstring_view digits) {
    unsigned value = 0;
    for (wchar_t c : digits) {
        if (c == L' ' || c == L'\t' || c == L'\n') continue;
        int d = hexDigit(c);
        if (d < 0) break;
        value = value * 16 + static_cast<unsigned>(d);
    }
    return value;
}

} // namespace

STDMETHODIMP EncryptFunctions::EncryptString(BSTR strStringIn, BSTR strPassword, BSTR* result) {
    return untrapped([&] {
        static const wchar_t hex[] = L"0123456789ABCDEF";
        KeyStream keys(str(strPassword));
        std::wstring in = str(strStringIn);
        checkLength(in);
        std::wstring out;
        out.reserve(2 * in.size());
        for (wchar_t c : in) {
            unsigned k = keys.next();
            unsigned v = ansiCode(c) ^ k;
            out += hex[v >> 4];
            out += hex[v & 15];
        }
        *result = newBstr(out);
    });
}

STDMETHODIMP EncryptFunctions::DecryptString(BSTR strStringIn, BSTR strPassword, BSTR* result) {
    return untrapped([&] {
        KeyStream keys(str(strPassword));
        std::wstring in = str(strStringIn);
        checkLength(in);
        std::wstring out;
        out.reserve(in.size() / 2 + 1);
        for (size_t i = 0; i < in.size(); i += 2) {
            unsigned k = keys.next(); // taken before the digits are read
            unsigned v = readHex(std::wstring_view(in).substr(i, 2));
            out += ansiChar(static_cast<unsigned char>(v ^ k));
        }
        *result = newBstr(out);
    });
}

void EncryptFunctions::CryptBuffer(std::span<unsigned char> block, std::wstring_view password) {
    KeyStream keys(password);
    keys.scramble(block);
}

// Writes a scrambled copy of strFileIn to strFileOut, exactly as long as the input, one block
// in memory at a time. With blnReplace true the finished copy then takes the input's place in
// one rename, so a failure never loses the input. Input and output naming the same file
// scramble it in place.
STDMETHODIMP EncryptFunctions::CryptFile(BSTR strFileIn, BSTR strFileOut, BSTR strPassword, VARIANT blnReplace,
                                         VARIANT_BOOL* result) {
    return trappedBool(result, [&] {
        const std::wstring fileIn = str(strFileIn), fileOut = str(strFileOut), password = str(strPassword);
        FileChannel input(fileIn, OpenMode::Input); // a missing input creates nothing
        const bool inPlace = input.isSameFileAs(fileOut);
        FileChannel output(fileOut, inPlace ? OpenMode::Update : OpenMode::Output);

        const unsigned long long length = input.size();
        std::vector<unsigned char> block(blockSize);
        for (unsigned long long n = length / blockSize; n > 0; --n) {
            input.readExact(block.data(), blockSize);
            CryptBuffer(block, password);
            output.writeBytes(std::string_view(reinterpret_cast<const char*>(block.data()), blockSize));
        }
        if (DWORD r = static_cast<DWORD>(length % blockSize)) {
            std::span<unsigned char> last(block.data(), r);
            input.readExact(last.data(), r);
            CryptBuffer(last, password);
            output.writeBytes(std::string_view(reinterpret_cast<const char*>(last.data()), r));
        }
        input.close();
        output.close();

        bool replace = !isMissing(blnReplace) && variantBool(blnReplace);
        if (replace && !inPlace) replaceFile(fileOut, fileIn);
        *result = VARIANT_TRUE;
    });
}

} // namespace zor
