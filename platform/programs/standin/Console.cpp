#include "Console.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

std::vector<std::wstring> Arguments()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return {};
    std::vector<std::wstring> result(arguments + (count > 0 ? 1 : 0), arguments + count);
    free(arguments);
    return result;
}

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void Print(const std::wstring& text) { Print(platform::ToUtf8(text)); }

bool AskYesNo(const std::string& question)
{
    Print(question);
    char answer[256] = {};
    if (!std::fgets(answer, sizeof(answer), stdin))
        return false;
    return answer[0] == 'Y' || answer[0] == 'y';
}

void Exit(DWORD code)
{
    std::fflush(nullptr);
    ExitProcess(code);
}

} // namespace standin
