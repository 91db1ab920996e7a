#include "support/QuarnelLog.h"

#include "support/TempMachine.h"

#include "platform/Machine.h"
#include "platform/Text.h"
#include "platform/Windows.h"

namespace testing_support {

std::vector<std::wstring> QuarnelLogMessages()
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::string bytes = ReadFile(platform::HostPath(std::wstring(folder) + L"Quarnel.log"));
    const std::wstring text = platform::FromUtf16LEBytes(bytes.data(), bytes.size());
    std::vector<std::wstring> messages;
    size_t begin = 0;
    for (size_t end; (end = text.find(L"\r\n", begin)) != std::wstring::npos; begin = end + 2) {
        const size_t stamp = text.find(L"] ", begin);
        const size_t message = stamp != std::wstring::npos && stamp < end ? stamp + 2 : begin;
        messages.push_back(text.substr(message, end - message));
    }
    return messages;
}

} // namespace testing_support
