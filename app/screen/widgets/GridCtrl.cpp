#include "GridCtrl.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <climits>
#include <numeric>
#include <string_view>
#include <vector>

#include "GridEdit.h"

namespace {

// Paints each cell's background from the grid's colour rule, then draws the cell as usual.
class GridColorDelegate : public QStyledItemDelegate {
 public:
  explicit GridColorDelegate(CGridCtrl* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor color = m_grid->CellBackground(index.row(), index.column());
    if (color.isValid()) option->backgroundBrush = color;
  }

 private:
  CGridCtrl* m_grid;
};

bool IsWholeNumber(const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.isDigit() && c.unicode() < 128) continue;
    if (i == 0 && c == QLatin1Char('-')) continue;
    return false;
  }
  return true;
}

// atoi's reading of a whole number, saturated instead of overflowing.
long long SaturatedNumber(const QString& text) {
  const bool negative = text.startsWith(QLatin1Char('-'));
  long long value = 0;
  for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i) {
    const int digit = text[i].unicode() - '0';
    if (value > (LLONG_MAX - digit) / 10) return negative ? LLONG_MIN : LLONG_MAX;
    value = value * 10 + digit;
  }
  return negative ? -value : value;
}

int Sign(long long v) { return (v > 0) - (v < 0); }

}  // namespace

CGridCtrl::CGridCtrl(QWidget* parent) : QTableWidget(parent) {
  setItemDelegate(new GridColorDelegate(this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSortingEnabled(false);
  verticalHeader()->hide();
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(0);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CGridCtrl::OnHeaderClick);
}

CGridCtrl::~CGridCtrl() = default;

int CGridCtrl::InsertColumn(int column, const QString& title, Qt::Alignment align, int width) {
  column = std::clamp(column, 0, columnCount());
  insertColumn(column);
  auto* header = new QTableWidgetItem(title);
  header->setTextAlignment(align | Qt::AlignVCenter);
  setHorizontalHeaderItem(column, header);
  setColumnWidth(column, width);
  if (width == 0) setColumnHidden(column, true);
  return column;
}

int CGridCtrl::InsertItem(int row, const QString& text) {
  row = std::clamp(row, 0, rowCount());
  insertRow(row);
  for (int c = 0; c < columnCount(); ++c) {
    auto* item = new QTableWidgetItem(c == 0 ? text : QString());
    if (const QTableWidgetItem* header = horizontalHeaderItem(c)) item->setTextAlignment(Qt::Alignment(header->textAlignment()));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, c, item);
  }
  if (m_checkBoxes && columnCount() > 0) {
    item(row, 0)->setFlags(item(row, 0)->flags() | Qt::ItemIsUserCheckable);
    item(row, 0)->setCheckState(Qt::Unchecked);
  }
  return row;
}

QTableWidgetItem* CGridCtrl::CellItem(int row, int column) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
  QTableWidgetItem* cell = item(row, column);
  if (!cell) {
    cell = new QTableWidgetItem;
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setItem(row, column, cell);
  }
  return cell;
}

void CGridCtrl::SetItemText(int row, int column, const QString& text) {
  if (QTableWidgetItem* cell = CellItem(row, column)) cell->setText(text);
}

QString CGridCtrl::GetItemText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
}

bool CGridCtrl::DeleteItem(int row) {
  if (row < 0 || row >= rowCount()) return false;
  removeRow(row);
  return true;
}

void CGridCtrl::DeleteAllItems() {
  CloseEditor();
  setRowCount(0);
}

void CGridCtrl::SetCheck(int row, bool checked) {
  if (QTableWidgetItem* cell = CellItem(row, 0)) {
    cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
    cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
}

bool CGridCtrl::GetCheck(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  return cell && cell->checkState() == Qt::Checked;
}

void CGridCtrl::SetItemData(int row, qintptr data) {
  if (QTableWidgetItem* cell = CellItem(row, 0)) cell->setData(Qt::UserRole, QVariant::fromValue(data));
}

qintptr CGridCtrl::GetItemData(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  return cell ? cell->data(Qt::UserRole).value<qintptr>() : 0;
}

void CGridCtrl::SetSelectionMark(int row) {
  setCurrentCell(row, 0, QItemSelectionModel::NoUpdate);
}

void CGridCtrl::GrowColumnsToContents(int firstColumn, int endColumn) {
  for (int column = std::max(0, firstColumn); column < std::min(endColumn, columnCount()); ++column) {
    const int width = columnWidth(column);
    resizeColumnToContents(column);
    setColumnWidth(column, std::max(width, columnWidth(column)));
  }
}

void CGridCtrl::SetCheckBoxes(bool on) {
  m_checkBoxes = on;
  if (!on) return;
  for (int r = 0; r < rowCount(); ++r) {
    QTableWidgetItem* cell = CellItem(r, 0);
    if (!cell || (cell->flags() & Qt::ItemIsUserCheckable)) continue;
    cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
    cell->setCheckState(Qt::Unchecked);
  }
}

QPixmap CGridCtrl::HeaderBoxImage(bool ticked) {
  QPixmap image(13, 13);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(0, 0, 12, 12);
  if (ticked) {
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(3, 6, 5, 9);
    painter.drawLine(5, 9, 10, 3);
  }
  return image;
}

void CGridCtrl::InitHeaderCheckBox() {
  m_headerBoxShown = true;
  SetHeaderCheck(m_headerCheck);
  SetCheckBoxes(true);
}

void CGridCtrl::SetHeaderCheck(int checked) {
  m_headerCheck = checked ? 1 : 0;
  if (!m_headerBoxShown || columnCount() == 0) return;
  QTableWidgetItem* header = horizontalHeaderItem(0);
  if (!header) {
    header = new QTableWidgetItem;
    setHorizontalHeaderItem(0, header);
  }
  // The first column's header shows the box alone, without its caption.
  header->setText(QString());
  header->setIcon(QIcon(HeaderBoxImage(m_headerCheck != 0)));
}

CGridEdit* CGridCtrl::EditSubItem(int row, int column, int digitsOnly) {
  if (row < 0 || row >= rowCount()) return nullptr;
  if (column < 0 || column >= columnCount() || isColumnHidden(column) || columnWidth(column) < 5) return nullptr;
  CommitEdit();
  QTableWidgetItem* cell = CellItem(row, column);
  scrollToItem(cell);
  const QRect cellRect = visualItemRect(cell);
  QRect editRect(cellRect.left() + 4, cellRect.top(), columnWidth(column) - 3, cellRect.height());
  editRect.setRight(std::min(editRect.right(), viewport()->rect().right()));

  Qt::Alignment alignment = Qt::AlignLeft;
  if (const QTableWidgetItem* header = horizontalHeaderItem(column)) {
    alignment = Qt::Alignment(header->textAlignment()) & Qt::AlignHorizontal_Mask;
  }
  auto* editor = new CGridEdit(this, row, column, cell->text(), digitsOnly != 0, alignment);
  editor->setGeometry(editRect);
  editor->show();
  editor->setFocus();
  m_editor = editor;
  return editor;
}

void CGridCtrl::OnEditEnded(CGridEdit* editor) {
  if (!editor || editor != m_editor) return;
  if (!editor->Escaped()) {
    const QString text = editor->text();
    SetItemText(editor->Row(), editor->Column(), text);
    CloseEditor();
    emit endLabelEdit(editor->Row(), editor->Column(), text);
    return;
  }
  CloseEditor();
}

void CGridCtrl::CommitEdit() {
  CGridEdit* editor = m_editor.data();
  if (!editor) return;
  SetItemText(editor->Row(), editor->Column(), editor->text());
  CloseEditor();
}

void CGridCtrl::CloseEditor() {
  CGridEdit* editor = m_editor.data();
  if (!editor) return;
  // Cleared first: hiding the editor moves the focus, and that focus change must not end it twice.
  m_editor = nullptr;
  editor->hide();
  editor->deleteLater();
  viewport()->update();
}

QString CGridCtrl::SelectionText(const CGridCtrl* list, const QString& separator) {
  const int columns = list->m_fullRowSelect ? list->columnCount() : 1;
  QStringList rows;
  for (int r = 0; r < list->rowCount(); ++r) {
    if (!list->selectionModel()->isRowSelected(r, QModelIndex())) continue;
    QStringList cells;
    for (int c = 0; c < columns; ++c) cells << list->GetItemText(r, c);
    rows << cells.join(separator);
  }
  return rows.join(QStringLiteral("\r\n"));
}

int CGridCtrl::CopySelectionToClipboard(CGridCtrl* list, const QString& separator) {
  if (!list || list->selectionModel()->selectedRows().isEmpty()) return 1;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  const QString text = SelectionText(list, separator);
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard) clipboard->setText(text);
  QGuiApplication::restoreOverrideCursor();
  return clipboard ? 1 : 0;
}

void CGridCtrl::SwapRows(int rowA, int rowB) {
  if (rowA == rowB || rowA < 0 || rowB < 0 || rowA >= rowCount() || rowB >= rowCount()) return;
  const bool selectedA = selectionModel()->isRowSelected(rowA, QModelIndex());
  const bool selectedB = selectionModel()->isRowSelected(rowB, QModelIndex());
  for (int c = 0; c < columnCount(); ++c) {
    QTableWidgetItem* a = takeItem(rowA, c);
    QTableWidgetItem* b = takeItem(rowB, c);
    setItem(rowA, c, b);
    setItem(rowB, c, a);
  }
  const auto flags = QItemSelectionModel::Rows;
  selectionModel()->select(model()->index(rowA, 0), flags | (selectedB ? QItemSelectionModel::Select
                                                                       : QItemSelectionModel::Deselect));
  selectionModel()->select(model()->index(rowB, 0), flags | (selectedA ? QItemSelectionModel::Select
                                                                       : QItemSelectionModel::Deselect));
  if (currentRow() == rowA) {
    SetSelectionMark(rowB);
  } else if (currentRow() == rowB) {
    SetSelectionMark(rowA);
  }
}

int CGridCtrl::MoveRowUp() {
  const int row = GetSelectionMark();
  if (row <= 0 || row >= rowCount()) return 0;
  SwapRows(row, row - 1);
  scrollToItem(item(row - 1, 0));
  SetSelectionMark(row - 1);
  return 1;
}

int CGridCtrl::MoveRowDown() {
  const int row = GetSelectionMark();
  if (row < 0 || row >= rowCount() - 1) return 0;
  SwapRows(row, row + 1);
  scrollToItem(item(row + 1, 0));
  SetSelectionMark(row + 1);
  return 1;
}

void CGridCtrl::DeleteSelectedRow() {
  const int row = GetSelectionMark();
  if (row < 0 || row >= rowCount()) return;
  removeRow(row);
  if (rowCount() == 0) return;
  const int next = std::min(row, rowCount() - 1);
  selectRow(next);
  setCurrentCell(next, 0, QItemSelectionModel::SelectCurrent | QItemSelectionModel::Rows);
}

void CGridCtrl::SelectAll() { selectAll(); }

void CGridCtrl::ClearSelection() { clearSelection(); }

int CGridCtrl::CompareItems(const QString& first, const QString& second, int ascending) {
  int order;
  if (IsWholeNumber(first) && IsWholeNumber(second)) {
    const long long a = SaturatedNumber(first);
    const long long b = SaturatedNumber(second);
    order = (a > b) - (a < b);
  } else {
    const QByteArray a = first.toLower().toUtf8();
    const QByteArray b = second.toLower().toUtf8();
    order = Sign(std::string_view(a.constData(), a.size()).compare(std::string_view(b.constData(), b.size())));
  }
  return ascending ? order : -order;
}

void CGridCtrl::SortByColumn(int column) {
  const int rows = rowCount();
  const int columns = columnCount();
  std::vector<std::vector<QTableWidgetItem*>> content(rows, std::vector<QTableWidgetItem*>(columns));
  std::vector<bool> selected(rows);
  for (int r = 0; r < rows; ++r) {
    selected[r] = selectionModel()->isRowSelected(r, QModelIndex());
    for (int c = 0; c < columns; ++c) content[r][c] = takeItem(r, c);
  }
  auto text = [&](int r) { return content[r][column] ? content[r][column]->text() : QString(); };
  std::vector<int> order(rows);
  std::iota(order.begin(), order.end(), 0);
  const int ascending = m_sortAscending;
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return CompareItems(text(a), text(b), ascending) < 0; });
  clearSelection();
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) setItem(r, c, content[order[r]][c]);
    if (selected[order[r]]) selectionModel()->select(model()->index(r, 0), QItemSelectionModel::Select |
                                                                                QItemSelectionModel::Rows);
  }
}

void CGridCtrl::ToggleAllChecks() {
  const bool check = m_headerCheck == 0;
  for (int r = 0; r < rowCount(); ++r) SetCheck(r, check);
  SetHeaderCheck(check ? 1 : 0);
}

void CGridCtrl::OnHeaderClick(int column) {
  if (m_sortEnabled) {
    m_sortAscending = m_sortAscending ? 0 : 1;
    SortByColumn(column);
    emit rowsSorted();
  }
  if (m_checkAll && column == 0) ToggleAllChecks();
}

QColor CGridCtrl::CellBackground(int row, int column) const {
  static const QColor kGreen(29, 219, 22);
  static const QColor kRed(255, 0, 0);
  auto byText = [&](int sourceColumn) -> QColor {
    const QString text = GetItemText(row, sourceColumn);
    if (text == QLatin1String("0")) return kGreen;
    if (text == QLatin1String("1") || text == QLatin1String("-1") || text == QLatin1String("-2")) return kRed;
    return {};
  };
  switch (m_colorMode) {
    case 2:
      switch (column) {
        case 1: return QColor(255, 228, 0);
        case 2: return kGreen;
        case 3: return kRed;
        case 4: return QColor(0, 216, 255);
        default: return {};
      }
    case 3: return byText(1);
    case 4: return byText(4);
    default: return {};
  }
}

void CGridCtrl::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_C && (event->modifiers() & Qt::ControlModifier)) {
    CopySelectionToClipboard(this, QStringLiteral("\t"));
    // The view's own copy would put the focused cell alone over the rows.
    if (event->matches(QKeySequence::Copy)) return;
  }
  QTableWidget::keyPressEvent(event);
}

void CGridCtrl::mousePressEvent(QMouseEvent* event) {
  CommitEdit();
  QTableWidget::mousePressEvent(event);
}

void CGridCtrl::wheelEvent(QWheelEvent* event) {
  CommitEdit();
  QTableWidget::wheelEvent(event);
}
