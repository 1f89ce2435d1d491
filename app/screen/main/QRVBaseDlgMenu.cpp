// The main window's menu bar and what each of its commands does.
#include <QMenu>
#include <QVBoxLayout>

#include "BaseDraw.h"
#include "CommandMenuBar.h"
#include "DesktopTools.h"
#include "DynamicDlg.h"
#include "ModelSettings.h"
#include "PlatformLog.h"
#include "QRVAbout.h"
#include "QRVBaseDlg.h"
#include "QRV_InterFace_SW.h"
#include "UserSpecLibrary.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/module.h"
#include "port/path.h"
#include "port/text.h"

namespace {

using namespace menu_table;
using LibrarySpecDlg_Fn = void (*)();

LibrarySpecDlg_Fn LibrarySpecDlg(ModuleHandle module) {
  return module != nullptr ? port::FindFunction<LibrarySpecDlg_Fn>(module, "OnSpecDlg") : nullptr;
}

// A window that exists from start-up comes to the front.
void Raise(QWidget* window) {
  if (window == nullptr) return;
  window->hide();
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

QRect CQRVBaseDlg::ImageArea() const { return contentsRect(); }

void CQRVBaseDlg::CreateMenuBar() {
  m_menuBar = new CommandMenuBar(MainMenu(), this);
  auto* layout = new QVBoxLayout(this);
  // The menu bar lies over the whole width at the very top, above the client area.
  setAttribute(Qt::WA_LayoutOnEntireRect);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setMenuBar(m_menuBar);
  // The views tile what lies below the menu bar.
  setContentsMargins(0, m_menuBar->sizeHint().height(), 0, 0);
}

void CQRVBaseDlg::WireMenuCommands() {
  DynamicDlg* panel = m_pSitePanel.get();
  CommandMenuBar* bar = m_menuBar;
  const std::string root = panel->GetRoot();
  bar->SetHandler(kLogin, [panel] { panel->LoginAndApplyRights(); });
  bar->SetHandler(kDcSave, [this] { OnMenuDcSave(); });

  // A library that is not loaded, or has no settings window, leaves its command doing nothing.
  const auto librarySpec = [bar](int id, std::function<ModuleHandle()> module) {
    bar->SetHandler(id, [module] {
      if (const LibrarySpecDlg_Fn spec = LibrarySpecDlg(module())) spec();
    });
  };
  librarySpec(kHardware, [panel] { return panel->m_hHardware; });
  librarySpec(kSoftware, [panel] { return panel->m_pInterFaceSW != nullptr ? panel->m_pInterFaceSW->m_hSoftware : nullptr; });
  librarySpec(kProtocol, [panel] { return panel->m_hProtocol; });
  librarySpec(kMes, [panel] { return panel->m_hMES; });
  bar->SetHandler(kPfMemory, [panel] { panel->ShowPfMemory(); });

  bar->SetHandler(kUiManager, [panel] { Raise(panel); });
  bar->SetHandler(kConfig, [panel] { panel->OpenConfig(); });
  bar->SetHandler(kDllManager, [panel] { panel->OpenSiteManager(); });
  bar->SetHandler(kItemSpec, [panel] { panel->OpenSpecSetting(); });
  bar->SetHandler(kErrorCodeEdit, [panel] { panel->OpenErrorCode(); });
  bar->SetHandler(kCommunication, [panel] { panel->OpenCommunication(); });
  bar->SetHandler(kCycleManager, [panel] { panel->OpenCycleManager(); });
  bar->SetHandler(kCycleSpec, [panel] { Raise(panel->CycleWindow()); });
  bar->SetHandler(kTestLogInfo, [panel] { Raise(panel->TestLogWindow()); });

  bar->SetHandler(kImageFit, [this] { OnMenuImageFit(); });
  bar->SetHandler(kShowListBox, [panel] { panel->ShowListLogWindow(); });
  bar->SetHandler(kTestMode, [panel] { panel->RunTestModeDialog(); });

  const std::pair<int, const char*> folders[] = {{kFolderRoot, ""},     {kFolderConfig, "Config"}, {kFolderRef, "Ref"},
                                                 {kFolderCycle, "Cycle"}, {kFolderDll, "Dll"},     {kFolderLog, "Log"}};
  for (const auto& [id, folder] : folders) {
    const std::string path = *folder == '\0' ? root : port::JoinPath(root, folder);
    bar->SetHandler(id, [path] { desktop_tools::OpenFolder(path); });
  }
  bar->SetHandler(kFolderModel, [panel] { desktop_tools::OpenFolder(panel->GetModelPath()); });
  for (const int id : {kNotePad, kCalc, kPbrush, kRegedit, kControl, kCmd, kDevmgmt, kExplorer, kOsk})
    bar->SetHandler(id, [id] { desktop_tools::RunTool(id); });

  bar->SetHandler(kUserSpec, [this] { OnMenuUserSpec(); });
  // The about box is for Maintenance and Engineer only; the Operator's choice of it is ignored.
  bar->SetHandler(kAbout, [this, panel] {
    if (panel->GetLoginLevel() != 0) CQRVAbout(this, panel->SetLog).exec();
  });
  bar->SetHandler(kPlatformLog, [this] { Raise(m_pPlatformLog); });
}

void CQRVBaseDlg::OnMenuDcSave() {
  const DynamicDlg* panel = m_pSitePanel.get();
  // Without the image library's saver there is nothing to save and nothing to show.
  if (panel->m_pInterFaceSW == nullptr || panel->m_pInterFaceSW->OnSaveImageDC == nullptr) return;
  const std::string folder = port::JoinPath(panel->GetRoot(), "Image capture");
  std::string unsaved;
  for (int site = 0; site < static_cast<int>(panel->GetSiteCount()); ++site) {
    const std::string path = port::JoinPath(folder, port::Format("captureDC_%d.jpg", site));
    if (panel->m_pInterFaceSW->OnSaveImageDC(path.c_str(), site) == 0) unsaved += static_cast<char>('A' + site);
  }
  // A view that has drawn nothing yet has no picture: the operator is told which.
  if (!unsaved.empty())
    port::MessageBox(port::Format("No picture was saved of the view of site %s: it shows nothing yet.", unsaved.c_str()));
  desktop_tools::OpenFolder(folder);
}

void CQRVBaseDlg::OnMenuImageFit() {
  m_pSitePanel->ShowZoom(100);
  SetViewZoom(100);
  for (int site = 0; site < static_cast<int>(m_pSitePanel->GetSiteCount()); ++site) {
    if (m_pSitePanel->OnImagefit != nullptr) m_pSitePanel->OnImagefit(site);
    RedrawView(site);
  }
}

// The file name of the user-spec library in the Dll folder; empty when the model names none, or names a
// file elsewhere (a path, "..").
std::string CQRVBaseDlg::UserSpecLibraryName() {
  const std::string dllManager = "Ref/" + ModelSettings::ReadModelName() + "/DllManager.ini";
  const std::string name = ReadIniText("USER_SPEC_MENU", "name", 0, dllManager);
  if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") return {};
  return name;
}

// Nothing is told when the library cannot be used: the command just ends.
void CQRVBaseDlg::OnMenuUserSpec() {
  const std::string name = UserSpecLibraryName();
  if (name.empty() || PathExists(ProgramFilePath("Dll/" + name)) == 0) return;
  DynamicDlg* panel = m_pSitePanel.get();
  const ItemPlatform platform{panel->m_pInterFaceSW, panel->GetHardwareTable(), panel->GetProtocolTable(), panel};
  OpenUserSpecLibrary(ProgramFilePath("Dll/" + name), platform, 0);
}

CQRVPlatformLog* CQRVBaseDlg::PlatformLog() const { return m_pPlatformLog.data(); }
