// Plug-ins are loaded by file name (the program folder is searched first) and their objects made
// through a factory export that takes nothing. Libraries are never freed: their objects, and code
// they run on their own threads, may outlive any one holder.
#pragma once

#include "platform/Windows.h"

// The export's address, or null. A file that does not load writes "Loadd <file> err=<error>" to
// the log (except the optional "Jotwell.dll"); a missing export is not logged.
FARPROC LoadProcFromLibrary(const wchar_t* file, const char* proc);

// The object the factory export makes (proc null: "GetImp"), or null when the file or the export
// is missing. The caller owns the reference the factory handed out.
template <class T>
T* CreatePluginObject(const wchar_t* file, const char* proc = nullptr)
{
    typedef T* (*Factory)();
    const FARPROC address = LoadProcFromLibrary(file, proc ? proc : "GetImp");
    // Through void*: FARPROC's own type says nothing about the factory's.
    const auto factory = reinterpret_cast<Factory>(reinterpret_cast<void*>(address));
    return factory ? factory() : nullptr;
}
