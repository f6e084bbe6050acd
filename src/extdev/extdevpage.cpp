#include "extdevpage.h"

#include "linkcontrols.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarvik {

namespace {

QLabel* fixedText(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(70);
    return label;
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumWidth(110);
    return b;
}

} // namespace

ExtDevPage::ExtDevPage(ModbusLink& link, Messages& messages, QWidget* parent)
    : QWidget(parent), link_(link), messages_(messages) {
    auto* group = new QGroupBox(QStringLiteral("Связь"), this);
    group->setObjectName(QStringLiteral("GroupBox25"));
    auto* port = new QGroupBox(QStringLiteral("Настройки порта"), group);
    port->setObjectName(QStringLiteral("GroupBox26"));
    auto* portRow = new QHBoxLayout(port);
    portRow->addWidget(new QLabel(QStringLiteral("Порт:"), port));
    portRow->addWidget(MakePortCombo(QStringLiteral("ComboBoxPort2"), port));
    portRow->addSpacing(12);
    portRow->addWidget(new QLabel(QStringLiteral("Скорость:"), port));
    portRow->addWidget(fixedText(QStringLiteral("9600"), QStringLiteral("StaticText9"), port));
    portRow->addSpacing(12);
    portRow->addWidget(new QLabel(QStringLiteral("Паритет:"), port));
    portRow->addWidget(fixedText(QStringLiteral("отключен"), QString(), port));

    auto* groupRow = new QHBoxLayout(group);
    groupRow->addWidget(port);
    groupRow->addSpacing(16);
    groupRow->addWidget(button(QStringLiteral("Прочитать  "), QStringLiteral("BitBtnRead"), group));
    groupRow->addWidget(button(QStringLiteral("Записать  "), QStringLiteral("BitBtnSave"), group));
    groupRow->addStretch();

    PageControl3 = new QTabWidget(this);
    PageControl3->setObjectName(QStringLiteral("PageControl3"));
    auto* indicator = new QWidget(PageControl3);
    indicator->setObjectName(QStringLiteral("TSInd"));
    PageControl3->addTab(indicator, QStringLiteral("Индикатор"));
    auto* converter = new QWidget(PageControl3);
    converter->setObjectName(QStringLiteral("TSAmp"));
    PageControl3->addTab(converter, QStringLiteral("Токовый преобразователь"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(PageControl3, 1);
}

void ExtDevPage::ApplyIndicatorLimits(int, bool) {}

} // namespace tarvik
