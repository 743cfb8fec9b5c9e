#pragma once
// VARIANT, the tagged value that property bags read into. Only the types this platform
// hands out: empty, 32-bit integer and BSTR.

#include "platform/com/Bstr.h"

using VARTYPE = uint16_t;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_I4 = 3,
    VT_BSTR = 8,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        BSTR bstrVal;
    };
};

// Marks the variant empty without freeing anything it held.
void VariantInit(VARIANT* var);
// Frees what the variant holds and marks it empty; DISP_E_BADVARTYPE for a type it does not
// know (the variant is then left as it was).
HRESULT VariantClear(VARIANT* var);
