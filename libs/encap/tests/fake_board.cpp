// A stand-in board library for the facade's tests: every board export, typed as in the board API list,
// records its name and arguments and returns the result a test programmed for that name (default 1).
#include <cstdio>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "QRV_BoardApi.h"
#include "QRV_Types.h"

namespace {

std::mutex mutex;
std::map<std::string, long long> results;
std::string lastCall;
std::vector<std::string> calls;

template <typename T>
void Put(std::ostringstream& out, const T& value) {
  if constexpr (std::is_pointer_v<T>) {
    out << static_cast<const void*>(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    out << value;
  } else {
    out << static_cast<long long>(value);
  }
}

constexpr const char* kNames[] = {
#define FAKE_NAME(name, result, params) #name,
    QRV_BOARD_API(FAKE_NAME)
#undef FAKE_NAME
};

template <std::size_t Index, typename Fn>
struct Fake;

template <std::size_t Index, typename R, typename... A>
struct Fake<Index, R (*)(A...)> {
  static R Call(A... args) {
    std::ostringstream out;
    out << kNames[Index] << '(';
    bool first = true;
    ((out << (first ? "" : ","), Put(out, args), first = false), ...);
    out << ')';
    const std::lock_guard lock(mutex);
    lastCall = out.str();
    if (calls.size() < 100000) calls.push_back(lastCall);
    const auto found = results.find(kNames[Index]);
    return static_cast<R>(found == results.end() ? 1 : found->second);
  }
};

enum FakeIndex : std::size_t {
#define FAKE_INDEX(name, result, params) k_##name,
  QRV_BOARD_API(FAKE_INDEX)
#undef FAKE_INDEX
};

}  // namespace

QRV_EXPORT void FakeBoard_SetResult(const char* name, long long result) {
  const std::lock_guard lock(mutex);
  results[name] = result;
}

QRV_EXPORT void FakeBoard_LastCall(char* out, int size) {
  const std::lock_guard lock(mutex);
  std::snprintf(out, static_cast<std::size_t>(size), "%s", lastCall.c_str());
}

// Every call since the last clear, one a line.
QRV_EXPORT int FakeBoard_Calls(char* out, int size) {
  const std::lock_guard lock(mutex);
  std::string text;
  for (const std::string& call : calls) text += call + "\n";
  std::snprintf(out, static_cast<std::size_t>(size), "%s", text.c_str());
  return static_cast<int>(text.size());
}

QRV_EXPORT void FakeBoard_Clear() {
  const std::lock_guard lock(mutex);
  calls.clear();
  results.clear();
}

#define FAKE_EXPORT(name, result, params)                                                              \
  extern "C" Fn_##name name##_Resolve() { return &Fake<k_##name, Fn_##name>::Call; } \
  QRV_EXPORT std::remove_pointer_t<Fn_##name> name __attribute__((ifunc(#name "_Resolve")));
QRV_BOARD_API(FAKE_EXPORT)
#undef FAKE_EXPORT
