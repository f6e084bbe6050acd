// Register and float decoding of Modbus replies, and the display formats of values.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace tarvik {

// The word with its two bytes exchanged.
quint16 SwapWord(quint16 w);

// Register i of a block of register bytes (high byte first). A register beyond the block reads 0.
quint16 GetRegister(QByteArrayView block, quint16 i);

// Number formatting with the separators of the default QLocale: grouping in thousands when
// grouping is set, the given number of decimals, a leading minus for negatives (not for a value
// that rounds to zero).
QString FormatNumber(double value, int decimals, bool grouping = true);

// Float decoding with the device's no-information marker (FF FF FF FF). The window keeps one:
// NoInfo tells whether the pair read last was the marker, and FormatValue shows it.
class RegisterDecoder {
public:
    bool NoInfo = false;

    // Pair i (registers 2i and 2i+1, upper half first) as a float; 0.0 and NoInfo for the marker.
    // A pair that lies beyond the block is treated as the marker: the device sent no value.
    float GetRegisterFloat(QByteArrayView block, quint16 i);
    // Code 3: "#,##0.000", code 4: "#,##0.0000", any other: "#,##0.0"; "нет информ." after a
    // marker.
    QString FormatValue(quint16 code, float value) const;
};

// "0" in front of a text of at most one character.
QString PadTwoDigits(const QString& text);

} // namespace tarvik
