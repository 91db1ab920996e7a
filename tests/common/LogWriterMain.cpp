// A process that logs many lines, for the test of several processes writing one log at once.
//   common_log_writer <tag> <count>

#include "common/WriteLog.h"

#include "platform/Text.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 1;
    const std::wstring tag = platform::FromUtf8(argv[1]);
    const int count = std::atoi(argv[2]);
    // Long enough that a line spans more than one write of the stream's buffer.
    const std::wstring padding(3000, L'x');
    for (int i = 0; i < count; ++i)
        WriteLog(L"writer %ls line %d %ls end", tag.c_str(), i, padding.c_str());
    return 0;
}
