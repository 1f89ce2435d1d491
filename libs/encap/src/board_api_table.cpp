#include "board_api_table.h"

#include <dlfcn.h>

#include "port/module.h"

namespace encap {
namespace {

struct BoardName {
  const char* name;
  bool required;
};

constexpr std::array<BoardName, kEncapWrapperCount> kBoardNames = {{
#define QRV_ENCAP_BOARD_NAME(facade, board, logId, required) {#board, required != 0},
    QRV_ENCAP_WRAPPERS(QRV_ENCAP_BOARD_NAME)
#undef QRV_ENCAP_BOARD_NAME
}};

// The folder this library was loaded from: the board library lies beside it.
std::string OwnFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || !info.dli_fname) return port::ProgramFolder();
  const std::string path = info.dli_fname;
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

BoardApiTable::BoardApiTable(const std::string& folder) {
  module_ = port::LoadModule(folder + "/" + kBoardApiFileName);
  if (!module_) {
    problems_.emplace_back("HW_Velkara_Encapsulation.dll Loadlibrary Fail");
    return;
  }
  bool complete = true;
  for (std::size_t i = 0; i < kBoardNames.size(); ++i) {
    entries_[i] = port::FindSymbol(module_, kBoardNames[i].name);
    if (!entries_[i] && kBoardNames[i].required) complete = false;
  }
  if (!complete) problems_.emplace_back("HW_Velkara_Encapsulation.dll Function Error");
}

BoardApiTable::~BoardApiTable() { port::FreeModule(module_); }

const BoardApiTable& BoardApi() {
  static const BoardApiTable table(OwnFolder());
  return table;
}

}  // namespace encap
