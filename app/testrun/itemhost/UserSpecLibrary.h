#pragma once
// The model's user-spec library: a test-item library opened only for its settings window. It needs no more
// than Item_OnCreate; its settings entry is called when it has one.
#include <string>

#include "PlatformLoadlibrary.h"

// Loads the library at path, creates it with the platform's pointers and opens its settings window for the
// site. False, and nothing shown, when it does not load or lacks Item_OnCreate. The library is never freed:
// each call loads it again (the module's reference count grows) and creates it again.
bool OpenUserSpecLibrary(const std::string& path, const ItemPlatform& platform, int site);
