#include "inquiry.h"

#include <array>

namespace tarvik {

namespace {

// The two tables of the Modbus RTU CRC (reflected polynomial 0xA001): entry i of the reflected
// CRC table split into the byte that goes first on the wire (High) and the one that follows (Low).
struct CrcTables {
    std::array<quint8, 256> High{};
    std::array<quint8, 256> Low{};
};

constexpr CrcTables MakeCrcTables() {
    CrcTables t;
    for (int i = 0; i < 256; ++i) {
        quint16 crc = quint16(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        t.High[i] = quint8(crc & 0xFF);
        t.Low[i] = quint8(crc >> 8);
    }
    return t;
}

constexpr CrcTables Tables = MakeCrcTables();
static_assert(Tables.High[1] == 0xC1 && Tables.Low[1] == 0xC0 && Tables.High[255] == 0x40 &&
              Tables.Low[255] == 0x40);

void Put16(QByteArray& f, quint16 v) {
    f.append(char(v >> 8));
    f.append(char(v & 0xFF));
}

QByteArray Head(quint8 address, quint8 function) {
    QByteArray f;
    f.reserve(32);
    f.append(char(address));
    f.append(char(function));
    return f;
}

} // namespace

quint16 ModbusCrc16(const quint8* bytes, qsizetype length) {
    quint8 hi = 0xFF;
    quint8 lo = 0xFF;
    for (qsizetype n = 0; n < length; ++n) {
        const quint8 i = hi ^ bytes[n];
        hi = lo ^ Tables.High[i];
        lo = Tables.Low[i];
    }
    return quint16(hi << 8 | lo);
}

quint16 ModbusCrc16(const QByteArray& bytes) {
    return ModbusCrc16(reinterpret_cast<const quint8*>(bytes.constData()), bytes.size());
}

void AppendCrc(QByteArray& frame) {
    Put16(frame, ModbusCrc16(frame));
}

QByteArray FrameRead03(quint8 address, const InquiryRecord& r) {
    QByteArray f = Head(address, 0x03);
    Put16(f, r.StartRegister);
    Put16(f, r.RegisterCount);
    AppendCrc(f);
    return f;
}

QByteArray FrameWrite06(quint8 address, const InquiryRecord& r) {
    QByteArray f = Head(address, 0x06);
    Put16(f, r.StartRegister);
    Put16(f, r.Value16);
    AppendCrc(f);
    return f;
}

QByteArray FrameWrite16Long(quint8 address, const InquiryRecord& r) {
    QByteArray f = Head(address, 0x10);
    Put16(f, r.StartRegister);
    Put16(f, r.RegisterCount);
    f.append(char(quint8(r.RegisterCount * 2)));
    Put16(f, quint16(r.Value32 >> 16));
    Put16(f, quint16(r.Value32 & 0xFFFF));
    AppendCrc(f);
    return f;
}

QByteArray FrameWrite16(quint8 address, const InquiryRecord& r) {
    QByteArray f = Head(address, 0x10);
    Put16(f, r.StartRegister);
    Put16(f, r.RegisterCount);
    f.append(char(quint8(r.RegisterCount * 2)));
    for (int i = 0; i < r.RegisterCount; ++i)
        Put16(f, r.Words ? r.Words[i] : 0);
    AppendCrc(f);
    return f;
}

QByteArray FrameRead20(quint8 address, const InquiryRecord& r) {
    QByteArray f = Head(address, 0x14);
    f.append(char(0x0C));
    Put16(f, r.FileNumber);
    Put16(f, r.RecordNumber);
    Put16(f, quint16(r.RecordCount * 8));
    AppendCrc(f);
    return f;
}

void InitInquiryRecords(StepRecords& s) {
    // Reads expect address, function, byte count, the registers and the CRC.
    auto read = [](InquiryRecord& r, quint16 start, quint16 count, quint8 kind) {
        r.StartRegister = start;
        r.RegisterCount = count;
        r.ExpectedLength = quint16(count * 2 + 5);
        r.Kind = kind;
    };
    read(s.LinkUpRatiosStep, 2048, 8, 27);
    read(s.ReadRatiosStep, 2048, 8, 28);
    read(s.LinkUpSchemeStep, 528, 1, 29);
    read(s.ReadSchemeStep, 528, 1, 31);
    read(s.CurrentOutputsStartStep, 534, 1, 33);
    read(s.MetrologyPollStep, 0, 62, 32);
    read(s.CurrentOutputsPollStep, 532, 1, 34);
    read(s.CurrentMethodStep, 546, 1, 30);

    s.MeasuredCurrentStep.RegisterCount = 2;
    s.MeasuredCurrentStep.Kind = 15;
    s.MetrologyWriteStep.StartRegister = 1792;
    s.MetrologyWriteStep.RegisterCount = 2;
    s.MetrologyWriteStep.Kind = 14;
    s.RatioWriteStep.RegisterCount = 8;
    s.CommandStep.RegisterCount = 2;
    s.CommandStep.Kind = 40;
    s.CurrentTrimStep.RegisterCount = 2;
    s.CurrentTrimStep.Kind = 36;
    s.CurrentModeStep.RegisterCount = 2;
    s.CurrentModeStep.Kind = 36;
    s.CurrentRangeStep.StartRegister = 766;
    s.CurrentRangeStep.RegisterCount = 2;
    s.CurrentRangeStep.Kind = 35;
}

} // namespace tarvik
