#pragma once
// Window messages that cross deliverable boundaries (sent with port::SendMessage).

// WM_USER: the first message number free for a program's own use.
inline constexpr unsigned kWmUserBase = 0x0400;
// The protocol library's command text ("STOP", "LOT_NUMBER,<lot>") to the site panel.
inline constexpr unsigned kWmProtocolCommand = kWmUserBase + 102;
// To the main window: close the program for a change of model reference (the close question says so).
inline constexpr unsigned kWmRefAutoChange = kWmUserBase + 105;
