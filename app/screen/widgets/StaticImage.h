#pragma once
// A picture control: a picture file of the station's Res folder scaled to the control's current size (the
// per-site result pictures and the logo). A picture that cannot be read leaves the control as it was drawn
// last and writes "Image Read Fail" to the platform error log.
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
  // Whether a picture was ever read, so the control draws one.
  bool HasPicture() const { return !m_picture.isNull(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void InitStaticImage(const QString& path);

  int m_state = -1;
  QString m_path;
  QImage m_picture;
};
