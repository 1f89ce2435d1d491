// An exception inside an export stays inside it: the caller, which may be C code or another module, gets the
// export's failure value. The exceptions come from this binary's own versions of the platform functions the
// exports stand on; the dynamic linker binds the library to them first, as a test binary's symbols are
// exported. Nothing else in this binary may use them.
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "RigUtilLibrary.h"
#include "port/path.h"
#include "port/registry.h"
#include "port/text.h"

namespace port {

std::string NormalizePath(std::string_view) { throw std::runtime_error("path rules failed"); }
std::u16string Utf8ToUtf16(std::string_view) { throw std::bad_alloc(); }
std::string Utf16ToUtf8(std::u16string_view) { throw std::bad_alloc(); }

namespace registry {
bool CreateKey(Root, const std::string&) { throw std::runtime_error("store failed"); }
}  // namespace registry

}  // namespace port

namespace {

constexpr RegRoot kUser = RegRoot::CurrentUser;
constexpr const char* kKey = "Software\\QRV\\Platform\\SYSTEM\\";
constexpr const char* kIni = "Config/QRV_Config.ini";

using RigUtilExportGuardTest = RigUtilTest;

// Reads give their default (the registry's 0, as for a store that cannot be opened); writes, folder operations
// and conversions their failure result; the version lookup the empty text.
TEST_F(RigUtilExportGuardTest, AnExceptionInsideAnExportGivesItsFailureValue) {
  char text[8] = "keep";
  char narrow[8] = {};
  char16_t wide[8] = {};
  const std::pair<const char*, std::function<bool()>> calls[] = {
      {"IniRead_String", [&] { return lib.IniRead_String("S", "K", "dflt", kIni) == "dflt"; }},
      {"IniRead_Int", [&] { return lib.IniRead_Int("S", "K", 17, kIni) == 17; }},
      {"IniRead_Float", [&] { return lib.IniRead_Float("S", "K", 2.5f, kIni) == 2.5f; }},
      {"IniRead_Double", [&] { return lib.IniRead_Double("S", "K", 3.25, kIni) == 3.25; }},
      {"IniWrite_String", [&] { return lib.IniWrite_String("S", "K", "v", kIni) == 0; }},
      {"IniWrite_Int", [&] { return lib.IniWrite_Int("S", "K", 1, kIni) == 0; }},
      {"IniWrite_Float", [&] { return lib.IniWrite_Float("S", "K", 1.0f, kIni) == 0; }},
      {"IniWrite_Double", [&] { return lib.IniWrite_Double("S", "K", 1.0, kIni) == 0; }},
      {"RegeditRead_Int", [&] { return lib.RegeditRead_Int(kUser, kKey, "Value", 17u) == 0u; }},
      {"RegeditRead_String",
       [&] { return lib.RegeditRead_String(kUser, kKey, "Name", "dflt", text, sizeof text) == 0 &&
                    std::string(text) == "keep"; }},
      {"RegeditWrite_Int", [&] { return lib.RegeditWrite_Int(kUser, kKey, "Value", 1u) == 0; }},
      {"RegeditWrite_String", [&] { return lib.RegeditWrite_String(kUser, kKey, "Name", "x") == 0; }},
      {"DirectoryCreate", [&] { return lib.DirectoryCreate("Image capture/Lot") == 0; }},
      {"DirectoryRemove", [&] { return lib.DirectoryRemove("Image capture/Lot", 1) == 0; }},
      {"DirectoryCopy", [&] { return lib.DirectoryCopy("Ref/M\0", "Ref/N\0") == 0x5; }},
      {"UtilVersionInfo", [&] { return lib.UtilVersionInfo("Dll/Item.dll", "FileVersion").empty(); }},
      {"WideToMulti", [&] { return lib.WideToMulti(u"abc", narrow) == 0; }},
      {"MultiToWide", [&] { return lib.MultiToWide("abc", wide) == 0; }},
  };
  for (const auto& [name, givesFailureValue] : calls) {
    bool gave = false;
    EXPECT_NO_THROW(gave = givesFailureValue()) << name;
    EXPECT_TRUE(gave) << name;
  }
}

}  // namespace
