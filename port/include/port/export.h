#pragma once
// Symbols of libqrv_port.so that every deliverable links against.
#define PORT_API __attribute__((visibility("default")))
