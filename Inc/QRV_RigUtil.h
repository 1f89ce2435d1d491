#pragma once
// The utility library's 18 exports, in the order of their slots in the platform record. No exception leaves
// them: a read then gives its default (a registry read 0), a write, folder operation or conversion its failure
// result, the version lookup the empty text.
#include <cstdint>
#include <string>

// The registry roots, by the values of the predefined keys.
enum class RegRoot : std::uintptr_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
};

// X(name, result, parameters)
#define QRV_RIGUTIL_FUNCTIONS(X)                                                                           \
  X(IniRead_String, std::string, (const char* section, const char* key, const char* defaultText,          \
                                  const char* path))                                                       \
  X(IniRead_Int, int, (const char* section, const char* key, int defaultValue, const char* path))         \
  X(IniRead_Float, float, (const char* section, const char* key, float defaultValue, const char* path))   \
  X(IniRead_Double, double, (const char* section, const char* key, double defaultValue, const char* path)) \
  X(IniWrite_String, int, (const char* section, const char* key, const char* value, const char* path))    \
  X(IniWrite_Int, int, (const char* section, const char* key, int value, const char* path))               \
  X(IniWrite_Float, int, (const char* section, const char* key, float value, const char* path))           \
  X(IniWrite_Double, int, (const char* section, const char* key, double value, const char* path))         \
  X(RegeditRead_Int, std::uint32_t, (RegRoot root, const char* subKey, const char* name,                  \
                                     std::uint32_t defaultValue))                                          \
  X(RegeditRead_String, int, (RegRoot root, const char* subKey, const char* name, const char* defaultText,\
                              char* out, std::uint32_t outSize))                                           \
  X(RegeditWrite_Int, int, (RegRoot root, const char* subKey, const char* name, std::uint32_t value))     \
  X(RegeditWrite_String, int, (RegRoot root, const char* subKey, const char* name, const char* text))     \
  X(DirectoryCreate, int, (const char* folder))                                                            \
  X(DirectoryRemove, int, (const char* folder, int permanent))                                             \
  X(DirectoryCopy, int, (const char* sourceList, const char* destinationList))                            \
  X(UtilVersionInfo, std::string, (const char* path, const char* name))                                   \
  X(WideToMulti, int, (const char16_t* input, char* output))                                               \
  X(MultiToWide, int, (const char* input, char16_t* output))

#define QRV_RIGUTIL_TYPEDEF(name, result, params) using name##_Fn = result(*) params;
QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_TYPEDEF)
#undef QRV_RIGUTIL_TYPEDEF

inline constexpr int kRigUtilFunctionCount = 18;
