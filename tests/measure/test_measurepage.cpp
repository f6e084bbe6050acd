// The measurement page on the in-memory port: the request on the line, the values shown, single
// reads, periodic polling and the failures of the link as the page sees them.
#include "convert.h"
#include "fakeserialport.h"
#include "frames.h"
#include "lamp.h"
#include "linkeffects.h"
#include "measurepage.h"
#include "modbuslink.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace tarvik;

namespace {

const QByteArray ReadFrame = Hex("01 03 00 00 00 3E C4 1A");
const QString Read = QStringLiteral("     Читать");
const QString Stop = QStringLiteral("     Стoп"); // Latin o
const QString NoInfoText = QStringLiteral("нет информ.");

// The edits of the currents; every other edit shows three decimals.
const QStringList CurrentEdits{"EditIa", "EditIb", "EditIc", "EditI", "EditIo"};

QByteArray Data(const QByteArray& pair, int markerPair = -1) {
    QByteArray data;
    for (int i = 0; i < 31; ++i)
        data += i == markerPair ? Hex("FF FF FF FF") : pair;
    return data;
}

QByteArray Reply220(int markerPair = -1) {
    return Read03Reply(1, Data(Hex("43 5C 80 00"), markerPair));
}

// The page as the window builds it: the link's effects applied below it, the port's data events
// wired to the link.
struct Bench {
    FakeSerialPort port;
    RecordingMessages messages;
    ModbusLink link{port, messages};
    RegisterDecoder decoder;
    std::unique_ptr<MeasurePage> page = std::make_unique<MeasurePage>(link, decoder, messages);

    Bench() {
        QObject::connect(&port, &SerialPort::dataAvailable, &link,
                         &ModbusLink::ComPortTriggerAvail);
        ApplyLinkEffects(link, page.get());
    }

    template <typename T = QWidget> T* get(const QString& name) const {
        T* w = page->findChild<T*>(name);
        if (!w) qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString text(const QString& name) const { return get<QLineEdit>(name)->text(); }
    QPushButton* start() const { return get<QPushButton>("BitBtnStart"); }
    QCheckBox* autoBox() const { return get<QCheckBox>("CheckBoxAuto"); }
    Lamp* lamp() const { return get<Lamp>("ApdStatusLight3"); }
    QStringList valueEdits() const {
        QStringList names;
        for (const auto& v : MeasurePage::MeasuredValues())
            names << QLatin1String(v.edit);
        return names;
    }
    void startPolling(const QString& period) {
        get<QLineEdit>("EditAuto")->setText(period);
        autoBox()->setChecked(true);
        start()->click();
    }
};

} // namespace

class MeasurePageTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void startState() {
        Bench b;
        QCOMPARE(b.start()->text(), Read);
        QCOMPARE(b.text("Edit1"), "1");
        QCOMPARE(b.text("EditAuto"), "100");
        QVERIFY(!b.autoBox()->isChecked());
        QVERIFY(!b.lamp()->lit());
        QCOMPARE(b.lamp()->litColour(), QColor(Qt::green));
        QCOMPARE(b.page->TimerAuto().objectName(), "TimerAuto");
        QVERIFY(!b.page->TimerAuto().enabled());
        QCOMPARE(b.page->TimerAuto().interval(), 1000);
        QCOMPARE(b.valueEdits().size(), 31);
        for (const QString& name : b.valueEdits()) {
            QVERIFY2(b.get<QLineEdit>(name)->isReadOnly(), qPrintable(name));
            QVERIFY2(b.text(name).isEmpty(), qPrintable(name));
        }
    }

    // The page must fit the working area of the fixed main window (about 840 x 530).
    void fitsItsArea() {
        Bench b;
        const QSize needed = b.page->minimumSizeHint();
        QVERIFY2(needed.width() <= 840 && needed.height() <= 530,
                 qPrintable(QStringLiteral("%1 x %2").arg(needed.width()).arg(needed.height())));
    }

    void singleRead_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("volts");
        QTest::addColumn<QString>("amperes");
        QTest::newRow("C") << QLocale::c() << "220.500"
                           << "220.5000";
        QTest::newRow("ru") << QLocale(QLocale::Russian, QLocale::Russia) << "220,500"
                            << "220,5000";
    }
    void singleRead() {
        QFETCH(QLocale, locale);
        QFETCH(QString, volts);
        QFETCH(QString, amperes);
        QLocale::setDefault(locale);
        Bench b;

        b.start()->click();
        QCOMPARE(b.port.written, QList<QByteArray>{ReadFrame});
        QVERIFY(!b.start()->isEnabled());
        QVERIFY(b.lamp()->lit());
        QCOMPARE(b.get<QLabel>("StaticTextAllEnquiry")->text(), "1");

        b.port.feed(Reply220());
        QVERIFY(b.start()->isEnabled());
        QVERIFY(!b.lamp()->lit());
        for (const QString& name : b.valueEdits())
            QCOMPARE(b.text(name), CurrentEdits.contains(name) ? amperes : volts);
        QVERIFY(!b.get<QLabel>("StaticTextTimeMeasure")->text().isEmpty());
        QCOMPARE(b.port.written.size(), 1);
    }

    void markerShowsInItsEditOnly() {
        Bench b;
        b.start()->click();
        b.port.feed(Reply220(29));
        QCOMPARE(b.text("EditUo"), NoInfoText);
        QCOMPARE(b.text("EditIo"), "220.5000");
        QCOMPARE(b.text("EditUL"), "220.500");
        QVERIFY(!b.decoder.NoInfo);
    }

    // A reply whose byte count announces fewer pairs than the page shows: the missing pairs show
    // no information, nothing is read beyond the reply.
    void shortBlockShowsNoInformation() {
        Bench b;
        b.start()->click();
        b.link.ExpectedReplyLength = 13; // as a reply of two pairs completes the wait
        b.port.feed(Read03Reply(1, Hex("43 5C 80 00 3F 00 00 00")));
        QCOMPARE(b.text("EditUa"), "220.500");
        QCOMPARE(b.text("EditUb"), "0.500");
        QCOMPARE(b.text("EditUc"), NoInfoText);
        QCOMPARE(b.text("EditIo"), NoInfoText);
    }

    // No reply: the button comes back, the lamp turns red, the values go blank except the
    // zero-sequence ones.
    void timeOut() {
        Bench b;
        b.start()->click();
        b.port.feed(Reply220());
        b.start()->click();
        QVERIFY(!b.start()->isEnabled());

        b.link.TimerWaitAnsw().fire();
        QVERIFY(b.start()->isEnabled());
        QVERIFY(!b.lamp()->lit());
        QCOMPARE(b.lamp()->litColour(), QColor(Qt::red));
        QCOMPARE(b.get<QLabel>("StaticTextNoAnsw")->text(), "1");
        for (const QString& name : b.valueEdits()) {
            const bool kept = name == "EditUo" || name == "EditIo";
            QCOMPARE(b.text(name).isEmpty(), !kept);
        }

        // The next start lights the lamp lime again.
        b.start()->click();
        QVERIFY(b.lamp()->lit());
        QCOMPARE(b.lamp()->litColour(), QColor(Qt::green));
    }

    void badAddressSendsNothing_data() {
        QTest::addColumn<bool>("polling");
        QTest::newRow("single read") << false;
        QTest::newRow("polling") << true;
    }
    void badAddressSendsNothing() {
        QFETCH(bool, polling);
        Bench b;
        b.get<QLineEdit>("Edit1")->setText("abc");
        b.autoBox()->setChecked(polling);
        b.start()->click();

        QCOMPARE(b.messages.entries.size(), 1);
        QCOMPARE(b.messages.entries[0].kind, RecordingMessages::Entry::Error);
        QCOMPARE(b.messages.entries[0].text, NotAnIntegerMessage("abc"));
        QVERIFY(b.port.written.isEmpty());
        QVERIFY(!b.page->AutoPolling);
        QCOMPARE(b.start()->text(), Read);
        QVERIFY(b.start()->isEnabled());
        QVERIFY(b.autoBox()->isEnabled());
        QVERIFY(b.get("Edit1")->isEnabled());
        QVERIFY(!b.lamp()->lit());
        QVERIFY(!b.page->TimerAuto().enabled());
    }

    void pollingPeriod_data() {
        QTest::addColumn<QString>("period");
        QTest::addColumn<int>("interval");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("ticking");
        QTest::newRow("100") << "100" << 100 << "100" << true;
        QTest::newRow("low 16 bits") << "70000" << 4464 << "70000" << true;
        QTest::newRow("above 60000") << "61000" << 60000 << "60000" << true;
        QTest::newRow("negative") << "-5" << 60000 << "60000" << true; // 65531
        QTest::newRow("zero: no ticks") << "0" << 0 << "0" << false;
        QTest::newRow("not a number keeps the interval") << "abc" << 1000 << "" << true;
    }
    void pollingPeriod() {
        QFETCH(QString, period);
        QFETCH(int, interval);
        QFETCH(QString, shown);
        QFETCH(bool, ticking);
        Bench b;
        QSignalSpy exit(b.page.get(), &MeasurePage::exitButtonEnabled);
        b.startPolling(period);

        QCOMPARE(b.port.written, QList<QByteArray>{ReadFrame});
        QVERIFY(b.page->AutoPolling);
        QCOMPARE(b.start()->text(), Stop);
        QVERIFY(b.start()->isEnabled()); // it stops the polling
        QVERIFY(!b.autoBox()->isEnabled());
        QVERIFY(!b.get("Edit1")->isEnabled());
        QCOMPARE(exit.size(), 1);
        QCOMPARE(exit[0][0].toBool(), false);
        QVERIFY(!b.lamp()->lit());

        QCOMPARE(b.page->TimerAuto().interval(), interval);
        QVERIFY(b.page->TimerAuto().enabled());
        QCOMPARE(b.page->TimerAuto().ticking(), ticking);
        QCOMPARE(b.text("EditAuto"), shown);
    }

    // A tick sends only when no reply is outstanding, and always the measurement request.
    void pollingTicks() {
        Bench b;
        b.startPolling("100");
        b.page->TimerAuto().fire();
        QCOMPARE(b.port.written.size(), 1);
        QVERIFY(b.lamp()->lit());

        b.port.feed(Reply220());
        QVERIFY(!b.lamp()->lit());
        b.link.PendingInquiry.StartRegister = 512; // left there by another page
        b.link.PendingInquiry.Kind = 2;
        b.page->TimerAuto().fire();
        QCOMPARE(b.port.written.size(), 2);
        QCOMPARE(b.port.written[1], ReadFrame);
        QCOMPARE(b.link.InquiryKind, quint8(0));

        // After a missing reply polling goes on with the next tick.
        b.link.TimerWaitAnsw().fire();
        b.page->TimerAuto().fire();
        QCOMPARE(b.port.written.size(), 3);
        QCOMPARE(b.get<QLabel>("StaticTextAllEnquiry")->text(), "3");
    }

    // Stopping leaves the outstanding request to complete; its reply still fills the edits.
    void stopWhileRequestOutstanding() {
        Bench b;
        QSignalSpy exit(b.page.get(), &MeasurePage::exitButtonEnabled);
        b.startPolling("100");
        b.start()->click();

        QVERIFY(!b.page->AutoPolling);
        QCOMPARE(b.start()->text(), Read);
        QVERIFY(!b.autoBox()->isChecked());
        QVERIFY(b.autoBox()->isEnabled());
        QVERIFY(b.get("Edit1")->isEnabled());
        QVERIFY(!b.page->TimerAuto().enabled());
        QVERIFY(!b.lamp()->lit());
        QCOMPARE(exit.size(), 2);
        QCOMPARE(exit[1][0].toBool(), true);

        b.port.feed(Reply220());
        QCOMPARE(b.text("EditUa"), "220.500");
        b.page->TimerAuto().fire();
        QCOMPARE(b.port.written.size(), 1);
    }

    // A request of another page while the box is ticked but polling was not started leaves the
    // page idle: no timer armed, the logical number still editable.
    void otherRequestsDoNotStartPolling() {
        Bench b;
        b.autoBox()->setChecked(true);
        InquiryRecord r;
        r.Address = 1;
        r.StartRegister = 512;
        r.RegisterCount = 1;
        r.ExpectedLength = 7;
        r.Kind = 2;
        b.link.SendInquiry(r);
        QVERIFY(b.get("Edit1")->isEnabled());
        QVERIFY(!b.page->TimerAuto().enabled());
        b.page->TimerAuto().fire();
        QCOMPARE(b.port.written.size(), 1);
    }

    // The port cannot be opened: nothing is sent and the read button comes back.
    void portNotReady() {
        Bench b;
        b.port.unusable = true;
        b.start()->click();
        QVERIFY(b.port.written.isEmpty());
        QVERIFY(b.start()->isEnabled());
        QVERIFY(!b.link.AwaitingReply);
        QCOMPARE(b.messages.entries.size(), 1);
    }

    void statisticsReset() {
        Bench b;
        b.start()->click();
        b.link.TimerWaitAnsw().fire();
        QCOMPARE(b.get<QLabel>("StaticTextAllEnquiry")->text(), "1");
        b.get<QPushButton>("ButtonStatClear")->click();
        QCOMPARE(b.get<QLabel>("StaticTextAllEnquiry")->text(), "");
        QCOMPARE(b.get<QLabel>("StaticTextNoAnsw")->text(), "");
        QCOMPARE(b.link.RequestCount, quint16(0));
    }

    // Closing the page with a request outstanding and polling running: the late reply must not
    // reach the page, and no timer of the page is left behind.
    void closingWithRequestOutstanding() {
        Bench b;
        b.startPolling("100");
        QPointer<Timer> timer = &b.page->TimerAuto();
        b.page.reset();
        QVERIFY(timer.isNull());

        b.port.feed(Reply220());
        QVERIFY(!b.link.AwaitingReply);
        QCOMPARE(b.link.port().bytesAvailable(), 0);
    }

    // The window may drop the link before its pages: the page must not touch it when it goes.
    void linkGoesFirst() {
        FakeSerialPort port;
        RecordingMessages messages;
        RegisterDecoder decoder;
        auto link = std::make_unique<ModbusLink>(port, messages);
        auto page = std::make_unique<MeasurePage>(*link, decoder, messages);
        page->findChild<QCheckBox*>("CheckBoxAuto")->setChecked(true);
        page->BitBtnStartClick();
        link.reset();
        page.reset();
    }
};

QObject* MakeMeasurePageTest() {
    return new MeasurePageTest;
}

#include "test_measurepage.moc"
