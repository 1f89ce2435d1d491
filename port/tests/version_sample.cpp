// A library that is only read, never loaded: it carries a version block and nothing else of interest.
extern "C" __attribute__((visibility("default"))) int port_version_sample() { return 1; }
