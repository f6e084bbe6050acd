// A main window built offscreen on an in-memory serial port, with recorded messages and a
// settings file of its own in a temporary folder.
#pragma once

#include "fakeserialport.h"
#include "form1.h"
#include "messages.h"
#include "modbuslink.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <memory>

namespace tarvik {

// The in-memory port, able to refuse the real ports while still taking "no port" (0).
class FixturePort : public FakeSerialPort {
public:
    bool refuseRealPorts = false;
    bool setPortNumber(int number) override {
        if (refuseRealPorts && number > 0) return false;
        return FakeSerialPort::setPortNumber(number);
    }
};

struct AppFixture {
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("Tarvik.ini"));
    FixturePort port;
    RecordingMessages messages;
    std::unique_ptr<TForm1> form;

    AppFixture() {
        // Anything but the defaults, so that the start visibly configures the port.
        port.setPortNumber(9);
        port.setBaudRate(1200);
        port.setParity(SerialPort::Parity::Odd);
    }
    ~AppFixture() { form.reset(); }

    void writeIni(const QByteArray& text) const {
        QFile f(iniPath);
        if (f.open(QIODevice::WriteOnly)) f.write(text);
    }
    QByteArray ini() const {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString iniText() const { return QString::fromUtf8(ini()); }

    TForm1& start() {
        form.reset();
        form = std::make_unique<TForm1>(port, messages, iniPath);
        return *form;
    }
    // The user brings a page to the front.
    void choosePage(int index) const { form->PageControl1->setCurrentIndex(index); }

    template <typename T = QWidget> T* find(const QString& name) const {
        return form->findChild<T*>(name);
    }
    QStringList portComboTexts() const {
        QStringList out;
        for (auto* c : {form->ComboBoxPort1, form->ComboBoxPort3, form->ComboBoxPort2,
                        form->ComboBoxPort4, form->ComboBoxPort5})
            out << c->currentText();
        return out;
    }
    QStringList baudComboTexts() const {
        QStringList out;
        for (auto* c : {form->ComboBoxBaud1, form->ComboBoxBaud2, form->ComboBoxBaud4})
            out << c->currentText();
        return out;
    }
    QStringList logicalNumbers() const {
        return {form->Edit1->text(), form->Edit2->text(), form->Edit12->text()};
    }
};

} // namespace tarvik
