#include "crypt/EncryptFunctions.h"
#include <algorithm>
#include <optional>
#include <vector>
#include "crypt/keystream.h"
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
    return untrapped(result, [&] {
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
        return out;
    });
}

STDMETHODIMP EncryptFunctions::DecryptString(BSTR strStringIn, BSTR strPassword, BSTR* result) {
    return untrapped(result, [&] {
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
        return out;
    });
}

void EncryptFunctions::CryptBuffer(std::span<unsigned char> block, std::wstring_view password) {
    KeyStream keys(password);
    keys.scramble(block);
}

// Writes a scrambled copy of strFileIn to strFileOut, exactly as long as the input, one block
// in memory at a time. With blnReplace true the finished copy then takes the input's place in
// one rename (across volumes: copied beside the input, then renamed), so a failure never loses
// the input. Input and output naming the same file scramble it in place: the scrambled text
// goes to a file beside it and takes its place only when all of it is written and flushed, so
// a failure at any point leaves the input as it was and nothing beside it.
STDMETHODIMP EncryptFunctions::CryptFile(BSTR strFileIn, BSTR strFileOut, BSTR strPassword, VARIANT blnReplace,
                                         VARIANT_BOOL* result) {
    return trapped(result, false, [&] {
        // Paths of any length the platform allows (the scratch name beside a long one is longer still).
        const std::wstring fileIn = extendedPath(str(strFileIn)), fileOut = extendedPath(str(strFileOut)),
                           password = str(strPassword);
        // The input is opened for reading and writing, never created: a missing or read-only
        // input fails before anything is written.
        FileChannel input(fileIn, OpenMode::Update);
        const bool inPlace = input.isSameFileAs(fileOut);
        std::optional<ScratchFile> scratch;
        if (inPlace) scratch.emplace(fileIn);
        // An existing output is written over rather than emptied first (it may be a hidden or
        // system file), then cut after the last block.
        FileChannel output(inPlace ? scratch->path() : fileOut, OpenMode::Binary);

        const unsigned long long length = input.size();
        std::vector<unsigned char> block(blockSize);
        for (unsigned long long offset = 0; offset < length; offset += blockSize) {
            std::span<unsigned char> part(block.data(), static_cast<size_t>(std::min<unsigned long long>(blockSize, length - offset)));
            input.readExact(part.data(), part.size());
            CryptBuffer(part, password);
            output.writeBytes(std::string_view(reinterpret_cast<const char*>(part.data()), part.size()));
        }
        output.cutHere();
        if (inPlace) output.flush();
        output.close();
        const DWORD attributes = GetFileAttributesW(fileIn.c_str());
        input.close();
        // A value that is no Boolean fails here, the input still as it was.
        const bool replace = !isMissing(blnReplace) && variantBool(blnReplace);

        if (inPlace) {
            // The scrambled file keeps the input's hidden and system marks; setting them alone
            // would clear the archive mark Windows gives a written file, and backups would pass it by.
            const DWORD marks = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
            if (marks) SetFileAttributesW(scratch->path().c_str(), marks | FILE_ATTRIBUTE_ARCHIVE);
            replaceFile(scratch->path(), fileIn);
            scratch->keep();
        } else if (replace) {
            replaceFile(fileOut, fileIn);
        }
        return true;
    });
}

} // namespace zor
