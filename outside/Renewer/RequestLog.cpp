#include "RequestLog.h"

#include "MachineRecord.h"

namespace {

const wchar_t kRequestsPath[] = L"C:\\ProgramData\\Orvane\\Renewer\\requests.log";

} // namespace

void RecordRequestLine(const std::string& text)
{
    AppendMachineLine(kRequestsPath, LocalTimeText() + " " + text);
}
