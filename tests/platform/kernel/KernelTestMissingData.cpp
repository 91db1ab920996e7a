// A module that imports a variable no library has: its address is needed at the load.
extern "C" int KernelTestNowhereData;

extern "C" int KernelTestReadNowhere() { return KernelTestNowhereData; }
