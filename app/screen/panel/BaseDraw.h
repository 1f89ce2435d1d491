#pragma once
// A site's image view. Its window surface is the site's "device context" in the platform record: the image
// library stretches frames into it from any thread and asks for a repaint. The view paints the surface and
// its overlays: the site label and the last result text, which callers on any thread set through
// DrawSiteLabel and DrawResultText (state under a lock, repaint queued on the UI thread). Mouse input pans a
// zoomed view, reports the pixel under the cursor to the image library's inspector and enlarges the view.
#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "LayoutEditorHost.h"
#include "QRV_InterFace_SW.h"
#include "SiteOverlayLayout.h"
#include "port/surface.h"

class CQRV_LoadMemory;
class QLabel;
class QPainter;

class CBaseDraw : public QWidget {
  Q_OBJECT

 public:
  explicit CBaseDraw(int site, QWidget* parent = nullptr);
  // binder and record are not owned; either may be null (a station without the image library draws nothing).
  CBaseDraw(int site, const CInterFace_SW* binder, CQRV_LoadMemory* record, QWidget* parent = nullptr);
  ~CBaseDraw() override;

  int Site() const { return m_site; }
  port::Surface* Surface() { return &m_surface; }

  // Any thread. Nothing before the first paint, during the program's own redraws or while the "Site" option
  // is off; else "%c", or "%c - %d" with the board index when the "Para" option is on, aligned as the
  // options' three alignment choices give.
  void DrawSiteLabel(const DrawOptions& options, int usb);
  // Any thread. "STOP" in red for the text "STOP"; else "PASS" in green for code 0, or "FAIL" in red with
  // "%s (%d)" below.
  void DrawResultText(int code, const std::string& text);
  void ClearResultText();
  // The label-ready switch: off while the program itself asks the library to output this view.
  void SetSiteLabelSwitch(bool on) { m_labelSwitch.store(on); }
  // UI thread. Shows "Image capture/<site>/<name>.jpg" of the program folder stretched over the view and
  // keeps showing it (capture mode) until a run of the site starts.
  void DrawCaptureImage(const std::string& name);
  // The capture mode: 1 while the view shows an item's capture picture instead of the live image.
  void SetCapturedImage(bool on) { m_captured.store(on); }
  bool CapturedImage() const { return m_captured.load(); }
  std::string CaptureName() const;
  // UI thread: the live image again, or the capture picture in capture mode.
  void Redraw();

  // An entry of the layout editor's alignment lists as a text-drawing flag: index 2 to 14 give 1 << (index - 2),
  // any other index 0.
  static int ToDrawTextFlags(int index);

  // What the overlay shows now (tests read it).
  std::string ResultHeadline() const;
  std::string SiteLabelText() const;
  QColor SiteLabelColour() const;
  // Where the overlays go at the view's present size.
  SiteOverlayLayout OverlayLayout() const;
  bool FirstPaintDone() const { return m_firstPaintDone.load(); }

  // Called on a double click (the main window toggles its enlarged view).
  void SetDoubleClickHandler(std::function<void(int site)> handler) { m_onDoubleClick = std::move(handler); }
  // The site panel's zoom text: a view pans only while it reads other than "100%".
  void SetZoomText(QLabel* zoomText);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  // What the layout file says about the overlays, read when they are set.
  struct LabelStyle {
    int fontSize = 10;
    QColor colour;
    int flags = 0;
  };

  void QueueRepaint();
  void OnFirstPaint();
  void DrawPlatformInfo();
  // The height of the view's top band that site A's start-up lines take while they are shown, else 0.
  int PlatformInfoHeight() const;
  void DrawCompanyPicture();
  void OutDraw();
  bool PanAllowed() const;
  void PaintOverlays(QPainter& painter);

  const int m_site;
  const CInterFace_SW* m_binder = nullptr;
  CQRV_LoadMemory* m_record = nullptr;
  void (*m_screenRgb)(int, int, int) = nullptr;
  int (*m_dlgShowStatus)() = nullptr;
  port::Surface m_surface;
  std::atomic<bool> m_labelSwitch{false};
  std::atomic<bool> m_firstPaintDone{false};
  std::atomic<bool> m_captured{false};
  bool m_dragging = false;
  QPoint m_lastPoint;
  QPointer<QLabel> m_zoomText;
  mutable std::mutex m_overlayLock;
  std::string m_captureName;
  // Site A's start-up picture as the library holds it, and the share of its height its lines take (UI thread).
  QSize m_infoPicture;
  double m_infoShare = 0;
  std::string m_siteLabel;
  LabelStyle m_labelStyle;
  std::string m_headline;
  std::string m_detail;
  bool m_headlineRed = false;
  int m_resultFontSize = 100;
  int m_detailFontSize = 100;
  std::function<void(int)> m_onDoubleClick;
  std::shared_ptr<QPointer<CBaseDraw>> m_self;
};
