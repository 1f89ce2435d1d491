#include "util/TextConvert.h"

#include <QList>
#include <QString>
#include <algorithm>
#include <string>

#include "port/text.h"

namespace util {
namespace {

constexpr char32_t kHangulFirst = 0xAC00;
constexpr char32_t kHangulLast = 0xD7A3;

// A precomposed letter comes apart into its base letter and combining marks, as far as it goes; a character
// whose canonical form is a single other character, and a Hangul syllable, stay as they are.
void AppendComposite(char32_t c, QString& out) {
  const bool hangul = c >= kHangulFirst && c <= kHangulLast;
  if (!hangul && QChar::decompositionTag(c) == QChar::Canonical) {
    const QList<uint> parts = QChar::decomposition(c).toUcs4();
    if (parts.size() > 1) {
      for (const uint part : parts) AppendComposite(static_cast<char32_t>(part), out);
      return;
    }
  }
  out += QString::fromUcs4(&c, 1);
}

}  // namespace

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
  QString composite;
  for (const uint c : QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toUcs4())
    AppendComposite(static_cast<char32_t>(c), composite);
  const char16_t* units = reinterpret_cast<const char16_t*>(composite.utf16());
  std::copy(units, units + composite.size(), output);
  output[composite.size()] = u'\0';
  return static_cast<int>(composite.size() + 1);
}

}  // namespace util
