// The bytes of an advertised shortcut (".lnk"): a shell-link header with no target of its own and
// a Darwin data block holding the installer's text (product code, feature, ">", component code).
#pragma once

#include <string>

namespace testing_support {

std::string AdvertisedShortcut(const std::wstring& darwinText);

} // namespace testing_support
