#pragma once
// The folders and tools the main window's menu opens, through the desktop's own handlers. Nothing here
// waits for what it starts; what cannot be opened stays unopened without a word (the result says so).
#include <string>

namespace desktop_tools {

// The desktop's file manager shows the folder. A folder that does not exist is neither created nor opened.
bool OpenFolder(const std::string& folder);
// A file with the desktop's handler for its type.
bool OpenFile(const std::string& path);
// The tool of one of the "Cmd" menu's commands; false when the station has none.
bool RunTool(int commandId);

}  // namespace desktop_tools
