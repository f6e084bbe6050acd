#include "simcrc.h"

namespace tarvik::sim {

std::uint16_t crc16(QByteArrayView bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void appendCrc(QByteArray& frame) {
    const std::uint16_t crc = crc16(frame);
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
}

bool crcIsValid(QByteArrayView frame) {
    // Over a whole intact frame, CRC bytes included, the CRC comes out 0.
    return frame.size() >= 3 && crc16(frame) == 0;
}

} // namespace tarvik::sim
