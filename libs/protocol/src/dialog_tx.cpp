#include "dialog_tx.h"

#include <QPalette>

namespace protocol {
namespace {

const QColor kBackground(45, 45, 48);
const QColor kField(62, 62, 66);

const char* const kDarkSheet =
    "QLineEdit, QListWidget, QPushButton, QComboBox, QTableWidget, QTabWidget::pane, QHeaderView::section {"
    " background-color: rgb(62,62,66); color: white; }"
    "QPushButton { border: 1px solid rgb(110,110,116); padding: 3px 10px; }"
    "QPushButton:disabled, QLineEdit:disabled, QCheckBox:disabled { color: rgb(140,140,140); }"
    "QTableWidget { gridline-color: rgb(90,90,96); selection-background-color: rgb(0,122,204); }"
    "QTabBar::tab { background: rgb(62,62,66); color: white; padding: 3px 12px; }"
    "QTabBar::tab:selected { background: rgb(0,122,204); }"
    "QHeaderView, QTableCornerButton::section { background-color: rgb(62,62,66); }"
    "QHeaderView::section { border: 1px solid rgb(90,90,96); }"
    "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid white; background: rgb(62,62,66); }"
    "QCheckBox::indicator:checked { background: rgb(0,122,204); }"
    "QCheckBox::indicator:disabled { border-color: rgb(140,140,140); }"
    "QMenuBar { background-color: rgb(45,45,48); color: white; }"
    "QMenuBar::item:selected, QMenu::item:selected { background-color: rgb(0,122,204); }"
    "QMenu { background-color: rgb(62,62,66); color: white; }"
    "QLabel, QCheckBox { color: white; background: transparent; }";

QString GroupSheet(const char* frame) {
  return QString("QGroupBox { border: 1px solid %1; margin-top: 10px; color: white; }"
                 "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 3px; color: white; }")
      .arg(frame);
}

}  // namespace

CDialogTx::CDialogTx(QWidget* parent) : QDialog(parent) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kBackground);
  palette.setColor(QPalette::Base, kField);
  palette.setColor(QPalette::Button, kField);
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) palette.setColor(role, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
  setStyleSheet(kDarkSheet);
}

void SetGridRowLook(QTableWidget& grid) {
  grid.setAlternatingRowColors(true);
  grid.setStyleSheet("QTableWidget { background-color: white; alternate-background-color: rgb(230,230,230);"
                     " color: black; }");
}

CTGroupBox::CTGroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) { SetFlat(false); }

void CTGroupBox::SetFlat(bool flat) { setStyleSheet(GroupSheet(flat ? "rgb(255,0,0)" : "rgb(255,255,255)")); }

}  // namespace protocol
