#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include "GridCtrl.h"
#include "GridEdit.h"
#include "qrv_test/screenshot.h"
#include "qrv_test/station_folder.h"

namespace {

using qrv::test::TestApplication;

// A grid with the given rows of three columns, shown so that editors can take the focus.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    for (int c = 0; c < 3; ++c) grid.InsertColumn(c, QString("C%1").arg(c), Qt::AlignLeft, 80);
    grid.resize(400, 300);
    grid.show();
  }
  void Fill(const std::vector<std::vector<QString>>& rows) {
    for (const auto& row : rows) {
      const int r = grid.InsertItem(grid.GetItemCount(), row[0]);
      for (int c = 1; c < static_cast<int>(row.size()); ++c) grid.SetItemText(r, c, row[c]);
    }
  }
  QStringList Column(int c) const {
    QStringList texts;
    for (int r = 0; r < grid.GetItemCount(); ++r) texts << grid.GetItemText(r, c);
    return texts;
  }
  static void Type(QWidget* target, int key, const QString& text = {}, Qt::KeyboardModifiers mods = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
  }

  QApplication& app = TestApplication();
  CGridCtrl grid;
};

struct CompareCase {
  const char* first;
  const char* second;
  int ascendingSign;
};

TEST(GridCompareTest, NumbersCompareAsNumbersAndTextWithoutCase) {
  const CompareCase cases[] = {
      {"9", "10", -1},  {"-3", "9", -1},    {"10", "-3", 1},      {"", "", 0},       {"", "0", 0},
      {"-", "0", 0},    {"12", "abc", -1},  {"a", "b10", -1},     {"b10", "B9", -1}, {"B9", "b9", 0},
      // Far beyond int: compared by value, not by an overflowing difference.
      {"99999999999999999999", "-99999999999999999999", 1}, {"4294967296", "1", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.first) + " vs " + c.second);
    const int ascending = CGridCtrl::CompareItems(c.first, c.second, 1);
    EXPECT_EQ((ascending > 0) - (ascending < 0), c.ascendingSign);
    const int descending = CGridCtrl::CompareItems(c.first, c.second, 0);
    EXPECT_EQ((descending > 0) - (descending < 0), -c.ascendingSign);
  }
}

TEST_F(GridTest, HeaderClickSortsOnlyWhenSwitchedOnWithOneSharedDirection) {
  Fill({{"10", "b10"}, {"9", "B9"}, {"-3", "a"}});
  grid.OnHeaderClick(0);
  EXPECT_EQ(Column(0), (QStringList{"10", "9", "-3"}));

  grid.SetHeaderSort(1);
  grid.OnHeaderClick(0);
  EXPECT_EQ(Column(0), (QStringList{"-3", "9", "10"}));
  EXPECT_EQ(Column(1), (QStringList{"a", "B9", "b10"})) << "rows move whole";

  // The next click, on another column, sorts the other way.
  grid.OnHeaderClick(1);
  EXPECT_EQ(Column(1), (QStringList{"B9", "b10", "a"}));
}

TEST_F(GridTest, CheckAllTogglesEveryRowAndSortsTooWhenBothAreOn) {
  Fill({{"2"}, {"1"}, {"3"}});
  grid.InitHeaderCheckBox();
  grid.SetCheck(1, true);
  grid.SetHeaderCheckAll(1);
  grid.OnHeaderClick(1);
  EXPECT_EQ(grid.GetHeaderCheck(), 0) << "only the first column's header checks";

  grid.OnHeaderClick(0);
  EXPECT_EQ(grid.GetHeaderCheck(), 1);
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(grid.GetCheck(r));
  grid.OnHeaderClick(0);
  for (int r = 0; r < 3; ++r) EXPECT_FALSE(grid.GetCheck(r));

  grid.SetHeaderSort(1);
  grid.OnHeaderClick(0);
  EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
  for (int r = 0; r < 3; ++r) EXPECT_TRUE(grid.GetCheck(r));
}

TEST_F(GridTest, DigitsOnlyEditorRefusesLettersAndEnterKeepsTheText) {
  Fill({{"a", "5"}});
  QString ended;
  QObject::connect(&grid, &CGridCtrl::endLabelEdit, [&](int, int, const QString& text) { ended = text; });
  CGridEdit* editor = grid.EditSubItem(0, 1, 1);
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text(), "5");
  for (const QChar c : QString("1x-2A3")) Type(editor, c.unicode(), QString(c));
  EXPECT_EQ(editor->text(), "5123");
  Type(editor, Qt::Key_Return);
  EXPECT_EQ(grid.GetItemText(0, 1), "5123");
  EXPECT_EQ(ended, "5123");
  EXPECT_EQ(grid.GetEditor(), nullptr);
}

TEST_F(GridTest, FreeTextEditorTakesLettersAndEscapeKeepsTheOldText) {
  Fill({{"a", "old"}});
  CGridEdit* editor = grid.EditSubItem(0, 1, 0);
  ASSERT_NE(editor, nullptr);
  for (const QChar c : QString("xY")) Type(editor, c.unicode(), QString(c));
  EXPECT_EQ(editor->text(), "oldxY");
  Type(editor, Qt::Key_Escape);
  EXPECT_EQ(grid.GetItemText(0, 1), "old");
  EXPECT_EQ(grid.GetEditor(), nullptr);

  editor = grid.EditSubItem(0, 2, 0);
  ASSERT_NE(editor, nullptr);
  editor->setText("new");
  grid.CommitEdit();  // a click in the grid or a wheel turn
  EXPECT_EQ(grid.GetItemText(0, 2), "new");
}

// The editor starts 4 pixels into its cell and is 3 pixels narrower than the column, so it reaches one
// pixel past the cell; a column wider than the view is cut at the view's edge.
TEST_F(GridTest, EditorSpansTheColumnLessThreeFromFourPixelsIn) {
  Fill({{"a", "b", "c"}});
  grid.setColumnWidth(2, 600);
  const struct {
    int column;
    int width;
  } cases[] = {{0, 77}, {1, 77}, {2, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.column);
    grid.scrollToItem(grid.item(0, c.column));
    const QRect cell = grid.visualItemRect(grid.item(0, c.column));
    CGridEdit* editor = grid.EditSubItem(0, c.column, 0);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->geometry().left(), cell.left() + 4);
    EXPECT_EQ(editor->geometry().top(), cell.top());
    EXPECT_EQ(editor->height(), cell.height());
    if (c.width > 0)
      EXPECT_EQ(editor->width(), c.width);
    else
      EXPECT_EQ(editor->geometry().right(), grid.viewport()->rect().right());
    if (c.column == 1) {
      EXPECT_FALSE(qrv::test::SaveScreenshot(grid, "grid_cell_editor").empty());
    }
    grid.CommitEdit();
  }
}

TEST_F(GridTest, EditorRefusesCellsThatCannotBeEdited) {
  Fill({{"a"}});
  grid.setColumnWidth(2, 4);
  EXPECT_EQ(grid.EditSubItem(1, 0, 0), nullptr);
  EXPECT_EQ(grid.EditSubItem(0, 3, 0), nullptr);
  EXPECT_EQ(grid.EditSubItem(0, 2, 0), nullptr);
}

TEST_F(GridTest, CopyJoinsFullRowsOrOnlyTheFirstColumn) {
  Fill({{"a", "b", "c"}, {"x", "y", "z"}, {"d", "e", "f"}});
  grid.selectRow(0);
  grid.selectionModel()->select(grid.model()->index(2, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  EXPECT_EQ(CGridCtrl::SelectionText(&grid, "\t"), "a\r\nd");  // without full-row select
  grid.SetFullRowSelect(true);
  EXPECT_EQ(CGridCtrl::CopySelectionToClipboard(&grid, "\t"), 1);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\tb\tc\r\nd\te\tf");
}

// The copy key gives the selected rows, not only the cell that has the focus.
TEST_F(GridTest, CtrlCCopiesTheSelectedRows) {
  Fill({{"a", "b", "c"}, {"d", "e", "f"}});
  grid.SetFullRowSelect(true);
  grid.setCurrentCell(1, 1);
  grid.selectAll();
  Type(&grid, Qt::Key_C, "c", Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\tb\tc\r\nd\te\tf");
}

TEST_F(GridTest, RowMovesCarryTheCheckAndStopAtTheEnds) {
  grid.SetCheckBoxes(true);
  Fill({{"r0"}, {"r1"}, {"r2"}});
  grid.SetCheck(0, true);
  grid.SetSelectionMark(0);
  EXPECT_EQ(grid.MoveRowUp(), 0);
  EXPECT_EQ(Column(0), (QStringList{"r0", "r1", "r2"}));

  EXPECT_EQ(grid.MoveRowDown(), 1);
  EXPECT_EQ(Column(0), (QStringList{"r1", "r0", "r2"}));
  EXPECT_TRUE(grid.GetCheck(1));
  EXPECT_FALSE(grid.GetCheck(0));
  EXPECT_EQ(grid.GetSelectionMark(), 1);

  grid.SetSelectionMark(2);
  EXPECT_EQ(grid.MoveRowDown(), 0);
}

TEST_F(GridTest, DeletingTheLastRowSelectsTheNewLast) {
  Fill({{"r0"}, {"r1"}, {"r2"}});
  grid.SetSelectionMark(2);
  grid.DeleteSelectedRow();
  EXPECT_EQ(Column(0), (QStringList{"r0", "r1"}));
  EXPECT_EQ(grid.GetSelectionMark(), 1);
  EXPECT_TRUE(grid.selectionModel()->isRowSelected(1, QModelIndex()));
}

TEST_F(GridTest, ColourModeFourPaintsTheWholeRowByColumnFour) {
  for (int c = 3; c < 5; ++c) grid.InsertColumn(c, "", Qt::AlignLeft, 40);
  Fill({{"a", "", "", "", "-2"}, {"b", "", "", "", "0"}, {"c", "", "", "", "7"}});
  EXPECT_FALSE(grid.CellBackground(0, 0).isValid()) << "colours are off until the owner sets them";
  grid.SetColorMode(4);
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(grid.CellBackground(0, c), QColor(255, 0, 0));
    EXPECT_EQ(grid.CellBackground(1, c), QColor(29, 219, 22));
    EXPECT_FALSE(grid.CellBackground(2, c).isValid());
  }
}

}  // namespace
