#pragma once
// A BSTR owned for a scope: the graph's operations free the names handed to them on every
// path, and this frees them on the paths that return early too.

#include <memory>
#include <new>

#include "platform/com/Bstr.h"

struct BstrFree {
    void operator()(OLECHAR* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<OLECHAR, BstrFree>;

// A copy of text (embedded zeros included); null stays null. An allocation failure throws, as
// nothing can go on without the string.
inline OwnedBstr CopyBstr(BSTR text) {
    if (text == nullptr)
        return nullptr;
    BSTR copy = SysAllocStringLen(text, SysStringLen(text));
    if (copy == nullptr)
        throw std::bad_alloc();
    return OwnedBstr(copy);
}

// A new BSTR of a literal; null when it cannot be allocated.
inline OwnedBstr MakeBstr(const OLECHAR* text) {
    return OwnedBstr(SysAllocString(text));
}
