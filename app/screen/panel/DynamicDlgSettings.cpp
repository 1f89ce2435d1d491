// The settings windows that the menus open, and what the panel reads again after them.
#include "CommunicationDlg.h"
#include "ConfigDlg.h"
#include "DynamicDlg.h"
#include "PanelOwner.h"
#include "ErrorCodeDlg.h"
#include "MainScreenLayout.h"
#include "ModelSettings.h"
#include "Util.h"
#include "port/message_box.h"
#include "port/text.h"

namespace {

// The record keeps 10 + level while the menu rights wait to be applied again.
constexpr std::uint32_t kPendingLevelStep = 10;

}  // namespace

int DynamicDlg::OpenConfig() {
  ConfigDlg::Options options;
  options.loginLevel = static_cast<int>(GetLoginLevel() % kPendingLevelStep);
  options.anySiteRunning = [this] { return IsAnySiteRunning() != 0; };
  options.modelChanged = [this] { ReloadConfig(); };
  ConfigDlg dialog(std::move(options), parentWidget());
  const int result = dialog.exec();
  if (result != QDialog::Accepted) return result;
  ReadModelSettings();
  // Another model, or the same one with other items registered: the pages show the items it runs now.
  RebuildSpecSetting();
  return result;
}

void DynamicDlg::OnInfoMsgDblClk() { OpenConfig(); }

int DynamicDlg::OpenCommunication() {
  CommunicationDlg dialog([this] { return IsAnySiteRunning() != 0; }, parentWidget());
  const int result = dialog.exec();
  if (result != QDialog::Accepted) return result;
  m_bKeyUse.store(CommunicationDlg::ReadKeyUse());
  ReloadProtocolLibrary();
  return result;
}

int DynamicDlg::OpenErrorCode() {
  ErrorCodeDlg dialog([this] { return IsAnySiteRunning() != 0; }, parentWidget());
  return dialog.exec();
}

bool DynamicDlg::ReloadProtocolLibrary() {
  if (!FreeLibrary()) {
    AddListLog(0, "The handler-link library was not loaded anew: a site is testing");
    return false;
  }
  {
    const std::unique_lock lock(m_protocolLock);
    UnloadProtocolLibrary();
    LoadProtocolLibrary();
  }
  return LoadLibrary();
}

void DynamicDlg::ReloadConfig() {
  ReadPlatformConfig();
  if (auto* mainWindow = dynamic_cast<PanelOwner*>(parentWidget())) mainWindow->SetMainTitle();
  if (HardwareType == 1 && OnReadSpec != nullptr) OnReadSpec();
}

// The runners, views and per-site controls were made for the site count of the start: a new count waits for
// the next start, and the record keeps the count the libraries see views for.
void DynamicDlg::ReadModelSettings() {
  m_Layout.ShowUserMsg("USER_INIT");
  m_Layout.ShowInformationMsg("USER_INIT");
  const std::string config = ModelSettings::GetConfigIniPath();
  m_nPara = static_cast<std::uint32_t>(ReadIniInt("PARA", "para", 1, config));
  m_nDrawMode.store(ReadIniInt("DRAW", "draw", 0, config));
  port::CopyText(m_szEngineerPath, ReadIniString("LOG", "EngineerLog", "", config));
  port::CopyText(m_szProductionPath, ReadIniString("LOG", "ProductionLog", "", config));
  port::CopyText(m_szModelName, ModelSettings::ReadModelName());
  port::CopyText(m_szLineName, ReadIniString("LOG", "LineName", "", config));
  port::CopyText(m_szMachineName, ReadIniString("LOG", "MachineName", "", config));
}

void DynamicDlg::ChooseModelAtStartUp() {
  while (!ModelSettings::ModelFolderExists(ModelSettings::ReadModelName())) {
    port::MessageBox("Ref is not exist.");
    ConfigDlg::Options options;
    options.modelOnly = 1;
    ConfigDlg dialog(std::move(options), parentWidget());
    dialog.exec();
  }
}
