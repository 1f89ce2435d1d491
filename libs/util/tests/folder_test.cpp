#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "RigUtilLibrary.h"
#include "qrv_test/temp_dir.h"
#include "util/FolderOps.h"

namespace fs = std::filesystem;

namespace {

class RigUtilFolderTest : public RigUtilTest {
 protected:
  std::string Path(const std::string& name) const { return dir.File(name); }
  void MakeFile(const std::string& name, const std::string& text = "data") const {
    fs::create_directories(fs::path(Path(name)).parent_path());
    std::ofstream(Path(name)) << text;
  }
  // A double-NUL list of the given paths.
  static std::string List(std::initializer_list<std::string> paths) {
    std::string list;
    for (const auto& path : paths) list += path + '\0';
    return list + '\0';
  }
  qrv::test::TempDir dir;
};

TEST_F(RigUtilFolderTest, CreateMakesParentsAndReportsZeroForAnExistingFolder) {
  const std::string nested = Path("a/b/c");
  EXPECT_EQ(lib.DirectoryCreate(nested.c_str()), 1);
  EXPECT_TRUE(fs::is_directory(nested));
  EXPECT_EQ(lib.DirectoryCreate(nested.c_str()), 0);
}

TEST_F(RigUtilFolderTest, PermanentRemoveDeletesTheTree) {
  MakeFile("tree/sub/f.txt");
  EXPECT_EQ(lib.DirectoryRemove(Path("tree").c_str(), 1), 1);
  EXPECT_FALSE(fs::exists(Path("tree")));
  EXPECT_EQ(lib.DirectoryRemove(Path("tree").c_str(), 1), 0);
}

TEST_F(RigUtilFolderTest, RemoveWithoutPermanentGoesToTheTrash) {
  MakeFile("trashed_tree/f.txt");
  EXPECT_EQ(lib.DirectoryRemove(Path("trashed_tree").c_str(), 0), 1);
  EXPECT_FALSE(fs::exists(Path("trashed_tree")));
  const fs::path trash = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files" / "trashed_tree";
  EXPECT_TRUE(fs::exists(trash / "f.txt"));
}

// A path too long for the remove buffer is refused, never cut: the cut path names another folder.
TEST_F(RigUtilFolderTest, OverlongRemovePathIsRefusedNotCut) {
  const std::string longPath =
      Path(std::string(200, 'a') + "/" + std::string(200, 'b') + "/" + std::string(200, 'c'));
  const std::string cutPath = longPath.substr(0, util::folder::kMaxRemovePath + 1);
  fs::create_directories(cutPath);
  EXPECT_EQ(lib.DirectoryRemove(longPath.c_str(), 1), 0);
  EXPECT_TRUE(fs::is_directory(cutPath));
}

// Paths up to 510 characters are removed: with its two terminators such a path fills the 512-byte buffer.
TEST_F(RigUtilFolderTest, RemoveTakesPathsUpTo510Characters) {
  for (const auto& [length, removed] : {std::pair<std::size_t, int>{510, 1}, {511, 0}}) {
    // Folder names of at most 200 characters, the last one making up the length.
    std::string path = Path(std::to_string(length));
    while (length - path.size() > 201) path += "/" + std::string(199, 'x');
    path += "/" + std::string(length - path.size() - 1, 'y');
    ASSERT_EQ(path.size(), length);
    ASSERT_TRUE(fs::create_directories(path));
    EXPECT_EQ(lib.DirectoryRemove(path.c_str(), 1), removed) << length;
    EXPECT_EQ(fs::exists(path), removed == 0) << length;
  }
}

TEST_F(RigUtilFolderTest, CopyToANewNameTakesThatName) {
  MakeFile("src/sub/f.txt", "one");
  ASSERT_EQ(lib.DirectoryCopy(List({Path("src")}).c_str(), List({Path("dst")}).c_str()), 0);
  std::string text;
  std::ifstream(Path("dst/sub/f.txt")) >> text;
  EXPECT_EQ(text, "one");
}

TEST_F(RigUtilFolderTest, CopyIntoAFolderRenamesOnCollision) {
  MakeFile("src/f.txt");
  fs::create_directories(Path("dst"));
  const std::string source = List({Path("src")});
  const std::string destination = List({Path("dst")});
  ASSERT_EQ(lib.DirectoryCopy(source.c_str(), destination.c_str()), 0);
  ASSERT_EQ(lib.DirectoryCopy(source.c_str(), destination.c_str()), 0);
  ASSERT_EQ(lib.DirectoryCopy(source.c_str(), destination.c_str()), 0);
  EXPECT_TRUE(fs::exists(Path("dst/src/f.txt")));
  EXPECT_TRUE(fs::exists(Path("dst/src - Copy/f.txt")));
  EXPECT_TRUE(fs::exists(Path("dst/src - Copy (2)/f.txt")));

  ASSERT_EQ(lib.DirectoryCopy(List({Path("src/f.txt")}).c_str(), List({Path("src")}).c_str()), 0);
  EXPECT_TRUE(fs::exists(Path("src/f - Copy.txt")));
}

TEST_F(RigUtilFolderTest, CopyTakesEveryEntryOfTheListAndWildcards) {
  MakeFile("one.txt");
  MakeFile("two.txt");
  MakeFile("pics/a.bmp");
  MakeFile("pics/b.bmp");
  MakeFile("pics/c.jpg");
  ASSERT_EQ(lib.DirectoryCopy(List({Path("one.txt"), Path("two.txt")}).c_str(), List({Path("out")}).c_str()), 0);
  EXPECT_TRUE(fs::exists(Path("out/one.txt")));
  EXPECT_TRUE(fs::exists(Path("out/two.txt")));
  ASSERT_EQ(lib.DirectoryCopy(List({Path("pics/*.bmp")}).c_str(), List({Path("bmp")}).c_str()), 0);
  EXPECT_TRUE(fs::exists(Path("bmp/a.bmp")));
  EXPECT_TRUE(fs::exists(Path("bmp/b.bmp")));
  EXPECT_FALSE(fs::exists(Path("bmp/c.jpg")));
}

TEST_F(RigUtilFolderTest, CopyFailuresReturnTheirCodes) {
  MakeFile("src/f.txt");
  EXPECT_EQ(lib.DirectoryCopy(List({Path("absent")}).c_str(), List({Path("dst")}).c_str()),
            util::folder::kErrorFileNotFound);
  EXPECT_EQ(lib.DirectoryCopy(List({Path("src")}).c_str(), List({Path("src/inner")}).c_str()),
            util::folder::kErrorDestinationInSource);
  EXPECT_EQ(lib.DirectoryCopy("", List({Path("dst")}).c_str()), util::folder::kErrorInvalidParameter);
  EXPECT_FALSE(fs::exists(Path("src/inner/src")));
}

}  // namespace
