#include "energypage.h"

#include "linkcontrols.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tarvik {

EnergyPage::EnergyPage(ModbusLink& link, Messages& messages, QWidget* parent)
    : QWidget(parent), link_(link), messages_(messages) {
    auto* group = new QGroupBox(QStringLiteral("Связь"), this);
    group->setObjectName(QStringLiteral("sGroupBox34"));
    auto* row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("Порт:"), group));
    row->addWidget(MakePortCombo(QStringLiteral("ComboBoxPort5"), group));
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Скорость:"), group));
    row->addWidget(MakeBaudCombo(QStringLiteral("ComboBoxBaud4"), 6, group));
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Паритет:"), group));
    auto* parity = new QLabel(QStringLiteral("отключен"), group);
    parity->setObjectName(QStringLiteral("sLabel35"));
    parity->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    parity->setMinimumWidth(70);
    row->addWidget(parity);
    // The parity choice is kept but not offered: the parity shown is fixed.
    auto* parityChoice = new QComboBox(group);
    parityChoice->setObjectName(QStringLiteral("ComboBoxPar4"));
    parityChoice->addItems(
        {QStringLiteral("отключен"), QStringLiteral("нечетный"), QStringLiteral("четный")});
    parityChoice->setVisible(false);
    row->addWidget(parityChoice);
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Логический номер:"), group));
    auto* address = new QLineEdit(QStringLiteral("1"), group);
    address->setObjectName(QStringLiteral("Edit12"));
    address->setFixedWidth(50);
    row->addWidget(address);

    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch(1);
}

} // namespace tarvik
