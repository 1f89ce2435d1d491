#pragma once
// The list controls of the protocol dialog: the server list's row buttons and the test-sequence list.
#include <QPushButton>
#include <QTableWidget>

#include "debug_sequence.h"

namespace protocol {

// "Connect" (column 4) or "Close" (column 5) of a server-list row.
class CGridButton : public QPushButton {
  Q_OBJECT
 public:
  static constexpr int kConnect = 4;
  static constexpr int kClose = 5;
  CGridButton(int row, int column, QWidget* parent = nullptr);
  int Row() const { return row_; }
  int Column() const { return column_; }
  // 1 while the row's server runs.
  void SetState(int state);
  int State() const { return state_; }

 private:
  const int row_;
  const int column_;
  int state_ = 0;
};

// One letter's simulation sequence: "Function" and "Value" columns, full-row selection, values edited
// in place by a double click, rows swapped by "Up" and "Down".
class CGridCtrlSeq : public QTableWidget {
  Q_OBJECT
 public:
  explicit CGridCtrlSeq(QWidget* parent = nullptr);
  void SetRows(const Sequence& rows);
  Sequence Rows() const;
  void AppendRow(const SequenceRow& row);
  void SwapRows(int rowA, int rowB);
};

}  // namespace protocol
