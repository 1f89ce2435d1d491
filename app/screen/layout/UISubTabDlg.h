#pragma once
// "Tab Setting": the table of site display names, Config.ini [SITE_NAME], opened from the screen-layout
// editor. "Save" writes every row and leaves the window open; "Close" drops unsaved edits.
#include <QDialog>

class CGridCtrl;
class QPushButton;

class UISubTabDlg : public QDialog {
  Q_OBJECT

 public:
  explicit UISubTabDlg(QWidget* parent = nullptr);

  void OnInitDialog();
  void OnDoubleClick(int row, int column);
  void OnSave();
  CGridCtrl* List() const { return m_list; }

 private:
  CGridCtrl* m_list;
  QPushButton* m_save;
  QPushButton* m_close;
};
