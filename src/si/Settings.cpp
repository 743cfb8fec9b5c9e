#include "si/Settings.h"

int32_t Timeout = 120;
int32_t ChannelBase = 0;
