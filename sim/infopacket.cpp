#include "infopacket.h"

#include "simcrc.h"

#include <bit>

namespace tarvik::sim {

namespace {

// How the receiver scales a value: by which limit, and by 1.25 for voltages.
enum class Scale { Voltage, Current, LineVoltage, PhasePower, TotalPower, Frequency, None };

constexpr Scale ScaleOf[QuantityCount] = {
    Scale::Voltage,     Scale::Voltage,     Scale::Voltage,     // Ua Ub Uc
    Scale::Current,     Scale::Current,     Scale::Current,     // Ia Ib Ic
    Scale::LineVoltage, Scale::LineVoltage, Scale::LineVoltage, // Uab Ubc Uca
    Scale::PhasePower,  Scale::PhasePower,  Scale::PhasePower,  // Pa Pb Pc
    Scale::PhasePower,  Scale::PhasePower,  Scale::PhasePower,  // Qa Qb Qc
    Scale::PhasePower,  Scale::PhasePower,  Scale::PhasePower,  // Sa Sb Sc
    Scale::None,        Scale::None,        Scale::None,        // PFa PFb PFc
    Scale::TotalPower,  Scale::TotalPower,  Scale::TotalPower,  // P Q S
    Scale::None,        Scale::Frequency,                       // PF F
    Scale::Voltage,     Scale::Current,     Scale::LineVoltage, // means
    Scale::Voltage,     Scale::Current,                         // U0 I0
};

constexpr float SqrtThree = 1.7321f; // the receiver's own rounding

} // namespace

void appendStreamWord(QByteArray& packet, std::uint32_t pattern) {
    packet.append(static_cast<char>(pattern >> 8 & 0xFF));
    packet.append(static_cast<char>(pattern & 0xFF));
    packet.append(static_cast<char>(pattern >> 24));
    packet.append(static_cast<char>(pattern >> 16 & 0xFF));
}

float normalise(int k, float value, const InfoPacketSettings& s) {
    const float phasePower = s.voltageLimit * s.currentLimit;
    const float lineVoltage = s.threeWire ? s.voltageLimit : s.voltageLimit * SqrtThree;
    const float totalPower = s.threeWire ? phasePower * SqrtThree : phasePower * 3;
    switch (ScaleOf[k]) {
    case Scale::Voltage:
        return value / (s.voltageLimit * 1.25f);
    case Scale::Current:
        return value / s.currentLimit;
    case Scale::LineVoltage:
        return value / (lineVoltage * 1.25f);
    case Scale::PhasePower:
        return value / phasePower;
    case Scale::TotalPower:
        return value / totalPower;
    case Scale::Frequency:
        return (value - 45.0f) / 10.0f;
    case Scale::None:
        break;
    }
    return value;
}

QByteArray buildInfoPacket(const InfoPacketSettings& s, const Measurements& m) {
    QByteArray packet(InfoHeader, InfoHeaderLength);
    packet.append(static_cast<char>(s.status));
    appendStreamWord(packet, std::bit_cast<std::uint32_t>(s.voltageLimit));
    appendStreamWord(packet, std::bit_cast<std::uint32_t>(s.currentLimit));
    packet.append(static_cast<char>(s.address));
    packet.append(static_cast<char>(s.version));
    for (int k = 0; k < QuantityCount; ++k) {
        std::uint32_t pattern = std::bit_cast<std::uint32_t>(normalise(k, m[k], s));
        if (s.threeWire && k == Ua) pattern = static_cast<std::uint32_t>(InfoMarker::NoValue);
        if (const auto marker = s.markers.find(k); marker != s.markers.end())
            pattern = static_cast<std::uint32_t>(marker->second);
        appendStreamWord(packet, pattern);
    }
    appendCrc(packet);
    return packet;
}

InfoStream::InfoStream(InfoPacketSettings settings, InfoStreamOptions options)
    : settings_(std::move(settings)), options_(options) {}

QByteArray InfoStream::nextPacket(const Measurements& m) {
    ++packets_;
    QByteArray packet = buildInfoPacket(settings_, m);
    if (options_.badCrcEvery > 0 && packets_ % options_.badCrcEvery == 0) {
        packet[InfoPacketLength - 2] = static_cast<char>(~packet[InfoPacketLength - 2]);
        packet[InfoPacketLength - 1] = static_cast<char>(~packet[InfoPacketLength - 1]);
    }
    return packet;
}

int InfoStream::pauseAfterLastPacket() const {
    const bool pause =
        options_.pauseAfter > 0 && packets_ > 0 && packets_ % options_.pauseAfter == 0;
    return pause ? options_.pauseMs : 0;
}

} // namespace tarvik::sim
