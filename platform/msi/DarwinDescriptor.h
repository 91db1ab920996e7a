// The installer's descriptor of an advertised shortcut: the product code, the feature and the
// component code. The installer writes it compressed (each code packed into 20 characters of an
// 85-character alphabet, four 32-bit words of five digits each, the lowest digit first), as
// product, feature, ">" and component, or product, feature and "<" where the feature names no
// component; the plain form holds both codes in braces ("{...}feature>{...}"). Windows Installer
// reads a descriptor only as far as its codes go: what follows the last code (or the "<") is no
// part of it (a command's arguments, or a character the installer's own shortcuts carry there).
#pragma once

#include <string>

namespace platform::msi {

struct DarwinDescriptor_ {
    std::wstring product_;   // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
    std::wstring feature_;
    std::wstring component_; // the same form; empty where the descriptor names none
};

// Whether the text is a code in braces, as the installer's calls take them.
bool IsInstallerCode(const std::wstring& text);

// False for a text that is neither form.
bool ParseDarwinDescriptor(const std::wstring& text, DarwinDescriptor_& descriptor);

} // namespace platform::msi
