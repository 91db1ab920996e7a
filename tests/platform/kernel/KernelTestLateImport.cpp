// A module that imports a function no library has.
extern "C" int KernelTestNowhere();

extern "C" int KernelTestAnswer() { return 42; }
extern "C" int KernelTestAskNowhere() { return KernelTestNowhere(); }
