// The built facade loaded from a folder with a fake board library beside it, as the hardware library
// loads it: binding, its messages and the export table.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "EncapsulationTable.h"
#include "fake_board_control.h"
#include "port/message_box.h"

namespace {

namespace fs = std::filesystem;

// A private copy of the facade, with `board` (a fake library file, or none) beside it.
class LoadedFacade {
 public:
  LoadedFacade(const std::string& name, const char* board) {
    folder_ = fs::temp_directory_path() / ("encap_load_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(QRV_FACADE_FILE, folder_ / kEncapsulationFileName);
    if (board) fs::copy_file(board, folder_ / kBoardApiFileName);
    port::ClearShownMessageBoxes();
    module_ = dlopen((folder_ / kEncapsulationFileName).c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  ~LoadedFacade() {
    if (module_) dlclose(module_);
    fs::remove_all(folder_);
  }
  template <typename Fn>
  Fn Find(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(module_, name));
  }
  void* module() const { return module_; }
  std::string BoardFile() const { return (folder_ / kBoardApiFileName).string(); }

 private:
  fs::path folder_;
  void* module_ = nullptr;
};

std::vector<std::string> ShownTexts() {
  std::vector<std::string> texts;
  for (const auto& box : port::ShownMessageBoxes()) texts.push_back(box.text);
  return texts;
}

TEST(FacadeLoad, ExportsAllNamesInTableOrderAndForwards) {
  LoadedFacade facade("full", QRV_FAKE_BOARD_FULL);
  ASSERT_NE(facade.module(), nullptr) << dlerror();
  const char* names[] = {"OnInit", "OnSpecDlg",
#define NAME(facade, board, logId, required) #facade,
                         QRV_ENCAP_WRAPPERS(NAME)
#undef NAME
  };
  ASSERT_EQ(std::size(names), static_cast<std::size_t>(kEncapExportCount));
  for (const char* name : names) EXPECT_NE(dlsym(facade.module(), name), nullptr) << name;

  facade.Find<OnInit_Fn>("OnInit")();
  EXPECT_TRUE(ShownTexts().empty());
  const encap_test::FakeBoardControl board(facade.BoardFile());
  board.SetResult("VKL_GPIOWrite", -2);
  EXPECT_EQ(facade.Find<Fn_VKL_GPIOWrite>("GPIOWrite")(1, 3, 0), -2);
  EXPECT_EQ(board.LastCall(), "VKL_GPIOWrite(1,3,0)");
  EXPECT_EQ(facade.Find<EncapOnSpecDlg_Fn>("OnSpecDlg")(), 1);
}

TEST(FacadeLoad, MissingOptionalNameIsSilent) {
  LoadedFacade facade("optional", QRV_FAKE_BOARD_NO_OPTIONAL);
  ASSERT_NE(facade.module(), nullptr) << dlerror();
  facade.Find<OnInit_Fn>("OnInit")();
  EXPECT_TRUE(ShownTexts().empty());
  // An unbound entry fails instead of calling through nothing.
  int32_t offsets[8] = {};
  EXPECT_EQ(facade.Find<Fn_VKL_DynamicOffset_Ex>("DynamicOffset_Ex")(0, offsets, nullptr, nullptr, 1.8f, 1), 0);
}

TEST(FacadeLoad, MissingRequiredNameIsToldOnceAtInit) {
  LoadedFacade facade("required", QRV_FAKE_BOARD_NO_REQUIRED);
  ASSERT_NE(facade.module(), nullptr) << dlerror();
  EXPECT_TRUE(ShownTexts().empty());
  facade.Find<OnInit_Fn>("OnInit")();
  facade.Find<OnInit_Fn>("OnInit")();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"HW_Velkara_Encapsulation.dll Function Error"});
  EXPECT_EQ(facade.Find<Fn_VKL_SEN_ResetPin>("SEN_ResetPin")(0, 1), 1);
}

TEST(FacadeLoad, MissingBoardLibraryLoadsTheFacadeAllTheSame) {
  LoadedFacade facade("none", nullptr);
  ASSERT_NE(facade.module(), nullptr) << dlerror();
  facade.Find<OnInit_Fn>("OnInit")();
  EXPECT_EQ(ShownTexts(), std::vector<std::string>{"HW_Velkara_Encapsulation.dll Loadlibrary Fail"});
  EXPECT_EQ(facade.Find<Fn_VKL_OpenDevice>("OpenDevice")(), 0);
}

}  // namespace
