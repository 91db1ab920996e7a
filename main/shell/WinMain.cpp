// The entry of Orvane Quarnel.

#include "MainRoutine.h"

#include "winlib/SpecialFolders.h"

#include "common/OpenGlIntegration.h"

int main(int argc, char** argv)
{
    // The special-folder table is made before the main routine runs.
    SpecialFolders();
    TurnOffUnusedOpenGlIntegration();
    return QuarnelMain(argc, argv);
}
