// The Modbus RTU CRC-16 of the virtual transducer.
//
// Computed bit by bit on purpose: the program computes it with lookup tables, so a simulator with
// its own arithmetic cross-checks the program instead of repeating its mistakes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace tarvik::sim {

// CRC-16 with the reflected polynomial 0xA001, initial value 0xFFFF and no final XOR.
std::uint16_t crc16(QByteArrayView bytes);

// Appends the CRC of `frame` to it, low-order byte first as Modbus RTU sends it.
void appendCrc(QByteArray& frame);

// True when `frame` ends with the correct CRC of the bytes before it (at least 3 bytes long).
bool crcIsValid(QByteArrayView frame);

} // namespace tarvik::sim
