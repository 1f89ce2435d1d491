#include "UIManagerDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <initializer_list>

#include "ControllerIni.h"
#include "GridCtrl.h"
#include "LayoutEditorHost.h"
#include "UISubTabDlg.h"
#include "Util.h"

namespace {

constexpr const char* kViewSizeEntries[] = {"Small Size", "Big SIze", "Window full size(SHOW)",
                                            "Window full size(HIDE)", "User Size"};
constexpr const char* kWindowKeys[] = {"LISTLOG_SIZE", "VIEW_SIZE_SUB", "VIEW_SIZE"};
constexpr int kControlViewColumn = 1;

QGroupBox* Group(const char* title, QWidget* parent) {
  auto* box = new QGroupBox(QString::fromUtf8(title), parent);
  return box;
}

// A box's row that starts with its checks stacked in a column.
QHBoxLayout* RowWithChecks(QWidget* box, std::initializer_list<QCheckBox*> checks) {
  auto* row = new QHBoxLayout(box);
  auto* column = new QVBoxLayout;
  for (QCheckBox* check : checks) column->addWidget(check);
  row->addLayout(column);
  return row;
}

// A grid list with the editor's styles: grid lines, whole-row selection, no sorting.
CGridCtrl* MakeList(const char* id, QWidget* parent) {
  auto* list = new CGridCtrl(parent);
  list->setObjectName(QString::fromUtf8(id));
  list->SetFullRowSelect(true);
  list->setShowGrid(true);
  list->horizontalHeader()->setStretchLastSection(true);
  return list;
}

void AddColumns(CGridCtrl* list, std::initializer_list<std::pair<const char*, int>> columns) {
  int index = 0;
  for (const auto& [title, width] : columns) list->InsertColumn(index++, QString::fromUtf8(title), Qt::AlignLeft, width);
}

}  // namespace

UIManagerDlg::UIManagerDlg(LayoutEditorHost& panel) : QDialog(&panel.PanelWidget(), Qt::Window), m_panel(panel) {
  setObjectName("180");
  setWindowTitle("Controller Setting");
  CreateControls();
  OnInitDialog();
}

void UIManagerDlg::CreateControls() {
  m_fontList = MakeList("1195", this);
  m_windowList = MakeList("1194", this);
  m_controlList = MakeList("1108", this);
  m_userSave = new QPushButton("User Save", this);
  m_userSave->setObjectName("1199");
  m_save = new QPushButton("Save", this);
  m_save->setObjectName("1168");
  m_close = new QPushButton("Close", this);
  m_close->setObjectName("2");
  for (QPushButton* button : {m_userSave, m_save, m_close}) button->setAutoDefault(false);

  auto* fontBox = Group("Control Static", this);
  (new QVBoxLayout(fontBox))->addWidget(m_fontList);
  auto* windowBox = Group("View Size", this);
  (new QVBoxLayout(windowBox))->addWidget(m_windowList);

  auto* controlBox = Group("Control Location", this);
  auto* controlLayout = new QVBoxLayout(controlBox);
  controlLayout->addWidget(m_controlList);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QPushButton* button : {m_userSave, m_save, m_close}) buttons->addWidget(button);
  controlLayout->addLayout(buttons);

  auto* left = new QVBoxLayout;
  left->addWidget(fontBox, 1);
  left->addWidget(windowBox);
  auto* lists = new QHBoxLayout;
  lists->addLayout(left, 3);
  lists->addWidget(controlBox, 2);
  auto* whole = new QVBoxLayout(this);
  whole->addWidget(CreateOptionBoxes());
  whole->addLayout(lists, 1);

  connect(m_userSave, &QPushButton::clicked, this, [this] { SaveControllerSettings("USER_INIT"); });
  connect(m_save, &QPushButton::clicked, this, [this] { SaveControllerSettings("USER_INTERFACE"); });
  connect(m_close, &QPushButton::clicked, this, &UIManagerDlg::OnClose);
  for (CGridCtrl* list : {m_fontList, m_windowList, m_controlList})
    connect(list, &CGridCtrl::cellDoubleClicked, this,
            [this, list](int row, int column) { OnListDoubleClick(list, row, column); });
  resize(1040, 720);
}

QGroupBox* UIManagerDlg::CreateOptionBoxes() {
  auto* options = new QGroupBox(this);
  options->setFlat(true);
  auto* row = new QHBoxLayout(options);
  row->setContentsMargins(0, 0, 0, 0);

  auto* standardBox = Group("Error List Standard", options);
  auto* standardLayout = new QVBoxLayout(standardBox);
  m_standard = new QButtonGroup(this);
  for (const auto& [text, id, value] : {std::tuple{"Site", 1237, 0}, {"Para", 1238, 1}}) {
    auto* radio = new QRadioButton(QString::fromUtf8(text), standardBox);
    radio->setObjectName(QString::number(id));
    m_standard->addButton(radio, value);
    standardLayout->addWidget(radio);
  }
  connect(m_standard, &QButtonGroup::idClicked, this, &UIManagerDlg::OnErrorListStandard);
  row->addWidget(standardBox);

  auto* logBox = Group("Log Option", options);
  auto* logLayout = new QVBoxLayout(logBox);
  m_checkLogMove = AddCheck(logBox, "Log Move Location", 1121, m_logMove);
  logLayout->addWidget(m_checkLogMove);
  logLayout->addStretch();
  row->addWidget(logBox);

  auto* drawBox = Group("Draw Option", options);
  m_checkResultDraw = AddCheck(drawBox, "Result Draw", 1122, m_resultDraw);
  m_checkFpsDraw = AddCheck(drawBox, "Fps Draw", 1123, m_fpsDraw);
  RowWithChecks(drawBox, {m_checkResultDraw, m_checkFpsDraw})->addWidget(CreateSiteDrawBox(drawBox), 1);
  row->addWidget(drawBox, 1);

  auto* viewLayout = new QVBoxLayout;
  m_viewSize = new QComboBox(options);
  m_viewSize->setObjectName("1181");
  for (const char* entry : kViewSizeEntries) m_viewSize->addItem(QString::fromUtf8(entry));
  connect(m_viewSize, QOverload<int>::of(&QComboBox::activated), this, [this] { ApplyViewMode(0); });
  viewLayout->addSpacing(18);
  viewLayout->addWidget(m_viewSize);
  viewLayout->addStretch();
  row->addLayout(viewLayout);
  return options;
}

QGroupBox* UIManagerDlg::CreateSiteDrawBox(QWidget* parent) {
  auto* box = Group("Site Draw", parent);
  m_checkSite = AddCheck(box, "Site", 1150, m_siteDraw);
  m_checkPara = AddCheck(box, "Para", 1151, m_paraDraw);
  QHBoxLayout* layout = RowWithChecks(box, {m_checkSite, m_checkPara});
  auto* alignments = new QVBoxLayout;
  layout->addLayout(alignments, 1);
  const int ids[] = {1239, 1243, 1244};
  for (std::size_t i = 0; i < m_align.size(); ++i) {
    auto* combo = new QComboBox(box);
    combo->setObjectName(QString::number(ids[i]));
    for (const char* name : ControllerIni::SiteDrawAlignments()) combo->addItem(QString::fromUtf8(name));
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this, i](int index) {
              m_siteDrawAlign[i].store(std::max(0, index));
              m_panel.SetDrawOptions(LiveDrawOptions());
            });
    alignments->addWidget(combo);
    m_align[i] = combo;
  }
  return box;
}

QCheckBox* UIManagerDlg::AddCheck(QWidget* parent, const char* text, int id, std::atomic<int>& mirror) {
  auto* check = new QCheckBox(QString::fromUtf8(text), parent);
  check->setObjectName(QString::number(id));
  connect(check, &QCheckBox::toggled, this, [this, &mirror](bool on) {
    mirror.store(on ? 1 : 0);
    m_panel.SetDrawOptions(LiveDrawOptions());
  });
  return check;
}

void UIManagerDlg::OnInitDialog() {
  m_errorListStandard.store(ControllerIni::ReadErrorListStandard() == 1 ? 1 : 0);
  m_standard->button(m_errorListStandard.load())->setChecked(true);
  CreateListColumns();
  for (const DefaultFont& font : ControllerIni::DefaultFonts())
    WriteDefaultFont(font.label, font.size, font.back, font.text, font.italic, font.border);
  m_viewSize->setCurrentIndex(kUserSize);
  RefreshLists();
  ReadDrawOptions();
}

void UIManagerDlg::CreateListColumns() {
  AddColumns(m_fontList, {{"Control Name", 159}, {"Size", 40}, {"R(B)", 39}, {"G(B)", 39}, {"B(B)", 39},
                          {"R", 35}, {"G", 35}, {"B", 35}, {"Italic", 53}, {"Boader", 53}});
  AddColumns(m_windowList, {{"Control Name", 159}, {"Left", 49}, {"Top", 49}, {"Right", 49}, {"Bottom", 49}});
  // The three window rows are always in sight.
  m_windowList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  m_windowList->setFixedHeight(m_windowList->horizontalHeader()->sizeHint().height() +
                               static_cast<int>(std::size(kWindowKeys)) * m_windowList->verticalHeader()->defaultSectionSize() +
                               2 * m_windowList->frameWidth() + 2);
  AddColumns(m_controlList, {{"", 25}, {"View", 138}, {"Left", 49}, {"Top", 49}, {"Right", 49}, {"Bottom", 49}});
  m_controlList->SetHeaderCheckAll(1);
  m_controlList->InitHeaderCheckBox();
}

void UIManagerDlg::WriteDefaultFont(const char* label, int size, std::uint32_t back, std::uint32_t text, int italic,
                                    int border) {
  const std::string value = ControllerIni::WriteDefaultFont(label, size, back, text, italic, border);
  const int row = m_fontList->InsertItem(m_fontList->GetItemCount(), QString::fromUtf8(label));
  for (int field = 0; field < 9; ++field)
    m_fontList->SetItemText(row, field + 1, QString::fromStdString(ExtractField(value, field, '.')));
}

void UIManagerDlg::RefreshLists() {
  m_windowList->DeleteAllItems();
  m_controlList->DeleteAllItems();
  const std::string path = ControllerIni::GetControllerIniPath();
  for (const char* key : kWindowKeys) {
    const std::string value = ReadIniString("USER_INTERFACE", key, "0", path);
    const int row = m_windowList->InsertItem(0, QString::fromUtf8(key));
    for (int field = 1; field <= 4; ++field)
      m_windowList->SetItemText(row, field, QString::fromStdString(ExtractField(value, field, '.')));
  }
  const int count = ControllerIni::ReadControlCount();
  for (int i = 0; i < count; ++i) {
    const std::string key = ControllerIni::ReadControlName(i);
    const std::string value = ReadIniString("USER_INTERFACE", key.c_str(), "0", path);
    const int row = m_controlList->InsertItem(m_controlList->GetItemCount(), QString());
    m_controlList->SetCheck(row, ControllerIni::ParseShownFlag(value) != 0);
    m_controlList->SetItemText(row, kControlViewColumn, QString::fromStdString(key));
    for (int field = 1; field <= 4; ++field)
      m_controlList->SetItemText(row, field + 1, QString::fromStdString(ExtractField(value, field, '.')));
  }
}

void UIManagerDlg::ReadDrawOptions() {
  const auto flag = [](const char* key) {
    return ReadIniInt("USER_INTERFACE", key, 0, ControllerIni::GetControllerIniPath()) != 0;
  };
  m_checkLogMove->setChecked(flag("LOG_MOVE"));
  m_checkResultDraw->setChecked(flag("BASE_DRAW"));
  m_checkSite->setChecked(flag("SITE_DRAW"));
  m_checkPara->setChecked(flag("PARA_DRAW"));
  m_checkFpsDraw->setChecked(flag("FPS_DRAW"));
  const char* keys[] = {"SITE_DRAW_1", "SITE_DRAW_2", "SITE_DRAW_3"};
  for (std::size_t i = 0; i < m_align.size(); ++i) {
    const int index = ReadIniInt("USER_INTERFACE", keys[i], 0, ControllerIni::GetControllerIniPath());
    m_align[i]->setCurrentIndex(index >= 0 && index < m_align[i]->count() ? index : -1);
    m_siteDrawAlign[i].store(std::max(0, m_align[i]->currentIndex()));
  }
  // A box that was already as the file says sent nothing.
  m_panel.SetDrawOptions(LiveDrawOptions());
}

std::array<int, 3> UIManagerDlg::SiteDrawAlignment() const {
  return {m_siteDrawAlign[0].load(), m_siteDrawAlign[1].load(), m_siteDrawAlign[2].load()};
}

DrawOptions UIManagerDlg::LiveDrawOptions() const {
  return {m_siteDraw.load() != 0, m_resultDraw.load() != 0, m_fpsDraw.load() != 0, m_paraDraw.load() != 0,
          SiteDrawAlignment()};
}

void UIManagerDlg::OnListDoubleClick(CGridCtrl* list, int row, int column) {
  if (list == m_controlList) {
    if (column > kControlViewColumn) list->EditSubItem(row, column, 1);
    else if (column == kControlViewColumn && row == 0) OpenSiteNames();
  } else if (column > 0) {
    list->EditSubItem(row, column, list == m_fontList ? 1 : 0);
  }
}

void UIManagerDlg::OpenSiteNames() {
  UISubTabDlg names;
  names.exec();
}

void UIManagerDlg::OnErrorListStandard(int standard) {
  m_errorListStandard.store(standard);
  ControllerIni::WriteErrorListStandard(standard);
}

void UIManagerDlg::OnClose() {
  for (CGridCtrl* list : {m_fontList, m_windowList, m_controlList}) list->CloseEditor();
  m_panel.EndControllerSetting();
  hide();
}

void UIManagerDlg::closeEvent(QCloseEvent* event) {
  OnClose();
  event->accept();
}
