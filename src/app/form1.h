// The main window: the banner with the theme choice and the exit button, the five pages, the
// status bar, the timers, the Modbus link and the one serial port's configuration per page.
#pragma once

#include "decode.h"
#include "settingsfile.h"
#include "timer.h"

#include <QMainWindow>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;

namespace tarvik {

class EnergyPage;
class ExtDevPage;
class InfoChanPage;
class MeasurePage;
class Messages;
class ModbusLink;
class SerialPort;
class SettingsPage;
class TForm2;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Page indices of PageControl1; the hidden energy page keeps its index.
    enum Page {
        PageMeasure = 0,
        PageSettings = 1,
        PageExtDev = 2,
        PageInfoChan = 3,
        PageEnergy = 4
    };

    // Builds the window, runs FormCreate (which applies the stored theme and the port settings
    // of the first page, possibly with messages) and creates the value-entry window hidden.
    TForm1(SerialPort& port, Messages& messages, const QString& iniPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- Start and end.
    void FormCreate();
    void BitBtnExitClick();

    // ---- Themes ("Скины").
    void LoadSkin();
    void ChangeSkin(const QString& name);
    void sBitBtn1Click();
    void sComboBoxSkinChange();
    const QString& currentSkin() const { return currentSkin_; }

    // ---- Pages and the port.
    // The page-change handling; runs when the user brings another page to the front.
    void PageControl1Change();
    void ConfigurePortForPage(int index);
    // Port, speed and parity from the settings file (pages 0 and 1).
    void ApplyPortSettings();
    // Port from the settings file, 9600 baud without parity (pages 2 and 3).
    void ApplyPortFixedSpeed();
    void ComboBoxPort1Change();
    void ComboBoxPort2Change();
    void ComboBoxPort3Change();
    void ComboBoxPort4Change();
    void ComboBoxPort5Change();
    void ComboBoxBaud1Change();
    void ComboBoxBaud2Change();
    void ComboBoxBaud4Change();
    // Keeps a logical number (Modbus slave address) within 1..247: anything else empties the edit.
    void ControlInfoEdit(QLineEdit* edit);
    void Edit1Change();
    void Edit2Change();
    void Edit12Change();
    // Brings a page to the front from the program: the page-change handling does not run.
    void ShowPage(int index);

    // ---- What the window owns.
    ModbusLink& link() const { return *link_; }
    RegisterDecoder& decoder() { return decoder_; }
    SettingsFile& settingsFile() { return settings_; }
    MeasurePage* measurePage() const { return measurePage_; }
    SettingsPage* settingsPage() const { return settingsPage_; }
    ExtDevPage* extDevPage() const { return extDevPage_; }
    InfoChanPage* infoChanPage() const { return infoChanPage_; }
    EnergyPage* energyPage() const { return energyPage_; }
    TForm2* form2() const { return form2_; }

    // The window's own timers (the link, the measurement page and the information-channel page
    // own the other four).
    Timer& TimerSetAuto() { return *timerSetAuto_; }
    Timer& TimerClock() { return *timerClock_; }
    Timer& TimerSaveMaxVal() { return *timerSaveMaxVal_; }
    void TimerSetAutoTimer();
    void TimerClockTimer();
    void TimerSaveMaxValTimer();

    // ---- Controls of the frame.
    QFrame* sPanel3 = nullptr;
    QLabel* sLabelFX1 = nullptr;
    QPushButton* sBitBtn1 = nullptr;
    QComboBox* sComboBoxSkin = nullptr;
    QPushButton* BitBtnExit = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusBarPanel0 = nullptr;
    QLabel* StatusBarPanel1 = nullptr;
    QProgressBar* sProgressBarSchKp = nullptr;

    // ---- The link groups of the pages (found by objectName on the pages).
    QComboBox* ComboBoxPort1 = nullptr; // page 0
    QComboBox* ComboBoxPort3 = nullptr; // page 1
    QComboBox* ComboBoxPort2 = nullptr; // page 2
    QComboBox* ComboBoxPort4 = nullptr; // page 3
    QComboBox* ComboBoxPort5 = nullptr; // page 4
    QComboBox* ComboBoxBaud1 = nullptr; // page 0, eight speeds
    QComboBox* ComboBoxBaud2 = nullptr; // page 1, six speeds
    QComboBox* ComboBoxBaud4 = nullptr; // page 4, six speeds
    QLineEdit* Edit1 = nullptr;         // page 0
    QLineEdit* Edit2 = nullptr;         // page 1
    QLineEdit* Edit12 = nullptr;        // page 4
    QLineEdit* sEditNetAddr = nullptr;  // page 3

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFrame();
    void findLinkControls();
    // Reads "Порт" and gives it to the port, with the messages of a failed read and of an
    // invalid number (which is replaced by 1 and written back).
    void applyStoredPortNumber(bool leaveInfoChanOnFailure);
    void connectHandlers();
    void portComboChanged(QComboBox* changed, bool noPortOnFailure);
    void baudComboChanged(QComboBox* changed);
    void copyLogicalNumber(QLineEdit* from);
    void setPortCombos(int index);
    void setBaudCombos(int index);
    void showPortDevice();
    void onPortFailed();
    void stopTimers();

    Messages& messages_;
    SettingsFile settings_;
    RegisterDecoder decoder_;
    ModbusLink* link_ = nullptr;
    MeasurePage* measurePage_ = nullptr;
    SettingsPage* settingsPage_ = nullptr;
    ExtDevPage* extDevPage_ = nullptr;
    InfoChanPage* infoChanPage_ = nullptr;
    EnergyPage* energyPage_ = nullptr;
    TForm2* form2_ = nullptr;
    Timer* timerSetAuto_ = nullptr;
    Timer* timerClock_ = nullptr;
    Timer* timerSaveMaxVal_ = nullptr;
    QString currentSkin_;
};

} // namespace tarvik
