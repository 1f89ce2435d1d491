#pragma once
// The item's settings window "QRV Init": created hidden with the item, shown by OnSpecDlg.
#include <QDialog>
#include <string>

class CInterFace_SW;
class CQRV_LoadMemory;
struct HardwareFunctionTable;
struct ProtocolFunctionTable;

class CSpecDlg : public QDialog {
 public:
  CSpecDlg(CInterFace_SW* binder, HardwareFunctionTable* hardware, ProtocolFunctionTable* protocol,
           CQRV_LoadMemory* record);

 private:
  void OnInitDialog();

  CInterFace_SW* m_pInterFaceSW;
  HardwareFunctionTable* m_pHardware;
  ProtocolFunctionTable* m_pProtocol;
  CQRV_LoadMemory* m_pMemory;
  std::string m_strTestIniPath;
  int m_nKey = 0;
};
