// Packets of the information channel as the transducer sends them, built by hand for tests.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <array>
#include <bit>

namespace tarvik::test {

// The Modbus CRC-16 bit by bit, apart from the program's table-driven one.
inline quint16 BitwiseCrc16(const QByteArray& bytes) {
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

inline quint32 Bits(float value) {
    return std::bit_cast<quint32>(value);
}

// Four bytes of the stream for a pattern: lower half first, each half high byte first.
inline QByteArray StreamWord(quint32 pattern) {
    QByteArray out;
    for (int shift : {8, 0, 24, 16})
        out.append(char(pattern >> shift));
    return out;
}

struct PacketSpec {
    quint8 status = 0;
    float uLimit = 100.0f;
    float iLimit = 5.0f;
    quint8 address = 1;
    quint8 version = 21;
    std::array<quint32, 31> values{};
};

inline QByteArray MakePacket(const PacketSpec& s) {
    QByteArray p = QByteArray::fromHex("55AA01808E");
    p.append(char(s.status));
    p.append(StreamWord(Bits(s.uLimit)));
    p.append(StreamWord(Bits(s.iLimit)));
    p.append(char(s.address));
    p.append(char(s.version));
    for (quint32 v : s.values)
        p.append(StreamWord(v));
    const quint16 crc = BitwiseCrc16(p);
    p.append(char(crc & 0xFF)); // low byte first
    p.append(char(crc >> 8));
    return p;
}

// A packet told apart from its neighbours by its version byte and its values.
inline QByteArray NumberedPacket(int n) {
    PacketSpec s;
    s.version = quint8(n);
    for (int k = 0; k < 31; ++k)
        s.values[k] = Bits(float(n) / 1000 + float(k) / 100);
    return MakePacket(s);
}

} // namespace tarvik::test
