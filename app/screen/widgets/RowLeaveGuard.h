#pragma once
// The selection of a list whose current row is left only with its owner's consent. A move the owner refuses
// keeps the current row and the selection as they were, whether a click, a key or the program asked for it.
// A QTableWidget does not pass this model's changes on as currentCellChanged: connect to its own signals.
#include <QItemSelectionModel>
#include <functional>

class RowLeaveGuard : public QItemSelectionModel {
 public:
  // mayLeave is asked before the current row changes to another row; false keeps the row.
  RowLeaveGuard(QAbstractItemModel* model, QObject* parent, std::function<bool()> mayLeave);

  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;
  using QItemSelectionModel::select;
  void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;

 private:
  std::function<bool()> m_mayLeave;
  // Set by a refused move until the event that asked for it is done, so the view's selection of the row it
  // aimed at is held back too.
  bool m_held = false;
};
