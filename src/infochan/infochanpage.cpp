#include "infochanpage.h"

#include "linkcontrols.h"
#include "messages.h"
#include "modbuslink.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tarvik {

namespace {

// A read batch: a few packets. The stream brings about 960 bytes a second, so the limit on the
// reads of one event only matters for a port that never runs dry.
constexpr qint64 ReadChunk = 4 * InfoChanPacketSize;
constexpr int MaxReadsPerEvent = 64;
constexpr int ValueEditMinWidth = 100;

void setTextColour(QWidget* w, QPalette::ColorRole role, Qt::GlobalColor colour) {
    QPalette p = w->palette();
    p.setColor(role, colour);
    w->setPalette(p);
}

void setBold(QWidget* w) {
    QFont f = w->font();
    f.setBold(true);
    w->setFont(f);
}

// "\r" in the captions of the device's controls breaks the line.
QLabel* caption(const QString& text, QWidget* parent, const QString& name = {}) {
    auto* label = new QLabel(QString(text).replace(u'\r', u'\n'), parent);
    if (!name.isEmpty()) label->setObjectName(name);
    return label;
}

QLineEdit* readOnlyEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

InfoChanPage::InfoChanPage(ModbusLink& link, Messages& messages, QWidget* parent)
    : QWidget(parent), link_(link), messages_(messages), timerChanInfo_(this, 1000, true) {
    setObjectName(QStringLiteral("sTabSheet4"));
    buildPage();
    connect(&timerChanInfo_, &Timer::timeout, this, &InfoChanPage::TimerChanInfoTimer);
}

void InfoChanPage::buildPage() {
    auto* top = new QHBoxLayout;
    top->addWidget(buildLinkGroup());
    top->addWidget(buildDeviceInfo(), 1);

    auto* grid = new QGridLayout;
    for (int box = 0; box < 7; ++box)
        grid->addWidget(buildValueBox(box), box / 4, box % 4);
    auto* fourth = new QVBoxLayout;
    fourth->addWidget(buildValueBox(7));
    fourth->addWidget(buildValueBox(8));
    fourth->addStretch(1);
    grid->addLayout(fourth, 1, 3);

    auto* page = new QVBoxLayout(this);
    page->addLayout(top);
    page->addLayout(grid);
    page->addStretch(1);
}

QWidget* InfoChanPage::buildLinkGroup() {
    auto* group = new QGroupBox(QStringLiteral("Связь"), this);
    group->setObjectName(QStringLiteral("sGroupBox8"));
    auto* speed = new QLineEdit(QStringLiteral("       9600"), group);
    speed->setObjectName(QStringLiteral("sEdit1"));
    speed->setReadOnly(true);
    speed->setEnabled(false);
    netAddr_ = new QLineEdit(QStringLiteral("1"), group);
    netAddr_->setObjectName(QStringLiteral("sEditNetAddr"));
    netAddr_->setEnabled(false);

    auto* form = new QGridLayout(group);
    form->addWidget(caption(QStringLiteral("Порт:"), group), 0, 0);
    form->addWidget(MakePortCombo(QStringLiteral("ComboBoxPort4"), group), 0, 1);
    form->addWidget(caption(QStringLiteral("Скорость:"), group), 1, 0);
    form->addWidget(speed, 1, 1);
    form->addWidget(caption(QStringLiteral("Логический номер:"), group), 2, 0);
    form->addWidget(netAddr_, 2, 1);
    return group;
}

QWidget* InfoChanPage::buildDeviceInfo() {
    auto* info = new QWidget(this);
    message_ = new QLabel(info);
    message_->setObjectName(QStringLiteral("LabelChanInfoMess"));
    setBold(message_);

    version_ = readOnlyEdit(QStringLiteral("StaticTextVers"), info);
    status_ = readOnlyEdit(QStringLiteral("StaticTextDevSatus"), info);
    setBold(status_);
    uLimit_ = readOnlyEdit(QStringLiteral("StaticTextRelU"), info);
    iLimit_ = readOnlyEdit(QStringLiteral("StaticTextRelI"), info);

    struct Row {
        const char* label;
        const char* labelName;
        QLineEdit* edit;
        bool shown; // the status and the limits are not shown in this edition
    };
    const Row rows[] = {
        {"Версия \rпрограммы:", "LabelVers", version_, true},
        {"Состояние \rприбора:", "LabelDevSatus", status_, false},
        {"Предельное \rзначение напряжения:", "LabelRelU", uLimit_, false},
        {"Предельное \rзначение тока:", "LabelRelI", iLimit_, false},
    };
    auto* grid = new QGridLayout(info);
    grid->addWidget(message_, 0, 0, 1, 2);
    int r = 1;
    for (const Row& row : rows) {
        QLabel* label =
            caption(QString::fromUtf8(row.label), info, QString::fromUtf8(row.labelName));
        row.edit->setMaximumWidth(120);
        label->setVisible(row.shown);
        row.edit->setVisible(row.shown);
        grid->addWidget(label, r, 0);
        grid->addWidget(row.edit, r, 1);
        ++r;
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(r, 1);
    return info;
}

QWidget* InfoChanPage::buildValueBox(int box) {
    auto* group = new QGroupBox(QString::fromUtf8(InfoChanBoxes[box]), this);
    auto* grid = new QGridLayout(group);
    int row = 0;
    for (const InfoChanValueInfo& v : InfoChanValueTable) {
        if (v.box != box) continue;
        if (row == 3) {
            // As on the measurement page, a line sets the mean or total apart from the phases.
            auto* line = new QFrame(group);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            grid->addWidget(line, row++, 0, 1, 2);
        }
        auto* edit = readOnlyEdit(QString::fromUtf8(v.edit), group);
        edit->setMinimumWidth(ValueEditMinWidth);
        grid->addWidget(caption(QString::fromUtf8(v.label), group), row, 0);
        grid->addWidget(edit, row++, 1);
        valueEdits_[v.k] = edit;
    }
    grid->setColumnStretch(1, 1);
    return group;
}

bool InfoChanPage::Enter() {
    receiver_.reset();
    if (!link_.FlushPortBuffers()) {
        // The window goes back to the first page (portFailed); nothing is listened to.
        link_.InfoChanMode = false;
        return false;
    }
    link_.InfoChanMode = true;
    timerChanInfo_.setEnabled(true);
    return true;
}

void InfoChanPage::Receive(int /*count*/) {
    if (!link_.InfoChanMode) return;
    SerialPort& port = link_.port();
    QList<InfoChanReceiver::Event> events;
    bool readFailed = false;
    std::array<char, ReadChunk> chunk;
    for (int reads = 0; reads < MaxReadsPerEvent; ++reads) {
        const qint64 waiting = port.bytesAvailable();
        if (waiting <= 0) break;
        const qint64 got = port.read(chunk.data(), qMin(waiting, ReadChunk));
        if (got < 0) {
            readFailed = true;
            break;
        }
        if (got == 0) break;
        events += receiver_.feed(QByteArrayView(chunk.data(), got));
    }

    const InfoChanReceiver::Event* newest = nullptr;
    bool crcError = false;
    for (const auto& e : events) {
        if (e.kind == InfoChanReceiver::Event::Packet)
            newest = &e;
        else
            crcError = true;
    }
    if (crcError) link_.ShowStatusMessage(QStringLiteral("  Ошибка контрольной суммы !"));
    if (newest) {
        // Disabling first makes the enabling below restart the watchdog's period.
        timerChanInfo_.setEnabled(false);
        ShowInfoChanPacket(newest->payload());
    }
    timerChanInfo_.setEnabled(true);
    // Last, so that events handled while the box is open find this batch already shown.
    if (readFailed) messages_.plain(QStringLiteral(" Ошибка приема информации !"));
}

void InfoChanPage::TimerChanInfoTimer() {
    if (link_.InfoChanMode) ClearInfoChanPage();
}

void InfoChanPage::ShowInfoChanPacket(QByteArrayView payload) {
    if (!data_.Decode(payload)) return;
    message_->setText(QString());
    setTextColour(status_, QPalette::Text, data_.Status == 0 ? Qt::darkGreen : Qt::red);
    status_->setText(data_.StatusText());
    uLimit_->setText(InfoChanData::FormatLimitValue(data_.ULimit));
    iLimit_->setText(InfoChanData::FormatLimitValue(data_.ILimit));
    netAddr_->setText(QString::number(data_.NetAddress));
    version_->setText(QString::number(data_.Version));
    for (int k = 0; k < InfoChanValueCount; ++k)
        valueEdits_[k]->setText(FormatInfoChanValue(k));
}

QString InfoChanPage::FormatInfoChanValue(int k) const {
    return data_.FormatValue(k);
}

QString InfoChanPage::FormatInfoChanLimit(int k, bool below) const {
    return data_.FormatLimit(k, below);
}

void InfoChanPage::ClearInfoChanPage() {
    setTextColour(status_, QPalette::Text, Qt::red);
    for (QLineEdit* e : {status_, uLimit_, iLimit_, version_, netAddr_})
        e->clear();
    setTextColour(message_, QPalette::WindowText, Qt::red);
    message_->setText(QStringLiteral("информация отсутствует"));
    for (QLineEdit* e : valueEdits_)
        e->clear();
}

} // namespace tarvik
