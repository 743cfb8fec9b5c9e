// The GUIDs of our tuner device: the interface of our own by which the network provider tunes
// it, and the vendor property set its antenna pin answers.
#include "platform/bda/TunerDevice.h"

const IID IID_IBdaTunerDevice = GuidFromText("{3F1B7C52-9D0E-4E7A-8C61-5A2D4B9E0F17}");
const GUID KSPROPSETID_VendorPidFilter = GuidFromText("{E5644CC4-17A1-4EED-BD90-74FDA1D65423}");
