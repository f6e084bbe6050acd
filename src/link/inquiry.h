// Modbus RTU request records, the CRC and the frame layouts of the seven senders.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdint>
#include <span>

namespace tarvik {

// One request as the handlers describe it. Passed by value to the senders, so a later change
// of the record does not touch a request already on the line.
struct InquiryRecord {
    quint16 Address = 0;            // slave address; low 8 bits are sent
    quint16 StartRegister = 0;      // functions 03, 06, 16
    quint16 RegisterCount = 0;      // functions 03, 16
    quint16 FileNumber = 0;         // function 20
    quint16 ProfileBase = 0;        // working value of the profile reading
    quint16 ProfileIndex = 0;       // working value of the profile reading
    quint16 RecordNumber = 0;       // function 20
    quint16 RecordCount = 0;        // function 20; the frame carries 8 x this
    quint16 ExpectedLength = 0;     // reply length in bytes for functions 03 and 20
    quint16 Value16 = 0;            // function 06
    quint32 Value32 = 0;            // two-register write; floats as their IEEE-754 bit pattern
    const quint16* Words = nullptr; // register values of an N-register write
    quint8 Kind = 0;                // InquiryKind of the request
};

// The fixed requests of the settings chains, filled once at start by InitInquiryRecords.
struct StepRecords {
    InquiryRecord LinkUpRatiosStep;
    InquiryRecord ReadRatiosStep;
    InquiryRecord LinkUpSchemeStep;
    InquiryRecord ReadSchemeStep;
    InquiryRecord CurrentOutputsStartStep;
    InquiryRecord MeasuredCurrentStep;
    InquiryRecord MetrologyPollStep;
    InquiryRecord CurrentOutputsPollStep;
    InquiryRecord CurrentMethodStep;
    InquiryRecord MetrologyWriteStep;
    InquiryRecord RatioWriteStep;
    InquiryRecord CommandStep;
    InquiryRecord CurrentTrimStep;
    InquiryRecord CurrentModeStep;
    InquiryRecord CurrentRangeStep;
};

void InitInquiryRecords(StepRecords& r);

// Standard Modbus RTU CRC-16 by the two lookup tables. The high half of the result is the byte
// sent first (the low-order byte of the CRC-16 value). Over a whole intact frame including its
// two CRC bytes the result is 0.
quint16 ModbusCrc16(const quint8* bytes, qsizetype length);
inline quint16 ModbusCrc16(std::span<const quint8> bytes) {
    return ModbusCrc16(bytes.data(), qsizetype(bytes.size()));
}
quint16 ModbusCrc16(const QByteArray& bytes);

// Frame builders. Each returns the complete frame with the CRC appended.
QByteArray FrameRead03(quint8 address, const InquiryRecord& r);
QByteArray FrameWrite06(quint8 address, const InquiryRecord& r);
QByteArray FrameWrite16Long(quint8 address, const InquiryRecord& r);
QByteArray FrameWrite16(quint8 address, const InquiryRecord& r);
QByteArray FrameRead20(quint8 address, const InquiryRecord& r);

// Appends the two CRC bytes (hi, lo of ModbusCrc16) to a frame body.
void AppendCrc(QByteArray& frame);

} // namespace tarvik
