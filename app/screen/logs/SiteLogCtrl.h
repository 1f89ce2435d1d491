#pragma once
// One site's page of the test log window: the current test's item rows, End cycle rows and end block.
// The file side lives in the site's TestLogCsv; this grid only shows. UI thread only.
#include <QStringList>

#include "GridCtrl.h"

class SiteLogCtrl : public CGridCtrl {
  Q_OBJECT

 public:
  explicit SiteLogCtrl(QString siteName, QWidget* parent = nullptr);

  void InitColumns();
  // A row of the nine columns' texts after the hidden first one.
  void AddLogRow(const QStringList& cells);
  // An item row: its Index is the number of rows the grid shows before it, the cells follow from "Item name".
  void AddItemRow(const QStringList& cells);
  const QString& SiteName() const { return m_siteName; }

 private:
  const QString m_siteName;
};
