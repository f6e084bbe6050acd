// The main window's frame, its start (FormCreate) and its end.
#include "form1.h"

#include "energypage.h"
#include "extdevpage.h"
#include "form2.h"
#include "infochanpage.h"
#include "lamp.h"
#include "linkeffects.h"
#include "measurepage.h"
#include "messages.h"
#include "modbuslink.h"
#include "serialport.h"
#include "settingspage.h"
#include "themes.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarvik {

namespace {

// Tabs of the main page control are 40 pixels high.
class TallTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override {
        QSize size = QTabBar::tabSizeHint(index);
        size.setHeight(40);
        return size;
    }
};

class PageControl : public QTabWidget {
public:
    explicit PageControl(QWidget* parent) : QTabWidget(parent) { setTabBar(new TallTabBar(this)); }
};

template <typename T> T* required(QWidget* root, const char* name) {
    T* w = root->findChild<T*>(QLatin1String(name));
    Q_ASSERT_X(w, "TForm1", name);
    return w;
}

// Controls that later stages of the start leave disabled until the device has answered.
void disableByName(QWidget* root, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (auto* w = root->findChild<QWidget*>(QLatin1String(name))) w->setEnabled(false);
}

} // namespace

TForm1::TForm1(SerialPort& port, Messages& messages, const QString& iniPath, QWidget* parent)
    : QMainWindow(parent), messages_(messages), settings_(iniPath, &messages) {
    setObjectName(QStringLiteral("Form1"));
    link_ = new ModbusLink(port, messages, this);
    link_->setObjectName(QStringLiteral("ModbusLink"));
    buildFrame();
    findLinkControls();
    connectHandlers();
    FormCreate();
    // The value-entry window comes after the main window, hidden until the metrology page
    // shows it.
    form2_ = new TForm2(this);
    form2_->hide();
}

TForm1::~TForm1() {
    stopTimers();
    // The pages hold references to the link and the decoder: they go first.
    delete takeCentralWidget();
    delete form2_;
}

void TForm1::buildFrame() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Banner: the maker's name, the theme choice, the exit button at the right.
    sPanel3 = new QFrame(central);
    sPanel3->setObjectName(QStringLiteral("sPanel3"));
    sPanel3->setFixedHeight(28);
    sPanel3->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* banner = new QHBoxLayout(sPanel3);
    banner->setContentsMargins(8, 1, 4, 1);
    sLabelFX1 = new QLabel(QStringLiteral("Вельдар"), sPanel3);
    sLabelFX1->setObjectName(QStringLiteral("sLabelFX1"));
    QFont bannerFont = sLabelFX1->font();
    bannerFont.setBold(true);
    bannerFont.setItalic(true);
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.35);
    sLabelFX1->setFont(bannerFont);
    sBitBtn1 = new QPushButton(QStringLiteral("Скины"), sPanel3);
    sBitBtn1->setObjectName(QStringLiteral("sBitBtn1"));
    sBitBtn1->setProperty("Tag", 0);
    sComboBoxSkin = new QComboBox(sPanel3);
    sComboBoxSkin->setObjectName(QStringLiteral("sComboBoxSkin"));
    sComboBoxSkin->addItems(ThemeNames());
    sComboBoxSkin->setMaxVisibleItems(ThemeNames().size());
    sComboBoxSkin->hide();
    BitBtnExit = new QPushButton(QStringLiteral("Выход"), sPanel3);
    BitBtnExit->setObjectName(QStringLiteral("BitBtnExit"));
    for (QPushButton* b : {sBitBtn1, BitBtnExit})
        b->setFixedSize(90, 24);
    sComboBoxSkin->setFixedHeight(24);
    banner->addWidget(sLabelFX1);
    banner->addSpacing(24);
    banner->addWidget(sBitBtn1);
    banner->addWidget(sComboBoxSkin);
    banner->addStretch();
    banner->addWidget(BitBtnExit);
    layout->addWidget(sPanel3);

    // The working area: five pages, the last one's tab hidden.
    PageControl1 = new PageControl(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(false);
    measurePage_ = new MeasurePage(*link_, decoder_, messages_, PageControl1);
    settingsPage_ = new SettingsPage(*link_, messages_, PageControl1);
    extDevPage_ = new ExtDevPage(*link_, messages_, PageControl1);
    infoChanPage_ = new InfoChanPage(*link_, messages_, PageControl1);
    energyPage_ = new EnergyPage(*link_, messages_, PageControl1);
    const struct {
        QWidget* page;
        const char* name;
        const char* caption;
    } pages[] = {
        {measurePage_, "TS_Tarvik", "Измеряемая информация"},
        {settingsPage_, "TStuning", "Настройка"},
        {extDevPage_, "TS_ExtDev", "Внешние устройства"},
        {infoChanPage_, "sTabSheet4", "Информационный канал"},
        {energyPage_, "sTabSheet8", "   Энергия   "},
    };
    for (const auto& p : pages) {
        p.page->setObjectName(QLatin1String(p.name));
        PageControl1->addTab(p.page, QString::fromUtf8(p.caption));
    }
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);

    // Status bar: panel 0 names the port device, panel 1 carries the link's messages.
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setSizeGripEnabled(false);
    StatusBarPanel0 = new QLabel(StatusBar);
    StatusBarPanel0->setObjectName(QStringLiteral("StatusBarPanel0"));
    StatusBarPanel0->setMinimumWidth(260);
    StatusBarPanel1 = new QLabel(StatusBar);
    StatusBarPanel1->setObjectName(QStringLiteral("StatusBarPanel1"));
    sProgressBarSchKp = new QProgressBar(StatusBar);
    sProgressBarSchKp->setObjectName(QStringLiteral("sProgressBarSchKp"));
    sProgressBarSchKp->setRange(0, 100);
    sProgressBarSchKp->setFixedWidth(200);
    sProgressBarSchKp->hide();
    StatusBar->addWidget(StatusBarPanel0);
    StatusBar->addWidget(StatusBarPanel1, 1);
    StatusBar->addPermanentWidget(sProgressBarSchKp);
    setStatusBar(StatusBar);

    // The window's own timers; their work comes with the settings chains, the scheme save and
    // the clock page.
    timerSetAuto_ = new Timer(this, 500, false);
    timerSetAuto_->setObjectName(QStringLiteral("TimerSetAuto"));
    timerClock_ = new Timer(this, 1000, true);
    timerClock_->setObjectName(QStringLiteral("TimerClock"));
    timerSaveMaxVal_ = new Timer(this, 100, false);
    timerSaveMaxVal_->setObjectName(QStringLiteral("TimerSaveMaxVal"));

    setFixedSize(846, 630);
}

void TForm1::findLinkControls() {
    ComboBoxPort1 = required<QComboBox>(this, "ComboBoxPort1");
    ComboBoxPort3 = required<QComboBox>(this, "ComboBoxPort3");
    ComboBoxPort2 = required<QComboBox>(this, "ComboBoxPort2");
    ComboBoxPort4 = required<QComboBox>(this, "ComboBoxPort4");
    ComboBoxPort5 = required<QComboBox>(this, "ComboBoxPort5");
    ComboBoxBaud1 = required<QComboBox>(this, "ComboBoxBaud1");
    ComboBoxBaud2 = required<QComboBox>(this, "ComboBoxBaud2");
    ComboBoxBaud4 = required<QComboBox>(this, "ComboBoxBaud4");
    Edit1 = required<QLineEdit>(this, "Edit1");
    Edit2 = required<QLineEdit>(this, "Edit2");
    Edit12 = required<QLineEdit>(this, "Edit12");
    sEditNetAddr = required<QLineEdit>(this, "sEditNetAddr");
}

void TForm1::connectHandlers() {
    SerialPort& port = link_->port();
    connect(&port, &SerialPort::dataAvailable, link_, &ModbusLink::ComPortTriggerAvail);
    // Every timer of the window can be found by its name.
    if (infoChanPage_->TimerChanInfo().objectName().isEmpty())
        infoChanPage_->TimerChanInfo().setObjectName(QStringLiteral("TimerChanInfo"));
    connect(link_, &ModbusLink::infoChannelData, infoChanPage_, &InfoChanPage::Receive);
    connect(link_, &ModbusLink::portFailed, this, &TForm1::onPortFailed);
    ApplyLinkEffects(*link_, this);
    // The senders that take no address from their record use the settings page's number.
    link_->setAddressText([edit = Edit2] { return edit->text(); });

    connect(BitBtnExit, &QPushButton::clicked, this, &TForm1::BitBtnExitClick);
    // Polling locks the exit button until it is stopped.
    connect(measurePage_, &MeasurePage::exitButtonEnabled, BitBtnExit, &QWidget::setEnabled);
    connect(sBitBtn1, &QPushButton::clicked, this, &TForm1::sBitBtn1Click);
    // A theme picked from the list, the one in force included: the list closes either way.
    connect(sComboBoxSkin, &QComboBox::activated, this, &TForm1::sComboBoxSkinChange);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);

    // Choices made by the user; the program sets these controls with their signals blocked.
    connect(ComboBoxPort1, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxPort1Change);
    connect(ComboBoxPort2, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxPort2Change);
    connect(ComboBoxPort3, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxPort3Change);
    connect(ComboBoxPort4, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxPort4Change);
    connect(ComboBoxPort5, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxPort5Change);
    connect(ComboBoxBaud1, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxBaud1Change);
    connect(ComboBoxBaud2, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxBaud2Change);
    connect(ComboBoxBaud4, &QComboBox::currentIndexChanged, this, &TForm1::ComboBoxBaud4Change);
    // Any change of the text, typed or set, as the three logical numbers follow each other.
    connect(Edit1, &QLineEdit::textChanged, this, &TForm1::Edit1Change);
    connect(Edit2, &QLineEdit::textChanged, this, &TForm1::Edit2Change);
    connect(Edit12, &QLineEdit::textChanged, this, &TForm1::Edit12Change);
    connect(sEditNetAddr, &QLineEdit::textChanged, this, &TForm1::Edit1Change);

    connect(timerSetAuto_, &Timer::timeout, this, &TForm1::TimerSetAutoTimer);
    connect(timerClock_, &Timer::timeout, this, &TForm1::TimerClockTimer);
    connect(timerSaveMaxVal_, &Timer::timeout, this, &TForm1::TimerSaveMaxValTimer);
}

void TForm1::FormCreate() {
    // 1, 2. Place and caption.
    move(100, 50);
    setWindowTitle(QStringLiteral("Tarvik v5.01"));
    // 3. The energy page and the inner page "Прочие настройки" keep their indices, tabs hidden.
    PageControl1->setTabVisible(PageEnergy, false);
    QTabWidget* inner = settingsPage_->PageControlSetAllParam;
    inner->setTabVisible(inner->indexOf(required<QWidget>(this, "TSSetTime")), false);
    // 4. The controls of the device's second RS-485 channel wait for the first settings read.
    disableByName(this, {"sComboBoxStatComB", "sBitBtnWriteStatysComB", "ComboBoxBaudComB",
                         "BitBtnWriteBaudComB"});
    // 5, 6.
    LoadSkin();
    ShowPage(PageMeasure);
    // 7, 8. The initial quantities of the indicator and current-converter lines and the tables
    //    of the indicator and indication rows belong to those pages (not built yet).
    // 9. The port settings of the first page, as if the user had chosen it.
    PageControl1Change();
    // 10. Link and sequence state.
    measurePage_->AutoPolling = false;
    link_->NoAnswerCount = 0;
    link_->CrcErrorCount = 0;
    link_->RequestCount = 0;
    link_->LinkUpRunning = false;
    link_->CurrentOutputsRunning = false;
    link_->StepFailures = 0;
    link_->InfoChanMode = false;
    // 11, 12, 13. The hardware current-output choice, the sixteen calibration rows and the
    //    Tags of the power trim buttons: the metrology and current-output pages (not built yet).
    // 14. The write buttons of the indication settings wait for a read.
    disableByName(this, {"BitBtnSeveSetInfo", "BitBtnSaveIndParam", "BitBtnSaveUst"});
    // 15. The indication parameter choices: the indication page (not built yet).
    // 16. The preset request records.
    InitInquiryRecords(link_->Steps);
    // 17. The calibration sub-pages wait for the connection scheme: the metrology page.
    // 18. Lamps.
    for (const char* name : {"ApdStatusLight1", "ApdStatusLight2"})
        if (auto* lamp = findChild<Lamp*>(QLatin1String(name))) lamp->hide();
    if (auto* lamp = findChild<Lamp*>(QStringLiteral("ApdStatusLight3"))) lamp->setLit(false);
    // 19. Scheme controls on, calibration controls unlocked (the current-output controls' idle
    //    state comes with their page).
    link_->EnableSchemeControls(true);
    link_->UnlockCalibrationControls();
    // 20, 21. The profile grids and the stop flag of the profile reading: the energy page.
    // 22. The indicator scheme's refresh flag: the external-devices page.
}

void TForm1::BitBtnExitClick() {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Nothing is saved. An outstanding request is abandoned: no time-out, poll or watchdog tick
    // may reach the pages once the window is going.
    stopTimers();
    event->accept();
}

void TForm1::stopTimers() {
    for (Timer* t : {&link_->TimerWaitAnsw(), &link_->TimerMess(), &measurePage_->TimerAuto(),
                     &infoChanPage_->TimerChanInfo(), timerSetAuto_, timerClock_, timerSaveMaxVal_})
        t->setEnabled(false);
}

void TForm1::TimerSetAutoTimer() {}

void TForm1::TimerClockTimer() {}

void TForm1::TimerSaveMaxValTimer() {}

} // namespace tarvik
