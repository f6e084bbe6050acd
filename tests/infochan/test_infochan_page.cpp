// The information-channel page on a fake port behind the link: entering, the stream, the
// watchdog, leaving, and the layout.
#include "fakeserialport.h"
#include "infochanpage.h"
#include "infochanstream.h"
#include "messages.h"
#include "modbuslink.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace tarvik;
using namespace tarvik::test;

namespace {

const QString CrcStatus = QStringLiteral("  Ошибка контрольной суммы !");
const QString NoInfo = QStringLiteral("информация отсутствует");

// The worked example: limits 100 V and 5 A, four-wire.
QByteArray WorkedPacket(quint8 status = 0) {
    PacketSpec s;
    s.status = status;
    s.address = 7;
    s.version = 21;
    s.values[0] = Bits(0.8f);
    for (int k : {3, 6, 9, 18, 21, 25})
        s.values[k] = Bits(0.5f);
    return MakePacket(s);
}

struct Fixture {
    FakeSerialPort port;
    RecordingMessages messages;
    ModbusLink link{port, messages};
    InfoChanPage page{link, messages};
    QStringList statuses;

    Fixture() {
        // What the window wires.
        QObject::connect(&port, &SerialPort::dataAvailable, &link,
                         &ModbusLink::ComPortTriggerAvail);
        QObject::connect(&link, &ModbusLink::infoChannelData, &page, &InfoChanPage::Receive);
        QObject::connect(&link, &ModbusLink::statusText, &link,
                         [this](const QString& text) { statuses << text; });
    }

    QLineEdit* edit(const char* name) const {
        auto* e = page.findChild<QLineEdit*>(QString::fromLatin1(name));
        Q_ASSERT(e);
        return e;
    }
    QString text(const char* name) const { return edit(name)->text(); }
    QLabel* message() const { return page.findChild<QLabel*>("LabelChanInfoMess"); }
    QList<QLineEdit*> valueEdits() const {
        QList<QLineEdit*> out;
        for (const auto& v : InfoChanValueTable)
            out << edit(v.edit);
        return out;
    }
    int crcReports() const { return int(statuses.count(CrcStatus)); }
};

} // namespace

class InfoChanPageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void initialControls() {
        Fixture f;
        auto* group = f.page.findChild<QGroupBox*>("sGroupBox8");
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("Связь"));
        auto* port = f.page.findChild<QComboBox*>("ComboBoxPort4");
        QVERIFY(port);
        QCOMPARE(port->count(), 16);
        QCOMPARE(f.text("sEdit1"), QStringLiteral("       9600"));
        QVERIFY(!f.edit("sEdit1")->isEnabled());
        QVERIFY(f.edit("sEdit1")->isReadOnly());
        QCOMPARE(f.text("sEditNetAddr"), QStringLiteral("1"));
        QVERIFY(!f.edit("sEditNetAddr")->isEnabled());
        QVERIFY(f.message()->text().isEmpty());
        QVERIFY(f.message()->font().bold());
        QCOMPARE(f.page.findChild<QLabel*>("LabelVers")->text(),
                 QStringLiteral("Версия \nпрограммы:"));
        QVERIFY(!f.edit("StaticTextVers")->isHidden());
        for (const char* name : {"StaticTextDevSatus", "StaticTextRelU", "StaticTextRelI"})
            QVERIFY2(f.edit(name)->isHidden(), name);
        for (const char* name : {"LabelDevSatus", "LabelRelU", "LabelRelI"})
            QVERIFY2(f.page.findChild<QLabel*>(name)->isHidden(), name);
        for (QLineEdit* e : f.valueEdits()) {
            QVERIFY2(e->isReadOnly() && e->text().isEmpty(), qPrintable(e->objectName()));
        }
        QCOMPARE(f.page.TimerChanInfo().interval(), 1000);
        QVERIFY(f.page.TimerChanInfo().enabled());
    }

    void enterStartsListening() {
        Fixture f;
        f.page.TimerChanInfo().setEnabled(false);
        const int flushes = f.port.flushInputCount;
        QVERIFY(f.page.Enter());
        QVERIFY(f.link.InfoChanMode);
        QCOMPARE(f.port.flushInputCount, flushes + 1);
        QVERIFY(f.page.TimerChanInfo().enabled());
    }

    void enterOnUnusablePortEndsListening() {
        Fixture f;
        QSignalSpy failed(&f.link, &ModbusLink::portFailed);
        f.port.unusable = true;
        f.link.InfoChanMode = true;
        QVERIFY(!f.page.Enter());
        QVERIFY(!f.link.InfoChanMode);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(f.messages.entries.size(), 1); // the port message of the link
        // Nothing is listened to: the watchdog leaves the page alone.
        f.page.TimerChanInfo().fire();
        QVERIFY(f.message()->text().isEmpty());
    }

    void packetFillsPage() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.page.TimerChanInfo().fire();
        QCOMPARE(f.message()->text(), NoInfo);
        f.port.feed(WorkedPacket());
        QVERIFY(f.message()->text().isEmpty());
        QCOMPARE(f.text("EditChanUa"), QStringLiteral("100.000"));
        QCOMPARE(f.text("EditChanIa"), QStringLiteral("2.500"));
        QCOMPARE(f.text("EditChanUab"), QStringLiteral("108.256"));
        QCOMPARE(f.text("EditChanPa"), QStringLiteral("250.000"));
        QCOMPARE(f.text("EditChanP"), QStringLiteral("750.000"));
        QCOMPARE(f.text("EditChanFrec"), QStringLiteral("50.000"));
        QCOMPARE(f.text("EditChanCosFa"), QStringLiteral("0.500"));
        QCOMPARE(f.text("EditChanUb"), QStringLiteral("0.000"));
        QCOMPARE(f.text("sEditNetAddr"), QStringLiteral("7"));
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("21"));
        QCOMPARE(f.text("StaticTextRelU"), QStringLiteral("100.00"));
        QCOMPARE(f.text("StaticTextRelI"), QStringLiteral("5.00"));
        QVERIFY(f.statuses.isEmpty());
        QCOMPARE(f.port.bytesAvailable(), 0);
    }

    void russianSeparators() {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Fixture f;
        QVERIFY(f.page.Enter());
        PacketSpec s;
        s.values[21] = Bits(2.0f);
        s.values[25] = InfoChanAboveRange;
        s.values[0] = InfoChanBelowRange;
        f.port.feed(MakePacket(s));
        QCOMPARE(f.text("EditChanP"), QStringLiteral("3\u00A0000,000"));
        QCOMPARE(f.text("EditChanFrec"), QStringLiteral("55.000"));
        QCOMPARE(f.text("EditChanUa"), QStringLiteral("-130,000"));
        QCOMPARE(f.text("StaticTextRelU"), QStringLiteral("100,00"));
    }

    void status_data() {
        QTest::addColumn<quint8>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("normal") << quint8(0) << "  норма" << QColor(Qt::darkGreen);
        QTest::newRow("3") << quint8(3) << "ошибка: 3" << QColor(Qt::red);
        QTest::newRow("FF") << quint8(0xFF) << "ошибка: -1" << QColor(Qt::red);
    }
    void status() {
        QFETCH(quint8, status);
        QFETCH(QString, text);
        QFETCH(QColor, colour);
        Fixture f;
        f.page.ShowInfoChanPacket(QByteArrayView(WorkedPacket(status)).sliced(5));
        QLineEdit* e = f.edit("StaticTextDevSatus");
        QCOMPARE(e->text(), text);
        QCOMPARE(e->palette().color(QPalette::Text), colour);
        // The values are shown whatever the status.
        QCOMPARE(f.text("EditChanUa"), QStringLiteral("100.000"));
    }

    void watchdogBlanksAndNextPacketRestores() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.port.feed(WorkedPacket());
        f.page.TimerChanInfo().fire();
        QCOMPARE(f.message()->text(), NoInfo);
        QCOMPARE(f.message()->palette().color(QPalette::WindowText), QColor(Qt::red));
        for (QLineEdit* e : f.valueEdits())
            QVERIFY(e->text().isEmpty());
        for (const char* name : {"StaticTextDevSatus", "StaticTextRelU", "StaticTextRelI",
                                 "StaticTextVers", "sEditNetAddr"})
            QVERIFY2(f.text(name).isEmpty(), name);
        QCOMPARE(f.edit("StaticTextDevSatus")->palette().color(QPalette::Text), QColor(Qt::red));
        QCOMPARE(f.page.Data().Version, quint8(21)); // the stored packet stays

        f.page.TimerChanInfo().setEnabled(false);
        f.port.feed(NumberedPacket(3));
        QVERIFY(f.page.TimerChanInfo().enabled());
        QVERIFY(f.message()->text().isEmpty());
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("3"));
        QCOMPARE(f.text("StaticTextDevSatus"), QStringLiteral("  норма"));
    }

    void blankedPageIsNotRefilledByOldPacket() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.port.feed(WorkedPacket());
        f.page.TimerChanInfo().fire();
        // A whole batch without a packet must not bring the last packet back.
        f.port.feed(QByteArray(200, '\x00'));
        QCOMPARE(f.message()->text(), NoInfo);
        QVERIFY(f.text("EditChanUa").isEmpty());
        QCOMPARE(f.crcReports(), 0);
    }

    void streamInBatches_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("maxBatch");
        QTest::newRow("small batches") << 1u << 40;
        QTest::newRow("about 150 bytes") << 2u << 160;
        QTest::newRow("large batches") << 3u << 600;
    }
    void streamInBatches() {
        QFETCH(quint32, seed);
        QFETCH(int, maxBatch);
        Fixture f;
        QVERIFY(f.page.Enter());
        QByteArray stream = NumberedPacket(0).mid(77); // listening starts mid-packet
        for (int n = 1; n <= 20; ++n) {
            QByteArray p = NumberedPacket(n);
            if (n == 8) p[100] = char(p[100] ^ 0x01);
            stream += p;
        }
        QRandomGenerator random(seed);
        QList<int> versionsShown;
        for (qsizetype at = 0; at < stream.size();) {
            const qsizetype n =
                qMin<qsizetype>(random.bounded(1, maxBatch + 1), stream.size() - at);
            f.port.feed(stream.mid(at, n));
            at += n;
            const int shown = f.text("StaticTextVers").toInt();
            if (versionsShown.isEmpty() || versionsShown.last() != shown) versionsShown << shown;
        }
        QCOMPARE(f.crcReports(), 1);
        QCOMPARE(versionsShown.last(), 20);
        // Packets appear in stream order; the damaged one never.
        for (qsizetype i = 1; i < versionsShown.size(); ++i)
            QVERIFY(versionsShown[i] > versionsShown[i - 1]);
        QVERIFY(!versionsShown.contains(8));
        QVERIFY(f.message()->text().isEmpty());
    }

    void newestPacketOfBatchIsShown() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.port.feed(NumberedPacket(1) + NumberedPacket(2) + NumberedPacket(3));
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("3"));
        QCOMPARE(f.crcReports(), 0);
    }

    void readFailure() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.port.readFails = true;
        f.port.feed(NumberedPacket(1));
        QCOMPARE(f.messages.texts(), QStringList{" Ошибка приема информации !"});
        QVERIFY(f.text("StaticTextVers").isEmpty());
        f.port.readFails = false;
        f.port.feed(NumberedPacket(2));
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("2"));
    }

    void leavingThePage() {
        Fixture f;
        QVERIFY(f.page.Enter());
        f.port.feed(NumberedPacket(1));
        f.link.InfoChanMode = false; // the page change
        f.page.TimerChanInfo().fire();
        QVERIFY(f.message()->text().isEmpty());
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("1"));
        // The bytes take the Modbus path, which waits for a reply that was not asked for.
        const QByteArray packet = NumberedPacket(2);
        f.port.feed(packet);
        QCOMPARE(f.text("StaticTextVers"), QStringLiteral("1"));
        QCOMPARE(f.port.bytesAvailable(), packet.size());
        QCOMPARE(f.crcReports(), 0);
    }

    void reenteringForgetsOldBytes() {
        Fixture f;
        QVERIFY(f.page.Enter());
        const QByteArray packet = NumberedPacket(1);
        f.port.feed(packet.left(90));
        f.link.InfoChanMode = false;
        QVERIFY(f.page.Enter());
        // The rest of the old packet after the flush does not complete anything.
        f.port.feed(packet.mid(90) + NumberedPacket(2).left(60));
        QCOMPARE(f.crcReports(), 0);
        QVERIFY(f.text("StaticTextVers").isEmpty());
    }

    void layoutFits() {
        Fixture f;
        f.page.resize(840, 530);
        f.page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.page));
        f.page.ShowInfoChanPacket(QByteArrayView(WorkedPacket()).sliced(5));
        const QSize min = f.page.minimumSizeHint();
        QVERIFY2(min.width() <= 840 && min.height() <= 530,
                 qPrintable(QStringLiteral("%1 x %2").arg(min.width()).arg(min.height())));
        const QRect pageRect = f.page.rect();
        for (QWidget* w : f.page.findChildren<QWidget*>()) {
            if (!w->isVisible()) continue;
            const QRect r(w->mapTo(&f.page, QPoint(0, 0)), w->size());
            QVERIFY2(pageRect.contains(r),
                     qPrintable(w->objectName() + " " + w->metaObject()->className()));
            if (auto* label = qobject_cast<QLabel*>(w)) {
                QVERIFY2(label->width() >= label->sizeHint().width() &&
                             label->height() >= label->sizeHint().height(),
                         qPrintable(label->text()));
            }
        }
        // A value of six digits fits its edit.
        for (QLineEdit* e : f.valueEdits()) {
            const int needed = e->fontMetrics().horizontalAdvance("-999,999.000");
            QVERIFY2(e->width() >= needed, qPrintable(e->objectName()));
        }
    }
};

QTEST_MAIN(InfoChanPageTest)
#include "test_infochan_page.moc"
