#include "platform/com/Variant.h"

void VariantInit(VARIANT* var) {
    if (var == nullptr)
        return;
    var->vt = VT_EMPTY;
    var->wReserved1 = var->wReserved2 = var->wReserved3 = 0;
    var->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* var) {
    if (var == nullptr)
        return E_INVALIDARG;
    switch (var->vt) {
        case VT_BSTR:
            SysFreeString(var->bstrVal);
            break;
        case VT_EMPTY:
        case VT_I4:
            break;
        default:
            return DISP_E_BADVARTYPE;
    }
    VariantInit(var);
    return S_OK;
}
