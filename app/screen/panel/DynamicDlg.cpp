// The site panel's construction and start-up: the record filled from the settings, the system libraries,
// the site controls, the test items and one runner per site.
#include "DynamicDlg.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <algorithm>
#include <cstdlib>

#include "BaseDraw.h"
#include "CommunicationDlg.h"
#include "ControllerIni.h"
#include "FontStatic.h"
#include "GridCtrl.h"
#include "IntegratedLog.h"
#include "ModelSettings.h"
#include "PlatformLog.h"
#include "ProgramFolder.h"
#include "SiteCtrl.h"
#include "StaticImage.h"
#include "Util.h"
#include "QRV_Messages.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"
#include "port/ui_thread.h"
#include "port/window_message.h"

namespace {

constexpr int kVkNumpad0 = 96;

std::string UtilityLibraryPath() {
  return port::JoinPath(port::JoinPath(ProgramFolder::Root(), "System"), "RigUtil_x64.dll");
}

QrvRect ClientRect(const QWidget* widget) {
  return widget != nullptr ? QrvRect{0, 0, widget->width(), widget->height()} : QrvRect{};
}

}  // namespace

DynamicDlg::DynamicDlg(QWidget* parent)
    : QDialog(parent), CQRV_LoadMemory(UtilityLibraryPath()), m_self(std::make_shared<QPointer<DynamicDlg>>(this)) {
  setObjectName("179");
  setWindowTitle("Site Panel");
  for (int key = 0; key < static_cast<int>(m_nKeyCode.size()); ++key) m_nKeyCode[static_cast<std::size_t>(key)] = kVkNumpad0 + key;
  CreateMenuBar();
  CreateControls();
}

DynamicDlg::~DynamicDlg() { OnDestroy(); }

void DynamicDlg::CreateControls() {
  auto named = [this](auto* control, int id) {
    control->setObjectName(QString::number(id));
    control->hide();
    return control;
  };
  auto label = [this](const char* text) {
    auto* control = new CFontStatic(this);
    control->setText(text);
    return control;
  };
  // Each control carries its template text until the layout gives it its own.
  m_btnLot = named(new QPushButton("Lot Button", this), 1204);
  m_btnStart = named(new QPushButton("Start", this), 1017);
  m_btnStop = named(new QPushButton("STOP", this), 1229);
  m_stInfoMsg = named(label("Info Msg"), 1205);
  m_imgLogo = named(new CStaticImage(this), 1203);
  m_sliderZoom = named(new QSlider(Qt::Horizontal, this), 1184);
  m_stZoom = named(new QLabel("100%", this), 1206);
  m_stUserMsg = named(label("User Msg"), 1208);
  m_tabSite = named(new QTabBar(this), 1216);
  m_stFirmwareVersion = named(label("Firmware Version"), 1223);
  m_stItemVersion = named(label("ItemVersin.ini"), 1230);
  m_gridList = named(new CGridCtrl(this), 1232);
  // The operator reaches these from a distance and by touch.
  for (QPushButton* button : {m_btnLot, m_btnStart, m_btnStop}) {
    QFont face = button->font();
    face.setPixelSize(18);
    face.setBold(true);
    button->setFont(face);
  }
  connect(m_btnStart, &QPushButton::clicked, this, [this] { OnBnClickedStart(); });
  connect(m_btnStop, &QPushButton::clicked, this, [this] { OnBnClickedStop(); });
  connect(m_btnLot, &QPushButton::clicked, this, [this] { ChangeLotNumber(); });
}

int DynamicDlg::OnInitDialog() {
  m_bLoggedIn.store(1);
  m_nLoginLevel.store(2);
  m_nTimer = startTimer(kTimerPeriodMs);
  BindSetLog();
  ReadPlatformConfig();
  ReadSiteSettings();
  m_pIntegratedLog = new CIntegratedLog(this, this);
  m_pIntegratedLog->hide();

  SetRootPath(m_szRoot);
  port::RegisterMessageHandler(this, [this](unsigned message, std::uintptr_t wParam, std::intptr_t) -> std::intptr_t {
    if (message != kWmProtocolCommand) return 0;
    return OnProtocolCommand(reinterpret_cast<const char*>(wParam));
  });
  LoadSoftwareLibrary();
  LoadHardwareLibrary();
  LoadProtocolLibrary();
  LoadMesLibrary();

  const std::string model = GetModelName();
  m_nSendResultMode.store(ReadIniInt("CYCLE_SEND_RESULT", "check", 0, "Ref/" + model + "/Cycle.ini"));
  m_btnLot->setText(QString::fromUtf8(m_szLotNumber));

  MainScreenLayout::Controls controls;
  controls.infoMsg = m_stInfoMsg;
  controls.logo = m_imgLogo;
  controls.resultImages = &m_vecResultImage;
  controls.lotButton = m_btnLot;
  controls.startButton = m_btnStart;
  controls.siteTab = m_tabSite;
  controls.resultLabels = &m_vecResultLabel;
  controls.zoomSlider = m_sliderZoom;
  controls.zoomText = m_stZoom;
  controls.userMsg = m_stUserMsg;
  controls.itemLists = &m_vecItemList;
  controls.firmwareVersion = m_stFirmwareVersion;
  controls.yieldLists = &m_listYield;
  controls.stopButton = m_btnStop;
  controls.itemVersion = m_stItemVersion;
  controls.averageDll = &m_vecAverageDll;
  controls.averageThread = &m_vecAverageThread;
  controls.errorList = m_gridList;
  controls.timeLabels = &m_vecTimeLabel;
  std::vector<SiteModel*> models;
  for (const auto& model : m_models) models.push_back(model.get());
  CreateLayoutEditor();
  m_Layout.SetOwner(this);
  m_Layout.Init(controls, models);
  for (int site = 0; site < static_cast<int>(m_models.size()); ++site) {
    std::function<void()> listHook = m_vecItemList[static_cast<std::size_t>(site)]->UpdateHook();
    m_models[static_cast<std::size_t>(site)]->SetUpdateHook([this, listHook, site] {
      listHook();
      QueueSiteRefresh(site);
    });
    m_vecItemList[static_cast<std::size_t>(site)]->Refresh();
  }

  CreateChildWindows();
  m_bKeyUse.store(CommunicationDlg::ReadKeyUse());
  CreateSiteThreads();
  m_pStartThread = std::thread(&DynamicDlg::StartDispatcher, this);
  ConnectViewCommands();
  qApp->installEventFilter(this);
  SetExportTarget(this);
  m_bInitialised = true;

  if (!CheckLogDirectories()) port::MessageBox("Engineer/Product Log Directory Error");
  WriteIniString("PROTOCOL", "ERROR_MSG", "", ModelSettings::GetConfigIniPath());
  ReportSimulation();
  return 1;
}

void DynamicDlg::BindSetLog() { SetLog = reinterpret_cast<SetLog_Fn>(port::FindProgramSymbol("SetLog")); }

std::string DynamicDlg::ReadRecordIni(const char* section, const char* key, const char* defaultText,
                                      const std::string& path) {
  if (IniRead_String != nullptr) return IniRead_String(section, key, defaultText, path.c_str());
  return ReadIniStringAbs(section, key, defaultText, path);
}

int DynamicDlg::ReadRecordIniInt(const char* section, const char* key, int defaultValue, const std::string& path) {
  if (IniRead_Int != nullptr) return IniRead_Int(section, key, defaultValue, path.c_str());
  return std::atoi(ReadIniStringAbs(section, key, std::to_string(defaultValue).c_str(), path).c_str());
}

void DynamicDlg::ReadPlatformConfig() {
  m_hSiteWnd = this;
  const std::string root = ProgramFolder::Root();
  port::CopyText(m_szRoot, root);
  const std::string equipIni = port::JoinPath(port::JoinPath(root, "Config"), "QRV_Config.ini");
  // The model name comes from a settings file: a name that is no folder under Ref is asked for again.
  if (!ModelSettings::ModelFolderExists(ReadRecordIni("QRV_Equip", "Model_Name", "NULL", equipIni)))
    ChooseModelAtStartUp();
  port::CopyText(m_szModelName, ReadRecordIni("QRV_Equip", "Model_Name", "NULL", equipIni));
  port::CopyText(m_szModelPath, port::JoinPath(port::JoinPath(root, "Ref"), m_szModelName));

  const std::string model = m_szModelPath;
  port::CopyText(m_szSensorPath, port::JoinPath(model, "Sensor.ini"));
  port::CopyText(m_szRegisterPath, port::JoinPath(model, "Register.ini"));
  const std::string config = port::JoinPath(model, "Config.ini");
  port::CopyText(m_szLineName, ReadRecordIni("LOG", "LineName", "NULL", config));
  port::CopyText(m_szMachineName, ReadRecordIni("LOG", "MachineName", "NULL", config));
  port::CopyText(m_szEngineerPath, ReadRecordIni("LOG", "EngineerLog", "NULL", config));
  port::CopyText(m_szProductionPath, ReadRecordIni("LOG", "ProductionLog", "NULL", config));
  port::CopyText(m_szLotNumber, SanitizeLotNumber(ReadRecordIni("LOT_NUMBER", "number", "NULL", config)));
  const std::string testMode = port::JoinPath(model, "TestMode.ini");
  port::CopyText(m_szSimulationPath, ReadRecordIni("TestMode", "SimulationPath", "NULL", testMode));
  m_nOverrideMode.store(static_cast<std::uint32_t>(ReadRecordIniInt("TestMode", "OverrideMode", 0, testMode)));
}

void DynamicDlg::ReadSiteSettings() {
  StoreViewRects();
  m_hMainWnd = parentWidget();
  const std::string config = ModelSettings::GetConfigIniPath();
  m_nPara = static_cast<std::uint32_t>(ReadIniInt("PARA", "para", 1, config));
  std::string refusal;
  const int sites = ModelSettings::UsableSiteCount(ReadIniInt("SITE", "site", 1, config), &refusal);
  if (!refusal.empty()) {
    LogPlatformError("%s [%d] ERROR : %s", __func__, __LINE__, refusal.c_str());
    port::MessageBox(refusal);
  }
  m_nSiteCount = static_cast<std::uint32_t>(sites);
  m_nDrawMode.store(ReadIniInt("DRAW", "draw", 0, config));
  CreateSiteModels(sites);
}

void DynamicDlg::CreateSiteModels(int siteCount) {
  m_models.clear();
  for (int site = 0; site < siteCount; ++site) m_models.push_back(std::make_unique<SiteModel>());
}

void DynamicDlg::CreateChildWindows() {
  CreateRecordWindows();
  CreateLibraryWindow();
}

void DynamicDlg::CreateSiteThreads() {
  for (int site = 0; site < static_cast<int>(m_models.size()); ++site) {
    int usb = site;
    if (m_nPara == 1) usb = GetUSBID != nullptr ? GetUSBID() : 0;
    m_vecTestThread.push_back(
        std::make_unique<CTestThread>(*this, *this, m_items, *m_models[static_cast<std::size_t>(site)], usb, site));
  }
}

std::string DynamicDlg::SimulatedBoards() {
  const char* boards = std::getenv("QRV_SIM_BOARDS");
  return boards != nullptr && std::atoi(boards) > 0 ? std::string(boards) : std::string();
}

void DynamicDlg::ReportSimulation() {
  const std::string boards = SimulatedBoards();
  if (boards.empty()) return;
  for (int site = 0; site < SiteCount(); ++site)
    Log(site, "SIMULATED BOARDS (QRV_SIM_BOARDS=%s): no module is tested on a real board", boards.c_str());
}

void DynamicDlg::AttachSiteViews(const std::vector<CBaseDraw*>& views) {
  {
    const std::lock_guard lock(m_viewLock);
    m_views.assign(views.begin(), views.end());
  }
  StoreViewHandles();
}

CBaseDraw* DynamicDlg::View(int site) const {
  const std::lock_guard lock(m_viewLock);
  if (site < 0 || site >= static_cast<int>(m_views.size())) return nullptr;
  return m_views[static_cast<std::size_t>(site)].data();
}

void DynamicDlg::StoreViewRects() {
  m_rcMainClient = ClientRect(parentWidget());
  for (int site = 0; site < SiteCount(); ++site) StoreViewRect(site);
}

void DynamicDlg::StoreViewRect(int site) {
  if (CBaseDraw* view = View(site)) m_rcView[site] = ClientRect(view);
}

void DynamicDlg::StoreViewHandles() {
  for (int site = 0; site < SiteCount(); ++site) {
    CBaseDraw* view = View(site);
    if (view == nullptr) continue;
    m_rcView[site] = ClientRect(view);
    m_hViewDC[site] = view->Surface();
    m_hViewWnd[site] = view;
  }
}

void DynamicDlg::QueueSiteRefresh(int site) {
  if (site < 0 || site >= kMaxSites || m_refreshQueued[static_cast<std::size_t>(site)].exchange(true)) return;
  std::weak_ptr<QPointer<DynamicDlg>> self = m_self;
  port::ui::Post([self, site] {
    const auto panel = self.lock();
    if (!panel || !*panel) return;
    (*panel)->m_refreshQueued[static_cast<std::size_t>(site)].store(false);
    (*panel)->m_Layout.RefreshSite(site);
  });
}

void DynamicDlg::SetDrawOptions(const DrawOptions& options) {
  const std::lock_guard lock(m_drawLock);
  m_drawOptions = options;
}

DrawOptions DynamicDlg::LiveDrawOptions() const {
  const std::lock_guard lock(m_drawLock);
  return m_drawOptions;
}

void DynamicDlg::ShowZoom(int zoom) {
  m_sliderZoom->setValue(zoom - 100);
  m_stZoom->setText(QString::number(zoom) + "%");
}

CFontStatic* DynamicDlg::ResultLabel(int site) const {
  return site >= 0 && site < static_cast<int>(m_vecResultLabel.size()) ? m_vecResultLabel[static_cast<std::size_t>(site)]
                                                                         : nullptr;
}

CSiteCtrl* DynamicDlg::ItemList(int site) const {
  return site >= 0 && site < static_cast<int>(m_vecItemList.size()) ? m_vecItemList[static_cast<std::size_t>(site)]
                                                                      : nullptr;
}
