// Applies what the link does to controls (enable, show, text, lamps, status line) to the
// controls found by objectName below a root widget. Controls of pages not built yet are absent
// and the effect is simply dropped.
#pragma once

class QWidget;

namespace tarvik {

class ModbusLink;

// The status line is the QLabel named "StatusBarPanel1" below root.
void ApplyLinkEffects(ModbusLink& link, QWidget* root);

} // namespace tarvik
