#pragma once
// A static text with its own font, text colour and background colour, painted by itself: the information
// labels and the per-site labels of the site panel. Colours are stored colour values (0x00BBGGRR). On the
// site message labels (control ids 2016 to 2023) the texts "PASS" and "Testing..." take the result colours
// whatever colour is configured.
#include <QLabel>
#include <QString>
#include <cstdint>

class CFontStatic : public QLabel {
  Q_OBJECT

 public:
  // Style flags of SetStyleFlags.
  enum StyleFlag : int { kBold = 1, kItalic = 2, kUnderline = 4, kStrike = 8, kAntialias = 16, kCentre = 32,
                         kLeft = 64, kRight = 128 };
  static constexpr std::uint32_t kPassColour = 0x16DB1D;
  static constexpr std::uint32_t kTestingColour = 0x00E4FF;

  explicit CFontStatic(QWidget* parent = nullptr);

  // Face, height in pixels, text colour, then SetStyleFlags. Nothing is redrawn: the owner redraws.
  void SetTextStyle(const QString& face, int size, std::uint32_t colour, int flags);
  void SetBackColor(std::uint32_t colour);
  // Bold, italic, underline, strike and antialias are only ever added; the alignment follows the last call.
  void SetStyleFlags(int flags);

  std::uint32_t TextColour() const { return m_textColour; }
  bool HasBackColor() const { return m_hasBack; }
  std::uint32_t BackColour() const { return m_backColour; }
  // The colour the current text is drawn in.
  std::uint32_t DrawnTextColour() const;
  // The font the text is drawn in before it is made smaller to fit the label.
  QFont LabelFont() const;
  // The pixel size the current text is drawn at in the label's current size.
  int FittedPixelSize() const;

  static QColor ToQColor(std::uint32_t colour);

 protected:
  // The text starts at the top, word-wrapped; a text that would not fit the label is drawn smaller.
  void paintEvent(QPaintEvent* event) override;

 private:
  int DrawFlags() const;

  bool m_bold = false;
  bool m_italic = false;
  bool m_underline = false;
  bool m_strikeOut = false;
  bool m_antialiased = false;
  bool m_hasBack = false;
  QString m_face = QStringLiteral("MS Sans Serif");
  std::uint32_t m_textColour = 0;
  std::uint32_t m_backColour = 0;
  int m_size = 8;
};
