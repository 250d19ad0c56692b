// ASPFunctions: values and HTML pieces that a server page script writes into its page. Every
// failure becomes an error text returned as the result; nothing reaches the page script as an
// automation error.
#include "ASPFunctions.h"
#include "CounterFile.h"
#include "../runtime/html.h"
#include "../runtime/leadingnumber.h"
#include "../runtime/listing.h"
#include "../runtime/files.h"
#include "../runtime/longdate.h"
#include "../runtime/pump.h"
#include "../runtime/readers.h"
#include "../runtime/text.h"

namespace zor {

namespace {

void setInteger(VARIANT* v, short n) {
    VariantClear(v);
    V_VT(v) = VT_I2;
    V_I2(v) = n;
}

void setLong(VARIANT* v, long n) {
    VariantClear(v);
    V_VT(v) = VT_I4;
    V_I4(v) = n;
}

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
    if (!result) return E_POINTER;
    VariantInit(result);
    return trappedText(result, L"There was an error in the GetCounter function: ", [&] {
        const std::wstring name = str(strFilename);
        if (!fileExists(name) && CounterFile::createWithOne(name)) {
            setInteger(result, 1);
            return;
        }
        // The count is read, and rewritten, while the file is held: concurrent requests take
        // turns and none loses an increment or sees a half-written file.
        const bool increment = isTrue(blnIncrement);
        CounterFile counter(name, increment);
        long count = counter.read();
        setLong(result, count);
        if (increment) {
            if (count == LONG_MAX) throw Error(errOverflow); // the stored count stays as it is
            counter.write(count + 1);
            setLong(result, count + 1);
        }
    });
}

STDMETHODIMP ASPFunctions::GetFileDate(BSTR strFilePathAndName, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    return trappedText(result, L"There was an error in the GetFileDate function: ", [&] {
        const std::wstring name = str(strFilePathAndName);
        if (fileExists(name)) setString(result, longDate(lastWriteLocal(name)));
        else setString(result, L"File does not exist...");
    });
}

STDMETHODIMP ASPFunctions::ReadTextFile(BSTR strFilename, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    return trappedText(result, L"There was an error in the ReadTextFile function: ", [&] {
        const std::wstring name = str(strFilename);
        if (!fileExists(name)) {
            setString(result, L"File Does Not Exist!!!");
            return;
        }
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
        setString(result, html);
    });
}

STDMETHODIMP ASPFunctions::ComboListDirectory(BSTR strComboName, BSTR strDirectory, VARIANT blnExtension, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
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

            ComPtr<_TextFileFunctions> files = createPeer<_TextFileFunctions>();
            Bstr directory(str(strDirectory));
            check(files->AddDirSep(directory.inout()));
            VARIANT_BOOL exists = VARIANT_FALSE;
            check(files->DirExists(directory.get(), &exists));
            if (exists) {
                DirListing listing(directory.text() + L"*.*", listNormal);
                DirEntry entry;
                while (listing.next(entry)) {
                    any = true;
                    html += L"<option>";
                    if (!isMissing(blnExtension) && variantBool(blnExtension)) {
                        appendHtmlEscaped(html, entry.name);
                    } else {
                        Bstr name(entry.name), stem;
                        check(files->ExtractFilenameNoExtension(name.get(), stem.out()));
                        appendHtmlEscaped(html, stem.text());
                    }
                }
            }
            if (any) html += L"</select>";
            else html.clear(); // no opening tag on its own
            setString(result, html);
        },
        L" ");
}

} // namespace zor
