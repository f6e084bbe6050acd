// The page change of the main window and the one serial port's configuration for each page:
// the port, speed and parity choices, the settings file, the logical number.
#include "form1.h"

#include "convert.h"
#include "extdevpage.h"
#include "infochanpage.h"
#include "linkcontrols.h"
#include "measurepage.h"
#include "messages.h"
#include "modbuslink.h"
#include "serialport.h"
#include "settingspage.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTabWidget>

namespace tarvik {

namespace {

constexpr int DefaultPort = 1;
constexpr int DefaultSpeed = 9600;
constexpr int FixedSpeed = 9600;

bool validPortNumber(int n) {
    return n >= 1 && n <= 16;
}

void setIndexQuietly(QComboBox* combo, int index) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index); // beyond the items: no selection
}

QString com(int n) {
    return QString::number(n);
}

} // namespace

void TForm1::ShowPage(int index) {
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentIndex(index);
}

void TForm1::PageControl1Change() {
    link_->InfoChanMode = false;
    ConfigurePortForPage(PageControl1->currentIndex());
    // A running link-up of the settings page stops when its page is left.
    if (link_->LinkUpRunning) settingsPage_->BitBtnSetNetClick();
    // Automatic polling of the first page runs while its logical number is locked: stop it.
    if (!Edit1->isEnabled()) measurePage_->BitBtnStartClick();
    settingsPage_->PageControlSetAllParamChange();
}

void TForm1::ConfigurePortForPage(int index) {
    switch (index) {
    case PageMeasure:
    case PageSettings:
        ApplyPortSettings();
        break;
    case PageExtDev:
        ApplyPortFixedSpeed();
        // Each line gets the default setpoints of its chosen quantity.
        for (int row = 0; row < 3; ++row) {
            extDevPage_->ApplyIndicatorLimits(row, true);
            settingsPage_->ApplySetpointLimits(row, true);
        }
        break;
    case PageInfoChan:
        ApplyPortFixedSpeed();
        // A port that cannot be read has brought the first page to the front: no listening
        // there, the Modbus replies must reach the first page.
        if (PageControl1->currentIndex() != PageInfoChan) return;
        if (!infoChanPage_->Enter() || PageControl1->currentIndex() != PageInfoChan)
            link_->InfoChanMode = false;
        break;
    default:
        break;
    }
}

void TForm1::applyStoredPortNumber(bool leaveInfoChanOnFailure) {
    SerialPort& port = link_->port();
    // An invalid number is not given to the port at all.
    const std::optional<int> storedPort =
        settings_.readInteger(SettingsFile::Connection, SettingsFile::Port, DefaultPort);
    const int number = storedPort.value_or(DefaultPort);
    bool ok = storedPort.has_value();
    if (validPortNumber(number)) ok = port.setPortNumber(number) && ok;
    if (!ok) {
        if (leaveInfoChanOnFailure && PageControl1->currentIndex() == PageInfoChan)
            ShowPage(PageMeasure);
        messages_.plain(QStringLiteral("Ошибка при чтении номера порта: COM ") +
                        com(port.portNumber()));
    }
    if (!validPortNumber(number)) {
        messages_.plain(QStringLiteral("Ошибочный номер порта: COM ") + com(number));
        port.setPortNumber(DefaultPort);
        settings_.writeInteger(SettingsFile::Connection, SettingsFile::Port, DefaultPort);
    }
}

void TForm1::ApplyPortSettings() {
    SerialPort& port = link_->port();
    settings_.open();
    applyStoredPortNumber(false);
    setPortCombos(port.portNumber() - 1);

    // Speed. A speed out of range is replaced for the port; the file keeps it.
    const std::optional<int> storedSpeed =
        settings_.readInteger(SettingsFile::Connection, SettingsFile::Speed, DefaultSpeed);
    int speed = storedSpeed.value_or(DefaultSpeed);
    const bool speedInRange = speed >= 600 && speed <= 115200;
    bool ok = storedSpeed.has_value();
    if (speedInRange) ok = port.setBaudRate(speed) && ok;
    if (!ok)
        messages_.plain(QStringLiteral("Ошибка при чтении скорости порта: COM ") +
                        com(port.portNumber()));
    if (!speedInRange) {
        messages_.plain(QStringLiteral("Ошибочная скорость порта: ") + QString::number(speed));
        speed = DefaultSpeed;
        port.setBaudRate(speed);
    }
    // A valid speed outside the table (600, 14400) stays on the port; the combos show 9600.
    setBaudCombos(BaudIndex(QString::number(speed)));

    // Parity, taken as an 8-bit number: 0 none, 1 odd, 2 even.
    const std::optional<int> storedParity =
        settings_.readInteger(SettingsFile::Connection, SettingsFile::Parity, 0);
    const quint8 parity = quint8(storedParity.value_or(0));
    ok = storedParity.has_value();
    if (parity <= 2) ok = port.setParity(SerialPort::Parity(parity)) && ok;
    if (!ok)
        messages_.plain(QStringLiteral("Ошибка при чтении паритета порта: COM ") +
                        com(port.portNumber()));
    if (parity > 2) {
        messages_.plain(QStringLiteral("Ошибка в задании контроля четности порта: ") +
                        QString::number(parity));
        port.setParity(SerialPort::Parity::None);
    }

    port.setDataBits(8);
    port.setStopBits(1);
    showPortDevice();
}

void TForm1::ApplyPortFixedSpeed() {
    SerialPort& port = link_->port();
    settings_.open();
    applyStoredPortNumber(true);
    setIndexQuietly(ComboBoxPort2, port.portNumber() - 1);
    setIndexQuietly(ComboBoxPort4, port.portNumber() - 1);

    port.setBaudRate(FixedSpeed);
    port.setParity(SerialPort::Parity::None);
    port.setDataBits(8);
    port.setStopBits(1);
    showPortDevice();
}

// ---------------------------------------------------------------- port and speed choices

void TForm1::ComboBoxPort1Change() {
    portComboChanged(ComboBoxPort1, false);
}
void TForm1::ComboBoxPort2Change() {
    portComboChanged(ComboBoxPort2, false);
}
void TForm1::ComboBoxPort3Change() {
    portComboChanged(ComboBoxPort3, false);
}
void TForm1::ComboBoxPort4Change() {
    portComboChanged(ComboBoxPort4, true);
}
void TForm1::ComboBoxPort5Change() {
    portComboChanged(ComboBoxPort5, true);
}

void TForm1::portComboChanged(QComboBox* changed, bool noPortOnFailure) {
    if (changed->currentIndex() < 0) return; // a pick list is never emptied by the user
    SerialPort& port = link_->port();
    settings_.open();
    if (changed->currentIndex() > 15) {
        messages_.plain(QStringLiteral("Ошибка при изменении номера порта: COM ") +
                        com(changed->currentIndex() + 1));
        setPortCombos(0);
    }
    const int index = changed->currentIndex();
    if (!port.setPortNumber(index + 1)) {
        if (!noPortOnFailure) {
            messages_.error(QStringLiteral("Порт Comm%1 не может быть выбран").arg(index + 1));
            // The list shows the port really in use, not the refused one.
            setIndexQuietly(changed, port.portNumber() - 1);
            return;
        }
        port.setPortNumber(0);
    }
    setPortCombos(index);
    settings_.writeInteger(SettingsFile::Connection, SettingsFile::Port, port.portNumber());
    showPortDevice();
    // While listening to the information channel the new port is opened at once; otherwise the
    // next request opens it.
    if (link_->InfoChanMode) link_->FlushPortBuffers();
}

void TForm1::ComboBoxBaud1Change() {
    baudComboChanged(ComboBoxBaud1);
}
void TForm1::ComboBoxBaud2Change() {
    baudComboChanged(ComboBoxBaud2);
}
void TForm1::ComboBoxBaud4Change() {
    baudComboChanged(ComboBoxBaud4);
}

void TForm1::baudComboChanged(QComboBox* changed) {
    if (changed->currentIndex() < 0) return;
    settings_.open();
    int speed = StrToInt(changed->currentText()).value_or(DefaultSpeed);
    if (speed < 1200 || speed > 115200) {
        messages_.plain(QStringLiteral("Ошибочная скорость порта: ") + QString::number(speed));
        setBaudCombos(3);
        speed = DefaultSpeed;
    }
    settings_.writeInteger(SettingsFile::Connection, SettingsFile::Speed, speed);
    setBaudCombos(BaudIndex(QString::number(speed)));
    if (!link_->port().setBaudRate(speed))
        messages_.error(QStringLiteral("Скорость %1 не может быть установлена").arg(speed));
}

void TForm1::setPortCombos(int index) {
    for (QComboBox* c : {ComboBoxPort1, ComboBoxPort3, ComboBoxPort2, ComboBoxPort4, ComboBoxPort5})
        setIndexQuietly(c, index);
}

void TForm1::setBaudCombos(int index) {
    for (QComboBox* c : {ComboBoxBaud1, ComboBoxBaud2, ComboBoxBaud4})
        setIndexQuietly(c, index);
}

void TForm1::showPortDevice() {
    const SerialPort& port = link_->port();
    const QString device = port.deviceName();
    QString text;
    if (port.portNumber() == 0)
        text = QStringLiteral("Порт не выбран");
    else if (device.isEmpty())
        text = QStringLiteral("Comm%1: устройство не найдено").arg(port.portNumber());
    else
        text = QStringLiteral("Comm%1: %2").arg(port.portNumber()).arg(device);
    StatusBarPanel0->setText(text);
    for (QComboBox* c : {ComboBoxPort1, ComboBoxPort3, ComboBoxPort2, ComboBoxPort4, ComboBoxPort5})
        c->setToolTip(text);
}

// ---------------------------------------------------------------- the logical number

void TForm1::ControlInfoEdit(QLineEdit* edit) {
    const QString text = edit->text();
    if (text.isEmpty()) return; // possible; the requests that need it then refuse to go
    const std::optional<qint32> value = StrToInt(text);
    if (!value) {
        edit->setText(QString());
        return;
    }
    if (*value < 1 || *value > 247) {
        messages_.plain(
            QStringLiteral("Логический номер должен \nнаходиться в пределах \nот 1 до 247 "));
        edit->setText(QString());
        edit->setFocus();
    }
}

void TForm1::Edit1Change() {
    ControlInfoEdit(Edit1);
    copyLogicalNumber(Edit1);
}

void TForm1::Edit2Change() {
    ControlInfoEdit(Edit2);
    copyLogicalNumber(Edit2);
}

void TForm1::Edit12Change() {
    ControlInfoEdit(Edit12);
    copyLogicalNumber(Edit12);
}

void TForm1::copyLogicalNumber(QLineEdit* from) {
    // Setting the text an edit already has raises no change, which ends the chain.
    const QString text = from->text();
    for (QLineEdit* e : {Edit1, Edit2, Edit12})
        if (e != from) e->setText(text);
}

// ---------------------------------------------------------------- the port gone

void TForm1::onPortFailed() {
    // The port failed at a flush (its message is shown by the link). Listening to the
    // information channel ends with it.
    if (PageControl1->currentIndex() == PageInfoChan) ShowPage(PageMeasure);
    link_->InfoChanMode = false;
}

} // namespace tarvik
