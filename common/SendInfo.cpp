#include "common/SendInfo.h"

#include "common/AnsiText.h"
#include "common/ModuleDir.h"
#include "common/RunProcess.h"
#include "platform/Windows.h"

#include <array>
#include <utility>

std::wstring MakeSendInfoCommandLine(const std::wstring& window, const std::wstring& source,
                                     const std::wstring& activity, const std::wstring& attribute)
{
    const std::array<std::pair<const wchar_t*, const std::wstring*>, 4> parts = {
        {{L"Window", &window}, {L"Source", &source}, {L"Activity", &activity}, {L"Attribute", &attribute}}};
    std::wstring commandLine = L" /SendInfo";
    for (const auto& [keyword, text] : parts) {
        if (!text->empty())
            commandLine += L" " + std::wstring(keyword) + L" " + platform::QuoteArgument(*text, true);
    }
    return commandLine;
}

void RunSendInfoW(const std::wstring& window, const std::wstring& source, const std::wstring& activity,
                  const std::wstring& attribute)
{
    if (window.empty() && source.empty() && activity.empty() && attribute.empty())
        return;
    RunProcess(GetModuleDir() + L"Preludex.exe", MakeSendInfoCommandLine(window, source, activity, attribute), false);
}

void RunSendInfo(const char* window, const char* source, const char* activity, const char* attribute)
{
    RunSendInfoW(FromAnsi(window), FromAnsi(source), FromAnsi(activity), FromAnsi(attribute));
}
