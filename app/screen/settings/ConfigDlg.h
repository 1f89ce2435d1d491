#pragma once
// "Config": chooses the current model and edits the model's general settings (site count, para, draw type,
// log folders, line and machine names, the operator message); "New model" copies the template into a new
// model folder. In model-only mode (the start-up while the current model's folder is missing) it only
// chooses the model.
#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

class ConfigDlg : public QDialog {
  Q_OBJECT

 public:
  // The [DRAW] draw types in index order, as the "Draw" list shows them.
  static constexpr std::array<const char*, 9> kDrawTypes = {
      "W Type", " Z Type", " I Type", " O Type", " P Type", " Dual_W Type", " Dual_Z Type", " Dual_I Type",
      " Dual_ZZ Type"};

  struct Options {
    int modelOnly = 0;
    // Only the Engineer level (2) edits the counts, folders and names.
    int loginLevel = 2;
    // Empty: no site runs.
    std::function<bool()> anySiteRunning{};
    // Called after Save stored a model other than the one stored before.
    std::function<void()> modelChanged{};
    // The folder browser; empty: the program's folder picker.
    std::function<std::string()> pickFolder{};
  };

  explicit ConfigDlg(Options options, QWidget* parent = nullptr);

  void LoadConfig();
  // "Save": false, with the dialog left open, when it is refused.
  bool SaveConfig();
  void OnBnClickedButtonNewModel();
  // "..." of a path row: 0 production, 1 engineer, 2 list log.
  void OnBrowse(int row);
  void OnOpen(int row);

 private:
  struct PathRow {
    QLineEdit* edit;
    QPushButton* browse;
    QPushButton* open;
    const char* leaf;
  };
  void CreateControls();
  void ApplyAccessRule();
  void WriteModelValues() const;

  Options m_options;
  QComboBox* m_model = nullptr;
  QPushButton* m_newModel = nullptr;
  QComboBox* m_site = nullptr;
  QComboBox* m_para = nullptr;
  QComboBox* m_draw = nullptr;
  std::array<PathRow, 3> m_paths{};
  QLineEdit* m_lineName = nullptr;
  QLineEdit* m_machineName = nullptr;
  QLineEdit* m_userMsg = nullptr;
};
