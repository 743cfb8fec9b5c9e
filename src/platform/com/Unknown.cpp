#include "platform/com/Unknown.h"

const IID IID_IUnknown = GuidFromText("{00000000-0000-0000-C000-000000000046}");
