// The controls of the link groups ("Связь") that every page carries: port and speed choices.
#pragma once

#include <QStringList>

class QComboBox;
class QWidget;

namespace tarvik {

// "1200" .. "115200", the speeds the program offers.
const QStringList& BaudRateTable();
// Position of a speed text in BaudRateTable, or 3 ("9600") when it is not there.
int BaudIndex(const QString& text);

// A pick-from-list combo of "Comm1" .. "Comm16" with the given objectName.
QComboBox* MakePortCombo(const QString& name, QWidget* parent);
// A pick-from-list combo of the first `count` speeds of BaudRateTable.
QComboBox* MakeBaudCombo(const QString& name, int count, QWidget* parent);

} // namespace tarvik
