#include "SpecDlg.h"

#include <QHBoxLayout>
#include <QPushButton>

#include "QRV_PlatformMemory.h"
#include "port/path.h"

namespace {
constexpr int kCloseId = 3;
constexpr int kApplyId = 15000;
}  // namespace

CSpecDlg::CSpecDlg(CInterFace_SW* binder, HardwareFunctionTable* hardware, ProtocolFunctionTable* protocol,
                   CQRV_LoadMemory* record)
    : m_pInterFaceSW(binder), m_pHardware(hardware), m_pProtocol(protocol), m_pMemory(record) {
  if (m_pMemory != nullptr) m_strTestIniPath = port::JoinPath(m_pMemory->GetModelPath(), "Test.ini");
  setWindowTitle("QRV Init");
  auto* close = new QPushButton("CLOSE", this);
  close->setObjectName(QString::number(kCloseId));
  auto* apply = new QPushButton("Apply", this);
  apply->setObjectName(QString::number(kApplyId));
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(close);
  layout->addWidget(apply);
  // "Apply" has nothing to apply yet; "CLOSE" only hides, the window lives as long as the item.
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  OnInitDialog();
}

void CSpecDlg::OnInitDialog() {
  if (m_pMemory != nullptr && m_pMemory->IniRead_Int != nullptr)
    m_nKey = m_pMemory->IniRead_Int("APP", "KEY", 0, m_strTestIniPath.c_str());
}
