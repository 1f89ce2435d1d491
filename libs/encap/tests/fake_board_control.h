#pragma once
// Reaches the fake board library that a facade under test has loaded.
#include <dlfcn.h>

#include <string>

namespace encap_test {

class FakeBoardControl {
 public:
  // `path`: the fake library file, already loaded by the facade.
  explicit FakeBoardControl(const std::string& path) : module_(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {}
  ~FakeBoardControl() {
    if (module_) dlclose(module_);
  }
  FakeBoardControl(const FakeBoardControl&) = delete;
  FakeBoardControl& operator=(const FakeBoardControl&) = delete;

  bool Loaded() const { return module_ != nullptr; }
  void SetResult(const char* name, long long result) const {
    reinterpret_cast<void (*)(const char*, long long)>(dlsym(module_, "FakeBoard_SetResult"))(name, result);
  }
  std::string Calls() const {
    auto calls = reinterpret_cast<int (*)(char*, int)>(dlsym(module_, "FakeBoard_Calls"));
    std::string text(static_cast<std::size_t>(calls(nullptr, 0)) + 1, '\0');
    calls(text.data(), static_cast<int>(text.size()));
    text.pop_back();
    return text;
  }
  void Clear() const { reinterpret_cast<void (*)()>(dlsym(module_, "FakeBoard_Clear"))(); }
  std::string LastCall() const {
    char text[512] = {};
    reinterpret_cast<void (*)(char*, int)>(dlsym(module_, "FakeBoard_LastCall"))(text, sizeof text);
    return text;
  }

 private:
  void* module_;
};

}  // namespace encap_test
