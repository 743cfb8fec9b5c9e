#pragma once
// CMediaType: an AM_MEDIA_TYPE that owns its format block, and the free helpers for plain
// AM_MEDIA_TYPEs handed across interfaces.

#include "platform/dshow/FilterInterfaces.h"

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();  // all zero: no type
    explicit CMediaType(const GUID* majortype);
    CMediaType(const AM_MEDIA_TYPE& type);  // deep copy
    CMediaType(const CMediaType& other);
    CMediaType& operator=(const AM_MEDIA_TYPE& type);
    CMediaType& operator=(const CMediaType& other);
    ~CMediaType();

    // Same major type, subtype, format type and format bytes.
    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }
    // Copies length bytes as the format block; false when out of memory.
    bool SetFormat(const BYTE* format, ULONG length);

    bool IsValid() const { return majortype != GUID_NULL; }
    // The major type or the format type is left open (GUID_NULL).
    bool IsPartiallySpecified() const;
    // Every field that `partial` specifies (not GUID_NULL) is the same here.
    bool MatchesPartial(const CMediaType* partial) const;
    // Back to all zero, freeing the format block.
    void InitMediaType();
};

// Frees the format block of a type that ConnectionMediaType or CopyMediaType filled in.
void FreeMediaType(AM_MEDIA_TYPE& mt);
// Deep copy into an uninitialised target; E_OUTOFMEMORY when the format cannot be copied.
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
