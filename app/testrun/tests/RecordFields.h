#pragma once
// Every field of the platform record, in order, for layout sweeps. The caller names its macro X.
#include "QRV_PlatformMemory.h"

#define QRV_RECORD_SLOT_FIELD(name, result, params) X(name)
#define QRV_RECORD_FIELDS(X)                                                                          \
  X(m_hRigUtil)                                                                                       \
  QRV_RIGUTIL_FUNCTIONS(QRV_RECORD_SLOT_FIELD)                                                       \
  X(SetLog) X(m_hMainWnd) X(m_hSiteWnd) X(m_rcMainClient) X(m_rcView) X(m_hViewDC) X(m_hMemDC)        \
  X(m_nPara) X(m_nSiteCount) X(m_nLoginLevel) X(m_nStopAll) X(m_nSiteStop) X(m_nOverrideMode)         \
  X(m_nSimulationMode) X(m_szLotNumber) X(m_szRoot) X(m_szModelName) X(m_szModelPath)                 \
  X(m_szSensorPath) X(m_szRegisterPath) X(m_szSimulationPath) X(m_szProductionPath)                   \
  X(m_szEngineerPath) X(m_szMachineName) X(m_szLineName) X(m_hViewWnd) X(m_szHardwareVer)             \
  X(m_szProtocolVer) X(m_szSoftwareVer) X(m_szPlatformVer) X(Load_Protocol) X(Load_Hardware)          \
  X(Load_OnDelete) X(GetDllVersion) X(m_strRoot) X(m_pInterFaceSW) X(Load_OnCreate) X(OnImagefit)     \
  X(SetDrawPos) X(SetZoom) X(GetTestingImageSave) X(SetFullView) X(m_hHardware) X(m_pHardwareTable)   \
  X(m_hProtocol) X(m_pProtocolTable) X(GetUSBID) X(OnPlay) X(OnReadSpec) X(GetDeviecInit)             \
  X(PowerDownSequence) X(m_hMES) X(m_pMES) X(HardwareType) X(ProtocolType)
