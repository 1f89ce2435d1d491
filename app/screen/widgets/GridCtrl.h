#pragma once
// The report-list table of the station's windows: optional check boxes with a check-all header box,
// in-place editing through CGridEdit, background colour rules, header-click sorting, copy of the
// selected rows and row moves. Everything but plain display is off until the owner switches it on.
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QTableWidget>
#include <cstdint>

#include "GridEdit.h"

// A Windows COLORREF (0x00BBGGRR) as a colour.
inline QColor ColorFromRef(std::uint32_t ref) {
  return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                static_cast<int>((ref >> 16) & 0xFF));
}

class CGridCtrl : public QTableWidget {
  Q_OBJECT

 public:
  explicit CGridCtrl(QWidget* parent = nullptr);
  ~CGridCtrl() override;

  // Columns and rows, in the manner of the list control the windows were written against.
  int InsertColumn(int column, const QString& title, Qt::Alignment align = Qt::AlignLeft, int width = 80);
  int InsertItem(int row, const QString& text);
  void SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  int GetItemCount() const { return rowCount(); }
  int GetColumnCount() const { return columnCount(); }
  bool DeleteItem(int row);
  void DeleteAllItems();
  void SetCheck(int row, bool checked);
  bool GetCheck(int row) const;
  void SetItemData(int row, qintptr data);
  qintptr GetItemData(int row) const;
  int GetSelectionMark() const { return currentRow(); }
  void SetSelectionMark(int row);
  void SetFullRowSelect(bool on) { m_fullRowSelect = on; }
  bool IsFullRowSelect() const { return m_fullRowSelect; }
  void SetCheckBoxes(bool on);
  // Columns first to end - 1 widen to their widest text (header included); none gets narrower.
  void GrowColumnsToContents(int firstColumn, int endColumn);
  bool HasCheckBoxes() const { return m_checkBoxes; }

  void SetColorMode(int mode) { m_colorMode = mode; viewport()->update(); }
  int GetColorMode() const { return m_colorMode; }
  void SetHeaderCheckAll(int on) { m_checkAll = on; }
  void SetHeaderSort(int on) { m_sortEnabled = on; }
  // Check boxes on, the header box shown unticked in the first column's header.
  void InitHeaderCheckBox();
  void SetHeaderCheck(int checked);
  int GetHeaderCheck() const { return m_headerCheck; }
  // 1 ascending, 0 descending: one direction for every column, flipped by each sorting click.
  int GetSortDirection() const { return m_sortAscending; }

  // Opens the in-place editor on a cell; null for a row that does not exist, a column beyond the last
  // or a column narrower than 5 pixels.
  CGridEdit* EditSubItem(int row, int column, int digitsOnly);
  void CommitEdit();
  void CloseEditor();
  CGridEdit* GetEditor() const { return m_editor.data(); }

  // Selected rows as text: cells joined by the separator, rows by CR LF, nothing after the last.
  // 1 when done (also with nothing selected), 0 when the clipboard is not available.
  static int CopySelectionToClipboard(CGridCtrl* list, const QString& separator);
  static QString SelectionText(const CGridCtrl* list, const QString& separator);

  void SwapRows(int rowA, int rowB);
  int MoveRowUp();
  int MoveRowDown();
  void DeleteSelectedRow();
  void SelectAll();
  void ClearSelection();

  // Header-click order of two cell texts: whole numbers as numbers, anything else as lower-case text.
  // Negative, zero or positive like strcmp, reversed when not ascending.
  static int CompareItems(const QString& first, const QString& second, int ascending);

  // The header click on a column: sorting and check-all, as switched on.
  void OnHeaderClick(int column);

  // Background of a cell under the colour mode; an invalid colour keeps the default.
  virtual QColor CellBackground(int row, int column) const;

  // Called by the editor when it loses the focus or is told to finish.
  void OnEditEnded(CGridEdit* editor);

 signals:
  // An in-place edit ended with a text (not by Escape); the text is already in the cell.
  void endLabelEdit(int row, int column, const QString& text);
  // A header click put the rows in a new order.
  void rowsSorted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QTableWidgetItem* CellItem(int row, int column);
  void SortByColumn(int column);
  void ToggleAllChecks();
  static QPixmap HeaderBoxImage(bool ticked);

  int m_sortEnabled = 0;
  int m_checkAll = 0;
  int m_sortAscending = 0;
  int m_colorMode = 0;
  QPointer<CGridEdit> m_editor;
  int m_headerCheck = 0;
  bool m_headerBoxShown = false;
  bool m_checkBoxes = false;
  bool m_fullRowSelect = false;
};
