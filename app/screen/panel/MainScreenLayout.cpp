// The site panel's controls: built once for the configured sites, then placed, shown and styled from the
// model's Controller.ini whenever the layout changes.
#include "MainScreenLayout.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>

#include "ControllerIni.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "ModelSettings.h"
#include "SiteCtrl.h"
#include "SiteModel.h"
#include "SiteNames.h"
#include "StaticImage.h"
#include "Util.h"
#include "port/text.h"

namespace {

constexpr int kListId = 2000, kStateId = 2008, kMessageId = 2016, kTimeId = 2024, kAverageDllId = 2032,
              kAverageThreadId = 2040, kYieldId = 2048;

struct FixedKey {
  int id;
  const char* key;
};
constexpr FixedKey kFixedKeys[] = {
    {1205, "INFORMATION_MSG"}, {1203, "LOGO_IMAGE"}, {1204, "LOT_BUTTON"},    {1017, "START_BUTTON"},
    {1229, "STOP_BUTTON"},     {1216, "TAB_CTRL"},   {1184, "ZOOM_SLIDER"},   {1206, "ZOOM_SLIDER_TEXT"},
    {1208, "USER_MSG"},        {1223, "FIRMWARE_VERSION"}, {1230, "ITEM_VERSION"}, {1232, "ERROR_LIST"}};

struct SiteKeyFormat {
  int firstId;
  const char* format;
};
constexpr SiteKeyFormat kSiteKeys[] = {{kListId, "DLL_LIST_%c"},         {kStateId, "TEST_STATE_%c"},
                                       {kMessageId, "ERROR_MSG_%c"},     {kTimeId, "TIME_COUNTER_%c"},
                                       {kAverageDllId, "AVERAGE_DLL_%c"}, {kAverageThreadId, "AVERAGE_THREAD_%c"},
                                       {kYieldId, "YIELD_LIST_%c"}};

// Every styled label of the screen: bold, antialiased and centred (flags 49), whatever its font entry says.
constexpr int kLabelFlags = CFontStatic::kBold | CFontStatic::kAntialias | CFontStatic::kCentre;
const QString kLabelFace = QStringLiteral("Arial");

std::string SiteKey(const char* format, int site) { return port::Format(format, 'A' + site); }

std::uint32_t ColourOf(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red & 0xFF) | static_cast<std::uint32_t>(green & 0xFF) << 8 |
         static_cast<std::uint32_t>(blue & 0xFF) << 16;
}

template <typename Widget>
Widget* At(std::vector<Widget*>* list, int site) {
  if (list == nullptr || site < 0 || site >= static_cast<int>(list->size())) return nullptr;
  return (*list)[static_cast<std::size_t>(site)];
}

template <typename Widget>
Widget* Named(Widget* widget, int id) {
  widget->setObjectName(QString::number(id));
  return widget;
}

}  // namespace

std::string MainScreenLayout::ControlKey(int id, int siteCount) {
  for (const FixedKey& fixed : kFixedKeys)
    if (fixed.id == id) return fixed.key;
  for (const SiteKeyFormat& perSite : kSiteKeys) {
    const int site = id - perSite.firstId;
    if (site >= 0 && site < siteCount && site < kMaxSites) return SiteKey(perSite.format, site);
  }
  return {};
}

void MainScreenLayout::Init(const Controls& controls, const std::vector<SiteModel*>& models) {
  m_controls = controls;
  m_models = models;
  CreateSiteItemLists();
  ShowInformationMsg("USER_INIT");
  CreateTestStatePictures();
  if (m_controls.logo) m_controls.logo->SetLogoImage();
  CreateSiteMessages("USER_INIT");
  CreateYieldLists();
  InitZoomSlider();
  ShowUserMsg("USER_INIT");
  ShowFirmwareVersion("USER_INIT");
  ShowItemVersion("USER_INIT");
  CreateSiteLabels(m_controls.averageDll, kAverageDllId);
  LoadErrorList(false);
  CreateTimeCounters("USER_INIT");
  CreateSiteLabels(m_controls.averageThread, kAverageThreadId);
  StyleAverageDll("USER_INIT");
  StyleAverageThread("USER_INIT");
  ShowControls();
  // Right after start-up every item list is shown, whatever its shown flag says.
  for (int site = 0; site < GetSiteCount(); ++site) {
    At(m_controls.itemLists, site)->show();
    ShowAverages(site);
    RefreshSite(site);
  }
  PlaceControls();
}

void MainScreenLayout::CreateSiteItemLists() {
  if (m_controls.siteTab != nullptr) {
    while (m_controls.siteTab->count() > 0) m_controls.siteTab->removeTab(0);
  }
  m_controls.itemLists->clear();
  for (int site = 0; site < GetSiteCount(); ++site) {
    if (m_controls.siteTab != nullptr)
      m_controls.siteTab->insertTab(site, QString::fromStdString(SiteNames::ReadSiteName(site)));
    auto* list = Named(new CSiteCtrl('A' + site, m_models[static_cast<std::size_t>(site)], m_owner), kListId + site);
    list->SetFullRowSelect(true);
    list->InitColumns();
    list->LoadSiteItems();
    list->SetColorMode(0);
    m_controls.itemLists->push_back(list);
  }
}

void MainScreenLayout::CreateTestStatePictures() {
  for (int site = 0; site < GetSiteCount(); ++site) {
    auto* picture = Named(new CStaticImage(m_owner), kStateId + site);
    picture->SetStateImage(0);
    m_controls.resultImages->push_back(picture);
  }
}

void MainScreenLayout::CreateSiteMessages(const char* section) {
  for (int site = 0; site < GetSiteCount(); ++site) {
    auto* label = Named(new CFontStatic(m_owner), kMessageId + site);
    label->setFrameShape(QFrame::Box);
    label->setText(QString::fromStdString(SiteKey("ERROR_MSG_%c", site)));
    m_controls.resultLabels->push_back(label);
    StyleSiteMessage(section, site);
  }
}

// One row under its header: Total, Pass, Fail and Yield, each a quarter of the list's rectangle, in the colours
// of colour mode 2; the first column, the site letter, is hidden.
void MainScreenLayout::CreateYieldLists() {
  DeleteYieldLists();
  for (int site = 0; site < GetSiteCount(); ++site) {
    const QrvRect r = ControllerIni::ReadControlRect(SiteKey("YIELD_LIST_%c", site).c_str());
    const int quarter = (r.right - r.left) / 4;
    auto* yield = Named(new CGridCtrl(m_owner), kYieldId + site);
    yield->SetColorMode(2);
    yield->InsertColumn(0, QString(QChar('A' + site)), Qt::AlignLeft, 0);
    const char* titles[] = {"Total", "Pass", "Fail", "Yield"};
    for (int column = 1; column <= 4; ++column)
      yield->InsertColumn(column, QString::fromUtf8(titles[column - 1]), Qt::AlignLeft, quarter);
    yield->InsertItem(0, QString());
    FitRowUnderHeader(*yield, r.bottom - r.top);
    m_controls.yieldLists->push_back(yield);
  }
  LoadYieldCounts(false);
}

// The header and the one row share the rectangle's height; the quarters already fill its width.
void MainScreenLayout::FitRowUnderHeader(CGridCtrl& list, int height) {
  const int half = std::max(1, (height - 2 * list.frameWidth()) / 2);
  QFont face = list.font();
  face.setPixelSize(std::max(1, half - 4));
  list.setFont(face);
  list.horizontalHeader()->setFont(face);
  list.horizontalHeader()->setFixedHeight(half);
  list.verticalHeader()->setMinimumSectionSize(0);
  list.verticalHeader()->setDefaultSectionSize(half);
  list.setRowHeight(0, half);
  list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list.setSelectionMode(QAbstractItemView::NoSelection);
  list.setFocusPolicy(Qt::NoFocus);
}

void MainScreenLayout::InitZoomSlider() {
  if (m_controls.zoomSlider == nullptr) return;
  m_controls.zoomSlider->setRange(0, 100);
  m_controls.zoomSlider->setValue(0);
}

void MainScreenLayout::CreateSiteLabels(std::vector<CFontStatic*>* list, int firstId) {
  for (int site = 0; site < GetSiteCount(); ++site) {
    auto* label = Named(new CFontStatic(m_owner), firstId + site);
    label->setFrameShape(QFrame::Box);
    list->push_back(label);
  }
}

void MainScreenLayout::CreateTimeCounters(const char* section) {
  CreateSiteLabels(m_controls.timeLabels, kTimeId);
  for (int site = 0; site < GetSiteCount(); ++site)
    At(m_controls.timeLabels, site)->setText(QString::fromStdString(port::Format("Test\nTime_%c", 'A' + site)));
  StyleTimeCounter(section);
}

std::vector<MainScreenLayout::Placed> MainScreenLayout::AllControls() const {
  std::vector<Placed> placed = {{m_controls.infoMsg, "INFORMATION_MSG"}, {m_controls.logo, "LOGO_IMAGE"},
                                {m_controls.lotButton, "LOT_BUTTON"},    {m_controls.startButton, "START_BUTTON"},
                                {m_controls.stopButton, "STOP_BUTTON"},  {m_controls.siteTab, "TAB_CTRL"}};
  for (int site = 0; site < GetSiteCount(); ++site) {
    placed.push_back({At(m_controls.itemLists, site), SiteKey("DLL_LIST_%c", site)});
    placed.push_back({At(m_controls.resultImages, site), SiteKey("TEST_STATE_%c", site)});
    placed.push_back({At(m_controls.resultLabels, site), SiteKey("ERROR_MSG_%c", site)});
    placed.push_back({At(m_controls.timeLabels, site), SiteKey("TIME_COUNTER_%c", site)});
    placed.push_back({At(m_controls.averageDll, site), SiteKey("AVERAGE_DLL_%c", site)});
    placed.push_back({At(m_controls.averageThread, site), SiteKey("AVERAGE_THREAD_%c", site)});
    placed.push_back({At(m_controls.yieldLists, site), SiteKey("YIELD_LIST_%c", site)});
  }
  placed.insert(placed.end(), {{m_controls.zoomSlider, "ZOOM_SLIDER"},
                               {m_controls.zoomText, "ZOOM_SLIDER_TEXT"},
                               {m_controls.userMsg, "USER_MSG"},
                               {m_controls.firmwareVersion, "FIRMWARE_VERSION"},
                               {m_controls.itemVersion, "ITEM_VERSION"},
                               {m_controls.errorList, "ERROR_LIST"}});
  return placed;
}

void MainScreenLayout::PlaceControls() {
  for (const Placed& entry : AllControls()) {
    if (entry.control == nullptr) continue;
    const QrvRect r = ControllerIni::ReadControlRect(entry.key.c_str());
    // Layout rectangles are in the client area, which begins below the window's menu bar.
    const QWidget* owner = entry.control->parentWidget();
    const QPoint origin = owner != nullptr ? owner->contentsRect().topLeft() : QPoint();
    entry.control->setGeometry(origin.x() + r.left, origin.y() + r.top, std::max(0, r.right - r.left),
                               std::max(0, r.bottom - r.top));
    entry.control->update();
  }
}

void MainScreenLayout::ShowControls() {
  for (const Placed& entry : AllControls()) {
    if (entry.control != nullptr)
      entry.control->setVisible(ControllerIni::ReadUserInterfaceValue(entry.key.c_str()) != 0);
  }
}

void MainScreenLayout::SaveControlRect(int id, const QrvRect& rect) {
  const std::string key = ControlKey(id, GetSiteCount());
  if (!key.empty()) ControllerIni::WriteRect("USER_INTERFACE", key.c_str(), rect);
}

void MainScreenLayout::ApplyControlFont(CFontStatic* label, const char* section, const char* name) {
  if (label == nullptr) return;
  const FontSetting font = ControllerIni::ReadFont(section, name);
  label->SetTextStyle(kLabelFace, font.size, ColourOf(font.red, font.green, font.blue),
                      kLabelFlags | (font.italic != 0 ? CFontStatic::kItalic : 0));
  if (font.border != 0) label->setFrameShape(QFrame::Box);
  label->SetBackColor(ColourOf(font.backRed, font.backGreen, font.backBlue));
  label->update();
}

void MainScreenLayout::StyleSiteMessage(const char* section, int site) {
  CFontStatic* label = At(m_controls.resultLabels, site);
  if (label == nullptr) return;
  ApplyControlFont(label, section, "ERROR_MSG");
  label->SetStyleFlags(CFontStatic::kCentre);
  label->show();
}

void MainScreenLayout::ShowInformationMsg(const char* section) {
  if (m_controls.infoMsg == nullptr) return;
  m_controls.infoMsg->setText(
      QString::fromStdString(ModelSettings::ReadLineName() + " - " + ModelSettings::ReadMachineName()));
  ApplyControlFont(m_controls.infoMsg, section, "INFORMATION_MSG");
}

void MainScreenLayout::ShowUserMsg(const char* section) {
  if (m_controls.userMsg == nullptr) return;
  m_controls.userMsg->setText(QString::fromStdString(ModelSettings::ReadUserMsg()));
  ApplyControlFont(m_controls.userMsg, section, "USER_MSG");
}

void MainScreenLayout::ShowFirmwareVersion(const char* section) {
  if (m_controls.firmwareVersion == nullptr) return;
  m_controls.firmwareVersion->setText(QString());
  ApplyControlFont(m_controls.firmwareVersion, section, "FIRMWARE_VERSION");
}

void MainScreenLayout::ShowItemVersion(const char* section) {
  if (m_controls.itemVersion == nullptr) return;
  const std::string file = ModelSettings::GetModelFolder() + "/ItemVersion.ini";
  m_controls.itemVersion->setText(QString::fromStdString(ReadIniString("LOG", "VERSION", "", file)));
  ApplyControlFont(m_controls.itemVersion, section, "ITEM_VERSION");
}

void MainScreenLayout::StyleSiteLabels(std::vector<CFontStatic*>* list, const char* keyFormat, const char* section) {
  for (int site = 0; site < GetSiteCount(); ++site)
    ApplyControlFont(At(list, site), section, SiteKey(keyFormat, site).c_str());
}

void MainScreenLayout::StyleTimeCounter(const char* section) {
  StyleSiteLabels(m_controls.timeLabels, "TIME_COUNTER_%c", section);
}

void MainScreenLayout::StyleAverageDll(const char* section) {
  StyleSiteLabels(m_controls.averageDll, "AVERAGE_DLL_%c", section);
}

void MainScreenLayout::StyleAverageThread(const char* section) {
  StyleSiteLabels(m_controls.averageThread, "AVERAGE_THREAD_%c", section);
}

void MainScreenLayout::ReloadDllLists() {
  for (int site = 0; site < GetSiteCount(); ++site) At(m_controls.itemLists, site)->LoadSiteItems();
}

void MainScreenLayout::RefreshSite(int site) {
  if (site < 0 || site >= GetSiteCount()) return;
  const SiteModel& model = *m_models[static_cast<std::size_t>(site)];
  // Until the site's first state the label keeps its own key as its text; every new state takes the start-up
  // font again, whatever the layout editor showed meanwhile.
  const QString text = QString::fromStdString(model.Label());
  if (CFontStatic* label = At(m_controls.resultLabels, site); label && model.LabelWritten() && label->text() != text) {
    label->setText(text);
    StyleSiteMessage("USER_INIT", site);
  }
  // A refresh comes with every change of the site's model; the picture is read again only for a new state.
  if (CStaticImage* picture = At(m_controls.resultImages, site); picture && picture->StateIndex() != model.Picture())
    picture->SetStateImage(model.Picture());
  if (CFontStatic* time = At(m_controls.timeLabels, site); time && !model.TimeText().empty())
    time->setText(QString::fromStdString(model.TimeText()));
  if (CGridCtrl* yield = At(m_controls.yieldLists, site)) {
    const YieldCounts counts = model.Counts();
    yield->SetItemText(0, 1, QString::number(counts.total));
    yield->SetItemText(0, 2, QString::number(counts.pass));
    yield->SetItemText(0, 3, QString::number(counts.fail));
    yield->SetItemText(0, 4, QString::fromStdString(ShownYield(site, counts)));
  }
}
