// The page types of the main program's frame windows; pages store the same value.
#pragma once

enum EFixPageId : int {
    PAGE_HOME = 2,
    PAGE_WRITE_PROTECTION = 3,
    PAGE_WINDOWS_UPDATE = 4,
    PAGE_FILE_SHOWING = 5,
    PAGE_LOGIN = 7,
    PAGE_LETTER = 9,
    PAGE_SYSTEM_CLEANUP = 10,
    PAGE_LARGE_FILE_CLEANUP = 11,
};
