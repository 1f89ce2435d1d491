#pragma once
// Every board API export, declared from the one list so a definition can never drift from it.
#include "QRV_BoardApi.h"
#include "QRV_Types.h"

#define QRV_BOARD_API_DECLARE(name, result, params) QRV_EXPORT result name params;
QRV_BOARD_API(QRV_BOARD_API_DECLARE)
#undef QRV_BOARD_API_DECLARE
