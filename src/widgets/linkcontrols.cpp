#include "linkcontrols.h"

#include <QComboBox>

namespace tarvik {

const QStringList& BaudRateTable() {
    static const QStringList table{"1200",  "2400",  "4800",  "9600",
                                   "19200", "38400", "57600", "115200"};
    return table;
}

int BaudIndex(const QString& text) {
    const int i = int(BaudRateTable().indexOf(text));
    return i < 0 ? 3 : i;
}

QComboBox* MakePortCombo(const QString& name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (int n = 1; n <= 16; ++n)
        combo->addItem(QStringLiteral("Comm%1").arg(n));
    return combo;
}

QComboBox* MakeBaudCombo(const QString& name, int count, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(BaudRateTable().mid(0, count));
    return combo;
}

} // namespace tarvik
