#pragma once
// "Error Code": the current model's error-code table. Per test-item library of the Dll folder its entries
// (enabled, output code, handler code, text), the message file, the stop code, and the handler codes of a
// failed item-version check. The site runs look the table up again at every failure, so a saved table
// takes effect at the next run. Saving is refused while a site runs.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class CGridCtrl;
class QLabel;
class QLineEdit;

class ErrorCodeDlg : public QDialog {
  Q_OBJECT

 public:
  enum CodeColumn : int { kEnabledColumn = 0, kOutputColumn = 1, kHandlerColumn = 2, kTextColumn = 3 };
  enum DllColumn : int { kItemColumn = 0, kDllNameColumn = 1, kVersionColumn = 2, kUpdateColumn = 3 };

  // anySiteRunning empty: no site runs.
  explicit ErrorCodeDlg(std::function<bool()> anySiteRunning, QWidget* parent = nullptr);

  // "Ref/<model>/ErrorCode.ini" and "Ref/<model>/ItemVersion.ini", relative to the program folder.
  static std::string GetErrorCodePath();
  static std::string GetItemVersionPath();

  void FillDllList();
  void LoadErrorCodes(int row);
  void FillHandlerReturnList();
  // "Save": false, silently, while a site runs; false, with the operator told, when the stop code is no
  // usable number or a text holds a comma.
  bool SaveErrorCodes();

  void OnBnClickedInsert();
  void OnBnClickedDelete();
  void OnBnClickedBrowse();
  void OnBnClickedOpen();
  void OnDblclkCodeList(int row, int column);
  void OnDblclkHandlerList(int row, int column);

  // The "..." file chooser; empty: a file dialog.
  void SetFilePicker(std::function<std::string()> pick) { m_pickFile = std::move(pick); }
  CGridCtrl* DllList() const { return m_dllList; }
  CGridCtrl* CodeList() const { return m_codeList; }
  CGridCtrl* HandlerList() const { return m_handlerList; }
  // The library whose entries the entry list shows; empty when none.
  const std::string& ShownDll() const { return m_shownDll; }

 private:
  void CreateControls();
  void OnInitDialog();
  enum class SaveOutcome { kSaved, kSiteRunning, kRefused };
  SaveOutcome Save();
  void OnDllRowChanged(int row, int previous);
  std::string MessageFilePath() const;

  std::function<bool()> m_anySiteRunning;
  std::function<std::string()> m_pickFile;
  CGridCtrl* m_dllList = nullptr;
  CGridCtrl* m_codeList = nullptr;
  CGridCtrl* m_handlerList = nullptr;
  QLineEdit* m_messagePath = nullptr;
  QLineEdit* m_stopCode = nullptr;
  QLabel* m_tableVersion = nullptr;
  QLabel* m_messageVersion = nullptr;
  std::string m_shownDll;
};
