// The demo machine's registry as regedit would export it: what the programs of the machine and
// Orvane Quarnel's tools read and change.
#pragma once

#include <string>

// The .reg text; the product's folder is named in its uninstall entry.
std::wstring DemoRegistryText(const std::wstring& installFolder);
