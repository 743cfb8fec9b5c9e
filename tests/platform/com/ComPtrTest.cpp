#include <gtest/gtest.h>

#include "platform/com/Unknown.h"

namespace {

// Counts its references; QueryInterface answers IUnknown only.
class Counted : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++count; }
    STDMETHODIMP_(ULONG) Release() override { return --count; }
    ULONG count = 0;
};

TEST(ComPtr, OwnsExactlyOneReference) {
    Counted object;
    {
        ComPtr<IUnknown> a(&object);
        EXPECT_EQ(object.count, 1u);
        ComPtr<IUnknown> b = a;
        EXPECT_EQ(object.count, 2u);
        ComPtr<IUnknown> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(object.count, 2u);
        c = nullptr;
        EXPECT_EQ(object.count, 1u);
        a = a;  // self-assignment keeps the reference
        EXPECT_EQ(object.count, 1u);
    }
    EXPECT_EQ(object.count, 0u);
}

TEST(ComPtr, AttachDetachCopyToAndOutParameters) {
    Counted object;
    object.AddRef();  // a reference handed to us by a callee
    ComPtr<IUnknown> p;
    p.Attach(&object);
    EXPECT_EQ(object.count, 1u);

    IUnknown* copy = nullptr;
    EXPECT_EQ(p.CopyTo(&copy), S_OK);
    EXPECT_EQ(copy, &object);
    EXPECT_EQ(object.count, 2u);
    copy->Release();
    EXPECT_EQ(p.CopyTo(nullptr), E_POINTER);

    // As an out parameter the old reference is dropped before the callee fills it in.
    IUnknown** out = &p;
    EXPECT_EQ(*out, nullptr);
    EXPECT_EQ(object.count, 0u);
    ASSERT_EQ(object.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(out)), S_OK);
    EXPECT_EQ(object.count, 1u);

    ComPtr<IUnknown> queried;
    EXPECT_EQ(p.QueryInterface(IID_IUnknown, queried), S_OK);
    EXPECT_EQ(queried, p);
    EXPECT_EQ(object.count, 2u);
    IUnknown* other = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(p.QueryInterface(GUID_NULL, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    queried.Release();

    IUnknown* detached = p.Detach();
    EXPECT_FALSE(p);
    EXPECT_EQ(object.count, 1u);
    detached->Release();
    EXPECT_EQ(object.count, 0u);
}

}  // namespace
