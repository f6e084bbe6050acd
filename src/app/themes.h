// The visual themes of the program: fifteen named looks, each a palette and a small style sheet
// on the Fusion style.
#pragma once

#include <QStringList>

namespace tarvik {

// The theme that applies when none is chosen or the chosen one is unknown.
inline const QString DefaultThemeName = QStringLiteral("Neutral (internal)");

// The theme names in the order of the theme list.
const QStringList& ThemeNames();

// Applies the theme to the whole application and returns the name of the theme now in force:
// `name` when it is one of ThemeNames, otherwise DefaultThemeName.
QString ApplyTheme(const QString& name);

} // namespace tarvik
