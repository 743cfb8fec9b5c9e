#pragma once
// The BDA tuning classes the graph creates with CoCreateInstance: the DVB-S tuning space, the
// DVB-S locator and the DVB-S network provider.

#include "platform/com/ClassRegistry.h"

void RegisterBdaClasses();
