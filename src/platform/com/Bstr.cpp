#include "platform/com/Bstr.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

// The prefix holds the length in bytes, as on Windows.
using LengthPrefix = uint32_t;
static_assert(alignof(OLECHAR) <= sizeof(LengthPrefix));

LengthPrefix* PrefixOf(BSTR text) {
    return reinterpret_cast<LengthPrefix*>(text) - 1;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    const size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
    if (bytes > UINT32_MAX - sizeof(OLECHAR))
        return nullptr;
    void* block = std::malloc(sizeof(LengthPrefix) + bytes + sizeof(OLECHAR));
    if (block == nullptr)
        return nullptr;
    auto* prefix = static_cast<LengthPrefix*>(block);
    *prefix = static_cast<LengthPrefix>(bytes);
    BSTR out = reinterpret_cast<BSTR>(prefix + 1);
    if (text != nullptr) {
        std::wmemcpy(out, text, length);
    } else {
        std::wmemset(out, 0, length);
    }
    out[length] = 0;
    return out;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(std::wcslen(text)));
}

void SysFreeString(BSTR text) {
    if (text != nullptr)
        std::free(PrefixOf(text));
}

UINT SysStringLen(BSTR text) {
    return text == nullptr ? 0 : *PrefixOf(text) / sizeof(OLECHAR);
}

HRESULT VarBstrCmp(BSTR left, BSTR right, LCID, ULONG flags) {
    if (flags != 0)
        return E_INVALIDARG;
    const UINT leftLength = SysStringLen(left);
    const UINT rightLength = SysStringLen(right);
    const UINT common = leftLength < rightLength ? leftLength : rightLength;
    for (UINT i = 0; i < common; ++i) {
        if (left[i] != right[i])
            return left[i] < right[i] ? VARCMP_LT : VARCMP_GT;
    }
    if (leftLength == rightLength)
        return VARCMP_EQ;
    return leftLength < rightLength ? VARCMP_LT : VARCMP_GT;
}
