// The library's two factories, bound by name by the main program.
#include "update/UnzipFile.h"
#include "update/UpdateFixt.h"

#include <new>

extern "C" __attribute__((visibility("default"))) IUpdateFixt* BuildUpdateObj()
{
    return new (std::nothrow) CUpdateFixt();
}

extern "C" __attribute__((visibility("default"))) IUnzipFile* CreateUnzipFile()
{
    return new (std::nothrow) CUnzipFile();
}
