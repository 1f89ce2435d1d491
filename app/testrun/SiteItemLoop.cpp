// One pass of a site's item loop: pre-checks, the items with retries, the run's result code, the End cycle,
// the report to the handler and the site's logs and counts.
#include <cstdlib>
#include <filesystem>

#include "QRV_InterFace_SW.h"
#include "QRV_PlatformMemory.h"
#include "SiteBoardHold.h"
#include "TestThread.h"
#include "port/text.h"

namespace {

int CodeOf(const ItemRow& row) { return std::atoi(row.code.c_str()); }

// An item name comes from a plug-in's version block: keep it a single file name.
std::string FileNameOf(std::string item) {
  for (char& c : item)
    if (c == '/' || c == '\\') c = '_';
  return item;
}

}  // namespace

void CTestThread::RunOnce() {
  if (PreChecks()) {
    // The board stays the site's until the run has reported, End cycle included.
    const SiteBoardHold hold(m_memory, m_nUsb.load(), m_nSite);
    if (hold.Refused()) {
      RefuseBoard();
    } else {
      RunState run;
      BeginRun(run);
      RunItems(run);
      ConcludeRun(run);
      m_model.EndRun();
    }
  }
  Finish();
}

// A start that a pre-check refuses still ends in one result: the handler waits for it, and the view and the
// result picture show the failure the label names.
bool CTestThread::PreChecks() {
  if (!m_owner.AllItemsLoaded()) {
    Log("DLL load fail. Can not start test !!!");
    SetLabel("Load library Error");
    Log("Platform System - Load library error");
    RefuseRun(kCodeDllLoadLibrary, "DLL Load error!!");
    return false;
  }
  if (!m_owner.CheckSystemVersion(m_nSite)) {
    m_owner.SetProtocolErrorMsg("System Version Error");
    SetLabel("System Version Error");
    Log("Platform System - File version error");
    RefuseRun(kCodeDllPath, "System Version Error");
    return false;
  }
  if (!m_owner.CheckLogDirectories()) {
    m_owner.SetProtocolErrorMsg("Engineer/Product Log Directory Error");
    SetLabel("Log Directory Error");
    Log("Platform System - Engineer/Product Log Directory Error");
    RefuseRun(kCodeDllPath, "Log Directory Error");
    return false;
  }
  return true;
}

// The hardware setup dialog kept the board past the wait: the run fails at once and says why.
void CTestThread::RefuseBoard() {
  Log("USB ID [%d] is in use by the hardware setup dialog: the test does not start", m_nUsb.load());
  SetLabel(kBoardInUseText);
  RefuseRun(kCodeBoardInUse, kBoardInUseText);
}

void CTestThread::RefuseRun(int code, const std::string& text) {
  m_nLastResult.store(code);
  m_model.SetPicture(kPictureFail);
  m_owner.DrawSiteResult(m_nSite, m_nUsb.load(), code, text);
  m_owner.SendSiteResult(m_nSite, code);
}

void CTestThread::BeginRun(RunState& run) {
  m_owner.SetProtocolErrorMsg("");
  Log("Platform Thread START -> SITE : %d, USB : %d", m_nSite, m_nUsb.load());
  m_owner.ShowSiteView(m_nSite);
  // Cleared here, not by the display worker, so that a short run cannot leave the display counting.
  m_bElapsedStop.store(0);
  m_hElapsedEvent.Set();
  run.runWatch.Start();
  m_memory.SetStopButtonFlag(0);
  m_memory.SetSiteStopFlag(m_nSite, 0);
  m_owner.SetLogHeader(m_nSite);
  m_owner.ReloadSiteCycleEnd(m_nSite);
  m_owner.ClearLog(m_nSite);
  run.itemWatch.SetTimeStamp();
  m_model.BeginRun(m_owner.LoadSiteItems(m_nSite));
  m_model.SetPicture(kPictureTesting);
  SetLabel("Testing...");
}

void CTestThread::RunItems(RunState& run) {
  const int count = m_model.RowCount();
  for (int row = 0; row < count && !ShuttingDown(); ++row) {
    if (m_bJumpPending.load() != 0) row = m_nJumpRow.load();
    bool endAfterRow = false;
    if (RunRow(row, run, endAfterRow) < 0) return;
    if (m_memory.GetStopButtonFlag() != 0 || m_memory.GetSiteStopFlag(m_nSite) != 0) {
      run.stopRow = endAfterRow ? count : row;
      return;
    }
    if (endAfterRow) return;
  }
}

// Runs one row; returns a negative result that ends the loop at once, else 0.
int CTestThread::RunRow(int row, RunState& run, bool& endAfterRow) {
  const ItemRow item = m_model.Row(row);
  m_model.SetCurrentRow(row);
  m_model.SetRowResult(row, kRowTesting, "", "");
  run.itemWatch.Start();
  m_owner.CheckDeviceInit(m_nSite);

  int result = RunItem(item.dllName);
  int attempts = 1;
  while (result != 0 && attempts < item.retry && !ShuttingDown()) {
    result = RunItem(item.dllName);
    ++attempts;
  }

  int lastResult = 0;
  for (int earlier = 0; earlier < row && lastResult == 0; ++earlier) lastResult = CodeOf(m_model.Row(earlier));
  m_nLastResult.store(lastResult);

  CaptureItemImage(item.item);
  const std::string tact = run.itemWatch.GetElapsedText();
  AppendItemTimeLog(item.dllName, tact);
  m_model.SetTact(row, tact);
  m_model.SetRowResult(row, result == 0 ? kRowPass : kRowFail, std::to_string(result),
                       m_errorCodes.GetErrorCodeText(item.dllName, result));
  m_owner.SetLogBody(m_nSite, row, attempts, m_model.Row(row));

  if (m_bJumpPending.load() != 0) {
    m_bJumpPending.store(0);
    endAfterRow = true;
  }
  if (result < 0) return result;

  if (m_memory.GetOverridemode() != 0 || m_owner.OverrideStart()) {
    int mapped = result;
    if (m_errorCodes.GetHandlerCode(item.dllName, mapped)) {
      run.result = mapped;
      m_model.SetTestBreak(row);
      run.handlerStop = true;
      endAfterRow = true;
    }
  } else if (result != 0) {
    endAfterRow = true;
  }
  return 0;
}

void CTestThread::CaptureItemImage(const std::string& item) {
  if (m_memory.GetTestingImageSave == nullptr || m_memory.GetTestingImageSave() == 0) return;
  CInterFace_SW* binder = m_memory.m_pInterFaceSW;
  if (binder == nullptr || binder->OnSaveImageDC == nullptr) return;
  const std::filesystem::path path = std::filesystem::path(m_memory.m_strRoot) / "Image capture" /
                                     std::to_string(m_nSite) / (FileNameOf(item) + ".jpg");
  binder->OnSaveImageDC(path.c_str(), m_nSite);
}

void CTestThread::ConcludeRun(RunState& run) {
  const std::vector<ItemRow> rows = m_model.Rows();
  const int count = static_cast<int>(rows.size());

  // The run's result code.
  if (!run.handlerStop) {
    run.result = 0;
    for (const ItemRow& row : rows) {
      run.result = CodeOf(row);
      if (run.result == 0) continue;
      SetLabel(row.errorMsg);
      m_errorCodes.GetHandlerCode(row.dllName, run.result);
      break;
    }
  }
  const bool stopAll = m_memory.GetStopButtonFlag() != 0;
  const bool siteStop = m_memory.GetSiteStopFlag(m_nSite) != 0;
  if (stopAll || (siteStop && run.result == 0)) {
    run.result = m_errorCodes.GetStopCode();
    if (run.stopRow >= 0 && run.stopRow < count) m_model.SetRowResult(run.stopRow, kRowFail, "", "");
  }
  m_nLastResult.store(run.result);

  // Only the "Code" column decides: a row marked FAIL by a stop with an empty code does not count.
  int finalRow = -1;
  for (int row = 0; row < count && finalRow < 0; ++row)
    if (CodeOf(rows[row]) != 0) finalRow = row;
  run.pass = finalRow < 0;
  if (run.handlerStop && finalRow >= 0) {
    const int firstFailed = finalRow;
    for (int row = firstFailed; row < count; ++row)
      if (rows[row].testBreak == "1") {
        finalRow = row;
        break;
      }
  }

  if (m_owner.SendResultFirst()) {
    ShowFinalState(run, finalRow);
    m_owner.SendSiteResult(m_nSite, run.result);
    RunCycleEnd();
  } else {
    RunCycleEnd();
    ShowFinalState(run, finalRow);
    m_owner.SendSiteResult(m_nSite, run.result);
  }

  TestLogEnd end;
  end.lotTotal = std::to_string(m_model.LotTotal());
  end.resultCode = run.result;
  end.label = m_model.Label();
  end.pass = run.pass;
  end.startStamp = run.itemWatch.GetTimeStamp();
  {
    std::lock_guard lock(m_startLock);
    end.barcode = m_strBarcode;
  }
  end.para = m_nPara.load();
  m_owner.SetLogEnd(m_nSite, end);
  m_owner.UpdateYield(run.pass, m_nSite);
  m_owner.UpdateErrorList(m_nSite, m_nUsb.load());
  m_bElapsedStop.store(1);
  m_owner.UpdateAverageTime(m_nSite, run.runWatch.GetElapsedText(), false);

  const std::string finalText = finalRow >= 0 ? m_model.Row(finalRow).errorMsg : std::string();
  if (m_memory.GetStopButtonFlag() != 0) {
    SetLabel("STOP");
    m_owner.DrawSiteResult(m_nSite, m_nUsb.load(), run.result, "STOP");
  } else {
    m_owner.DrawSiteResult(m_nSite, m_nUsb.load(), run.result, run.pass ? std::string() : finalText);
  }
  Log("Platform Thread END -> SITE : %d, USB : %d", m_nSite, m_nUsb.load());
}

void CTestThread::ShowFinalState(const RunState& run, int finalRow) {
  if (m_owner.TakeHomeRequest()) {
    m_model.SetPicture(kPictureReady);
    SetLabel("Ready");
  } else if (run.pass) {
    const bool finish = m_owner.FinishAfterPass();
    m_model.SetPicture(finish ? kPictureFinish : kPicturePass);
    SetLabel(finish ? "Finish" : "PASS");
  } else {
    m_model.SetPicture(kPictureFail);
    SetLabel(m_model.Row(finalRow).errorMsg);
  }
}

void CTestThread::RunCycleEnd() {
  m_owner.RunCycleEnd(m_nSite, m_nUsb.load(), m_model.LotTotal(), m_nServer.load());
}

void CTestThread::Finish() {
  {
    std::lock_guard lock(m_startLock);
    // A start without identity that came during the run is dropped; starts with identity took the re-run path.
    if (!m_bStartPending) m_hStartEvent.ResetEvent();
    m_bRunning.store(0);
  }
  m_owner.SendSiteStatus(m_nUsb.load(), m_nSite);
}
