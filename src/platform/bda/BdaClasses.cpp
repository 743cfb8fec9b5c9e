#include "platform/bda/BdaClasses.h"

#include "platform/bda/DVBSLocator.h"
#include "platform/bda/DVBSNetworkProvider.h"
#include "platform/bda/DVBSTuningSpace.h"

void RegisterBdaClasses() {
    RegisterClass(CLSID_DVBSTuningSpace, MakeClassFactory<DVBSTuningSpace>()).Keep();
    RegisterClass(CLSID_DVBSLocator, MakeClassFactory<DVBSLocator>()).Keep();
    RegisterClass(CLSID_DVBSNetworkProvider, MakeClassFactory<DVBSNetworkProvider>()).Keep();
}
