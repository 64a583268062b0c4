// A loadable shared library that lacks the skin entry.
extern "C" __attribute__((visibility("default"))) int SomethingElse() { return 1; }
