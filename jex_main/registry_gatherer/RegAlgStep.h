// One step of a reference-check rule ("RegGarbageAlg" or "RegGarbageIdentify").
#pragma once

#include "platform/Windows.h"

#include <string>
#include <vector>

class TiXmlElement;

struct RegAlgStep_ {
    int rootType = -1; // -1 below the current key; 1 HKEY_CLASSES_ROOT, 2 HKEY_LOCAL_MACHINE, 3 HKEY_CURRENT_USER
    std::vector<std::wstring> params;
    std::vector<std::wstring> procKeys;
    std::vector<std::wstring> procValues;
    std::wstring result;       // name under which the step's value is kept for placeholders
    bool isKeyResult = false;  // the step's value looks up the remembered decisions
    std::wstring resultLinkTo; // identify step only: where the rule's decision is remembered

    static RegAlgStep_ FromElement(const TiXmlElement& element);

    // The root a "RootType" of 1, 2 or 3 names; null for any other.
    HKEY Root() const;
};
