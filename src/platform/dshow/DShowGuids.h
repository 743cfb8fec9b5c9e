#pragma once
// Class ids, device categories and media types of the DirectShow side of the platform.

#include "platform/com/Guid.h"

extern const CLSID CLSID_FilterGraph;
extern const CLSID CLSID_SystemDeviceEnum;
extern const CLSID CLSID_MPEG2Demultiplexer;

// Device categories of the system device enumerator.
extern const GUID KSCATEGORY_BDA_NETWORK_PROVIDER;
extern const GUID KSCATEGORY_BDA_NETWORK_TUNER;
extern const GUID KSCATEGORY_BDA_RECEIVER_COMPONENT;
extern const GUID KSCATEGORY_BDA_TRANSPORT_INFORMATION;

// Media types.
extern const GUID MEDIATYPE_Stream;
extern const GUID MEDIATYPE_MPEG2_SECTIONS;
extern const GUID MEDIASUBTYPE_MPEG2_TRANSPORT;
extern const GUID MEDIASUBTYPE_DVB_SI;
extern const GUID KSDATAFORMAT_TYPE_BDA_ANTENNA;
extern const GUID KSDATAFORMAT_SUBTYPE_BDA_MPEG2_TRANSPORT;
extern const GUID FORMAT_None;
