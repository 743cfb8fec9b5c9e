#include "platform/dshow/MediaType.h"

#include <cstring>

#include "platform/com/TaskMemory.h"

namespace {

void ZeroType(AM_MEDIA_TYPE& mt) {
    std::memset(static_cast<void*>(&mt), 0, sizeof mt);
}

}  // namespace

void FreeMediaType(AM_MEDIA_TYPE& mt) {
    if (mt.cbFormat != 0 || mt.pbFormat != nullptr) {
        CoTaskMemFree(mt.pbFormat);
        mt.cbFormat = 0;
        mt.pbFormat = nullptr;
    }
    if (mt.pUnk != nullptr) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source) {
    if (target == nullptr || source == nullptr)
        return E_POINTER;
    *target = *source;
    if (source->cbFormat != 0 && source->pbFormat != nullptr) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (target->pbFormat == nullptr) {
            target->cbFormat = 0;
            target->pUnk = nullptr;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        target->cbFormat = 0;
        target->pbFormat = nullptr;
    }
    if (target->pUnk != nullptr)
        target->pUnk->AddRef();
    return S_OK;
}

CMediaType::CMediaType() : AM_MEDIA_TYPE() {
    ZeroType(*this);
}

CMediaType::CMediaType(const GUID* type) : CMediaType() {
    majortype = *type;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& type) : CMediaType() {
    if (FAILED(CopyMediaType(this, &type)))
        InitMediaType();
}

CMediaType::CMediaType(const CMediaType& other)
    : CMediaType(static_cast<const AM_MEDIA_TYPE&>(other)) {}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& type) {
    if (&type != this) {
        FreeMediaType(*this);
        if (FAILED(CopyMediaType(this, &type)))
            InitMediaType();
    }
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& other) {
    return *this = static_cast<const AM_MEDIA_TYPE&>(other);
}

CMediaType::~CMediaType() {
    FreeMediaType(*this);
}

bool CMediaType::operator==(const CMediaType& other) const {
    return majortype == other.majortype && subtype == other.subtype &&
           formattype == other.formattype && cbFormat == other.cbFormat &&
           (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}

bool CMediaType::SetFormat(const BYTE* format, ULONG length) {
    BYTE* copy = nullptr;
    if (length != 0) {
        copy = static_cast<BYTE*>(CoTaskMemAlloc(length));
        if (copy == nullptr)
            return false;
        std::memcpy(copy, format, length);
    }
    CoTaskMemFree(pbFormat);
    pbFormat = copy;
    cbFormat = length;
    return true;
}

bool CMediaType::IsPartiallySpecified() const {
    return majortype == GUID_NULL || formattype == GUID_NULL;
}

bool CMediaType::MatchesPartial(const CMediaType* partial) const {
    if (partial->majortype != GUID_NULL && majortype != partial->majortype)
        return false;
    if (partial->subtype != GUID_NULL && subtype != partial->subtype)
        return false;
    if (partial->formattype != GUID_NULL) {
        if (formattype != partial->formattype || cbFormat != partial->cbFormat)
            return false;
        if (cbFormat != 0 && std::memcmp(pbFormat, partial->pbFormat, cbFormat) != 0) {
            return false;
        }
    }
    return true;
}

void CMediaType::InitMediaType() {
    FreeMediaType(*this);
    ZeroType(*this);
}
