// Register and float decoding, the no-information marker and the value formats, under the C and
// the Russian number formats.
#include "decode.h"
#include "frames.h"

#include <QLocale>
#include <QTest>
#include <cmath>

using namespace tarvik;

namespace {

const QString NoInfoText = QStringLiteral("нет информ.");

// The two number formats the tests pin: C ("1,234.500") and Russian ("1 234,500" with a
// no-break space between the groups).
const QLocale Locales[] = {QLocale::c(), QLocale(QLocale::Russian, QLocale::Russia)};

// Adds one row per locale; `c` and `ru` are the texts expected under each.
template <typename... Columns>
void AddLocaleRows(const char* name, const QString& c, const QString& ru, Columns... columns) {
    for (const QLocale& locale : Locales) {
        const bool russian = locale.language() == QLocale::Russian;
        ((QTest::addRow("%s %s", russian ? "ru" : "C", name) << locale << (russian ? ru : c))
         << ... << columns);
    }
}

} // namespace

class DecodeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void registerPairs_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<int>("pair");
        QTest::addColumn<int>("code");
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("noInfo");

        const QByteArray v220 = Hex("43 5C 80 00");
        const QByteArray marker = Hex("FF FF FF FF");
        AddLocaleRows("220.5 code 3", "220.500", "220,500", v220, 0, 3, 220.5f, false);
        AddLocaleRows("220.5 code 4", "220.5000", "220,5000", v220, 0, 4, 220.5f, false);
        AddLocaleRows("marker code 3", NoInfoText, NoInfoText, marker, 0, 3, 0.0f, true);
        AddLocaleRows("marker code 4", NoInfoText, NoInfoText, marker, 0, 4, 0.0f, true);
        AddLocaleRows("marker code 7", NoInfoText, NoInfoText, marker, 0, 7, 0.0f, true);
        AddLocaleRows("0.5 code 4", "0.5000", "0,5000", Hex("3F 00 00 00"), 0, 4, 0.5f, false);
        AddLocaleRows("0.5 code 7", "0.5", "0,5", Hex("3F 00 00 00"), 0, 7, 0.5f, false);
        AddLocaleRows("-1 code 3", "-1.000", "-1,000", Hex("BF 80 00 00"), 0, 3, -1.0f, false);
        AddLocaleRows("thousands", "1,234.500", QStringLiteral("1\u00A0234,500"),
                      Hex("44 9A 50 00"), 0, 3, 1234.5f, false);
        AddLocaleRows("millions", "-1,234,567.0000", QStringLiteral("-1\u00A0234\u00A0567,0000"),
                      Hex("C9 96 B4 38"), 0, 4, -1234567.0f, false);
        // A single is widened as received: 0.1f is 0.100000001..., not 0.0999...
        AddLocaleRows("0.1 received as a single", "0.1000", "0,1000", Hex("3D CC CC CD"), 0, 4,
                      0.1f, false);
        AddLocaleRows("negative that rounds to zero", "0.000", "0,000", Hex("B8 D1 B7 17"), 0, 3,
                      -0.0001f, false);
        AddLocaleRows("negative zero", "0.000", "0,000", Hex("80 00 00 00"), 0, 3, -0.0f, false);
        AddLocaleRows("second pair", "0.5000", "0,5000", v220 + Hex("3F 00 00 00"), 1, 4, 0.5f,
                      false);
        // A block cut short must never be read past its end: no value, so no information.
        AddLocaleRows("pair cut short", NoInfoText, NoInfoText, Hex("43 5C 80"), 0, 3, 0.0f, true);
        AddLocaleRows("pair beyond the block", NoInfoText, NoInfoText, v220, 1, 3, 0.0f, true);
        AddLocaleRows("empty block", NoInfoText, NoInfoText, QByteArray(), 0, 3, 0.0f, true);
        AddLocaleRows("last pair index", NoInfoText, NoInfoText, v220, 0xFFFF, 3, 0.0f, true);
    }
    void registerPairs() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(QByteArray, block);
        QFETCH(int, pair);
        QFETCH(int, code);
        QFETCH(float, value);
        QFETCH(bool, noInfo);
        QLocale::setDefault(locale);

        RegisterDecoder d;
        d.NoInfo = !noInfo; // every read sets the flag, whatever it was
        const float got = d.GetRegisterFloat(block, quint16(pair));
        QCOMPARE(got, value);
        QCOMPARE(std::signbit(got), std::signbit(value));
        QCOMPARE(d.NoInfo, noInfo);
        QCOMPARE(d.FormatValue(quint16(code), got), text);
    }

    // FF FF FF FE is a NaN pattern, not the marker: it passes through as read.
    void nanIsNotTheMarker() {
        RegisterDecoder d;
        d.NoInfo = true;
        const float got = d.GetRegisterFloat(Hex("FF FF FF FE"), 0);
        QVERIFY(std::isnan(got));
        QVERIFY(!d.NoInfo);
        QVERIFY(d.FormatValue(3, got) != NoInfoText);
    }

    // The flag describes the pair read last: a marker, then an ordinary pair formats normally.
    void markerThenOrdinaryPair_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        AddLocaleRows("", "220.500", "220,500");
    }
    void markerThenOrdinaryPair() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QLocale::setDefault(locale);

        const QByteArray block = Hex("FF FF FF FF 43 5C 80 00");
        RegisterDecoder d;
        const float first = d.GetRegisterFloat(block, 0);
        QCOMPARE(d.FormatValue(3, first), NoInfoText);
        const float second = d.GetRegisterFloat(block, 1);
        QVERIFY(!d.NoInfo);
        QCOMPARE(d.FormatValue(3, second), text);
    }

    void formatNumber_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("grouping");
        AddLocaleRows("grouped", "12,345.68", QStringLiteral("12\u00A0345,68"), 12345.678, 2, true);
        AddLocaleRows("not grouped", "12345.68", "12345,68", 12345.678, 2, false);
        AddLocaleRows("no decimals", "-7", "-7", -7.0, 0, true);
    }
    void formatNumber() {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(bool, grouping);
        QLocale::setDefault(locale);
        QCOMPARE(FormatNumber(value, decimals, grouping), text);
    }

    void registers_data() {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::newRow("01 2C") << Hex("01 2C") << 0 << 300;
        QTest::newRow("FF FF") << Hex("FF FF") << 0 << 65535;
        QTest::newRow("second register") << Hex("00 01 80 02") << 1 << 0x8002;
        QTest::newRow("register cut short") << Hex("00 01 80") << 1 << 0;
        QTest::newRow("beyond the block") << Hex("00 01") << 1 << 0;
        QTest::newRow("last index") << Hex("00 01") << 0xFFFF << 0;
    }
    void registers() {
        QFETCH(QByteArray, block);
        QFETCH(int, index);
        QFETCH(int, value);
        QCOMPARE(int(GetRegister(block, quint16(index))), value);
    }

    void swapWord() {
        QCOMPARE(SwapWord(0x2C01), quint16(0x012C));
        QCOMPARE(SwapWord(0x00FF), quint16(0xFF00));
    }

    void padTwoDigits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::newRow("empty") << ""
                               << "0";
        QTest::newRow("one digit") << "5"
                                   << "05";
        QTest::newRow("two digits") << "12"
                                    << "12";
        QTest::newRow("three digits") << "123"
                                      << "123";
    }
    void padTwoDigits() {
        QFETCH(QString, text);
        QFETCH(QString, padded);
        QCOMPARE(PadTwoDigits(text), padded);
    }
};

QObject* MakeDecodeTest() {
    return new DecodeTest;
}

#include "test_decode.moc"
