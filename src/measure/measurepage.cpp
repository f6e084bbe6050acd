#include "measurepage.h"

#include "convert.h"
#include "lamp.h"
#include "linkcontrols.h"
#include "messages.h"
#include "modbuslink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarvik {

namespace {

const QString CaptionRead = QStringLiteral("     Читать");
const QString CaptionStop = QStringLiteral("     Стoп"); // the o is a Latin letter

// The measurement block: registers 0..61, 31 floats; the reply is address, function, byte count,
// 124 data bytes and the CRC.
constexpr quint16 MeasureFirstRegister = 0;
constexpr quint16 MeasureRegisterCount = 62;
constexpr quint16 MeasureReplyLength = 129;
constexpr quint8 MeasureKind = 0;
constexpr int MaxPollingPeriodMs = 60000;

// The nine group boxes of the value grid, row by row.
const char* const GroupTitles[9] = {
    "Напряжение",
    "Напряжение линейное",
    "Ток",
    "Мощность активная",
    "Мощность реактивная",
    "Мощность полная",
    "Коэффициент мощности",
    "Частота",
    "Значения нулевой",
};
// The zero-sequence box has a second caption line; a group box title has room for one, so the
// second line stands at the top inside the box.
constexpr int ZeroSequenceGroup = 8;
const char* const ZeroSequenceSecondLine = "последовательности";

QLabel* SunkenText(const QString& name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00000mc")) + 8);
    return label;
}

QFrame* Bevel(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

const std::array<MeasurePage::MeasuredValue, 31>& MeasurePage::MeasuredValues() {
    using Row = MeasuredValue::Row;
    static const std::array<MeasuredValue, 31> table{{
        {"EditUa", "Ua, B = ", 3, 0, Row::Plain},   // 0: phase voltage A
        {"EditUb", "Ub, B = ", 3, 0, Row::Plain},   // 1: phase voltage B
        {"EditUc", "Uc, B = ", 3, 0, Row::Plain},   // 2: phase voltage C
        {"EditIa", "Ia, A = ", 4, 2, Row::Plain},   // 3: current A
        {"EditIb", "Ib, A = ", 4, 2, Row::Plain},   // 4: current B
        {"EditIc", "Ic, A = ", 4, 2, Row::Plain},   // 5: current C
        {"EditUab", "Uab, B = ", 3, 1, Row::Plain}, // 6: line voltage AB
        {"EditUbc", "Ubc, B = ", 3, 1, Row::Plain}, // 7: line voltage BC
        {"EditUca", "Uca, B = ", 3, 1, Row::Plain}, // 8: line voltage CA
        {"EditPa", "Pa, Bт = ", 3, 3, Row::Plain},  // 9: active power A
        {"EditPb", "Pb, Bт = ", 3, 3, Row::Plain},  // 10: active power B
        {"EditPc", "Pc, Bт = ", 3, 3, Row::Plain},  // 11: active power C
        {"EditQa", "Qa, вар = ", 3, 4, Row::Plain}, // 12: reactive power A
        {"EditQb", "Qb, вар = ", 3, 4, Row::Plain}, // 13: reactive power B
        {"EditQc", "Qc, вар = ", 3, 4, Row::Plain}, // 14: reactive power C
        {"EditSa", "Sa, BА = ", 3, 5, Row::Plain},  // 15: apparent power A
        {"EditSb", "Sb, BА = ", 3, 5, Row::Plain},  // 16: apparent power B
        {"EditSc", "Sc, BА = ", 3, 5, Row::Plain},  // 17: apparent power C
        {"EditCosFa", "Kpa =", 3, 6, Row::Plain},   // 18: power factor A
        {"EditCosFb", "Kpb =", 3, 6, Row::Plain},   // 19: power factor B
        {"EditCosFc", "Kpc =", 3, 6, Row::Plain},   // 20: power factor C
        {"EditP", "P,  Bт =", 3, 3, Row::Total},    // 21: total active power
        {"EditQ", "Q, вар = ", 3, 4, Row::Total},   // 22: total reactive power
        {"EditS", "S,  BА =", 3, 5, Row::Total},    // 23: total apparent power
        {"EditCosF", "Kp   =", 3, 6, Row::Total},   // 24: total power factor
        {"EditFrec", "F, Гц =", 3, 7, Row::Plain},  // 25: frequency
        {"EditU", "Uфср, B = ", 3, 0, Row::Total},  // 26: mean phase voltage
        {"EditI", "Iср, A = ", 4, 2, Row::Total},   // 27: mean current
        {"EditUL", "Uлср, B = ", 3, 1, Row::Total}, // 28: mean line voltage
        {"EditUo", "Uo, B = ", 3, 8, Row::Zero},    // 29: zero-sequence voltage
        {"EditIo", "Io, A = ", 4, 8, Row::Zero},    // 30: zero-sequence current
    }};
    return table;
}

MeasurePage::MeasurePage(ModbusLink& link, RegisterDecoder& decoder, Messages& messages,
                         QWidget* parent)
    : QWidget(parent), link_(link), linkAlive_(&link), decoder_(decoder), messages_(messages),
      timerAuto_(this, 1000, false) {
    timerAuto_.setObjectName(QStringLiteral("TimerAuto"));

    auto* left = new QVBoxLayout;
    left->addWidget(buildLinkGroup());
    left->addWidget(buildPollingGroup());
    left->addStretch(1);

    auto* page = new QHBoxLayout(this);
    page->setContentsMargins(4, 4, 4, 4);
    page->addLayout(left);
    page->addWidget(buildValueGrid(), 1);

    connect(&timerAuto_, &Timer::timeout, this, &MeasurePage::TimerAutoTimer);
    connect(&link_, &ModbusLink::autoPollingStep, this, &MeasurePage::AutoPollingStep);
    connect(&link_, &ModbusLink::measurementEditsCleared, this,
            &MeasurePage::ClearMeasurementEdits);
    link_.setHandler(MeasureKind, [page = QPointer<MeasurePage>(this)](const Reply& reply) {
        if (page) page->ShowMeasurements(reply.data());
    });
}

MeasurePage::~MeasurePage() {
    // A reply that arrives after the page is gone must not reach it.
    if (linkAlive_) linkAlive_->setHandler(MeasureKind, {});
}

QGroupBox* MeasurePage::buildLinkGroup() {
    auto* box = new QGroupBox(QStringLiteral("Связь"), this);
    box->setObjectName(QStringLiteral("GroupBox2"));
    auto* column = new QVBoxLayout(box);
    auto* grid = new QGridLayout;
    column->addLayout(grid);

    auto* parity = new QLabel(QStringLiteral("отключен"), box);
    parity->setObjectName(QStringLiteral("LabelParity1"));
    grid->addWidget(new QLabel(QStringLiteral("Порт:"), box), 0, 0);
    grid->addWidget(MakePortCombo(QStringLiteral("ComboBoxPort1"), box), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Скорость:"), box), 1, 0);
    grid->addWidget(MakeBaudCombo(QStringLiteral("ComboBoxBaud1"), 8, box), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Паритет:"), box), 2, 0);
    grid->addWidget(parity, 2, 1);

    // The logical number (slave address) gets a row of its own: its caption is the longest.
    auto* address = new QHBoxLayout;
    column->addLayout(address);
    edit1_ = new QLineEdit(QStringLiteral("1"), box);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    edit1_->setMaximumWidth(edit1_->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    auto* caption = new QLabel(QStringLiteral("Логический номер:"), box);
    caption->setBuddy(edit1_);
    address->addWidget(caption);
    address->addWidget(edit1_);
    return box;
}

QGroupBox* MeasurePage::buildPollingGroup() {
    auto* box = new QGroupBox(QStringLiteral("Опрос"), this);
    box->setObjectName(QStringLiteral("GroupBox5"));
    auto* grid = new QGridLayout(box);

    auto* periodLabel = new QLabel(QStringLiteral("Период, мс"), box);
    periodLabel->setObjectName(QStringLiteral("Label5"));
    editAuto_ = new QLineEdit(QStringLiteral("100"), box);
    editAuto_->setObjectName(QStringLiteral("EditAuto"));
    editAuto_->setMaximumWidth(
        editAuto_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16);
    checkBoxAuto_ = new QCheckBox(QStringLiteral("Авто опрос"), box);
    checkBoxAuto_->setObjectName(QStringLiteral("CheckBoxAuto"));
    bitBtnStart_ = new QPushButton(CaptionRead, box);
    bitBtnStart_->setObjectName(QStringLiteral("BitBtnStart"));
    lamp_ = new Lamp(box);
    lamp_->setObjectName(QStringLiteral("ApdStatusLight3"));
    lamp_->setLitColour(Qt::green);

    grid->addWidget(periodLabel, 0, 0);
    grid->addWidget(editAuto_, 0, 1);
    grid->addWidget(checkBoxAuto_, 1, 0, 1, 2);
    grid->addWidget(bitBtnStart_, 2, 0);
    grid->addWidget(lamp_, 2, 1, Qt::AlignCenter);

    // The link statistics: the link writes these texts by name.
    static const struct {
        const char* caption;
        const char* text;
    } statistics[] = {
        {"Всего запросов:", "StaticTextAllEnquiry"},
        {"Нет ответа", "StaticTextNoAnsw"},
        {"Ошибка CRC", "StaticTextErrCRC"},
        {"Время ответа:", "StaticTextTimeMeasure"},
        {"max =", "StaticTextMax"},
    };
    int row = 3;
    for (const auto& s : statistics) {
        grid->addWidget(new QLabel(QString::fromUtf8(s.caption), box), row, 0);
        grid->addWidget(SunkenText(QLatin1String(s.text), box), row, 1);
        ++row;
    }
    auto* clear = new QPushButton(QStringLiteral("Сброс"), box);
    clear->setObjectName(QStringLiteral("ButtonStatClear"));
    grid->addWidget(clear, row, 0, 1, 2);

    connect(bitBtnStart_, &QPushButton::clicked, this, &MeasurePage::BitBtnStartClick);
    connect(clear, &QPushButton::clicked, &link_, &ModbusLink::ButtonStatClearClick);
    return box;
}

QWidget* MeasurePage::buildValueGrid() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setRowStretch(3, 1); // spare height goes below the boxes

    struct Box {
        QGroupBox* widget;
        QGridLayout* rows;
        int next = 0;
    };
    std::array<Box, 9> boxes{};
    for (int g = 0; g < 9; ++g) {
        auto* widget = new QGroupBox(QString::fromUtf8(GroupTitles[g]), area);
        boxes[g] = {widget, new QGridLayout(widget)};
        boxes[g].rows->setVerticalSpacing(4);
        if (g == ZeroSequenceGroup)
            boxes[g].rows->addWidget(new QLabel(QString::fromUtf8(ZeroSequenceSecondLine), widget),
                                     boxes[g].next++, 0, 1, 2);
        grid->addWidget(widget, g / 3, g % 3);
    }

    // Wide enough for a value in the millions and for the no-information text.
    const QFontMetrics fm = area->fontMetrics();
    const int editWidth = std::max(fm.horizontalAdvance(QStringLiteral("-0 000 000,000")),
                                   fm.horizontalAdvance(QStringLiteral("нет информ."))) +
                          12;
    const auto& table = MeasuredValues();
    for (std::size_t pair = 0; pair < table.size(); ++pair) {
        const MeasuredValue& v = table[pair];
        Box& box = boxes[std::size_t(v.group)];
        if (v.row == MeasuredValue::Total)
            box.rows->addWidget(Bevel(box.widget), box.next++, 0, 1, 2);
        auto* edit = new QLineEdit(box.widget);
        edit->setObjectName(QLatin1String(v.edit));
        edit->setReadOnly(true);
        edit->setFixedWidth(editWidth);
        box.rows->addWidget(new QLabel(QString::fromUtf8(v.label), box.widget), box.next, 0);
        box.rows->addWidget(edit, box.next++, 1);
        valueEdits_[pair] = edit;
    }
    for (Box& box : boxes)
        box.rows->setRowStretch(box.next, 1);
    return area;
}

// ---------------------------------------------------------------- polling

bool MeasurePage::pollingRuns() const {
    return AutoPolling && checkBoxAuto_->isChecked();
}

void MeasurePage::BitBtnStartClick() {
    if (AutoPolling) {
        // A request still outstanding is left to complete; its reply fills the edits.
        checkBoxAuto_->setChecked(false);
        AutoPolling = false;
        bitBtnStart_->setText(CaptionRead);
        timerAuto_.setEnabled(false);
        checkBoxAuto_->setEnabled(true);
        emit exitButtonEnabled(true);
        edit1_->setEnabled(true);
        lamp_->setLit(false);
        return;
    }

    const QString addressText = edit1_->text();
    const auto address = StrToInt(addressText);
    if (!address) {
        messages_.error(NotAnIntegerMessage(addressText));
        return;
    }
    lamp_->setLitColour(Qt::green);
    lamp_->setLit(true);
    if (checkBoxAuto_->isChecked()) {
        AutoPolling = true;
        bitBtnStart_->setText(CaptionStop);
        checkBoxAuto_->setEnabled(false);
        emit exitButtonEnabled(false);
        edit1_->setEnabled(false);
        lamp_->setLit(false);
    } else {
        // Enabled again by the reply or the time-out.
        bitBtnStart_->setEnabled(false);
    }

    measurementRequest_ = InquiryRecord{};
    measurementRequest_.Address = quint16(*address);
    measurementRequest_.StartRegister = MeasureFirstRegister;
    measurementRequest_.RegisterCount = MeasureRegisterCount;
    measurementRequest_.ExpectedLength = MeasureReplyLength;
    measurementRequest_.Kind = MeasureKind;
    link_.PendingInquiry = measurementRequest_;
    link_.SendInquiry(link_.PendingInquiry);
}

void MeasurePage::AutoPollingStep() {
    // Only the polling of this page is re-armed; a request of another page sent while the box
    // is merely ticked leaves the page idle.
    if (!pollingRuns()) return;
    edit1_->setEnabled(false);
    if (const auto value = StrToInt(editAuto_->text())) {
        int period = quint16(*value); // the low 16 bits: 70000 gives 4464
        if (period > MaxPollingPeriodMs) {
            editAuto_->setText(QString::number(MaxPollingPeriodMs));
            period = MaxPollingPeriodMs;
        }
        timerAuto_.setInterval(period);
    } else {
        editAuto_->clear(); // the previous period goes on
    }
    timerAuto_.setEnabled(true);
}

void MeasurePage::TimerAutoTimer() {
    if (!pollingRuns()) return;
    edit1_->setEnabled(false);
    lamp_->setLit(true);
    // A reply still outstanding: skip this tick, so requests never queue up.
    if (link_.AwaitingReply) return;
    // Every tick asks for the measurements, whatever another page left in PendingInquiry.
    link_.PendingInquiry = measurementRequest_;
    link_.SendInquiry(link_.PendingInquiry);
}

// ---------------------------------------------------------------- values

void MeasurePage::ShowMeasurements(QByteArrayView block) {
    const auto& table = MeasuredValues();
    for (std::size_t pair = 0; pair < table.size(); ++pair) {
        // Read and format one pair at a time, so a marker shows in its own edit only.
        const float value = decoder_.GetRegisterFloat(block, quint16(pair));
        QLineEdit* edit = valueEdits_[pair];
        edit->setText(decoder_.FormatValue(table[pair].code, value));
        edit->setCursorPosition(
            0); // a value too long for the edit loses its last digits, not its first
    }
}

void MeasurePage::ClearMeasurementEdits() {
    const auto& table = MeasuredValues();
    for (std::size_t pair = 0; pair < table.size(); ++pair)
        if (table[pair].row != MeasuredValue::Zero) valueEdits_[pair]->clear();
}

} // namespace tarvik
