// A console program for the command runner's tests that does what its arguments say, in order:
//   say:<text>    prints the text and a line end
//   ask:<text>    prints the text without a line end, reads one line and prints "answer:<line>"
//   pause:<ms>    stays silent that long
//   exit:<code>   ends with the (32-bit, decimal) exit code
#include "platform/Windows.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Print(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string step = argv[i];
        const size_t colon = step.find(':');
        const std::string verb = step.substr(0, colon);
        const std::string value = colon == std::string::npos ? "" : step.substr(colon + 1);
        if (verb == "say") {
            Print(value + "\r\n");
        } else if (verb == "ask") {
            Print(value);
            char answer[256] = {};
            if (!std::fgets(answer, sizeof(answer), stdin))
                answer[0] = '\0';
            answer[std::strcspn(answer, "\r\n")] = '\0';
            Print(std::string("answer:") + answer + "\r\n");
        } else if (verb == "pause") {
            Sleep(static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10)));
        } else if (verb == "exit") {
            std::fflush(stdout);
            ExitProcess(static_cast<UINT>(std::strtoul(value.c_str(), nullptr, 10)));
        }
    }
    return 0;
}
