#include <cstddef>
// The form utilities with a form written in C++: the notification-icon records byte for byte,
// what is done to the form and in which order, the centring arithmetic, and missing members.
#include "library.h"
#include "dialogs/FormFunctions.h"

using namespace test;

namespace {

// A form's members by name; every use is logged as "name", "name=type:value" or "name(type:value, ...)".
struct FakeForm : IDispatch {
    std::wstring names[6] = {L"hwnd", L"WindowState", L"Visible", L"Width", L"Height", L"Move"}; // "" when absent
    Variant values[6];
    std::vector<std::string> log;
    FakeForm() { values[0].get() = vi4(0x1234); }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* name, UINT, LCID, DISPID* id) override {
        *id = static_cast<DISPID>(std::find(names, names + 6, std::wstring(name[0])) - names);
        return *id < 6 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO*, UINT*) override {
        std::string entry(names[id].begin(), names[id].end());
        if (flags == DISPATCH_PROPERTYGET) {
            log.push_back(entry);
            return VariantCopy(r, &values[id].get());
        }
        entry += flags == DISPATCH_METHOD ? "(" : "=";
        for (UINT i = p->cArgs; i-- > 0;) { // the last argument comes first
            Variant n;
            VariantChangeType(&n.get(), &p->rgvarg[i], 0, VT_I4);
            entry += std::to_string(V_VT(&p->rgvarg[i])) + ":" + std::to_string(V_I4(&n.get())) + (i ? ", " : "");
        }
        log.push_back(entry + (flags == DISPATCH_METHOD ? ")" : ""));
        return S_OK;
    }
};

// The record's first form: 88 bytes in a 32-bit process (six 32-bit fields and the tip).
constexpr size_t recordSize = offsetof(NOTIFYICONDATAA, szTip) + 64;
static_assert(sizeof(void*) == 8 || recordSize == 88);

// The bytes of a record for the form's window 0x1234, identifier 1, flags 7.
std::string record(uint32_t message, int32_t icon, const std::string& tip) {
    // size, window, identifier, flags, message and icon (a Long handle is sign-extended)
    NOTIFYICONDATAA head{recordSize, reinterpret_cast<HWND>(0x1234), 1, 7, message,
                         reinterpret_cast<HICON>(static_cast<intptr_t>(icon))};
    return std::string(reinterpret_cast<const char*>(&head), offsetof(NOTIFYICONDATAA, szTip)) + tip;
}
std::string passed(const NOTIFYICONDATAA& d) { return std::string(reinterpret_cast<const char*>(&d), recordSize); }
std::string shown(const std::string& s) { return s + '\0' + std::string(63 - s.size(), ' '); }

struct FormUtilities : InProcessLibrary {
    ComPtr<_FormFunctions> ff = make<zor::FormFunctions, _FormFunctions>();
    FakeForm form;
    VARIANT_BOOL result = 7;
};

constexpr HRESULT error(long n) { return static_cast<HRESULT>(0x800A0000 + n); }

} // namespace

TEST_F(FormUtilities, AddingAndDeletingRecordTheIconAndOnlyAddingHidesTheForm) {
    std::pair<std::wstring, std::string> cases[] = {
        {L"", shown("")}, {L"Hello World!", shown("Hello World!")},
        {std::wstring(63, 'a'), shown(std::string(63, 'a'))}, {std::wstring(64, 'b'), std::string(64, 'b')},
        {std::wstring(70, 'c'), std::string(64, 'c')}, {std::wstring(1000000, 'x'), std::string(64, 'x')},
        {std::wstring(L"a\0b", 3), shown(std::string("a\0b", 3))},
        {L"Caf\u00e9 \u4e2d", shown("Caf\xe9 ?")}, // the code page lacks the last one
    };
    for (const auto& [tip, field] : cases) {
        form.log.clear();
        ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, Bstr(tip).get(), 0x5678, &result));
        EXPECT_EQ(VARIANT_TRUE, result);
        EXPECT_EQ(record(WM_MOUSEMOVE, 0x5678, field), passed(recorder.icons.back())) << tip.size();
        EXPECT_EQ(0, recorder.icons.back().szTip[64]) << "a NUL follows even a full field";
        EXPECT_EQ((std::vector<std::string>{"hwnd", "WindowState=3:1", "Visible=11:0"}), form.log);
    }
    EXPECT_EQ(8, recorder.count("Shell_NotifyIconA(0)"));

    form.log.clear(); // deleting leaves the form alone; the shell's answer is not looked at
    recorder.result = FALSE;
    ASSERT_EQ(S_OK, ff->DeleteIconFromSysTray(&form, -1, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_EQ("Shell_NotifyIconA(2)", recorder.calls.back());
    EXPECT_EQ(record(1, 0xFFFFFFFF, shown("")), passed(recorder.icons.back()));
    EXPECT_EQ(std::vector<std::string>{"hwnd"}, form.log);
}

TEST_F(FormUtilities, AMissingMemberEndsTheCallWhereItStands) {
    form.names[0] = L"";
    EXPECT_EQ(error(438), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(error(438), ff->DeleteIconFromSysTray(&form, 1, &result));
    EXPECT_TRUE(recorder.calls.empty() && form.log.empty()) << "the notification area is left alone";
    form.names[0] = L"hwnd";
    form.names[1] = L""; // the icon is added, the form not hidden
    EXPECT_EQ(error(438), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(std::vector<std::string>{"Shell_NotifyIconA(0)"}, recorder.calls);
    EXPECT_EQ(std::vector<std::string>{"hwnd"}, form.log);
    form.values[0].get() = vstr(L"not a handle");
    EXPECT_EQ(error(13), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(error(424), ff->AddIconToSysTray(nullptr, nullptr, 1, &result));
}

TEST_F(FormUtilities, CentringMovesTheFormToTheMiddleOfTheScreen) {
    const struct { double screenW, screenH, width, height; const char* move; } cases[] = {
        {960, 720, 480, 360, "Move(3:240, 3:180)"},
        {960, 720, 1260, 1021, "Move(3:-150, 3:-150)"}, // -300 \ 2, and -301 \ 2 toward zero
        {960, 720, 481, 360.5, "Move(3:239, 3:180)"},   // 359.5 rounds to 360 before the division
        {15360, 11520, 4800, 3600, "Move(3:5280, 3:3960)"},
    };
    for (const auto& c : cases) {
        recorder.screen = {c.screenW, c.screenH};
        form.log.clear();
        form.values[3].get() = vi4(static_cast<long>(c.width));
        form.values[4].get() = vr8(c.height);
        ASSERT_EQ(S_OK, ff->CenterForm(&form, &result));
        EXPECT_EQ(VARIANT_TRUE, result);
        EXPECT_EQ((std::vector<std::string>{"Width", "Height", c.move}), form.log);
    }
    V_R8(&form.values[4].get()) = 1e12; // no Long holds it
    EXPECT_EQ(error(6), ff->CenterForm(&form, &result));
    V_R8(&form.values[4].get()) = 360;
    form.names[5] = L"";
    EXPECT_EQ(error(438), ff->CenterForm(&form, &result));
}

// The registered library makes the real shell call: the icon it adds for a real window is
// there until it is deleted, whatever icon handle the deletion names.
TEST(FormUtilitiesShell, TheIconLivesFromAddToDelete) {
    zor::Window window(CreateWindowA("STATIC", "form", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    FakeForm form;
    form.values[0].get() = vi4(static_cast<long>(reinterpret_cast<intptr_t>(window.get())));
    auto exists = [&] {
        NOTIFYICONDATAA probe{recordSize, window.get(), 1};
        return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
    };
    auto ff = create<_FormFunctions>(L"FormFunctions");
    VARIANT_BOOL result = 0;
    ASSERT_FALSE(exists());
    ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, Bstr(L"tip").get(), 0, &result));
    EXPECT_TRUE(exists());
    ASSERT_EQ(S_OK, ff->DeleteIconFromSysTray(&form, 12345, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_FALSE(exists());
}
