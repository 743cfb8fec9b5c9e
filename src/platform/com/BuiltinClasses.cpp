// The classes this platform offers to CoCreateInstance, like the class registrations of a
// Windows installation. Each part of the platform adds its classes here.
#include "platform/bda/BdaClasses.h"
#include "platform/com/ClassRegistry.h"
#include "platform/dshow/DShowGuids.h"
#include "platform/dshow/FilterGraph.h"
#include "platform/dshow/SystemDeviceEnum.h"

void RegisterBuiltinClasses() {
    RegisterClass(CLSID_FilterGraph, MakeClassFactory<FilterGraph>()).Keep();
    RegisterClass(CLSID_SystemDeviceEnum, MakeClassFactory<SystemDeviceEnum>()).Keep();
    RegisterBdaClasses();
}
