// Commands into the site panel: the handler's texts through the protocol library's window message, and the
// numeric keypad's configured commands.
#include <QApplication>
#include <QKeyEvent>
#include <QSlider>
#include <QWidget>
#include <cstdlib>

#include "CommunicationDlg.h"
#include "DynamicDlg.h"
#include "FontStatic.h"
#include "Util.h"
#include "port/text.h"

namespace {

constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kVkNumpad0 = 96;

int Number(const std::string& field) { return std::atoi(field.c_str()); }

// The virtual-key code of a key event, 0 for keys the panel does not look at.
int VirtualKeyOf(const QKeyEvent& key) {
  switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return kVkReturn;
    case Qt::Key_Escape:
      return kVkEscape;
    default:
      break;
  }
  if ((key.modifiers() & Qt::KeypadModifier) && key.key() >= Qt::Key_0 && key.key() <= Qt::Key_9)
    return kVkNumpad0 + (key.key() - Qt::Key_0);
  return 0;
}

}  // namespace

std::intptr_t DynamicDlg::OnProtocolCommand(const char* received) {
  if (received == nullptr || m_bClosing.load()) return 0;
  const std::string text = received;
  const std::string word = ExtractField(text, 0, ',');

  if (word == "START" || word == "START_OVERRIDE") {
    const bool overrideStart = word == "START_OVERRIDE";
    m_bOverride.store(overrideStart ? 1 : 0);
    const int site = Number(ExtractField(text, 1, ','));
    int usb = Number(ExtractField(text, 2, ','));
    if (overrideStart) Log(site, "Protocol Receive OVERRRIDE_START : Site - %d, USB_INDEX - %d", site, usb);
    if (m_nPara == 1) {
      // The site is shown even when the tab already names it: a tab that does not change shows nothing itself.
      SelectSiteTab(site);
      ShowSitePanel(site);
      if (GetUSBID != nullptr) usb = GetUSBID();
    }
    if (!overrideStart) Log(site, "Protocol Receive START : Site - %d, USB_INDEX - %d", site, usb);
    StartSite(site, usb, 0);
  } else if (word == "STOP") {
    const std::string named = GetKeyValue(text, "Site", ',');
    if (named.empty()) {
      StopAll();
      for (int site = 0; site < m_Layout.GetSiteCount(); ++site) ShowStopOnSite(site);
    } else if (const int site = Number(named); SiteRunner(site) != nullptr) {
      SetSiteStopFlag(site, 1);
      ShowStopOnSite(site);
    }
  } else if (word == "LOT_NUMBER") {
    ApplyHandlerLot(ExtractField(text, 1, ','));
  } else if (word == "HOME") {
    StopAll();
    m_bHomeRequest.store(1);
  } else if (word == "TEST_DATA") {
    if (CTestThread* runner = SiteRunner(Number(GetKeyValue(text, "Site", ','))))
      runner->SetTestData(Number(GetKeyValue(text, "Para", ',')), GetKeyValue(text, "Barcode", ','));
  } else if (word == "IS_WORKING") {
    const CTestThread* runner = SiteRunner(Number(ExtractField(text, 1, ',')));
    return runner != nullptr && runner->IsRunning() ? 1 : 0;
  }
  return 0;
}

bool DynamicDlg::PreTranslateKey(int virtualKey) {
  if (m_bKeyUse.load() == 0) return false;
  if (virtualKey == kVkReturn || virtualKey == kVkEscape) return true;
  if (m_nPara != 1) return false;
  int key = -1;
  for (int k = 0; k < static_cast<int>(m_nKeyCode.size()) && key < 0; ++k)
    if (virtualKey == m_nKeyCode[static_cast<std::size_t>(k)]) key = k;
  if (key < 0) return false;

  const std::string command = CommunicationDlg::ReadKeyValue(port::Format("KEY_USE_%d", key));
  CTestThread* first = SiteRunner(0);
  if (command.empty() || first == nullptr) return false;
  if (command == "START") {
    first->Start();
  } else if (command == "STOP") {
    StopAll();
    ShowStopOnSite(0);
  } else if (command == "EXIT") {
    if (m_hMainWnd != nullptr) m_hMainWnd->close();
  } else if (command == "TEST_BREAK") {
    SetSiteStopFlag(0, 1);
  } else {
    SetStopButtonFlag(1);
    first->RequestJump(command);
  }
  return false;
}

// Keys are looked at, never consumed: the focused control still gets every key.
bool DynamicDlg::eventFilter(QObject* watched, QEvent* event) {
  if (FilterControlDrag(watched, event)) return true;
  if (watched == static_cast<QObject*>(m_sliderZoom)) FollowZoomSlider(event->type());
  if (watched == static_cast<QObject*>(m_stInfoMsg) && event->type() == QEvent::MouseButtonDblClick) {
    OnInfoMsgDblClk();
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!OwnsKeyTarget(widget)) return false;
  // A key the focused control leaves travels on to its parents: only its first delivery is a key press.
  QWidget* first = QApplication::focusWidget();
  if (widget != (OwnsKeyTarget(first) ? first : this)) return false;
  const int virtualKey = VirtualKeyOf(*static_cast<QKeyEvent*>(event));
  if (virtualKey != 0) PreTranslateKey(virtualKey);
  return false;
}

void DynamicDlg::keyPressEvent(QKeyEvent* event) {
  const int virtualKey = VirtualKeyOf(*event);
  if (m_bKeyUse.load() != 0 && (virtualKey == kVkReturn || virtualKey == kVkEscape)) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}
