// The MES dialog's grids: the name table's places, and which grid a server's MES data shows in.
#include <gtest/gtest.h>

#include "QRV_PlatformMemory.h"
#include "mes_grids.h"
#include "mes_record.h"

namespace protocol {
namespace {

class MesGridTable : public testing::Test {
 protected:
  MesGridTable() : record_("missing_RigUtil.dll") { record_.m_nPara = 2; }
  CQRV_LoadMemory record_;
};

struct Cell {
  int row, column;
  const char* text;
};

TEST_F(MesGridTable, NamesTakeTheirPlacesInEveryBoardsGrid) {
  const MesGrids mes(&record_);
  ASSERT_EQ(mes.GridCount(), 2);
  const MesGrids::Grid grid = mes.GridOf(1);
  ASSERT_EQ(grid.size(), static_cast<std::size_t>(MesGrids::kRows));
  const std::vector<Cell> cells = {
      {0, 0, "BCD_Length"},   {16, 0, "BCD_Char_4"},    {0, 1, "NULL"},         {0, 2, "LOT"},
      {15, 2, "THROUGH"},     {16, 2, ""},              {0, 4, "FBEQP"},        {5, 4, "VCMID0"},
      {0, 6, "VCMID1"},       {3, 6, "SAEQP"},          {4, 6, "SUBSTRATEID0"}, {0, 8, "SUBSTRATEID6"},
      {4, 8, "IRCFID0"},      {3, 14, "STIFFENER9"},    {4, 14, ""},            {9, 15, "NULL"},
  };
  for (const Cell& cell : cells) {
    EXPECT_EQ(grid[cell.row][cell.column], cell.text) << cell.row << "," << cell.column;
  }
  EXPECT_EQ(MesDisplayNames().size(), 83u);
}

TEST_F(MesGridTable, MesDataShowsInItsServersGridOnly) {
  MesGrids mes(&record_);
  MesRecord data{};
  InitMesRecord(data);
  mes.ParseMesData(1, "@LOT=L77@LENSID3=X@STIFFENER9=S9", data);
  const auto shown = mes.GridOf(1);
  EXPECT_EQ(shown[0][3], "L77");
  EXPECT_EQ(shown[3][15], "S9");
  EXPECT_EQ(mes.GridOf(0)[0][3], "NULL");
  for (const auto& row : shown) {
    for (const auto& cell : row) EXPECT_NE(cell, "X");
  }
  // A server beyond the boards in use has no grid; its data is still stored.
  mes.ParseMesData(3, "@LOT=L3", data);
  EXPECT_STREQ(data.LOT, "L3");
  EXPECT_TRUE(mes.GridOf(3).empty());
}

}  // namespace
}  // namespace protocol
