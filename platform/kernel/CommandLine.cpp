#include "platform/win/CommandLine.h"

#include "platform/Text.h"
#include "platform/win/Errors.h"
#include "platform/win/Module.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

namespace platform {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program name: blanks inside quotes belong to it, quotes only toggle, backslashes are plain.
size_t TakeProgramName(const std::wstring& line, std::wstring& name)
{
    bool quoted = false;
    size_t i = 0;
    for (; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'"')
            quoted = !quoted;
        else if (IsBlank(c) && !quoted)
            break;
        else
            name += c;
    }
    return i;
}

// The arguments as the running process received them (its argv in /proc).
std::vector<std::wstring> OwnArguments()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::wstring> arguments;
    size_t start = 0;
    while (start < raw.size()) {
        size_t end = raw.find('\0', start);
        if (end == std::string::npos)
            end = raw.size();
        arguments.push_back(FromUtf8(raw.substr(start, end - start)));
        start = end + 1;
    }
    return arguments;
}

// The starter's command line from QUARNEL_COMMAND_LINE, taken once when the layer loads and removed
// from the environment so that programs this one starts by other means do not inherit it. It is
// believed only when it splits into exactly the arguments this process got.
std::wstring& InheritedCommandLine()
{
    static std::wstring line = [] {
        std::wstring text;
        if (const char* env = std::getenv("QUARNEL_COMMAND_LINE")) {
            text = FromUtf8(env);
            unsetenv("QUARNEL_COMMAND_LINE");
            if (SplitCommandLine(text) != OwnArguments())
                text.clear();
        }
        return text;
    }();
    return line;
}

[[maybe_unused]] const bool g_takenAtLoad = (InheritedCommandLine(), true);

} // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& line)
{
    std::vector<std::wstring> arguments;
    std::wstring program;
    size_t i = TakeProgramName(line, program);
    arguments.push_back(program);
    for (;;) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i >= line.size())
            break;
        std::wstring argument;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2) {
                    argument += L'"';
                } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                    argument += L'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                argument.append(backslashes, L'\\');
                if (i < line.size() && (quoted || !IsBlank(line[i])))
                    argument += line[i++];
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

std::wstring QuoteArgument(const std::wstring& argument, bool alwaysQuote)
{
    if (!alwaysQuote && !argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring QuoteProgramName(const std::wstring& program)
{
    if (!program.empty() && program.find_first_of(L" \t") == std::wstring::npos)
        return program;
    return L"\"" + program + L"\"";
}

} // namespace platform

LPWSTR GetCommandLineW()
{
    static std::wstring line;
    static std::once_flag once;
    std::call_once(once, [] {
        line = platform::InheritedCommandLine();
        if (!line.empty())
            return;
        const std::vector<std::wstring> arguments = platform::OwnArguments();
        for (size_t i = 0; i < arguments.size(); ++i) {
            if (i)
                line += L' ';
            line += i ? platform::QuoteArgument(arguments[i]) : platform::QuoteProgramName(arguments[i]);
        }
    });
    return line.data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* numArgs)
{
    if (!numArgs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> arguments;
    if (!commandLine || !*commandLine) {
        WCHAR path[4096];
        const DWORD length = GetModuleFileNameW(nullptr, path, 4096);
        arguments.emplace_back(path, length);
    } else {
        arguments = platform::SplitCommandLine(commandLine);
    }
    size_t bytes = (arguments.size() + 1) * sizeof(LPWSTR);
    for (const auto& argument : arguments)
        bytes += (argument.size() + 1) * sizeof(WCHAR);
    auto** block = static_cast<LPWSTR*>(std::malloc(bytes));
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* text = reinterpret_cast<WCHAR*>(block + arguments.size() + 1);
    for (size_t i = 0; i < arguments.size(); ++i) {
        block[i] = text;
        std::memcpy(text, arguments[i].c_str(), (arguments[i].size() + 1) * sizeof(WCHAR));
        text += arguments[i].size() + 1;
    }
    block[arguments.size()] = nullptr;
    *numArgs = static_cast<int>(arguments.size());
    return block;
}
