#pragma once
// A static text with its own font, text colour and background colour: the site result labels and the
// site panel's message texts. Colours are stored colour values (0x00BBGGRR).
#include <QLabel>
#include <cstdint>

class CFontStatic : public QLabel {
  Q_OBJECT

 public:
  // Style flags of SetStyleFlags.
  enum StyleFlag : int { kBold = 1, kItalic = 2, kUnderline = 4, kStrike = 8, kAntialias = 16, kCentre = 32,
                         kLeft = 64, kRight = 128 };

  explicit CFontStatic(QWidget* parent = nullptr);

  void SetTextStyle(const QString& face, int pixelSize, std::uint32_t colour, int flags);
  void SetTextColour(std::uint32_t colour);
  void SetBackColor(std::uint32_t colour);
  // Bold, italic, underline, strike and antialias are only ever added; the alignment follows the last call.
  void SetStyleFlags(int flags);
  std::uint32_t TextColour() const { return m_textColour; }

  static QColor ToQColor(std::uint32_t colour);

 protected:
  // The text is drawn in the label's font, made smaller where it would not fit the label.
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyPalette();

  std::uint32_t m_textColour = 0;
  std::uint32_t m_backColour;
  bool m_hasBack = false;
};
