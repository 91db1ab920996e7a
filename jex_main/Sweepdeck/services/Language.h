// The product language the installer wrote into the machine registry, and what it stands for: the
// code of the translation file and the Windows language of system message texts.
#pragma once

#include "platform/Windows.h"

#include <string>

struct LanguageInfo {
    const char* code;  // "en", "de", ...
    WORD languageId;   // MAKELANGID(primary, sub-language)
};

// The value "Language" of HKLM "Software\ORVANE\ZLR" as text; the registry's status, the value
// left empty unless it was read as a string.
LONG ReadProductLanguage(std::string& value);

// The language a value names; English (with the neutral system language id) for anything else.
LanguageInfo LanguageOf(const std::string& value);

// LanguageOf the value in the registry.
LanguageInfo ProductLanguage();
