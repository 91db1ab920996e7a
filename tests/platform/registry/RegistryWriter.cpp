// A second process for the concurrency tests: makes the writes of WriteConcurrently on the
// machine named by QUARNEL_MACHINE and exits 0 when every one succeeded.
#include "ConcurrentWrites.h"

#include "platform/Text.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const int failures = registry_test::WriteConcurrently(platform::FromUtf8(argv[1]), std::atoi(argv[2]));
    if (failures)
        std::fprintf(stderr, "%d registry writes failed\n", failures);
    return failures ? 1 : 0;
}
