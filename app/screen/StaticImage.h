#pragma once
// A picture control: a picture file of the station's Res folder scaled to the control (the per-site result
// pictures and the logo). A picture that cannot be read is replaced by its state drawn as a coloured panel,
// so a station without its Res pictures still shows each site's state.
#include <QImage>
#include <QString>
#include <QWidget>

class CStaticImage : public QWidget {
  Q_OBJECT

 public:
  explicit CStaticImage(QWidget* parent = nullptr);

  // 0 ret_Ready.bmp, 1 ret_Testing.bmp, 2 ret_Pass.bmp, 3 ret_Fail.bmp, 4 ret_Finish.jpg; any other index
  // keeps the current picture.
  void SetStateImage(int index);
  // Res/QRVLogo.bmp.
  void SetLogoImage();
  int StateIndex() const { return m_state; }
  const QString& PicturePath() const { return m_path; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void LoadPicture(const QString& path, const QString& fallbackText, const QColor& fallbackColour);

  int m_state = -1;
  QString m_path;
  QImage m_picture;
  QString m_fallbackText;
  QColor m_fallbackColour;
};
