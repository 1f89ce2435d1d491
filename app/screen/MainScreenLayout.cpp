#include "MainScreenLayout.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <cstdlib>

#include "ControllerIni.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "ModelSettings.h"
#include "SiteCtrl.h"
#include "SiteModel.h"
#include "StaticImage.h"
#include "Util.h"
#include "port/text.h"
#include "port/ui_thread.h"

namespace {

constexpr int kListId = 2000, kStateId = 2008, kMessageId = 2016, kTimeId = 2024, kAverageDllId = 2032,
              kAverageThreadId = 2040, kYieldId = 2048;

std::string SiteKey(const char* format, int site) { return port::Format(format, 'A' + site); }

std::string LotSection(int site) { return port::Format("LOT_COUNT_%d", site); }

void Place(QWidget* control, const std::string& key) {
  if (control == nullptr) return;
  const ControlPlacement placement = ControllerIni::ReadControlPlacement(key.c_str());
  const QrvRect& r = placement.rect;
  control->setGeometry(r.left, r.top, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
  control->setVisible(placement.shown != 0);
}

std::uint32_t ColourOf(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red & 0xFF) | static_cast<std::uint32_t>(green & 0xFF) << 8 |
         static_cast<std::uint32_t>(blue & 0xFF) << 16;
}

template <typename Widget>
Widget* At(std::vector<Widget*>* list, int site) {
  if (list == nullptr || site < 0 || site >= static_cast<int>(list->size())) return nullptr;
  return (*list)[static_cast<std::size_t>(site)];
}

}  // namespace

void MainScreenLayout::Init(const Controls& controls, const std::vector<SiteModel*>& models) {
  m_controls = controls;
  m_models = models;
  for (int site = 0; site < GetSiteCount(); ++site) CreateSiteControls(site);
  PlaceControls();
  ShowInformationMsg("USER_INIT");
  ShowUserMsg("USER_INIT");
  StyleLabel(m_controls.firmwareVersion, "USER_INIT", "FIRMWARE_VERSION");
  StyleLabel(m_controls.itemVersion, "USER_INIT", "ITEM_VERSION");
  if (m_controls.logo) m_controls.logo->SetLogoImage();
  if (m_controls.zoomSlider) m_controls.zoomSlider->setRange(0, 100);
  LoadYieldCounts(false);
  LoadErrorList(false);
  for (int site = 0; site < GetSiteCount(); ++site) {
    StyleSiteMessage("USER_INIT", site);
    RefreshSite(site);
  }
}

void MainScreenLayout::CreateSiteControls(int site) {
  SiteModel* model = m_models[static_cast<std::size_t>(site)];
  auto* list = new CSiteCtrl('A' + site, model, m_owner);
  list->setObjectName(QString::number(kListId + site));
  list->InitColumns();
  list->LoadSiteItems();
  m_controls.itemLists->push_back(list);

  auto* picture = new CStaticImage(m_owner);
  picture->setObjectName(QString::number(kStateId + site));
  picture->SetStateImage(model->Picture());
  m_controls.resultImages->push_back(picture);

  auto* message = new CFontStatic(m_owner);
  message->setObjectName(QString::number(kMessageId + site));
  message->SetStyleFlags(CFontStatic::kBold | CFontStatic::kCentre);
  m_controls.resultLabels->push_back(message);

  const struct {
    std::vector<CFontStatic*>* list;
    int id;
    const char* text;
  } labels[] = {{m_controls.timeLabels, kTimeId, "Now\n0.0 s"},
                {m_controls.averageDll, kAverageDllId, "Average_%c\n0.0 s"},
                {m_controls.averageThread, kAverageThreadId, "Average_%c\n0.0 s"}};
  for (const auto& entry : labels) {
    auto* label = new CFontStatic(m_owner);
    label->setObjectName(QString::number(entry.id + site));
    label->SetStyleFlags(CFontStatic::kCentre);
    label->setText(QString::fromStdString(port::Format(entry.text, 'A' + site)));
    entry.list->push_back(label);
  }
  StyleLabel(m_controls.averageDll->back(), "USER_INIT", SiteKey("AVERAGE_DLL_%c", site).c_str());
  StyleLabel(m_controls.averageThread->back(), "USER_INIT", SiteKey("AVERAGE_THREAD_%c", site).c_str());

  auto* yield = new QLabel(m_owner);
  yield->setObjectName(QString::number(kYieldId + site));
  yield->setFrameShape(QFrame::Box);
  m_controls.yieldLists->push_back(yield);
}

void MainScreenLayout::PlaceControls() {
  Place(m_controls.infoMsg, "INFORMATION_MSG");
  Place(m_controls.logo, "LOGO_IMAGE");
  Place(m_controls.lotButton, "LOT_BUTTON");
  Place(m_controls.startButton, "START_BUTTON");
  Place(m_controls.stopButton, "STOP_BUTTON");
  Place(m_controls.siteTab, "TAB_CTRL");
  Place(m_controls.zoomSlider, "ZOOM_SLIDER");
  Place(m_controls.zoomText, "ZOOM_SLIDER_TEXT");
  Place(m_controls.userMsg, "USER_MSG");
  Place(m_controls.firmwareVersion, "FIRMWARE_VERSION");
  Place(m_controls.itemVersion, "ITEM_VERSION");
  Place(m_controls.errorList, "ERROR_LIST");
  for (int site = 0; site < GetSiteCount(); ++site) {
    Place(At(m_controls.itemLists, site), SiteKey("DLL_LIST_%c", site));
    Place(At(m_controls.resultImages, site), SiteKey("TEST_STATE_%c", site));
    Place(At(m_controls.resultLabels, site), SiteKey("ERROR_MSG_%c", site));
    Place(At(m_controls.timeLabels, site), SiteKey("TIME_COUNTER_%c", site));
    Place(At(m_controls.averageDll, site), SiteKey("AVERAGE_DLL_%c", site));
    Place(At(m_controls.averageThread, site), SiteKey("AVERAGE_THREAD_%c", site));
    Place(At(m_controls.yieldLists, site), SiteKey("YIELD_LIST_%c", site));
  }
}

std::string MainScreenLayout::ControlKey(int id) const {
  static const std::pair<int, const char*> kFixed[] = {
      {1205, "INFORMATION_MSG"}, {1203, "LOGO_IMAGE"},  {1204, "LOT_BUTTON"},       {1017, "START_BUTTON"},
      {1229, "STOP_BUTTON"},     {1216, "TAB_CTRL"},    {1184, "ZOOM_SLIDER"},      {1206, "ZOOM_SLIDER_TEXT"},
      {1208, "USER_MSG"},        {1223, "FIRMWARE_VERSION"}, {1230, "ITEM_VERSION"}, {1232, "ERROR_LIST"}};
  static const std::pair<int, const char*> kPerSite[] = {
      {kListId, "DLL_LIST_%c"},         {kStateId, "TEST_STATE_%c"},          {kMessageId, "ERROR_MSG_%c"},
      {kTimeId, "TIME_COUNTER_%c"},     {kAverageDllId, "AVERAGE_DLL_%c"},    {kAverageThreadId, "AVERAGE_THREAD_%c"},
      {kYieldId, "YIELD_LIST_%c"}};
  for (const auto& [fixedId, key] : kFixed)
    if (id == fixedId) return key;
  for (const auto& [firstId, format] : kPerSite)
    if (id >= firstId && id < firstId + GetSiteCount()) return SiteKey(format, id - firstId);
  return {};
}

void MainScreenLayout::SaveControlRect(int id, const QrvRect& rect) {
  const std::string key = ControlKey(id);
  if (!key.empty()) ControllerIni::WriteRect("USER_INTERFACE", key.c_str(), rect);
}

void MainScreenLayout::StyleLabel(CFontStatic* label, const char* section, const char* name) {
  if (label == nullptr) return;
  const FontSetting font = ControllerIni::ReadFont(section, name);
  label->SetTextStyle(QString(), std::max(8, font.size * 4 / 3), ColourOf(font.red, font.green, font.blue),
                      font.italic != 0 ? CFontStatic::kItalic : 0);
  if (font.backRed != 0 || font.backGreen != 0 || font.backBlue != 0)
    label->SetBackColor(ColourOf(font.backRed, font.backGreen, font.backBlue));
}

void MainScreenLayout::StyleSiteMessage(const char* section, int site) {
  CFontStatic* label = At(m_controls.resultLabels, site);
  if (label == nullptr) return;
  const FontSetting font = ControllerIni::ReadFont(section, "ERROR_MSG");
  QFont face = label->font();
  face.setPixelSize(std::max(10, font.size * 4 / 3));
  label->setFont(face);
  label->show();
}

void MainScreenLayout::ShowInformationMsg(const char* section) {
  if (m_controls.infoMsg == nullptr) return;
  m_controls.infoMsg->setText(QString::fromStdString(ModelSettings::ReadLineName() + " - " +
                                                     ModelSettings::ReadMachineName()));
  StyleLabel(m_controls.infoMsg, section, "INFORMATION_MSG");
}

void MainScreenLayout::ShowUserMsg(const char* section) {
  if (m_controls.userMsg == nullptr) return;
  m_controls.userMsg->setText(QString::fromStdString(ModelSettings::ReadUserMsg()));
  StyleLabel(m_controls.userMsg, section, "USER_MSG");
}

void MainScreenLayout::RefreshSite(int site) {
  if (site < 0 || site >= GetSiteCount()) return;
  const SiteModel& model = *m_models[static_cast<std::size_t>(site)];
  if (CFontStatic* label = At(m_controls.resultLabels, site)) {
    label->setText(QString::fromStdString(model.Label()));
    label->SetTextColour(model.LabelColour());
  }
  if (CStaticImage* picture = At(m_controls.resultImages, site)) picture->SetStateImage(model.Picture());
  if (CFontStatic* time = At(m_controls.timeLabels, site); time && !model.TimeText().empty())
    time->setText(QString::fromStdString(model.TimeText()));
  if (QLabel* yield = At(m_controls.yieldLists, site)) {
    const YieldCounts counts = model.Counts();
    yield->setText(QString::fromStdString(port::Format("Total %d   Pass %d   Fail %d   Yield %s", counts.total,
                                                       counts.pass, counts.fail,
                                                       FormatYield(counts.pass, counts.total).c_str())));
  }
}

std::string MainScreenLayout::FormatYield(int pass, int total) {
  if (total <= 0) return "0%";
  const float percent = static_cast<float>(pass) / static_cast<float>(total) * 100.0f;
  std::string text = port::Format("%f", static_cast<double>(percent)).substr(0, 5);
  if (text == "100.0") text = "100";
  if (text == "0.000") text = "0";
  return text + "%";
}

void MainScreenLayout::StoreCounts(int site) {
  const YieldCounts counts = m_models[static_cast<std::size_t>(site)]->Counts();
  const std::string config = ModelSettings::GetConfigIniPath();
  const std::string section = LotSection(site);
  WriteIniInt(section.c_str(), "TOTAL", counts.total, config);
  WriteIniInt(section.c_str(), "PASS", counts.pass, config);
  WriteIniInt(section.c_str(), "FAIL", counts.fail, config);
  WriteIniString(section.c_str(), "YIELD", FormatYield(counts.pass, counts.total).c_str(), config);
}

void MainScreenLayout::LoadYieldCounts(bool reset) {
  const std::lock_guard lock(m_statsLock);
  const std::string config = ModelSettings::GetConfigIniPath();
  for (int site = 0; site < GetSiteCount(); ++site) {
    SiteModel& model = *m_models[static_cast<std::size_t>(site)];
    const std::string section = LotSection(site);
    if (reset) {
      model.SetCounts({});
      m_times[static_cast<std::size_t>(site)] = {};
      for (const char* key : {"TOTAL", "PASS", "FAIL", "YIELD"}) WriteIniInt(section.c_str(), key, 0, config);
      continue;
    }
    model.SetCounts({ReadIniInt(section.c_str(), "TOTAL", 0, config), ReadIniInt(section.c_str(), "PASS", 0, config),
                     ReadIniInt(section.c_str(), "FAIL", 0, config)});
    SiteTimes& times = m_times[static_cast<std::size_t>(site)];
    times.itemTotalMs = ReadIniInt64(section.c_str(), "DLL_TOTAL_TIME", 0, config);
    times.threadTotalMs = ReadIniInt64(section.c_str(), "THREAD_TOTAL_TIME", 0, config);
    times.runs = model.Counts().total;
  }
}

void MainScreenLayout::UpdateYield(bool pass, int site) {
  if (site < 0 || site >= GetSiteCount()) return;
  const std::lock_guard lock(m_statsLock);
  m_models[static_cast<std::size_t>(site)]->AddYield(pass);
  StoreCounts(site);
}

void MainScreenLayout::UpdateAverageTime(int site, const std::string& elapsedMs, bool reset) {
  if (site < 0 || site >= GetSiteCount()) return;
  {
    const std::lock_guard lock(m_statsLock);
    SiteTimes& times = m_times[static_cast<std::size_t>(site)];
    if (reset) {
      times = {};
    } else {
      for (const ItemRow& row : m_models[static_cast<std::size_t>(site)]->Rows())
        times.itemTotalMs += std::atoll(row.tact.c_str());
      times.threadTotalMs += std::atoll(elapsedMs.c_str());
      ++times.runs;
      const std::string config = ModelSettings::GetConfigIniPath();
      WriteIniString(LotSection(site).c_str(), "DLL_TOTAL_TIME", std::to_string(times.itemTotalMs).c_str(), config);
      WriteIniString(LotSection(site).c_str(), "THREAD_TOTAL_TIME", std::to_string(times.threadTotalMs).c_str(),
                     config);
    }
  }
  ShowAverages(site);
}

void MainScreenLayout::ShowAverages(int site) {
  SiteTimes times;
  {
    const std::lock_guard lock(m_statsLock);
    times = m_times[static_cast<std::size_t>(site)];
  }
  const int runs = std::max(1, times.runs);
  const QString dll = QString::fromStdString(
      port::Format("Average_%c\n%.1f s", 'A' + site, static_cast<double>(times.itemTotalMs) / runs / 1000.0));
  const QString thread = QString::fromStdString(
      port::Format("Average_%c\n%.1f s", 'A' + site, static_cast<double>(times.threadTotalMs) / runs / 1000.0));
  QPointer<CFontStatic> dllLabel = At(m_controls.averageDll, site);
  QPointer<CFontStatic> threadLabel = At(m_controls.averageThread, site);
  port::ui::Post([dllLabel, threadLabel, dll, thread] {
    if (dllLabel) dllLabel->setText(dll);
    if (threadLabel) threadLabel->setText(thread);
  });
}

void MainScreenLayout::LoadErrorList(bool clear) {
  if (m_controls.errorList == nullptr || !clear) return;
  QPointer<CGridCtrl> list = m_controls.errorList;
  port::ui::Post([list] {
    if (list) list->DeleteAllItems();
  });
}

void MainScreenLayout::DeleteYieldLists() {
  if (m_controls.yieldLists == nullptr) return;
  for (QLabel* yield : *m_controls.yieldLists) delete yield;
  m_controls.yieldLists->clear();
}
