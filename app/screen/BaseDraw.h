#pragma once
// A site's image view. Its window surface is the site's "device context" in the platform record: the image
// library stretches frames into it from any thread and asks for a repaint. The view paints the surface and
// its overlays: the site label and the last result text, which callers on any thread set through
// DrawSiteLabel and DrawResultText (state under a lock, repaint queued on the UI thread).
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "port/surface.h"

class CBaseDraw : public QWidget {
  Q_OBJECT

 public:
  explicit CBaseDraw(int site, QWidget* parent = nullptr);
  ~CBaseDraw() override;

  int Site() const { return m_site; }
  port::Surface* Surface() { return &m_surface; }

  // Any thread. Draws "%c" (or "%c - %d" with the USB index when usb >= 0) unless the label switch is off.
  void DrawSiteLabel(int usb = -1);
  // Any thread. "STOP" in red for the text "STOP"; else "PASS" in green for code 0, or "FAIL" in red with
  // "%s (%d)" below.
  void DrawResultText(int code, const std::string& text);
  void ClearResultText();
  void SetSiteLabelSwitch(bool on) { m_labelSwitch.store(on); }
  // The captured-image flag: 1 while the view shows an item's capture picture instead of the live image.
  void SetCapturedImage(bool on) { m_captured.store(on); }
  bool CapturedImage() const { return m_captured.load(); }

  // What the overlay shows now (tests read it).
  std::string ResultHeadline() const;
  std::string SiteLabelText() const;

  // Called on a double click (the main window toggles its enlarged view).
  void SetDoubleClickHandler(std::function<void(int site)> handler) { m_onDoubleClick = std::move(handler); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void QueueRepaint();

  const int m_site;
  port::Surface m_surface;
  std::atomic<bool> m_labelSwitch{true};
  std::atomic<bool> m_captured{false};
  mutable std::mutex m_overlayLock;
  std::string m_siteLabel;
  std::string m_headline;
  std::string m_detail;
  bool m_headlineRed = false;
  std::function<void(int)> m_onDoubleClick;
  std::shared_ptr<QPointer<CBaseDraw>> m_self;
};
