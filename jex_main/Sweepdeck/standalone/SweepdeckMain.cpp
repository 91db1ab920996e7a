// The entry of the stand-alone clean-up program.

#include "standalone/Host.h"

int main(int argc, char** argv) { return HostWinMain(argc, argv); }
