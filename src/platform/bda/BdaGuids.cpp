// Every GUID of the BDA side, defined once, with the values Windows gives them.
#include "platform/bda/BdaInterfaces.h"

const IID IID_ILocator = GuidFromText("{286D7F89-760C-4F89-80C4-66841D2507AA}");
const IID IID_IDVBSLocator = GuidFromText("{3D7C353C-0D04-45F1-A742-F97CC1188DC8}");
const IID IID_ITuningSpace = GuidFromText("{061C6E30-E622-11D2-9493-00C04F72D980}");
const IID IID_IDVBTuningSpace = GuidFromText("{ADA0B268-3B19-4E5B-ACC4-49F852BE13BA}");
const IID IID_IDVBSTuningSpace = GuidFromText("{CDF7BE60-D954-42FD-A972-78971958E470}");
const IID IID_ITuneRequest = GuidFromText("{07DDC146-FC3D-11D2-9D8C-00C04F72D980}");
const IID IID_IDVBTuneRequest = GuidFromText("{0D6F567E-A636-42BB-83BA-CE4C1704AFA2}");
const IID IID_ITuner = GuidFromText("{28C52640-018A-11D3-9D8E-00C04F72D980}");
const IID IID_IBDA_Topology = GuidFromText("{79B56888-7FEA-4690-B45D-38FD3C7849BE}");
const IID IID_IBDA_SignalStatistics = GuidFromText("{1347D106-CF3A-428A-A5CB-AC0D9A2A4338}");
const IID IID_IKsPropertySet = GuidFromText("{31EFAC30-515C-11D0-A9AA-00AA0061BE93}");

const CLSID CLSID_DVBSTuningSpace = GuidFromText("{B64016F3-C9A2-4066-96F0-BD9563314726}");
const CLSID CLSID_DVBSLocator = GuidFromText("{1DF7D126-4050-47F0-A7CF-4C4CA9241333}");
const CLSID CLSID_DVBSNetworkProvider = GuidFromText("{FA4B375A-45B4-4D45-8440-263957B11623}");
