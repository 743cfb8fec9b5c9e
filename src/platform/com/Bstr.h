#pragma once
// BSTR: a wide string with its length stored just before its first character and a
// terminating zero after its last, so it may also hold zeros inside. A null BSTR is the empty
// string everywhere a BSTR is read.

#include "platform/com/Types.h"

using BSTR = OLECHAR*;

// A copy of a zero-terminated string; null in gives null out.
BSTR SysAllocString(const OLECHAR* text);
// A copy of `length` characters (or that many zeroed characters when text is null).
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
// Characters, not counting the terminator; 0 for null.
UINT SysStringLen(BSTR text);

// VarBstrCmp results.
constexpr HRESULT VARCMP_LT = 0;
constexpr HRESULT VARCMP_EQ = 1;
constexpr HRESULT VARCMP_GT = 2;
constexpr HRESULT VARCMP_NULL = 3;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr ULONG NORM_IGNORECASE = 0x00000001;

// Compares two BSTRs character by character over their whole stored length, case-sensitively:
// equal only when identical. Any locale is taken as this ordinal comparison; flags other than
// 0 are not supported and give E_INVALIDARG.
HRESULT VarBstrCmp(BSTR left, BSTR right, LCID lcid, ULONG flags);
