#include "grid_ctrl_seq.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "dialog_tx.h"

namespace protocol {

CGridButton::CGridButton(int row, int column, QWidget* parent)
    : QPushButton(column == kConnect ? "Connect" : "Close", parent), row_(row), column_(column) {}

void CGridButton::SetState(int state) {
  state_ = state;
  // "Connect" while the server is closed, "Close" while it runs.
  setEnabled(column_ == kConnect ? state == 0 : state == 1);
}

namespace {

// The value editor converts letters to capitals as they are typed.
class UpperCaseEditor : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    connect(editor, &QLineEdit::textEdited, editor, [editor](const QString& text) {
      const int cursor = editor->cursorPosition();
      editor->setText(text.toUpper());
      editor->setCursorPosition(cursor);
    });
    return editor;
  }
};

}  // namespace

CGridCtrlSeq::CGridCtrlSeq(QWidget* parent) : QTableWidget(0, 2, parent) {
  setHorizontalHeaderLabels({"Function", "Value"});
  setColumnWidth(0, 90);
  setColumnWidth(1, 210);
  setItemDelegateForColumn(1, new UpperCaseEditor(this));
  SetGridRowLook(*this);
  verticalHeader()->setVisible(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked);
  setSortingEnabled(false);
}

// Rows change here in whole: no item change is reported for a row that is half built.
void CGridCtrlSeq::AppendRow(const SequenceRow& row) {
  const QSignalBlocker quiet(this);
  const int at = rowCount();
  insertRow(at);
  auto* function = new QTableWidgetItem(QString::fromStdString(row.function));
  function->setFlags(function->flags() & ~Qt::ItemIsEditable);
  setItem(at, 0, function);
  setItem(at, 1, new QTableWidgetItem(QString::fromStdString(row.value)));
}

void CGridCtrlSeq::SetRows(const Sequence& rows) {
  setRowCount(0);
  for (const auto& row : rows) AppendRow(row);
}

Sequence CGridCtrlSeq::Rows() const {
  Sequence rows;
  for (int r = 0; r < rowCount(); ++r) rows.push_back({item(r, 0)->text().toStdString(), item(r, 1)->text().toStdString()});
  return rows;
}

void CGridCtrlSeq::SwapRows(int rowA, int rowB) {
  if (rowA < 0 || rowB < 0 || rowA >= rowCount() || rowB >= rowCount() || rowA == rowB) return;
  const QSignalBlocker quiet(this);
  for (int c = 0; c < columnCount(); ++c) {
    QTableWidgetItem* a = takeItem(rowA, c);
    QTableWidgetItem* b = takeItem(rowB, c);
    setItem(rowA, c, b);
    setItem(rowB, c, a);
  }
}

}  // namespace protocol
