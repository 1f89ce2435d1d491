#include "CSpecDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "encapsulation_log.h"

namespace encap {
namespace {

constexpr int kListLimit = 10000;

}  // namespace

CSpecDlg::CSpecDlg(EncapsulationLog& log, QWidget* parent) : QDialog(parent), log_(log) {
  setObjectName("4000");
  setWindowTitle("Brisca3 Single Encapsulation");
  list_ = new QListWidget(this);
  list_->setObjectName("4006");
  level_ = new QComboBox(this);
  level_->setObjectName("4008");
  level_->addItems({"NONE", "INFO"});
  auto* reset = new QPushButton("Reset", this);
  reset->setObjectName("4009");

  auto* layout = new QGridLayout(this);
  layout->addWidget(list_, 0, 0, 1, 4);
  layout->addWidget(new QLabel("Log Lev", this), 1, 0);
  layout->addWidget(level_, 1, 1);
  layout->addWidget(reset, 1, 3);
  layout->setColumnStretch(2, 1);
  resize(880, 560);

  level_->setCurrentIndex(0);
  log_.SetLevel(LogLevel::None);
  connect(level_, &QComboBox::currentIndexChanged, this,
          [this](int index) { log_.SetLevel(index == 1 ? LogLevel::Info : LogLevel::None); });
  connect(reset, &QPushButton::clicked, this, &CSpecDlg::OnBnClickedReset);
  // Posted to the window: its destruction drops a line still on its way, and the listener is gone
  // before that.
  log_.SetLineListener([this](const std::string& line) {
    QMetaObject::invokeMethod(this, [this, text = QString::fromStdString(line)] { AddLine(text); },
                              Qt::QueuedConnection);
  });
}

CSpecDlg::~CSpecDlg() { log_.SetLineListener(nullptr); }

void CSpecDlg::AddLine(const QString& line) {
  list_->addItem(line);
  list_->setCurrentRow(list_->count() - 1);
  // Past its limit the list starts empty again, so a session logged for days cannot grow the window
  // without end; the files keep every line.
  if (list_->count() > kListLimit) list_->clear();
}

void CSpecDlg::OnBnClickedReset() { list_->clear(); }

}  // namespace encap
