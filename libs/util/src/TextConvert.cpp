#include "util/TextConvert.h"

#include <algorithm>
#include <string>

#include "port/text.h"

namespace util {

int WideToMulti(const char16_t* input, char* output) {
  if (!input || !output) return 0;
  const std::string text = port::Utf16ToUtf8(std::u16string_view(input));
  std::copy(text.begin(), text.end(), output);
  output[text.size()] = '\0';
  return static_cast<int>(text.size() + 1);
}

int MultiToWide(const char* input, char16_t* output) {
  if (!input || !output) return 0;
  const std::u16string text = port::Utf8ToUtf16(std::string_view(input));
  std::copy(text.begin(), text.end(), output);
  output[text.size()] = u'\0';
  return static_cast<int>(text.size() + 1);
}

}  // namespace util
