// The contents of an information-channel packet: the table of the 31 values, the decoding of
// the packet and the scaling and display texts of the values.
//
// Packet layout (142 bytes): 55 AA 01 80 8E header, status, voltage limit, current limit,
// network address, program version, 31 values, CRC-16. The decoder takes the packet from the
// status byte on (offset 5), the "payload".
#pragma once

#include <QByteArrayView>
#include <QString>
#include <array>

namespace tarvik {

inline constexpr int InfoChanPacketSize = 142;
inline constexpr int InfoChanHeaderSize = 5;
inline constexpr int InfoChanValueCount = 31;
// Status, two limits, address, version and the values; the CRC may follow.
inline constexpr int InfoChanPayloadSize = 1 + 4 + 4 + 1 + 1 + 4 * InfoChanValueCount;
inline constexpr QByteArrayView InfoChanHeader("\x55\xAA\x01\x80\x8E", InfoChanHeaderSize);

// Value patterns the device sends in place of a value.
inline constexpr quint32 InfoChanNoValue = 0xFFFFFFFF;
inline constexpr quint32 InfoChanAboveRange = 0xEFFFFFFF;
inline constexpr quint32 InfoChanBelowRange = 0xDFFFFFFF;

// How a normalised value of the stream becomes a physical one.
enum class InfoChanScale {
    Voltage,
    Current,
    LineVoltage,
    PhasePower,
    TotalPower,
    Frequency,
    Unscaled
};

// One value of the packet and the control that shows it. `box` is the group box on the page
// (InfoChanBoxes); within a box the values stand in the order of this table.
struct InfoChanValueInfo {
    int k;
    const char* edit;
    const char* label; // UTF-8
    InfoChanScale scale;
    int box;
};

// The group boxes of the page, in the order of `box`: the upper row, the lower row, and the
// two boxes of the fourth column of the lower row.
inline constexpr std::array<const char*, 9> InfoChanBoxes{"Напряжение",
                                                          "Напряжение линейное",
                                                          "Ток",
                                                          "Коэффициент мощности",
                                                          "Мощность активная",
                                                          "Мощность реактивная",
                                                          "Мощность полная",
                                                          "Частота",
                                                          "Значения нулевой послед."};

// The 31 values in packet order: the page builds its edits and scales the values from this.
inline constexpr std::array<InfoChanValueInfo, InfoChanValueCount> InfoChanValueTable = [] {
    using enum InfoChanScale;
    return std::array<InfoChanValueInfo, InfoChanValueCount>{{
        {0, "EditChanUa", "Ua, B = ", Voltage, 0},
        {1, "EditChanUb", "Ub, B = ", Voltage, 0},
        {2, "EditChanUc", "Uc, B = ", Voltage, 0},
        {3, "EditChanIa", "Ia, A = ", Current, 2},
        {4, "EditChanIb", "Ib, A = ", Current, 2},
        {5, "EditChanIc", "Ic, A = ", Current, 2},
        {6, "EditChanUab", "Uab, B = ", LineVoltage, 1},
        {7, "EditChanUbc", "Ubc, B = ", LineVoltage, 1},
        {8, "EditChanUca", "Uca, B = ", LineVoltage, 1},
        {9, "EditChanPa", "Pa, Bт = ", PhasePower, 4},
        {10, "EditChanPb", "Pb, Bт = ", PhasePower, 4},
        {11, "EditChanPc", "Pc, Bт = ", PhasePower, 4},
        {12, "EditChanQa", "Qa, вар = ", PhasePower, 5},
        {13, "EditChanQb", "Qb, вар = ", PhasePower, 5},
        {14, "EditChanQc", "Qc, вар = ", PhasePower, 5},
        {15, "EditChanSa", "Sa, BА = ", PhasePower, 6},
        {16, "EditChanSb", "Sb, BА = ", PhasePower, 6},
        {17, "EditChanSc", "Sc, BА = ", PhasePower, 6},
        {18, "EditChanCosFa", "Kpa =", Unscaled, 3},
        {19, "EditChanCosFb", "Kpb =", Unscaled, 3},
        {20, "EditChanCosFc", "Kpc =", Unscaled, 3},
        {21, "EditChanP", "P,  Bт =", TotalPower, 4},
        {22, "EditChanQ", "Q, вар = ", TotalPower, 5},
        {23, "EditChanS", "S,  BА =", TotalPower, 6},
        {24, "EditChanCosF", "Kp   =", Unscaled, 3},
        {25, "EditChanFrec", "F, Гц =", Frequency, 7},
        {26, "EditChanU", "Uфср, B = ", Voltage, 0},
        {27, "EditChanI", "Iср, A = ", Current, 2},
        {28, "EditChanUL", "Uлср, B = ", LineVoltage, 1},
        {29, "EditChanUo", "Uo, B = ", Voltage, 8},
        {30, "EditChanIo", "Io, A = ", Current, 8},
    }};
}();
static_assert([] {
    for (int k = 0; k < InfoChanValueCount; ++k)
        if (InfoChanValueTable[k].k != k) return false;
    return true;
}());

// Four bytes p0 p1 p2 p3 of the stream as the 32-bit pattern p2 p3 p0 p1: the lower half comes
// first, each half high byte first.
quint32 InfoChanPattern(QByteArrayView fourBytes);
// The bytes of the stream for a pattern (the inverse of InfoChanPattern).
QByteArray InfoChanStreamBytes(quint32 pattern);
QByteArray InfoChanStreamBytes(float value);

// What the page keeps of the last good packet.
struct InfoChanData {
    qint8 Status = 0;
    float ULimit = 0;
    float ILimit = 0;
    quint8 NetAddress = 0;
    quint8 Version = 0;
    bool ThreeWire = false;
    float ULineLimit = 0;
    float PhasePowerLimit = 0;
    float TotalPowerLimit = 0;
    std::array<float, InfoChanValueCount> Values{};
    std::array<quint32, InfoChanValueCount> RawValues{};

    // Decodes a payload (the packet from offset 5 on) and derives the scales. False, and nothing
    // changed, when the payload is shorter than a packet's.
    bool Decode(QByteArrayView payload);

    // The text of value k: the no-value dashes, the range edge for the range markers, or the
    // scaled value as "#,##0.000".
    QString FormatValue(int k) const;
    // The edge of the range of value k as "0.000", negative below the range.
    QString FormatLimit(int k, bool below) const;
    // The status as the page shows it: "  норма" or "ошибка: " and the signed code.
    QString StatusText() const;
    // A limit value as the hidden limit boxes show it, "0.00".
    static QString FormatLimitValue(float limit);
};

// Shown for a value the device has no information on.
QString InfoChanNoValueText();

} // namespace tarvik
