#include "LauncherCommand.h"

#include <cerrno>
#include <cwchar>
#include <cwctype>

namespace {

const wchar_t* const BLANKS = L" \t";

// The command line after the program name, which ends at a blank outside quotes.
std::wstring AfterProgramName(const std::wstring& line)
{
    bool quoted = false;
    size_t i = 0;
    for (; i < line.size(); ++i) {
        if (line[i] == L'"')
            quoted = !quoted;
        else if (!quoted && (line[i] == L' ' || line[i] == L'\t'))
            break;
    }
    return line.substr(i);
}

std::wstring Trimmed(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(BLANKS);
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

// Takes the last blank-separated word off the text.
std::wstring TakeLastWord(std::wstring& text)
{
    const size_t blank = text.find_last_of(BLANKS);
    const std::wstring word = blank == std::wstring::npos ? text : text.substr(blank + 1);
    text = blank == std::wstring::npos ? std::wstring() : Trimmed(text.substr(0, blank));
    return word;
}

bool AllDigits(const std::wstring& text)
{
    if (text.empty())
        return false;
    for (const wchar_t c : text)
        if (!std::iswdigit(static_cast<wint_t>(c)))
            return false;
    return true;
}

} // namespace

std::optional<LauncherCommand> ParseLauncherCommand(const std::wstring& wholeCommandLine)
{
    std::wstring rest = Trimmed(AfterProgramName(wholeCommandLine));
    LauncherCommand command;
    command.locale = TakeLastWord(rest);
    const std::wstring handle = TakeLastWord(rest);
    if (command.locale.empty() || !AllDigits(handle) || rest.size() < 2 || rest.front() != L'"' || rest.back() != L'"')
        return std::nullopt;
    errno = 0;
    command.cancelHandle = std::wcstoull(handle.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return std::nullopt;
    command.commandLine = rest.substr(1, rest.size() - 2);
    if (Trimmed(command.commandLine).empty())
        return std::nullopt;
    return command;
}
