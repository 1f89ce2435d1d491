#include "BaseDraw.h"

#include <QFontMetrics>
#include <QPainter>
#include <QResizeEvent>

#include "port/text.h"
#include "port/ui_thread.h"

namespace {

// The largest size up to `size` at which the text fits the width: a narrow view never cuts its result.
int FittingPixelSize(QFont font, const QString& text, int size, int width) {
  for (; size > 8; --size) {
    font.setPixelSize(size);
    if (QFontMetrics(font).horizontalAdvance(text) <= width) break;
  }
  return size;
}

}  // namespace

CBaseDraw::CBaseDraw(int site, QWidget* parent)
    : QWidget(parent), m_site(site), m_surface(port::Surface::Format::Rgb32),
      m_self(std::make_shared<QPointer<CBaseDraw>>(this)) {
  setObjectName("222");
  setAttribute(Qt::WA_OpaquePaintEvent);
  std::weak_ptr<QPointer<CBaseDraw>> self = m_self;
  m_surface.SetRepaintCallback([self] {
    if (auto view = self.lock(); view && *view) (*view)->update();
  });
}

CBaseDraw::~CBaseDraw() { m_surface.SetRepaintCallback({}); }

void CBaseDraw::QueueRepaint() {
  std::weak_ptr<QPointer<CBaseDraw>> self = m_self;
  port::ui::Post([self] {
    if (auto view = self.lock(); view && *view) (*view)->update();
  });
}

void CBaseDraw::DrawSiteLabel(int usb) {
  if (!m_labelSwitch.load()) return;
  const char letter = static_cast<char>('A' + m_site);
  {
    const std::lock_guard lock(m_overlayLock);
    m_siteLabel = usb >= 0 ? port::Format("%c - %d", letter, usb) : std::string(1, letter);
  }
  QueueRepaint();
}

void CBaseDraw::DrawResultText(int code, const std::string& text) {
  {
    const std::lock_guard lock(m_overlayLock);
    if (text == "STOP") {
      m_headline = "STOP";
      m_detail.clear();
      m_headlineRed = true;
    } else if (code == 0) {
      m_headline = "PASS";
      m_detail.clear();
      m_headlineRed = false;
    } else {
      m_headline = "FAIL";
      m_detail = port::Format("%s (%d)", text.c_str(), code);
      m_headlineRed = true;
    }
  }
  QueueRepaint();
}

void CBaseDraw::ClearResultText() {
  {
    const std::lock_guard lock(m_overlayLock);
    m_headline.clear();
    m_detail.clear();
  }
  QueueRepaint();
}

std::string CBaseDraw::ResultHeadline() const {
  const std::lock_guard lock(m_overlayLock);
  return m_headline;
}

std::string CBaseDraw::SiteLabelText() const {
  const std::lock_guard lock(m_overlayLock);
  return m_siteLabel;
}

void CBaseDraw::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  {
    const std::lock_guard lock(m_surface.Mutex());
    m_surface.Resize(event->size().width(), event->size().height());
    if (!m_surface.IsEmpty()) m_surface.Image().fill(QColor(24, 24, 24));
  }
  update();
}

void CBaseDraw::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  {
    const std::lock_guard lock(m_surface.Mutex());
    if (m_surface.IsEmpty())
      painter.fillRect(rect(), QColor(24, 24, 24));
    else
      painter.drawImage(0, 0, m_surface.Image());
  }
  std::string label, headline, detail;
  bool red = false;
  {
    const std::lock_guard lock(m_overlayLock);
    label = m_siteLabel;
    headline = m_headline;
    detail = m_detail;
    red = m_headlineRed;
  }
  painter.setPen(QColor(200, 200, 200));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  QFont font = painter.font();
  font.setWeight(QFont::Black);
  font.setPixelSize(std::max(12, height() / 10));
  painter.setFont(font);
  painter.setPen(QColor(255, 228, 0));
  painter.drawText(rect().adjusted(8, 4, -8, -4), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(label));
  if (headline.empty()) return;
  font.setPixelSize(FittingPixelSize(font, QString::fromStdString(headline), std::max(12, height() / 5), width() - 8));
  painter.setFont(font);
  painter.setPen(red ? QColor(255, 0, 0) : QColor(29, 219, 22));
  painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(headline));
  if (detail.empty()) return;
  font.setPixelSize(FittingPixelSize(font, QString::fromStdString(detail), std::max(10, height() / 16), width() - 8));
  painter.setFont(font);
  painter.drawText(rect().adjusted(4, height() / 2 + height() / 8, -4, -4), Qt::AlignHCenter | Qt::AlignTop,
                   QString::fromStdString(detail));
}

void CBaseDraw::mouseDoubleClickEvent(QMouseEvent* event) {
  QWidget::mouseDoubleClickEvent(event);
  if (m_onDoubleClick) m_onDoubleClick(m_site);
}
