#pragma once
// Exports of the hardware library outside its function table, found by name: a site's test holds its board
// for the whole run, so that the setup dialog never drives the board meanwhile. AcquireBoard waits up to
// waitMs while the dialog holds the board and returns 1 when the site has it, 0 when not; ReleaseBoard gives
// a held board back.
namespace hwtable {

using AcquireBoard_Fn = int (*)(int board, int site, int waitMs);
using ReleaseBoard_Fn = void (*)(int board);

}  // namespace hwtable
