#include <gtest/gtest.h>

#include <string>

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

namespace {

TEST(Bstr, KeepsItsLengthIncludingEmbeddedZeros) {
    BSTR text = SysAllocString(L"Tavolin");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 7u);
    EXPECT_EQ(std::wstring(text), L"Tavolin");
    SysFreeString(text);

    const wchar_t withZero[] = {L'a', 0, L'b'};
    BSTR counted = SysAllocStringLen(withZero, 3);
    EXPECT_EQ(SysStringLen(counted), 3u);
    EXPECT_EQ(counted[1], 0);
    EXPECT_EQ(counted[3], 0);  // terminated after the stored length
    SysFreeString(counted);

    BSTR blank = SysAllocStringLen(nullptr, 2);
    EXPECT_EQ(SysStringLen(blank), 2u);
    EXPECT_EQ(blank[0], 0);
    SysFreeString(blank);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(Bstr, VarBstrCmpIsExactAndCaseSensitive) {
    struct Case {
        const wchar_t* left;
        const wchar_t* right;
        HRESULT expected;
    };
    const Case cases[] = {
        {L"DTV-DVB UDST7020BDA DVB-S Receiver", L"DTV-DVB UDST7020BDA DVB-S Receiver", VARCMP_EQ},
        {L"dtv-dvb udst7020bda dvb-s receiver", L"DTV-DVB UDST7020BDA DVB-S Receiver", VARCMP_GT},
        {L"DTV-DVB UDST7020BDA DVB-S Receiver ", L"DTV-DVB UDST7020BDA DVB-S Receiver", VARCMP_GT},
        {L"DTV", L"DTV-DVB", VARCMP_LT},
        {L"", nullptr, VARCMP_EQ},  // a null BSTR is the empty string
        {nullptr, L"a", VARCMP_LT},
    };
    for (const Case& c : cases) {
        BSTR left = SysAllocString(c.left);
        BSTR right = SysAllocString(c.right);
        EXPECT_EQ(VarBstrCmp(left, right, LOCALE_USER_DEFAULT, 0), c.expected)
            << (c.left ? c.left : L"(null)") << " / " << (c.right ? c.right : L"(null)");
        SysFreeString(left);
        SysFreeString(right);
    }
    // Strings that differ only after an embedded zero are different.
    const wchar_t a[] = {L'x', 0, L'a'};
    const wchar_t b[] = {L'x', 0, L'b'};
    BSTR left = SysAllocStringLen(a, 3);
    BSTR right = SysAllocStringLen(b, 3);
    EXPECT_EQ(VarBstrCmp(left, right, LOCALE_USER_DEFAULT, 0), VARCMP_LT);
    EXPECT_EQ(VarBstrCmp(left, right, LOCALE_USER_DEFAULT, NORM_IGNORECASE), E_INVALIDARG);
    SysFreeString(left);
    SysFreeString(right);
}

TEST(Variant, ClearFreesItsStringAndLeavesItEmpty) {
    VARIANT var;
    VariantInit(&var);
    EXPECT_EQ(var.vt, VT_EMPTY);
    var.vt = VT_BSTR;
    var.bstrVal = SysAllocString(L"FriendlyName");
    EXPECT_EQ(VariantClear(&var), S_OK);  // LeakSanitizer sees a leak if the string stays
    EXPECT_EQ(var.vt, VT_EMPTY);
    var.vt = VT_I4;
    var.lVal = 5;
    EXPECT_EQ(VariantClear(&var), S_OK);
    var.vt = 77;
    EXPECT_EQ(VariantClear(&var), DISP_E_BADVARTYPE);
    EXPECT_EQ(var.vt, 77);
}

}  // namespace
