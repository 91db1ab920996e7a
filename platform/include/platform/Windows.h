// The one header system code includes in place of the Windows SDK's: the subset of the Windows API
// that the system calls, with Windows' names, argument lists, return conventions and constants.
#pragma once

#include "platform/win/Types.h"
#include "platform/win/Errors.h"
#include "platform/win/Handles.h"
#include "platform/win/Strings.h"
#include "platform/win/ShellFolders.h"
#include "platform/win/Environment.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Files.h"
#include "platform/win/Volumes.h"
#include "platform/win/Security.h"
#include "platform/win/Profile.h"
#include "platform/win/Registry.h"
#include "platform/win/Sync.h"
#include "platform/win/Process.h"
#include "platform/win/Module.h"
#include "platform/win/Time.h"
#include "platform/win/CommandLine.h"
