#include "decode.h"

#include <QLocale>
#include <bit>
#include <cmath>

namespace tarvik {

namespace {

constexpr quint32 NoInfoMarker = 0xFFFFFFFFu;

// The 16-bit value of the two bytes at `at` and `at + 1`, high byte first; the caller has checked
// that both are in the block.
quint16 WordAt(QByteArrayView block, qsizetype at) {
    return quint16((quint8(block[at]) << 8) | quint8(block[at + 1]));
}

// True when the text carries no digit other than 0, so a minus in front would only say that a
// value too small to show was negative.
bool AllDigitsZero(const QString& text) {
    for (const QChar c : text)
        if (c.isDigit() && c.digitValue() != 0) return false;
    return true;
}

} // namespace

quint16 SwapWord(quint16 w) {
    return quint16((w << 8) | (w >> 8));
}

quint16 GetRegister(QByteArrayView block, quint16 i) {
    const qsizetype at = qsizetype(i) * 2;
    if (at + 1 >= block.size()) return 0;
    return WordAt(block, at);
}

QString FormatNumber(double value, int decimals, bool grouping) {
    QLocale locale;
    QLocale::NumberOptions options = locale.numberOptions();
    if (grouping)
        options &= ~QLocale::NumberOptions(QLocale::OmitGroupSeparator);
    else
        options |= QLocale::OmitGroupSeparator;
    locale.setNumberOptions(options);

    QString text = locale.toString(value, 'f', decimals);
    // A negative value that rounds to zero shows as zero, not as "-0.000".
    if (std::isfinite(value) && value < 0 && AllDigitsZero(text))
        text = locale.toString(0.0, 'f', decimals);
    return text;
}

float RegisterDecoder::GetRegisterFloat(QByteArrayView block, quint16 i) {
    const qsizetype at = qsizetype(i) * 4;
    if (at + 3 >= block.size()) {
        // The pair is not in the reply: there is no value to show.
        NoInfo = true;
        return 0.0f;
    }
    const quint32 pattern = (quint32(WordAt(block, at)) << 16) | WordAt(block, at + 2);
    if (pattern == NoInfoMarker) {
        NoInfo = true;
        return 0.0f;
    }
    NoInfo = false;
    return std::bit_cast<float>(pattern);
}

QString RegisterDecoder::FormatValue(quint16 code, float value) const {
    if (NoInfo) return QStringLiteral("нет информ.");
    const int decimals = code == 3 ? 3 : code == 4 ? 4 : 1;
    return FormatNumber(double(value), decimals);
}

QString PadTwoDigits(const QString& text) {
    return text.size() <= 1 ? QStringLiteral("0") + text : text;
}

} // namespace tarvik
