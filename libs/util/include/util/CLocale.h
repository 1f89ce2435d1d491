#pragma once
// Number texts in the C locale, whatever locale the process runs in (a Qt program takes the user's).
#include <string>

namespace util {

// printf-style formatting through a 512-byte buffer, as the stored files expect ("%f" -> "2.800000").
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// atoi: leading blanks, sign and digits; anything else reads as 0. Clamped to the int range.
int ToInt(const char* text);
// atof: the numeric prefix of the text in the C locale; 0 when there is none.
double ToDouble(const char* text);

}  // namespace util
