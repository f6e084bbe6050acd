// The packets the transducer streams on its information channel (interface Rs485_2).
#pragma once

#include "measurements.h"

#include <QByteArray>
#include <cstdint>
#include <map>

namespace tarvik::sim {

inline constexpr int InfoPacketLength = 142;
inline constexpr char InfoHeader[] = "\x55\xAA\x01\x80\x8E";
inline constexpr int InfoHeaderLength = 5;

// Patterns a value may carry instead of a number.
enum class InfoMarker : std::uint32_t {
    NoValue = 0xFFFFFFFF,
    AboveRange = 0xEFFFFFFF,
    BelowRange = 0xDFFFFFFF,
};

struct InfoPacketSettings {
    std::uint8_t status = 0; // 0 = normal, anything else an error code
    float voltageLimit = 100.0f;
    float currentLimit = 5.0f;
    std::uint8_t address = 1;
    std::uint8_t version = 17;
    // Three-wire connection: the phase voltage A goes as "no value", and the receiver scales
    // line voltages and total powers for three wires.
    bool threeWire = false;
    std::map<int, InfoMarker> markers; // value index -> marker sent instead of the value
};

// The float as the stream carries it: the lower 16 bits first, then the upper 16 bits, each
// half high byte first (220.5, pattern 43 5C 80 00, travels as 80 00 43 5C).
void appendStreamWord(QByteArray& packet, std::uint32_t pattern);

// The normalised value that the receiver, scaling it with the packet's limits, shows as
// `value` of quantity `k`.
float normalise(int k, float value, const InfoPacketSettings& settings);

// A complete packet of the measurements `m`, CRC included.
QByteArray buildInfoPacket(const InfoPacketSettings& settings, const Measurements& m);

// The stream: numbers the packets 1, 2, 3... and decides which one gets a bad CRC and after
// which one the stream pauses.
struct InfoStreamOptions {
    int badCrcEvery = 0; // both CRC bytes of every Nth packet inverted
    int pauseAfter = 0;  // after every Nth packet...
    int pauseMs = 1500;  // ...the line stays quiet this long
};

class InfoStream {
public:
    InfoStream(InfoPacketSettings settings, InfoStreamOptions options);
    QByteArray nextPacket(const Measurements& m);
    // The quiet time after the packet last built, 0 for none.
    int pauseAfterLastPacket() const;
    int packetCount() const { return packets_; }

private:
    InfoPacketSettings settings_;
    InfoStreamOptions options_;
    int packets_ = 0;
};

} // namespace tarvik::sim
