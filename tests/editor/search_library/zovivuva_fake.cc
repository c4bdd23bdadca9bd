// A search library for the start-up tests: it exports the newest and the oldest entry.
extern "C" int SearchProc20(void*, void*) { return 20; }
extern "C" int SearchProc(void*, void*) { return 1; }
