// A focus-home library as the handler's HOF request loads it from the Cycle folder: with Move_Home, which
// reports 7, or without it.
extern "C" {
#ifdef WITH_MOVE_HOME
__attribute__((visibility("default"))) int Move_Home() { return 7; }
#else
__attribute__((visibility("default"))) int Move_Away() { return 7; }
#endif
}
