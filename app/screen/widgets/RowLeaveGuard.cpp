#include "RowLeaveGuard.h"

#include <QMetaObject>

RowLeaveGuard::RowLeaveGuard(QAbstractItemModel* model, QObject* parent, std::function<bool()> mayLeave)
    : QItemSelectionModel(model, parent), m_mayLeave(std::move(mayLeave)) {}

void RowLeaveGuard::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) {
  const QModelIndex current = currentIndex();
  m_held = current.isValid() && index.isValid() && index.row() != current.row() && m_mayLeave && !m_mayLeave();
  if (!m_held) {
    QItemSelectionModel::setCurrentIndex(index, command);
    return;
  }
  // A press selects the row under the mouse after it has moved the current row: that comes within this event.
  QMetaObject::invokeMethod(this, [this] { m_held = false; }, Qt::QueuedConnection);
}

void RowLeaveGuard::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) {
  if (!m_held) QItemSelectionModel::select(selection, command);
}
