#pragma once
// The Linux DVB device tree: <root>/adapterN/frontendM, with the adapter's demuxM and dvrM
// carrying the frontend's transport stream (demux0 and dvr0 where the adapter has no
// numbered pair of the frontend's own, as on adapters whose frontends share one demux).

#include <string>
#include <vector>

#include "platform/sources/DvbDeviceApi.h"

// $EPGHARVEST_DVB_ROOT when set and not empty (a folder that stands for /dev/dvb), else
// /dev/dvb.
std::string DvbDeviceRoot();

// Every frontend under `root`, by adapter number and then frontend number (adapter10 after
// adapter9). Nothing when the root is missing or unreadable.
std::vector<DvbFrontendPaths> FindDvbFrontends(const std::string& root);
