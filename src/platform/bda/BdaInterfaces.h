#pragma once
// The BDA interfaces: DVB-S tuning space, tune request and locator, the network provider's
// tuner, the tuner device's topology and signal statistics, and the kernel-streaming property
// set of its pins. Windows names, methods, parameter order, types and enum values; only the
// methods this program calls (or the platform's implementations need) are declared.

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"

enum Polarisation {
    BDA_POLARISATION_NOT_SET = -1,
    BDA_POLARISATION_NOT_DEFINED = 0,
    BDA_POLARISATION_LINEAR_H = 1,
    BDA_POLARISATION_LINEAR_V = 2,
    BDA_POLARISATION_CIRCULAR_L = 3,
    BDA_POLARISATION_CIRCULAR_R = 4,
};

enum ModulationType {
    BDA_MOD_NOT_SET = -1,
    BDA_MOD_NOT_DEFINED = 0,
    BDA_MOD_16QAM = 1,
    BDA_MOD_32QAM = 2,
    BDA_MOD_64QAM = 3,
    BDA_MOD_80QAM = 4,
    BDA_MOD_96QAM = 5,
    BDA_MOD_112QAM = 6,
    BDA_MOD_128QAM = 7,
    BDA_MOD_160QAM = 8,
    BDA_MOD_192QAM = 9,
    BDA_MOD_224QAM = 10,
    BDA_MOD_256QAM = 11,
    BDA_MOD_320QAM = 12,
    BDA_MOD_384QAM = 13,
    BDA_MOD_448QAM = 14,
    BDA_MOD_512QAM = 15,
    BDA_MOD_640QAM = 16,
    BDA_MOD_768QAM = 17,
    BDA_MOD_896QAM = 18,
    BDA_MOD_1024QAM = 19,
    BDA_MOD_QPSK = 20,
    BDA_MOD_BPSK = 21,
    BDA_MOD_OQPSK = 22,
    BDA_MOD_8VSB = 23,
    BDA_MOD_16VSB = 24,
    BDA_MOD_ANALOG_AMPLITUDE = 25,
    BDA_MOD_ANALOG_FREQUENCY = 26,
    BDA_MOD_8PSK = 27,
    BDA_MOD_RF = 28,
    BDA_MOD_16APSK = 29,
    BDA_MOD_32APSK = 30,
    BDA_MOD_NBC_QPSK = 31,
    BDA_MOD_NBC_8PSK = 32,
};

enum FECMethod {
    BDA_FEC_METHOD_NOT_SET = -1,
    BDA_FEC_METHOD_NOT_DEFINED = 0,
    BDA_FEC_VITERBI = 1,
    BDA_FEC_RS_204_188 = 2,
    BDA_FEC_LDPC = 3,
    BDA_FEC_BCH = 4,
    BDA_FEC_RS_147_130 = 5,
};

enum BinaryConvolutionCodeRate {
    BDA_BCC_RATE_NOT_SET = -1,
    BDA_BCC_RATE_NOT_DEFINED = 0,
    BDA_BCC_RATE_1_2 = 1,
    BDA_BCC_RATE_2_3 = 2,
    BDA_BCC_RATE_3_4 = 3,
    BDA_BCC_RATE_3_5 = 4,
    BDA_BCC_RATE_4_5 = 5,
    BDA_BCC_RATE_5_6 = 6,
    BDA_BCC_RATE_5_11 = 7,
    BDA_BCC_RATE_7_8 = 8,
    BDA_BCC_RATE_1_4 = 9,
    BDA_BCC_RATE_1_3 = 10,
    BDA_BCC_RATE_2_5 = 11,
    BDA_BCC_RATE_6_7 = 12,
    BDA_BCC_RATE_8_9 = 13,
    BDA_BCC_RATE_9_10 = 14,
};

enum DVBSystemType {
    DVB_Cable = 0,
    DVB_Terrestrial = 1,
    DVB_Satellite = 2,
    ISDB_Terrestrial = 3,
    ISDB_Satellite = 4,
};

struct ILocator;
struct ITuneRequest;

// Frequencies in kHz, symbol rates in ksymbols/s; -1 is "not set".
struct ILocator : IUnknown {
    STDMETHOD(get_CarrierFrequency)(LONG* Frequency) PURE;
    STDMETHOD(put_CarrierFrequency)(LONG Frequency) PURE;
    STDMETHOD(get_InnerFEC)(FECMethod* FEC) PURE;
    STDMETHOD(put_InnerFEC)(FECMethod FEC) PURE;
    STDMETHOD(get_Modulation)(ModulationType* Modulation) PURE;
    STDMETHOD(put_Modulation)(ModulationType Modulation) PURE;
    STDMETHOD(get_SymbolRate)(LONG* Rate) PURE;
    STDMETHOD(put_SymbolRate)(LONG Rate) PURE;
    STDMETHOD(Clone)(ILocator** NewLocator) PURE;
};

struct IDVBSLocator : ILocator {
    STDMETHOD(get_SignalPolarisation)(Polarisation* PolarisationVal) PURE;
    STDMETHOD(put_SignalPolarisation)(Polarisation PolarisationVal) PURE;
};

// Strings passed in (BSTR) are copied by the callee; strings handed out are the caller's to
// free with SysFreeString.
struct ITuningSpace : IUnknown {
    STDMETHOD(get_UniqueName)(BSTR* Name) PURE;
    STDMETHOD(put_UniqueName)(BSTR Name) PURE;
    STDMETHOD(get_FriendlyName)(BSTR* Name) PURE;
    STDMETHOD(put_FriendlyName)(BSTR Name) PURE;
    // The network provider's class id in braced text.
    STDMETHOD(get_NetworkType)(BSTR* NetworkTypeGuid) PURE;
    STDMETHOD(get__NetworkType)(GUID* NetworkTypeGuid) PURE;
    STDMETHOD(put__NetworkType)(REFCLSID NetworkTypeGuid) PURE;
    STDMETHOD(CreateTuneRequest)(ITuneRequest** TuneRequest) PURE;
    STDMETHOD(get_FrequencyMapping)(BSTR* pMapping) PURE;
    STDMETHOD(put_FrequencyMapping)(BSTR Mapping) PURE;
    STDMETHOD(get_DefaultLocator)(ILocator** LocatorVal) PURE;
    STDMETHOD(put_DefaultLocator)(ILocator* LocatorVal) PURE;
    STDMETHOD(Clone)(ITuningSpace** NewTS) PURE;
};

struct IDVBTuningSpace : ITuningSpace {
    STDMETHOD(get_SystemType)(DVBSystemType* SysType) PURE;
    STDMETHOD(put_SystemType)(DVBSystemType SysType) PURE;
};

// LNB oscillators and switch frequency in kHz.
struct IDVBSTuningSpace : IDVBTuningSpace {
    STDMETHOD(get_LowOscillator)(LONG* LowOscillator) PURE;
    STDMETHOD(put_LowOscillator)(LONG LowOscillator) PURE;
    STDMETHOD(get_HighOscillator)(LONG* HighOscillator) PURE;
    STDMETHOD(put_HighOscillator)(LONG HighOscillator) PURE;
    STDMETHOD(get_LNBSwitch)(LONG* LNBSwitch) PURE;
    STDMETHOD(put_LNBSwitch)(LONG LNBSwitch) PURE;
};

struct ITuneRequest : IUnknown {
    STDMETHOD(get_TuningSpace)(ITuningSpace** TuningSpace) PURE;
    STDMETHOD(Clone)(ITuneRequest** NewTuneRequest) PURE;
    STDMETHOD(get_Locator)(ILocator** Locator) PURE;
    STDMETHOD(put_Locator)(ILocator* Locator) PURE;
};

struct IDVBTuneRequest : ITuneRequest {};

// On the network provider filter.
struct ITuner : IUnknown {
    STDMETHOD(get_TuneRequest)(ITuneRequest** TuneRequest) PURE;
    STDMETHOD(put_TuneRequest)(ITuneRequest* TuneRequest) PURE;
};

// On the tuner device filter.
struct IBDA_Topology : IUnknown {
    STDMETHOD(GetControlNode)
    (ULONG ulInputPinId, ULONG ulOutputPinId, ULONG ulNodeType, IUnknown** ppControlNode) PURE;
};

// On a control node of the tuner device.
struct IBDA_SignalStatistics : IUnknown {
    STDMETHOD(get_SignalStrength)(LONG* plDbStrength) PURE;
    STDMETHOD(get_SignalQuality)(LONG* plPercentQuality) PURE;
    STDMETHOD(get_SignalLocked)(BOOLEAN* pfLocked) PURE;
};

// On the tuner device's pins: driver-defined properties.
struct IKsPropertySet : IUnknown {
    STDMETHOD(Set)
    (REFGUID guidPropSet, DWORD dwPropID, LPVOID pInstanceData, DWORD cbInstanceData,
     LPVOID pPropData, DWORD cbPropData) PURE;
};

extern const IID IID_ILocator;
extern const IID IID_IDVBSLocator;
extern const IID IID_ITuningSpace;
extern const IID IID_IDVBTuningSpace;
extern const IID IID_IDVBSTuningSpace;
extern const IID IID_ITuneRequest;
extern const IID IID_IDVBTuneRequest;
extern const IID IID_ITuner;
extern const IID IID_IBDA_Topology;
extern const IID IID_IBDA_SignalStatistics;
extern const IID IID_IKsPropertySet;

extern const CLSID CLSID_DVBSTuningSpace;
extern const CLSID CLSID_DVBSLocator;
extern const CLSID CLSID_DVBSNetworkProvider;
