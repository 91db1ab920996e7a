// The ANSI texts of shell links made on other PCs. Windows writes them in the ANSI code page of the
// PC that made the link (1251, 936, ...), which the file does not name. Text that is valid UTF-8
// (ASCII included) is the layer's own ANSI and is read as such; any other bytes are read as code
// page 1252, with its five unassigned bytes kept as the C1 controls of the same number, so that
// every byte stays a character of its own and nothing is lost. The raw bytes are what a rewrite
// keeps; the decoded text is only what the calls give.
#pragma once

#include <string>

namespace platform::shell {

bool IsUtf8(const std::string& bytes);
bool IsAscii(const std::wstring& text);
std::wstring DecodeAnsi(const std::string& bytes);
// The text as code page 1252's bytes, as DecodeAnsi reads them back from bytes that are not UTF-8;
// false when a character has no byte there.
bool EncodeAnsi1252(const std::wstring& text, std::string& bytes);

} // namespace platform::shell
