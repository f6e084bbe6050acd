#include "infochanpacket.h"

#include "decode.h"

#include <bit>

namespace tarvik {

namespace {

// Mean line voltage of a four-wire net over the phase voltage, and the factor that turns the
// power of one phase into the total of a three-wire net.
constexpr double Sqrt3 = 1.7321;
// The edges of the range are 130 % of the limit; a power carries the margin of both its
// voltage and its current.
constexpr double RangeMargin = 1.3;
// Voltages are normalised so that the limit reads 0.8.
constexpr double VoltageSpan = 1.25;

} // namespace

quint32 InfoChanPattern(QByteArrayView b) {
    return quint32(quint8(b[2])) << 24 | quint32(quint8(b[3])) << 16 | quint32(quint8(b[0])) << 8 |
           quint32(quint8(b[1]));
}

QByteArray InfoChanStreamBytes(quint32 pattern) {
    QByteArray out(4, '\0');
    out[0] = char(pattern >> 8);
    out[1] = char(pattern);
    out[2] = char(pattern >> 24);
    out[3] = char(pattern >> 16);
    return out;
}

QByteArray InfoChanStreamBytes(float value) {
    return InfoChanStreamBytes(std::bit_cast<quint32>(value));
}

QString InfoChanNoValueText() {
    return QStringLiteral(" ------------------------");
}

bool InfoChanData::Decode(QByteArrayView payload) {
    if (payload.size() < InfoChanPayloadSize) return false;
    auto floatAt = [&](qsizetype at) {
        return std::bit_cast<float>(InfoChanPattern(payload.sliced(at, 4)));
    };
    Status = qint8(payload[0]);
    ULimit = floatAt(1);
    ILimit = floatAt(5);
    NetAddress = quint8(payload[9]);
    Version = quint8(payload[10]);
    for (int k = 0; k < InfoChanValueCount; ++k) {
        RawValues[k] = InfoChanPattern(payload.sliced(11 + 4 * k, 4));
        Values[k] = std::bit_cast<float>(RawValues[k]);
    }
    ThreeWire = RawValues[0] == InfoChanNoValue;

    PhasePowerLimit = float(double(ULimit) * double(ILimit));
    if (ThreeWire) {
        TotalPowerLimit = float(double(PhasePowerLimit) * Sqrt3);
        ULineLimit = ULimit;
    } else {
        TotalPowerLimit = float(double(PhasePowerLimit) * 3);
        ULineLimit = float(double(ULimit) * Sqrt3);
    }
    return true;
}

QString InfoChanData::FormatValue(int k) const {
    if (k < 0 || k >= InfoChanValueCount) return {};
    switch (RawValues[k]) {
    case InfoChanNoValue:
        return InfoChanNoValueText();
    case InfoChanAboveRange:
        return FormatLimit(k, false);
    case InfoChanBelowRange:
        return FormatLimit(k, true);
    }
    const double v = Values[k];
    double shown = v;
    switch (InfoChanValueTable[k].scale) {
    case InfoChanScale::Voltage:
        shown = v * ULimit * VoltageSpan;
        break;
    case InfoChanScale::Current:
        shown = v * ILimit;
        break;
    case InfoChanScale::LineVoltage:
        shown = v * ULineLimit * VoltageSpan;
        break;
    case InfoChanScale::PhasePower:
        shown = v * PhasePowerLimit;
        break;
    case InfoChanScale::TotalPower:
        shown = v * TotalPowerLimit;
        break;
    case InfoChanScale::Frequency:
        shown = v * 10 + 45;
        break;
    case InfoChanScale::Unscaled:
        break;
    }
    return FormatNumber(shown, 3, true);
}

QString InfoChanData::FormatLimit(int k, bool below) const {
    if (k < 0 || k >= InfoChanValueCount) return {};
    double edge = 0;
    switch (InfoChanValueTable[k].scale) {
    case InfoChanScale::Voltage:
        edge = double(ULimit) * RangeMargin;
        break;
    case InfoChanScale::Current:
        edge = double(ILimit) * RangeMargin;
        break;
    case InfoChanScale::LineVoltage:
        edge = double(ULineLimit) * RangeMargin;
        break;
    case InfoChanScale::PhasePower:
        edge = double(PhasePowerLimit) * RangeMargin * RangeMargin;
        break;
    case InfoChanScale::TotalPower:
        edge = double(TotalPowerLimit) * RangeMargin * RangeMargin;
        break;
    case InfoChanScale::Frequency:
        // The frequency range is fixed, and its edges are shown with a point in any locale.
        return below ? QStringLiteral("45.000") : QStringLiteral("55.000");
    case InfoChanScale::Unscaled:
        // Power factors: the edge of their natural range.
        edge = 1.0;
        break;
    }
    return FormatNumber(below ? -edge : edge, 3, false);
}

QString InfoChanData::StatusText() const {
    if (Status == 0) return QStringLiteral("  норма");
    return QStringLiteral("ошибка: ") + QString::number(Status);
}

QString InfoChanData::FormatLimitValue(float limit) {
    return FormatNumber(limit, 2, false);
}

} // namespace tarvik
