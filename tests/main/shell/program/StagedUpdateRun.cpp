// The staged update's finishing alone, as a start of the main program runs it, in a process of its
// own that a test can kill at any instant: StagedUpdateRun <host path of the program folder>.
#include "StagedUpdate.h"

#include "platform/Machine.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    FinishStagedUpdate(platform::WindowsPath(argv[1]));
    return 0;
}
