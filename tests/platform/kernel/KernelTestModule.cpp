// A module for LoadLibraryW and GetProcAddress to find.
extern "C" int KernelTestAnswer() { return 42; }
