#pragma once
// Opening a folder or file with the desktop's default handler, as the shell's "open" verb did.
#include <string>

// Nothing is created for a path that does not exist, and no handler is waited for: either failure is told
// in a message box and gives false. A headless run checks the path and launches nothing.
bool OpenWithShell(const std::string& path);
