#pragma once
// The item's result codes; ErrorCode.ini of the model that runs it gives each its text and handler code. They
// start above 100: the handler link reports a pass as 1, so no failure may be 1.
namespace module_item {

enum ResultCode : int {
  kPass = 0,
  kNoPlatform = 101,        // no hardware table, image library or record
  kPowerUpFail = 102,       // the power-up sequence failed (board not answering, supply, clock, pins)
  kRegisterFail = 103,      // the sensor refused the model's register script
  kStreamFail = 104,        // the receiver did not take the resolution or did not start
  kGrabFail = 105,          // no frame within the time-out
  kCrcFail = 106,           // a line's CRC did not match, or the receiver flagged it
  kCurrentMeasureFail = 107,
  kCurrentOutOfLimit = 108,
  kOpenShortMeasureFail = 109,
  kOpenPin = 110,
  kShortPin = 111,
  kPowerDownFail = 112,
};

}  // namespace module_item
