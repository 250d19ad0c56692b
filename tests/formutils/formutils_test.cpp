// The form utilities with a caller's form written in C++: the notification-icon records passed
// to the shell byte for byte, what is written to the form and in which order, the centring
// arithmetic, and forms that lack a member.
#include <cstring>
#include <set>
#include "library.h"
#include "dialogs/FormFunctions.h"

using namespace test;

namespace {

// A form as the library sees it: members looked up by name, every use logged in order.
class FakeForm : public IDispatch {
public:
    Variant hwnd, width, height;
    std::set<std::wstring> absent;
    std::vector<std::string> log;

    FakeForm() {
        V_VT(&hwnd.get()) = VT_I4;
        V_I4(&hwnd.get()) = 0x1234;
    }
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        for (DISPID i = 0; i < 6; ++i)
            if (names[0] == std::wstring(memberNames[i]) && !absent.count(names[0])) {
                *id = i;
                return S_OK;
            }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* r, EXCEPINFO*, UINT*) override {
        std::string name(memberNames[id], memberNames[id] + wcslen(memberNames[id]));
        if (flags == DISPATCH_PROPERTYGET && id <= 4 && id != 1 && id != 2) {
            log.push_back(name);
            return VariantCopy(r, &(id == 0 ? hwnd : id == 3 ? width : height).get());
        }
        std::string args; // "type:value", first argument first
        for (UINT i = p->cArgs; i-- > 0;) {
            Variant n;
            VariantChangeType(&n.get(), &p->rgvarg[i], 0, VT_I4);
            args += (args.empty() ? "" : ", ") + std::to_string(V_VT(&p->rgvarg[i])) + ":" + std::to_string(V_I4(&n.get()));
        }
        if (flags == DISPATCH_PROPERTYPUT && (id == 1 || id == 2)) log.push_back(name + "=" + args);
        else if (flags == DISPATCH_METHOD && id == 5) log.push_back(name + "(" + args + ")");
        else return DISP_E_MEMBERNOTFOUND;
        return S_OK;
    }

private:
    static constexpr const wchar_t* memberNames[] = {L"hwnd", L"WindowState", L"Visible", L"Width", L"Height", L"Move"};
};

// The record's first 88 bytes as the shell is meant to see them.
std::string record(uint32_t hwnd, uint32_t message, uint32_t icon, const std::string& tip) {
    uint32_t head[] = {88, hwnd, 1, 7, message, icon};
    std::string r(reinterpret_cast<const char*>(head), sizeof head);
    return r + tip;
}
std::string passed(const NOTIFYICONDATAA& d) { return std::string(reinterpret_cast<const char*>(&d), 88); }
std::string spaces(size_t n) { return std::string(n, ' '); }

struct FormUtilities : InProcessLibrary {
    ComPtr<_FormFunctions> ff = make<zor::FormFunctions, _FormFunctions>();
    FakeForm form;
    VARIANT_BOOL result = 7;
};

constexpr HRESULT error(long n) { return static_cast<HRESULT>(0x800A0000 + n); }

} // namespace

TEST_F(FormUtilities, AddingRecordsTheIconAndHidesTheForm) {
    struct Case {
        std::wstring tip;
        std::string field; // the 64 bytes of the record's tip
    } cases[] = {
        {L"", std::string(1, '\0') + spaces(63)},
        {L"Hello World!", "Hello World!" + std::string(1, '\0') + spaces(51)},
        {std::wstring(63, L'a'), std::string(63, 'a') + '\0'},
        {std::wstring(64, L'b'), std::string(64, 'b')},
        {std::wstring(70, L'c') + L"d", std::string(64, 'c')},
        {std::wstring(L"a\0b", 3), std::string("a\0b\0", 4) + spaces(60)},
        {L"Caf\u00e9 \u4e2d", "Caf\xe9 ?" + std::string(1, '\0') + spaces(57)}, // not in the code page: "?"
        {std::wstring(1000000, L'x'), std::string(64, 'x')},
    };
    for (const auto& c : cases) {
        recorder.icons.clear();
        form.log.clear();
        Bstr tip(c.tip);
        ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, tip.get(), 0x5678, &result));
        EXPECT_EQ(VARIANT_TRUE, result);
        ASSERT_EQ(1u, recorder.icons.size());
        EXPECT_EQ(record(0x1234, WM_MOUSEMOVE, 0x5678, c.field), passed(recorder.icons[0])) << c.tip.size();
        EXPECT_EQ(0, recorder.icons[0].szTip[64]) << "a NUL always follows the field";
        EXPECT_EQ((std::vector<std::string>{"hwnd", "WindowState=3:1", "Visible=11:0"}), form.log);
    }
    EXPECT_EQ(8, recorder.count("Shell_NotifyIconA(0)"));
}

TEST_F(FormUtilities, DeletingRecordsTheIconAndLeavesTheFormAlone) {
    recorder.result = FALSE; // the shell's answer is not looked at
    ASSERT_EQ(S_OK, ff->DeleteIconFromSysTray(&form, 99, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_EQ(std::vector<std::string>{"Shell_NotifyIconA(2)"}, recorder.calls);
    EXPECT_EQ(record(0x1234, 1, 99, std::string(1, '\0') + spaces(63)), passed(recorder.icons.at(0)));
    EXPECT_EQ(std::vector<std::string>{"hwnd"}, form.log);

    ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, nullptr, -1, &result)); // a failed add still gives true
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_EQ(record(0x1234, WM_MOUSEMOVE, 0xFFFFFFFF, std::string(1, '\0') + spaces(63)), passed(recorder.icons.at(1)));
}

TEST_F(FormUtilities, AFailingMemberEndsTheCallWhereItStands) {
    form.absent = {L"hwnd"};
    EXPECT_EQ(error(438), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(error(438), ff->DeleteIconFromSysTray(&form, 1, &result));
    EXPECT_TRUE(recorder.calls.empty()) << "the notification area is left as it was";
    EXPECT_TRUE(form.log.empty());

    form.absent = {L"WindowState"}; // the icon is added, the form not hidden
    EXPECT_EQ(error(438), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(std::vector<std::string>{"Shell_NotifyIconA(0)"}, recorder.calls);
    EXPECT_EQ(std::vector<std::string>{"hwnd"}, form.log);

    form.absent = {};
    form.hwnd.get() = vstr(L"not a handle");
    EXPECT_EQ(error(13), ff->AddIconToSysTray(&form, nullptr, 1, &result));
    EXPECT_EQ(error(424), ff->AddIconToSysTray(nullptr, nullptr, 1, &result));
    EXPECT_EQ(error(424), ff->CenterForm(nullptr, &result));
    EXPECT_EQ(E_POINTER, ff->CenterForm(&form, nullptr));
    EXPECT_EQ(1, recorder.count("Shell_NotifyIconA"));
}

TEST_F(FormUtilities, CentringMovesTheFormToTheMiddleOfTheScreen) {
    struct Case {
        double screenW, screenH, width, height;
        std::string move;
    } cases[] = {
        {960, 720, 480, 360, "Move(3:240, 3:180)"},
        {960, 720, 1260, 360, "Move(3:-150, 3:180)"},    // wider than the screen
        {960, 720, 481, 1021, "Move(3:239, 3:-150)"},    // 479 \ 2 and -301 \ 2: toward zero
        {960, 720, 480.5, 360.5, "Move(3:240, 3:180)"},  // 479.5 and 359.5 round to whole twips first
        {960, 720, 0, 720, "Move(3:480, 3:0)"},
        {15360, 11520, 4800, 3600, "Move(3:5280, 3:3960)"},
    };
    for (const auto& c : cases) {
        recorder.screen = {c.screenW, c.screenH};
        form.log.clear();
        V_VT(&form.width.get()) = VT_R8;
        V_R8(&form.width.get()) = c.width;
        V_VT(&form.height.get()) = VT_R4;
        V_R4(&form.height.get()) = static_cast<float>(c.height);
        ASSERT_EQ(S_OK, ff->CenterForm(&form, &result));
        EXPECT_EQ(VARIANT_TRUE, result);
        EXPECT_EQ((std::vector<std::string>{"Width", "Height", c.move}), form.log) << c.width;
    }
    V_R8(&form.width.get()) = 1e12; // no whole number of twips fits: overflow, nothing moved
    form.log.clear();
    EXPECT_EQ(error(6), ff->CenterForm(&form, &result));
    form.width.get() = vstr(L"wide");
    EXPECT_EQ(error(13), ff->CenterForm(&form, &result));
    form.absent = {L"Move"};
    V_VT(&form.width.get()) = VT_I2;
    V_I2(&form.width.get()) = 480;
    EXPECT_EQ(error(438), ff->CenterForm(&form, &result));
    EXPECT_EQ((std::vector<std::string>{"Width", "Width", "Width", "Height"}), form.log);
}

// The registered library makes the real shell call: the icon it adds for a real window exists
// until it is deleted, whichever icon handle the deletion names.
TEST(FormUtilitiesShell, TheIconLivesFromAddToDelete) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "ZorFormUtilitiesTest";
    RegisterClassA(&wc);
    zor::Window window(CreateWindowA(wc.lpszClassName, "form", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(window);
    FakeForm form;
    V_I4(&form.hwnd.get()) = static_cast<long>(reinterpret_cast<intptr_t>(window.get()));
    auto exists = [&] {
        NOTIFYICONDATAA probe{};
        probe.cbSize = 88;
        probe.hWnd = window.get();
        probe.uID = 1;
        return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
    };
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    auto ff = create<_FormFunctions>(L"FormFunctions");
    VARIANT_BOOL result = 0;
    ASSERT_FALSE(exists());
    Bstr tip(L"ZorUtility test");
    ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, tip.get(), static_cast<LONG>(reinterpret_cast<intptr_t>(icon)), &result));
    EXPECT_TRUE(exists());
    ASSERT_EQ(S_OK, ff->AddIconToSysTray(&form, tip.get(), 0, &result)); // already there: the shell refuses
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(S_OK, ff->DeleteIconFromSysTray(&form, 12345, &result));
    EXPECT_EQ(VARIANT_TRUE, result);
    EXPECT_FALSE(exists());
}
