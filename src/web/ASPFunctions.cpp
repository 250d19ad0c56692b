// ASPFunctions: values and HTML pieces that a server page script writes into its page. Every
// failure becomes an error text returned as the result; nothing reaches the page script as an
// automation error.
#include "web/ASPFunctions.h"
#include "web/CounterFile.h"
#include "textfile/TextFileFunctions.h"
#include "runtime/html.h"
#include "runtime/leadingnumber.h"
#include "runtime/listing.h"
#include "runtime/files.h"
#include "runtime/longdate.h"
#include "runtime/pump.h"
#include "runtime/readers.h"
#include "runtime/text.h"

namespace zor {

namespace {

// blnIncrement counts only when it compares equal to True (-1); a value that is no number
// (a word, Null) simply does not compare equal.
bool isTrue(const VARIANT& v) {
    if (isMissing(v)) return false;
    try {
        return variantNumber(v) == -1.0;
    } catch (const Error&) {
        return false;
    }
}

} // namespace

STDMETHODIMP ASPFunctions::GetCounter(BSTR strFilename, VARIANT blnIncrement, VARIANT* result) {
    return trappedText(result, L"There was an error in the GetCounter function: ", [&] {
        const std::wstring name = str(strFilename);
        if (!fileExists(name) && CounterFile::createWithOne(name)) return variantOf(short(1));
        // Incrementing requests take turns on the counter; a request that only reads never waits.
        const bool increment = isTrue(blnIncrement);
        CounterFile counter(name, increment);
        long count = counter.read();
        if (!increment) return variantOf(count);
        if (count == LONG_MAX) throw Error(errOverflow); // the stored count stays as it is
        counter.write(count + 1);
        return variantOf(count + 1);
    });
}

STDMETHODIMP ASPFunctions::GetFileDate(BSTR strFilePathAndName, VARIANT* result) {
    return trappedText(result, L"There was an error in the GetFileDate function: ", [&] {
        const std::wstring name = str(strFilePathAndName);
        if (fileExists(name)) return longDate(lastWriteLocal(name));
        return std::wstring(L"File does not exist...");
    });
}

STDMETHODIMP ASPFunctions::ReadTextFile(BSTR strFilename, VARIANT* result) {
    return trappedText(result, L"There was an error in the ReadTextFile function: ", [&] {
        const std::wstring name = str(strFilename);
        if (!fileExists(name)) return std::wstring(L"File Does Not Exist!!!");
        // A file's markup is copied as it stands: the page script gets the file's HTML.
        TextReader reader(readTextFile(name));
        std::wstring html;
        html.reserve(reader.text().size() + reader.text().size() / 8);
        MessagePump pump;
        while (!reader.atEnd()) {
            std::wstring_view line = reader.line();
            if (trimSpaces(line).empty()) {
                html += L"<P></P>";
            } else {
                html += line;
                html += L"<BR>";
            }
            pump.step();
        }
        return html;
    });
}

STDMETHODIMP ASPFunctions::ComboListDirectory(BSTR strComboName, BSTR strDirectory, VARIANT blnExtension, VARIANT* result) {
    return trappedText(
        result, L"There was an error in the ComboListDirectory function: ",
        [&] {
            const std::wstring comboName = str(strComboName);
            // The list name and the file names are escaped: a name cannot break out of the markup.
            std::wstring html;
            if (trimSpaces(comboName).empty()) {
                html = L"<select name='Unnamed'>";
            } else {
                html = L"<select name='";
                appendHtmlEscaped(html, comboName);
                html += L"'>";
            }
            bool any = false;

            ComPtr<_TextFileFunctions> files = newObject<TextFileFunctions>();
            std::wstring directory = str(strDirectory);
            call(files.get(), &_TextFileFunctions::AddDirSep, directory);
            if (callBool(files.get(), &_TextFileFunctions::DirExists, directory)) {
                DirListing listing(directory + L"*.*", listNormal);
                DirEntry entry;
                while (listing.next(entry)) {
                    any = true;
                    html += L"<option>";
                    if (!isMissing(blnExtension) && variantBool(blnExtension)) {
                        appendHtmlEscaped(html, entry.name);
                    } else {
                        appendHtmlEscaped(html, call(files.get(), &_TextFileFunctions::ExtractFilenameNoExtension, entry.name));
                    }
                }
            }
            if (any) html += L"</select>";
            else html.clear(); // no opening tag on its own
            return html;
        },
        L" ");
}

} // namespace zor
