#pragma once
// The list log: every SetLog line of the station, stamped with the local time, shown in the window
// "List Log" (one tab and list per site) and appended to the site's daily file
// <ListLog folder>/YYYY/MM/ListLog_YYYY_MM_DD_<site letter>[_<sub name>].txt.
#include <QDialog>
#include <QPointer>
#include <array>
#include <atomic>
#include <string>

#include "QRV_Types.h"
#include "port/clock.h"

class CQRV_LoadMemory;
class QListView;
class QStackedWidget;
class QTabBar;

class CIntegratedLog : public QDialog {
  Q_OBJECT

 public:
  // A list holds at most this many lines; the next one empties it. The files keep every line.
  static constexpr int kMaxListEntries = 10000;

  // One tab and list for each site of the record's site count.
  explicit CIntegratedLog(CQRV_LoadMemory* record, QWidget* parent = nullptr);
  ~CIntegratedLog() override;

  // Any thread. The file is appended on the calling thread; the list is updated on the UI thread.
  void AddListLog(int site, std::string text);
  void AddListLog(int site, const std::string& text, const port::clock::LocalTime& when);

  // The selected line of the shown list, with CR LF, to the clipboard; 0 when there is no clipboard.
  int CopyLineToClipboard();
  // "Log Clear": empties the shown list; the files are not touched.
  void OnLogClear();

  // "Log Move Location": 1 leaves the window where the user moved it.
  int GetLogMove() const { return m_logMove.load(); }
  void SetLogMove(int on) { m_logMove.store(on); }

  QListView* List(int site) const;
  QTabBar* Tabs() const { return m_tabs; }
  int SiteCount() const { return m_siteCount; }

  static std::string FormatStamp(const port::clock::LocalTime& when);
  static std::string GetListLogPath(const std::string& folder, int site, const port::clock::LocalTime& when,
                                    const std::string& subName);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddLineToList(int site, std::string line);
  void OnTabChanged(int index);

  std::array<QListView*, kMaxSites> m_lists{};
  const int m_siteCount;
  std::atomic<int> m_logMove{0};
  QTabBar* m_tabs;
  QStackedWidget* m_stack;
  const QPointer<CIntegratedLog> m_self;
};
