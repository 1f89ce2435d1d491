// A library that must never be loaded by a version-string read.
#include <cstdlib>

[[gnu::constructor]] static void AbortWhenLoaded() { std::abort(); }
