// The settings file as a file: plain UTF-8 text, files that cannot be read or written, and
// the device a port number stands for.
#include "appfixture.h"

#include "portresolver.h"
#include "settingsfile.h"

#include <QDir>
#include <QTest>

namespace tarvik {

class SettingsFileTest : public QObject {
    Q_OBJECT
    std::unique_ptr<AppFixture> f;

private slots:
    void init() { f = std::make_unique<AppFixture>(); }
    void cleanup() { f.reset(); }

    void fileIsPlainUtf8Text() {
        f->writeIni("; written by hand\n[Другое]\nКлюч=значение\n");
        f->start();
        f->form->ComboBoxPort1->setCurrentText(QStringLiteral("Comm3"));
        f->form->ComboBoxBaud1->setCurrentText(QStringLiteral("19200"));
        f->form->ChangeSkin(QStringLiteral("Wood (internal)"));
        const QByteArray bytes = f->ini();
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(!bytes.contains("%U"));
        const QString text = QString::fromUtf8(bytes);
        QVERIFY2(text.contains(QStringLiteral("[Соединение]\nПорт=3\nСкорость=19200\n")),
                 qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("[Скины]\nSkinName=Wood (internal)\n")));
        // What the program does not know stays in the file.
        QVERIFY(text.contains(QStringLiteral("; written by hand")));
        QVERIFY(text.contains(QStringLiteral("[Другое]\nКлюч=значение\n")));
        // No temporary file is left beside it.
        QCOMPARE(QDir(f->dir.path()).entryList(QDir::Files), QStringList{"Tarvik.ini"});
    }

    // A file the program cannot read: the port messages, the defaults, and the file is never
    // replaced by the few keys the program knows.
    void unreadableFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder in its place") << "folder";
        QTest::newRow("binary garbage") << "garbage";
        QTest::newRow("far too big") << "big";
    }

    void unreadableFile() {
        QFETCH(QString, kind);
        QByteArray content;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(f->iniPath));
        } else {
            if (kind == QLatin1String("garbage"))
                content = QByteArray::fromHex("fffe00d8ff5b0a3d3d3d00c0c1");
            else
                content = "[Соединение]\nПорт=3\n" + QByteArray(SettingsFile::MaxSize, ';');
            f->writeIni(content);
        }
        f->start();
        const QStringList readErrors{"Ошибка при чтении номера порта: COM 1",
                                     "Ошибка при чтении скорости порта: COM 1",
                                     "Ошибка при чтении паритета порта: COM 1"};
        QCOMPARE(f->messages.texts(), readErrors);
        QCOMPARE(f->port.portNumber(), 1);
        QCOMPARE(f->port.baudRate(), 9600);
        QCOMPARE(f->port.parity(), SerialPort::Parity::None);
        QCOMPARE(f->form->currentSkin(), QStringLiteral("Neutral (internal)"));

        // Choices still work for this run; the file is left alone, and that is said once.
        f->messages.clear();
        f->form->ComboBoxPort3->setCurrentText(QStringLiteral("Comm3"));
        f->form->ComboBoxBaud2->setCurrentText(QStringLiteral("2400"));
        f->form->ChangeSkin(QStringLiteral("Golden (internal)"));
        QCOMPARE(f->port.portNumber(), 3);
        QCOMPARE(f->port.baudRate(), 2400);
        QCOMPARE(f->form->currentSkin(), QStringLiteral("Golden (internal)"));
        QCOMPARE(f->messages.entries.size(), 1);
        QVERIFY(f->messages.texts().first().contains(QDir::toNativeSeparators(f->iniPath)));
        if (kind != QLatin1String("folder")) QCOMPARE(f->ini(), content);
    }

    // The folder cannot take the file: the program starts with the defaults, and the failure to
    // save is reported once, not at every change.
    void unwritableFileReportedOnce() {
        QFile blocker(f->dir.filePath(QStringLiteral("notafolder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f->iniPath = f->dir.filePath(QStringLiteral("notafolder/Tarvik.ini"));
        f->start();
        QCOMPARE(f->messages.texts(), QStringList());

        f->form->ComboBoxPort1->setCurrentText(QStringLiteral("Comm3"));
        f->form->ComboBoxBaud1->setCurrentText(QStringLiteral("4800"));
        f->form->ComboBoxPort5->setCurrentText(QStringLiteral("Comm4"));
        f->form->ChangeSkin(QStringLiteral("BlueIce (internal)"));
        QCOMPARE(f->messages.entries.size(), 1);
        QCOMPARE(f->messages.entries.first().kind, RecordingMessages::Entry::Plain);
        QVERIFY(f->messages.texts().first().contains(QDir::toNativeSeparators(f->iniPath)));
        QCOMPARE(f->port.portNumber(), 4);
        QCOMPARE(f->port.baudRate(), 4800);
        QCOMPARE(f->portComboTexts(), QStringList(5, QStringLiteral("Comm4")));
    }

    void orderSerialDevices_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("ordered");
        QTest::newRow("USB adapters first")
            << QStringList{"/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyUSB0"}
            << QStringList{"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS1"};
        QTest::newRow("numbers count as numbers")
            << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyS10", "/dev/ttyS9"}
            << QStringList{"/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS9", "/dev/ttyS10"};
        QTest::newRow("none") << QStringList() << QStringList();
    }

    void orderSerialDevices() {
        QFETCH(QStringList, present);
        QTEST(OrderSerialDevices(present), "ordered");
    }

    void resolvePortDevice_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        const QByteArray mapped = "[Порты]\nComm2=/dev/rs485\nComm3=  \n";
        QTest::newRow("mapped") << mapped << 2 << "/dev/rs485";
        QTest::newRow("empty entry: the ports present") << mapped << 3 << "/dev/ttyS0";
        QTest::newRow("not mapped: the n-th present") << mapped << 1 << "/dev/ttyUSB0";
        QTest::newRow("no file") << QByteArray() << 2 << "/dev/ttyACM0";
        QTest::newRow("beyond the ports present") << QByteArray() << 5 << "";
        QTest::newRow("no port") << mapped << 0 << "";
    }

    void resolvePortDevice() {
        QFETCH(QByteArray, ini);
        QFETCH(int, number);
        if (!ini.isEmpty()) f->writeIni(ini);
        const QStringList present{"/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyS1"};
        QTEST(ResolvePortDevice(number, f->iniPath, present), "device");
    }
};

QObject* MakeSettingsFileTest() {
    return new SettingsFileTest;
}

} // namespace tarvik

#include "test_settingsfile.moc"
