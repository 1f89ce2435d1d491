// The 18 exports, in the order of their slots in the platform record.
#include <type_traits>
#include <utility>

#include "QRV_RigUtil.h"
#include "QRV_Types.h"
#include "port/catch_all.h"
#include "port/registry.h"
#include "port/version.h"
#include "util/FolderOps.h"
#include "util/IniRules.h"
#include "util/RegistryRules.h"
#include "util/TextConvert.h"

using util::ini::OpenPath;

namespace {

// The interface's roots carry the same values as the registry's.
port::registry::Root ToRegistryRoot(RegRoot root) { return static_cast<port::registry::Root>(root); }

// No exception reaches a caller, which may be C code or another module: an export that meets one gives what
// it gives when its file, key or folder cannot be used, and that result is the whole report.
template <typename R, typename Fn>
R Guarded(R failure, const Fn& fn) noexcept {
  return port::ValueOrFailure(std::move(failure), fn, [](const char*) {});
}

}  // namespace

QRV_EXPORT std::string IniRead_String(const char* section, const char* key, const char* defaultText,
                                      const char* path) {
  // A read that fails gives its default, as for a missing file; the empty text only if not even that can be had.
  return Guarded(std::string(), [&] {
    return Guarded(util::ini::ReadText(std::string(), section, key, defaultText),
                   [&] { return util::ini::ReadText(OpenPath(path), section, key, defaultText); });
  });
}

QRV_EXPORT int IniRead_Int(const char* section, const char* key, int defaultValue, const char* path) {
  return Guarded(defaultValue, [&] { return util::ini::ReadInt(OpenPath(path), section, key, defaultValue); });
}

QRV_EXPORT float IniRead_Float(const char* section, const char* key, float defaultValue, const char* path) {
  return Guarded(defaultValue, [&] { return util::ini::ReadFloat(OpenPath(path), section, key, defaultValue); });
}

QRV_EXPORT double IniRead_Double(const char* section, const char* key, double defaultValue, const char* path) {
  return Guarded(defaultValue, [&] { return util::ini::ReadDouble(OpenPath(path), section, key, defaultValue); });
}

QRV_EXPORT int IniWrite_String(const char* section, const char* key, const char* value, const char* path) {
  return Guarded(0, [&] { return util::ini::WriteText(OpenPath(path), section, key, value); });
}

QRV_EXPORT int IniWrite_Int(const char* section, const char* key, int value, const char* path) {
  return Guarded(0, [&] { return util::ini::WriteInt(OpenPath(path), section, key, value); });
}

QRV_EXPORT int IniWrite_Float(const char* section, const char* key, float value, const char* path) {
  return Guarded(0, [&] { return util::ini::WriteFloat(OpenPath(path), section, key, value); });
}

QRV_EXPORT int IniWrite_Double(const char* section, const char* key, double value, const char* path) {
  return Guarded(0, [&] { return util::ini::WriteDouble(OpenPath(path), section, key, value); });
}

QRV_EXPORT std::uint32_t RegeditRead_Int(RegRoot root, const char* subKey, const char* name,
                                         std::uint32_t defaultValue) {
  return Guarded(std::uint32_t{0},
                 [&] { return util::reg::ReadInt(ToRegistryRoot(root), subKey, name, defaultValue); });
}

QRV_EXPORT int RegeditRead_String(RegRoot root, const char* subKey, const char* name, const char* defaultText,
                                  char* out, std::uint32_t outSize) {
  return Guarded(0, [&] {
    return util::reg::ReadString(ToRegistryRoot(root), subKey, name, defaultText, out, outSize);
  });
}

QRV_EXPORT int RegeditWrite_Int(RegRoot root, const char* subKey, const char* name, std::uint32_t value) {
  return Guarded(0, [&] { return util::reg::WriteInt(ToRegistryRoot(root), subKey, name, value); });
}

QRV_EXPORT int RegeditWrite_String(RegRoot root, const char* subKey, const char* name, const char* text) {
  return Guarded(0, [&] { return util::reg::WriteString(ToRegistryRoot(root), subKey, name, text); });
}

QRV_EXPORT int DirectoryCreate(const char* folder) {
  return Guarded(0, [&] { return util::folder::CreateFolder(folder ? folder : ""); });
}

QRV_EXPORT int DirectoryRemove(const char* folder, int permanent) {
  return Guarded(0, [&] { return util::folder::RemoveFolder(folder ? folder : "", permanent != 0); });
}

QRV_EXPORT int DirectoryCopy(const char* sourceList, const char* destinationList) {
  return Guarded(util::folder::kErrorAccessDenied,
                 [&] { return util::folder::CopyFolders(sourceList, destinationList); });
}

QRV_EXPORT std::string UtilVersionInfo(const char* path, const char* name) {
  return Guarded(std::string(), [&] {
    if (!path || !name) return std::string();
    const std::string file = OpenPath(path);
    return util::folder::PathExists(file) ? port::ReadVersionString(file, name) : std::string();
  });
}

QRV_EXPORT int WideToMulti(const char16_t* input, char* output) {
  return Guarded(0, [&] { return util::WideToMulti(input, output); });
}

QRV_EXPORT int MultiToWide(const char* input, char16_t* output) {
  return Guarded(0, [&] { return util::MultiToWide(input, output); });
}

// Every export has exactly the type of its slot in the record.
#define QRV_RIGUTIL_CHECK(name, result, params) \
  static_assert(std::is_same_v<decltype(&name), name##_Fn>, #name " differs from its slot");
QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_CHECK)
#undef QRV_RIGUTIL_CHECK
