// Values of INI files through the layer's profile calls, whatever their length: the reader cuts a
// text that does not fit the buffer it is given, so the buffer grows until the text fits. The layer
// reads INI files of up to 1 MiB, so a text is never longer.
#pragma once

#include <optional>
#include <string>

// The key's value (without quotes around it); empty when the file, the section or the key is
// missing.
std::wstring ReadProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key);

// The key's value, or nothing where the section holds no such key (its names compared ignoring
// case, as the reader matches them): the reader itself answers a missing key with its default.
std::optional<std::wstring> FindProfileText(const std::wstring& file, const wchar_t* section, const wchar_t* key);
