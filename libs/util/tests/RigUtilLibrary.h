#pragma once
// The built utility library, loaded and bound by name as the platform record binds it.
#include <gtest/gtest.h>

#include "QRV_RigUtil.h"
#include "port/module.h"

struct RigUtilLibrary {
  RigUtilLibrary() : module(port::LoadModule(QRV_RIGUTIL_LIBRARY)) {
#define QRV_RIGUTIL_BIND(name, result, params) name = port::FindFunction<name##_Fn>(module, #name);
    QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_BIND)
#undef QRV_RIGUTIL_BIND
  }
  ~RigUtilLibrary() { port::FreeModule(module); }
  RigUtilLibrary(const RigUtilLibrary&) = delete;
  RigUtilLibrary& operator=(const RigUtilLibrary&) = delete;

  port::ModuleHandle module;
#define QRV_RIGUTIL_SLOT(name, result, params) name##_Fn name = nullptr;
  QRV_RIGUTIL_FUNCTIONS(QRV_RIGUTIL_SLOT)
#undef QRV_RIGUTIL_SLOT
};

class RigUtilTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(lib.module, nullptr) << port::LastModuleError(); }
  RigUtilLibrary lib;
};
