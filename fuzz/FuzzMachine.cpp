#include "FuzzMachine.h"

#include "platform/Machine.h"

#include <cstdlib>
#include <unistd.h>

namespace {

std::filesystem::path g_root;

} // namespace

std::filesystem::path MakeFuzzMachine()
{
    char pattern[] = "/tmp/quarnel-fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        abort();
    g_root = pattern;
    setenv("QUARNEL_MACHINE", pattern, 1);
    setenv("TMPDIR", pattern, 1);
    platform::ReloadMachine();
    std::atexit([] {
        std::error_code error;
        std::filesystem::remove_all(g_root, error);
    });
    return g_root;
}
