#pragma once
// UTF-16 <-> narrow text (UTF-8), whole NUL-terminated inputs; the counts include the terminator.
// Towards UTF-16 precomposed letters come out as base letter plus combining marks ("é" gives e, U+0301).
// Both trust the caller's buffer to hold the whole result; a null input or output gives 0.
namespace util {

int WideToMulti(const char16_t* input, char* output);
int MultiToWide(const char* input, char16_t* output);

}  // namespace util
