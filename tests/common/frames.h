// Building reply frames for tests.
#pragma once

#include "inquiry.h"

#include <QByteArray>

namespace tarvik {

// Hex text ("01 03 00 3E") to bytes.
inline QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

inline QByteArray WithCrc(QByteArray body) {
    AppendCrc(body);
    return body;
}

// A function 03 reply carrying the given data bytes.
inline QByteArray Read03Reply(quint8 address, const QByteArray& data) {
    QByteArray body;
    body.append(char(address));
    body.append(char(0x03));
    body.append(char(quint8(data.size())));
    body.append(data);
    return WithCrc(body);
}

} // namespace tarvik
