#pragma once
// Every binder entry is defined with exactly the type the binder's list gives it.
#include <type_traits>

#include "QRV_InterFace_SW.h"

#define QRV_SW_CHECK_EXPORT(name) static_assert(std::is_same_v<decltype(&::name), name##_Fn>, #name)
