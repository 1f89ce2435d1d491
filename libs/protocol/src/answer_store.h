#pragma once
// The handler's answers to the test items' requests, as the worker stores them.
#include "protocol_packet.h"
#include "server_line.h"

namespace protocol {

// Stores the values of an answer and then sets its flag; false when the packet is no such answer.
// Answers are not acknowledged, and their type byte is not checked.
bool StoreTesterAnswer(ServerLine& line, const ProtocolPacket& packet);

}  // namespace protocol
