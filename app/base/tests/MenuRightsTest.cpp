// The menu-rights table: which prefix a login reads, how a flag is read, and what a missing, short or garbled
// value gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "MenuRights.h"
#include "ProgramFolder.h"
#include "Util.h"
#include "port/ini.h"
#include "qrv_test/temp_dir.h"

namespace {

class MenuRightsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramFolder::SetRoot(root.path());
    std::filesystem::create_directories(root.File("Config"));
  }
  void TearDown() override { ProgramFolder::SetRoot({}); }

  std::string Stored(const std::string& key) const {
    return port::ini::ReadString(root.File("Config/QRV_Config.ini"), "MENU_ENABLE", key, "<missing>");
  }
  void Set(const std::string& key, const std::string& value) const {
    port::ini::WriteString(root.File("Config/QRV_Config.ini"), "MENU_ENABLE", key.c_str(), value.c_str());
  }
  static const MenuPopup& MainGroup(const char* key) {
    for (const MenuPopup& group : menu_table::MainMenu())
      if (std::string(group.rightsKey) == key) return group;
    throw std::runtime_error(key);
  }

  qrv::test::TempDir root;
};

TEST_F(MenuRightsTest, PrefixFollowsTheLoginState) {
  struct Case {
    int loggedIn;
    unsigned level;
    const char* prefix;
  };
  const Case cases[] = {{0, 2, "OP_"}, {0, 0, "OP_"}, {1, 0, "OP_"}, {1, 1, "MT_"},
                        {1, 2, "EN_"}, {1, 3, nullptr}, {1, 12, nullptr}};
  for (const Case& c : cases) {
    const char* prefix = menu_rights::Prefix(c.loggedIn, c.level);
    EXPECT_EQ(prefix == nullptr ? std::string("none") : std::string(prefix),
              c.prefix == nullptr ? std::string("none") : std::string(c.prefix))
        << c.loggedIn << "/" << c.level;
  }
  EXPECT_STREQ(menu_rights::PrefixOfLevel(1), "MT_");
  EXPECT_EQ(menu_rights::PrefixOfLevel(3), nullptr);
}

TEST_F(MenuRightsTest, AFieldEnablesWhenItsLeadingIntegerIsNotZero) {
  struct Case {
    const char* field;
    bool enables;
  };
  const Case cases[] = {{"1", true},  {"2", true},   {"-1", true}, {" 1", true},  {"0", false},
                        {"00", false}, {"1x", true}, {"x", false}, {"", false},   {" ", false},
                        {"+", false}, {"99999999999999999999", true}};
  for (const Case& c : cases) EXPECT_EQ(menu_rights::FieldEnables(c.field), c.enables) << '"' << c.field << '"';
}

TEST_F(MenuRightsTest, TheTablesHoldFortyThreeDistinctCommandsAndTheItemListsFour) {
  std::set<int> ids;
  int count = 0;
  for (const auto* menu : {&menu_table::MainMenu(), &menu_table::PanelMenu()})
    for (const MenuPopup& group : *menu)
      for (const MenuCommand& command : group.Commands()) {
        ids.insert(command.id);
        ++count;
      }
  EXPECT_EQ(count, 43);
  EXPECT_EQ(ids.size(), 43u);
  EXPECT_EQ(menu_table::ItemListMenu().Commands().size(), 4u);
}

// A station without rights of its own: every key of the prefix is written with its default, and an operator
// keeps only Login and DC Save.
TEST_F(MenuRightsTest, MissingKeysTakeTheDefaultsAndAreWrittenBack) {
  int enabled = 0;
  for (const auto* menu : {&menu_table::MainMenu(), &menu_table::PanelMenu()})
    for (const MenuPopup& group : *menu) {
      const std::vector<bool> flags = menu_rights::Read("OP_", group);
      const std::vector<MenuCommand> commands = group.Commands();
      ASSERT_EQ(flags.size(), commands.size());
      for (std::size_t i = 0; i < flags.size(); ++i) {
        if (!flags[i]) continue;
        ++enabled;
        EXPECT_TRUE(commands[i].id == menu_table::kLogin || commands[i].id == menu_table::kDcSave) << commands[i].text;
      }
      EXPECT_EQ(Stored(std::string("OP_") + group.rightsKey), menu_rights::DefaultFlags(group, "OP_"));
    }
  EXPECT_EQ(enabled, 2);
  EXPECT_EQ(Stored("OP_File"), "1;0;1;");
  EXPECT_EQ(Stored("OP_Cmd"), "0;0;0;0;0;0;0;0;0;");
  EXPECT_EQ(Stored("OP_UiMnanager"), "0;");
  EXPECT_EQ(Stored("MT_File"), "<missing>") << "only the prefix read is written";
  EXPECT_EQ(menu_rights::DefaultFlags(MainGroup("Cmd"), "EN_"), "1;1;1;1;1;1;1;1;1;");
}

// Rights fail closed: whatever field is missing, empty or no number greys its command, even where the
// prefix's default would enable it; the value stays as the station's engineer wrote it.
TEST_F(MenuRightsTest, MissingEmptyOrGarbledFieldsGreyTheirCommands) {
  struct Case {
    const char* prefix;
    const char* group;
    const char* value;
    std::vector<bool> flags;
  };
  const Case cases[] = {
      {"MT_", "File", "1;1;", {true, true, false}},                    // a field missing: the list is short
      {"EN_", "File", "1;", {true, false, false}},                     // two fields missing
      {"MT_", "Cmd", "", std::vector<bool>(9, false)},                 // an empty value
      {"EN_", "View", ";1;", {false, true}},                           // an empty field
      {"EN_", "View", "1; ;", {true, false}},                          // a blank field
      {"EN_", "TestOption", "x;1;", {false, true}},                    // a field that is no number
      {"MT_", "View", "1;garbage", {true, false}},                     // garbage in place of the last
      {"EN_", "About", "yes", {false, false}},                         // a word for the whole list
      {"EN_", "UserSpec", "+;", {false}},                              // a sign without digits
      {"OP_", "File", "0;1;", {false, true, false}},                   // the Operator's default does not fill in
      {"EN_", "About", "2;-1;", {true, true}},                         // numbers other than 1 still enable
      {"EN_", "FolderOpen", "0;0;0;0;0;0;0;1;1;1;", {false, false, false, false, false, false, false}},
  };
  for (const Case& c : cases) {
    const std::string key = std::string(c.prefix) + c.group;
    Set(key, c.value);
    EXPECT_EQ(menu_rights::Read(c.prefix, MainGroup(c.group)), c.flags) << key << "=" << c.value;
    EXPECT_EQ(Stored(key), c.value);
  }
}

}  // namespace
