// The failure sites of the Update library. Every failure is MakeResult(site, RESULT_SYSTEM_CALL,
// error): the low half (site << 16) | 1 names the place that failed.
#pragma once

#include "common/OpResult.h"

#include <cstdint>

enum UpdateSite : uint16_t {
    // IUnzipFile
    SITE_OPEN_NO_PATH = 0x29,
    SITE_OPEN_NOT_ZIP = 0x30,
    SITE_ENTRY_NOT_OPEN = 0x60,
    SITE_ENTRY_NO_MEMORY = 0x67,
    SITE_ENTRY_UNREADABLE = 0x6E,
    SITE_ENTRY_OBJECT_NO_MEMORY = 0x76,
    SITE_EXTRACT_BAD_ARGUMENT = 0x87,
    SITE_EXTRACT_NOT_OPEN = 0x8D,
    SITE_EXTRACT_FAILED = 0x93,
    SITE_EXTRACT_ALL_NO_FOLDER = 0xA5,
    SITE_EXTRACT_ALL_NOT_OPEN = 0xAB,
    SITE_OPEN_MEMORY_EMPTY = 0xB5,          // OpenMemory without data
    SITE_ENTRY_NO_PLACE = 0xB6,             // GetEntry without a place for the entry

    // IUpdateFixt
    SITE_DOWNLOAD_NO_URL = 0x4D,
    SITE_DOWNLOAD_NO_DEST = 0x4E,
    SITE_DOWNLOAD_NO_INIT = 0x4F,
    SITE_DOWNLOAD_NO_DOWNLOAD = 0x50,
    SITE_DOWNLOAD_NO_UNINIT = 0x51,
    SITE_DOWNLOAD_NO_BOUNDS = 0x52,  // kyd_set_limits or kyd_cancel missing
    SITE_DOWNLOAD_INIT_FAILED = 0x55,
    SITE_DOWNLOAD_NULL_HANDLE = 0x56,
    SITE_DOWNLOAD_FAILED = 0x59,
    SITE_READ_NO_RECORD = 0x6A,
    SITE_READ_NO_SOURCE = 0x6B,
    SITE_READ_NO_DOWNLOAD_PATH = 0x75,  // no folder for the fetched description
    SITE_READ_NO_URL = 0x7E,
    SITE_READ_NO_DES = 0x80,
    SITE_READ_NO_BUILD = 0x82,
    SITE_READ_NO_CONFIG = 0x85,
};

inline OpResult UpdateFailure(UpdateSite site, DWORD error = 0) { return MakeResult(site, RESULT_SYSTEM_CALL, error); }
