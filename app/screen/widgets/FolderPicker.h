#pragma once
// The program's folder picker.
#include <string>

// The empty text when cancelled (and in a headless run).
std::string BrowseFolder();
