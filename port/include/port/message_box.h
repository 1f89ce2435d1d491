#pragma once
#include <string>
#include <vector>

#include "port/export.h"

// Message boxes: a QMessageBox on the UI thread in a GUI run; in a headless run (QRV_HEADLESS=1, every
// test) the text goes to standard error and a scripted answer comes back. Either way the box is recorded,
// so tests can read which boxes were shown.
namespace port {

enum MessageBoxType : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbYesNoCancel = 0x3,
  kMbYesNo = 0x4,
  kMbIconError = 0x10,
  kMbIconQuestion = 0x20,
  kMbIconWarning = 0x30,
  kMbIconInformation = 0x40,
};

enum MessageBoxAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

struct ShownMessageBox {
  std::string text;
  std::string caption;
  unsigned type;
};

// Blocks until answered; from a worker thread it waits for the UI thread and gives up (kIdCancel)
// when the station is closing.
PORT_API int MessageBox(const std::string& text, const std::string& caption = "QRVBase",
                        unsigned type = kMbOk);

PORT_API bool IsHeadless();
// Headless answers are taken in order; when none is queued, the default button's answer is given
// (OK, or Yes for Yes/No boxes).
PORT_API void QueueMessageBoxAnswer(int answer);
PORT_API std::vector<ShownMessageBox> ShownMessageBoxes();
PORT_API void ClearShownMessageBoxes();

}  // namespace port
