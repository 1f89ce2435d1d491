#include "SiteLogCtrl.h"

SiteLogCtrl::SiteLogCtrl(QString siteName, QWidget* parent) : CGridCtrl(parent), m_siteName(std::move(siteName)) {
  SetFullRowSelect(true);
  InitColumns();
}

void SiteLogCtrl::InitColumns() {
  struct Column {
    const char* caption;
    int width;
  };
  static constexpr Column kColumns[] = {{"", 0},          {"Index", 130}, {"Item name", 180},
                                        {"Code", 70},     {"Result", 60}, {"Msg", 130},
                                        {"reTry Count", 75}, {"Time", 60}, {"Dll Name", 130}};
  int column = 0;
  for (const Column& c : kColumns) InsertColumn(column++, QString::fromUtf8(c.caption), Qt::AlignLeft, c.width);
}

void SiteLogCtrl::AddLogRow(const QStringList& cells) {
  const int row = InsertItem(GetItemCount(), QString());
  for (int column = 0; column < cells.size() && column + 1 < GetColumnCount(); ++column)
    SetItemText(row, column + 1, cells[column]);
  scrollToBottom();
}

void SiteLogCtrl::AddItemRow(const QStringList& cells) {
  QStringList row(cells);
  row.prepend(QString::number(GetItemCount()));
  AddLogRow(row);
}
