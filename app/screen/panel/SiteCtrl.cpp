#include "SiteCtrl.h"

#include <QHeaderView>
#include <QPointer>
#include <QString>
#include <algorithm>
#include <atomic>

#include "ItemRegistration.h"
#include "ProgramFolder.h"
#include "QRV_Types.h"
#include "Util.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

const QColor kGreen = ColorFromRef(kColourPass);
const QColor kYellow = ColorFromRef(kColourTesting);
const QColor kRed = ColorFromRef(kColourFail);
const QColor kWhite = ColorFromRef(0xFFFFFF);

QColor ResultColour(const QString& result, bool readyWhite) {
  if (result == QLatin1String("PASS")) return kGreen;
  if (result == QLatin1String("FAIL")) return kRed;
  if (result == QLatin1String("Testing..")) return kYellow;
  if (readyWhite && result == QLatin1String("Ready")) return kWhite;
  return {};
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

struct CSiteCtrl::RefreshLink {
  std::atomic<bool> queued{false};
  std::atomic<bool> versionsStale{true};
  QPointer<CSiteCtrl> view;
};

CSiteCtrl::CSiteCtrl(QWidget* parent) : CGridCtrl(parent), m_link(std::make_shared<RefreshLink>()) {
  m_link->view = this;
}

CSiteCtrl::CSiteCtrl(int siteLetter, SiteModel* model, QWidget* parent) : CSiteCtrl(parent) {
  m_site = siteLetter - 'A';
  m_siteLetter = siteLetter;
  m_model = model;
  SetFullRowSelect(true);
}

CSiteCtrl::~CSiteCtrl() { JoinSingleItem(); }

void CSiteCtrl::SetColorMode(int mode) {
  m_siteColorMode = mode;
  viewport()->update();
}

void CSiteCtrl::InitColumns() {
  const QString letter = m_siteLetter ? QString(QChar(m_siteLetter)) : QString();
  InsertColumn(kColIndex, letter, Qt::AlignLeft, 20);
  InsertColumn(kColItem, QStringLiteral("Item"), Qt::AlignLeft, 85);
  InsertColumn(kColCode, QStringLiteral("Code"), Qt::AlignLeft, 40);
  InsertColumn(kColTact, QStringLiteral("Tact"), Qt::AlignLeft, 47);
  InsertColumn(kColResult, QStringLiteral("Result"), Qt::AlignLeft, 61);
  InsertColumn(kColDll, QStringLiteral("Dll Name"), Qt::AlignLeft, 93);
  InsertColumn(kColVersion, QStringLiteral("Ver"), Qt::AlignLeft, 53);
  InsertColumn(kColErrorMsg, QStringLiteral("Error Msg"), Qt::AlignLeft, 100);
  InsertColumn(kColBreak, QStringLiteral("Test Break"), Qt::AlignLeft, 0);
}

void CSiteCtrl::LoadSiteItems() {
  m_link->versionsStale = true;
  std::vector<ItemRow> rows = ItemRegistration::ReadSiteItems(m_site);
  if (m_model) {
    m_model->SetRows(std::move(rows));
    return;
  }
  ShowRows(rows);
  UpdateVersionColours(rows);
  m_link->versionsStale = false;
}

void CSiteCtrl::SetRowResult(int row, int state, std::string code, std::string message, int redraw) {
  if (m_model) {
    m_model->SetRowResult(row, state, code, message);
    return;
  }
  if (state == kRowReady) {
    for (int r = 0; r < rowCount(); ++r) SetItemText(r, kColResult, QString::fromLatin1(RowStateText(kRowReady)));
  } else if (row >= 0 && row < rowCount()) {
    SetItemText(row, kColResult, QString::fromLatin1(RowStateText(state)));
    SetItemText(row, kColCode, Text(code));
    SetItemText(row, kColErrorMsg, Text(message));
  }
  if (redraw) viewport()->repaint();
}

std::function<void()> CSiteCtrl::UpdateHook() const {
  std::shared_ptr<RefreshLink> link = m_link;
  return [link] {
    if (link->queued.exchange(true)) return;
    port::ui::Post([link] {
      link->queued = false;
      if (CSiteCtrl* view = link->view.data()) view->Refresh();
    });
  };
}

void CSiteCtrl::Refresh() {
  if (!m_model) return;
  const std::vector<ItemRow> rows = m_model->Rows();
  bool sameItems = static_cast<int>(rows.size()) == rowCount();
  for (int r = 0; sameItems && r < rowCount(); ++r) {
    sameItems = GetItemText(r, kColDll) == Text(rows[r].dllName) &&
                GetItemText(r, kColVersion) == Text(rows[r].productVersion);
  }
  ShowRows(rows);
  if (!sameItems || m_link->versionsStale.exchange(false)) UpdateVersionColours(rows);
  const int current = m_model->CurrentRow();
  // The running row is marked, not selected: a selection would cover its result colour once it is done.
  if (current >= 0 && current < rowCount() && current != m_shownCurrentRow) {
    clearSelection();
    SetSelectionMark(current);
    scrollToItem(item(current, 0));
  }
  m_shownCurrentRow = current;
  viewport()->update();
}

void CSiteCtrl::ShowRows(const std::vector<ItemRow>& rows) {
  setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < rowCount(); ++r) {
    const ItemRow& row = rows[r];
    const std::string* cells[] = {&row.versionIndex, &row.item,    &row.code,           &row.tact,     &row.result,
                                  &row.dllName,      &row.productVersion, &row.errorMsg, &row.testBreak};
    for (int c = 0; c < columnCount() && c < kColBreak + 1; ++c) SetItemText(r, c, Text(*cells[c]));
  }
}

void CSiteCtrl::UpdateVersionColours(const std::vector<ItemRow>& rows) {
  m_versionColours.assign(rows.size(), QColor());
  if (!IsValidSite(m_site)) return;
  const int pinnedCount = ItemRegistration::ReadPinnedCount(m_site);
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::string pinned = ItemRegistration::ReadPinnedVersion(m_site, rows[r].item);
    const int position = ItemRegistration::ReadPinnedIndex(m_site, rows[r].item);
    if (pinnedCount != static_cast<int>(rows.size())) {
      m_versionColours[r] = kRed;
    } else if (pinned.empty()) {
      m_versionColours[r] = kYellow;
    } else if (rows[r].productVersion != pinned || static_cast<int>(r) != position) {
      m_versionColours[r] = kRed;
    } else {
      m_versionColours[r] = kGreen;
    }
  }
}

QColor CSiteCtrl::CellBackground(int row, int column) const {
  if (m_siteColorMode == 1) return ResultColour(GetItemText(row, 6), false);
  if (column == kColIndex) {
    return row >= 0 && row < static_cast<int>(m_versionColours.size()) ? m_versionColours[row] : QColor();
  }
  return ResultColour(GetItemText(row, kColResult), true);
}
