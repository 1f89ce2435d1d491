#include "software_dlg.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "screen_rgb_dlg.h"
#include "software_library.h"

CSoftwareDlg::CSoftwareDlg(qrv::sw::SoftwareLibrary& library)
    : library_(library),
      testingImageSave_(new QCheckBox("Testing Image Save", this)),
      outDrawType_(new QLabel("Out Draw Type", this)),
      inspector_(new CScreenRgbDlg(library, this)) {
  setWindowTitle("Software Spec");
  testingImageSave_->setObjectName("10005");
  outDrawType_->setObjectName("10007");
  auto* save = new QPushButton("Save", this);
  save->setObjectName("1");
  save->setDefault(true);
  auto* close = new QPushButton("Close", this);
  close->setObjectName("2");
  // The inspector sits in the upper left at (10, 10), 275 x 110 pixels; the options and buttons below it.
  inspector_->setFixedSize(275, 110);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);
  layout->addWidget(inspector_, 0, 0, 1, 2);
  layout->addWidget(testingImageSave_, 1, 0);
  layout->addWidget(outDrawType_, 2, 0);
  layout->addWidget(save, 1, 1);
  layout->addWidget(close, 2, 1);
  // Worker threads read the option from the library's mirror, never from the box.
  connect(testingImageSave_, &QCheckBox::toggled, this, [this](bool on) { library_.SetTestingImageSave(on); });
  connect(save, &QPushButton::clicked, this, &CSoftwareDlg::OnBnClickedSave);
  // The Close button hides the window and leaves the shown flag as it is.
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
}

void CSoftwareDlg::ShowOptions() {
  testingImageSave_->setChecked(library_.TestingImageSave() != 0);
  outDrawType_->setText(QString::fromStdString(library_.OutDrawTypeText()));
}

void CSoftwareDlg::BringForward() {
  hide();
  show();
}

void CSoftwareDlg::closeEvent(QCloseEvent* event) {
  library_.SetShown(0);
  QDialog::closeEvent(event);
}

void CSoftwareDlg::OnBnClickedSave() { library_.SaveOptions(); }
