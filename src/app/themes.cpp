// The theme table and the theme choice of the main window ("Скины").
#include "themes.h"

#include "form1.h"
#include "messages.h"
#include "settingsfile.h"

#include <QApplication>
#include <QComboBox>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <array>

namespace tarvik {

namespace {

// One look: the palette roles that matter and the banner's colours. Neutral has no entry of its
// own colours: it is the Fusion style's standard palette with no style sheet.
struct Theme {
    const char* name;
    QRgb window, windowText, base, alternateBase, text, button, buttonText, highlight,
        highlightedText;
    QRgb bannerTop, bannerBottom, bannerText;
};

// clang-format off
constexpr std::array<Theme, 15> Themes{{
    //  name                          window    winText   base      altBase   text      button    btnText   highl.    highl.Txt banner top/bottom   bannerTxt
    {"Aluminium (internal)",         0xd9dbde, 0x1d2126, 0xf7f8f9, 0xeceef0, 0x1d2126, 0xc9cdd2, 0x1d2126, 0x4f6d8f, 0xffffff, 0xeef0f2, 0xa9afb6, 0x2a3038},
    {"Beijing (internal)",           0xf4e6c8, 0x3a1408, 0xfffaf0, 0xf8ecd2, 0x3a1408, 0xe9c46a, 0x3a1408, 0xa8201a, 0xffe9a8, 0xc0392b, 0x8e1b12, 0xffd966},
    {"BlueIce (internal)",           0xdcebf7, 0x0e2a44, 0xf5faff, 0xe6f1fb, 0x0e2a44, 0xb7d3ec, 0x0e2a44, 0x2f78c4, 0xffffff, 0xeaf5ff, 0x8fbfe8, 0x0b3a66},
    {"Garnet (internal)",            0x4a1822, 0xf7e7ea, 0x2f0e15, 0x3b131b, 0xf7e7ea, 0x6e2535, 0xfbeef0, 0xc9415c, 0xffffff, 0x8a2a3e, 0x3a0f18, 0xffd1da},
    {"Desert (internal)",            0xead7ad, 0x3d2b12, 0xfcf5e3, 0xf3e6c6, 0x3d2b12, 0xd8bb82, 0x3d2b12, 0xb8702a, 0xfffaf0, 0xf2dfb4, 0xc99a58, 0x5a3a10},
    {"FalloutStyle (internal)",      0x141d10, 0x6cf06c, 0x0a1007, 0x111a0c, 0x6cf06c, 0x22331a, 0x8cff8c, 0x2f7d22, 0xeaffea, 0x25401c, 0x0c1408, 0x9dff7a},
    {"Golden (internal)",            0xf2dc96, 0x3a2a00, 0xfffaea, 0xf8edc6, 0x3a2a00, 0xd9b44a, 0x2e2100, 0xa87b00, 0xfffbe6, 0xfbe9a6, 0xc99a1d, 0x4a3500},
    {"ios4 (internal)",              0xc5ccd4, 0x1b2530, 0xffffff, 0xeef1f5, 0x000000, 0xeef1f4, 0x1b2530, 0x2f6fd8, 0xffffff, 0x7d93b2, 0x4a6285, 0xffffff},
    {"Ledenets (internal)",          0xffe2f0, 0x4a0d2c, 0xfffafd, 0xffeef6, 0x4a0d2c, 0xffa6cf, 0x4a0d2c, 0xe0338a, 0xffffff, 0xd9478f, 0xa3124f, 0xfff4d6},
    {"Neutral (internal)",           0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {"NextAlpha (internal)",         0x2d2f33, 0xe6e6e6, 0x1e2023, 0x26282c, 0xe6e6e6, 0x3d4046, 0xf0f0f0, 0x7b68c8, 0xffffff, 0x4a4e55, 0x1a1c1f, 0xc8bfff},
    {"SoapSky - Lime (internal)",    0xd8f0ff, 0x0b2c3d, 0xffffff, 0xecf8ff, 0x0b2c3d, 0xb9e56f, 0x17330a, 0x6fbf1f, 0x0d1f05, 0xbfe6ff, 0x5fb3e6, 0x10324a},
    {"Terminal4bit (internal)",      0x000000, 0x55ff55, 0x000000, 0x0a0a0a, 0x55ff55, 0x1c1c1c, 0xffff55, 0x00aaaa, 0x000000, 0x000080, 0x000000, 0xffff55},
    {"WMP11 (internal)",             0x20242c, 0xe4ebf5, 0x10131a, 0x181c24, 0xe4ebf5, 0x323a48, 0xeef3fa, 0x2e86de, 0xffffff, 0x3a4352, 0x0b0d12, 0x7fc4ff},
    {"Wood (internal)",              0xd9b98c, 0x2e1b0b, 0xf7ecda, 0xefdfc4, 0x2e1b0b, 0xc49a66, 0x2e1b0b, 0x7a3f12, 0xfff4e2, 0x8b5a2b, 0x5a3716, 0xffe7c2},
}};
// clang-format on

QColor mix(QRgb a, QRgb b, double t) {
    const QColor ca(a), cb(b);
    return QColor::fromRgbF(float(ca.redF() * (1 - t) + cb.redF() * t),
                            float(ca.greenF() * (1 - t) + cb.greenF() * t),
                            float(ca.blueF() * (1 - t) + cb.blueF() * t));
}

QPalette paletteOf(const Theme& t) {
    QPalette p{QColor(t.button), QColor(t.window)}; // derives light, mid, dark and shadow
    p.setColor(QPalette::WindowText, QColor(t.windowText));
    p.setColor(QPalette::Base, QColor(t.base));
    p.setColor(QPalette::AlternateBase, QColor(t.alternateBase));
    p.setColor(QPalette::Text, QColor(t.text));
    p.setColor(QPalette::ButtonText, QColor(t.buttonText));
    p.setColor(QPalette::Highlight, QColor(t.highlight));
    p.setColor(QPalette::HighlightedText, QColor(t.highlightedText));
    p.setColor(QPalette::ToolTipBase, QColor(t.base));
    p.setColor(QPalette::ToolTipText, QColor(t.text));
    p.setColor(QPalette::PlaceholderText, mix(t.text, t.base, 0.5));
    p.setColor(QPalette::Link, QColor(t.highlight));
    p.setColor(QPalette::BrightText, QColor(0xff5555));
    // Disabled controls: their text halfway to the background, edits on the window colour.
    p.setColor(QPalette::Disabled, QPalette::WindowText, mix(t.windowText, t.window, 0.5));
    p.setColor(QPalette::Disabled, QPalette::Text, mix(t.text, t.base, 0.5));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, mix(t.buttonText, t.button, 0.5));
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(t.window));
    p.setColor(QPalette::Disabled, QPalette::Highlight, mix(t.highlight, t.window, 0.5));
    return p;
}

QString name(QRgb c) {
    return QColor(c).name();
}

// The banner in the theme's colours, tool tips framed in its highlight.
QString styleSheetOf(const Theme& t) {
    return QStringLiteral("QFrame#sPanel3 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, "
                          "stop:0 %1, stop:1 %2); border: none; border-bottom: 1px solid %3; }\n"
                          "QLabel#sLabelFX1 { color: %4; }\n"
                          "QToolTip { color: %5; background: %6; border: 1px solid %7; }\n")
        .arg(name(t.bannerTop), name(t.bannerBottom), mix(t.bannerBottom, 0, 0.3).name(),
             name(t.bannerText), name(t.text), name(t.base), name(t.highlight));
}

} // namespace

const QStringList& ThemeNames() {
    static const QStringList names = [] {
        QStringList out;
        for (const Theme& t : Themes)
            out << QString::fromUtf8(t.name);
        return out;
    }();
    return names;
}

QString ApplyTheme(const QString& themeName) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    qsizetype index = ThemeNames().indexOf(themeName);
    if (index < 0) index = ThemeNames().indexOf(DefaultThemeName);
    if (!app) return ThemeNames().at(index);
    if (app->style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const Theme& theme = Themes[size_t(index)];
    if (ThemeNames().at(index) == DefaultThemeName) {
        QApplication::setPalette(app->style()->standardPalette());
        app->setStyleSheet(QString());
    } else {
        QApplication::setPalette(paletteOf(theme));
        app->setStyleSheet(styleSheetOf(theme));
    }
    return ThemeNames().at(index);
}

// ---------------------------------------------------------------- the window's theme choice

void TForm1::LoadSkin() {
    settings_.open();
    const QString name =
        settings_.readString(SettingsFile::Skins, SettingsFile::SkinName, DefaultThemeName)
            .value_or(DefaultThemeName);
    currentSkin_ = ApplyTheme(name);
}

void TForm1::ChangeSkin(const QString& name) {
    settings_.open();
    if (name.isEmpty()) {
        messages_.plain(QStringLiteral("Ошибка при изменении внешнего вида"));
        return;
    }
    currentSkin_ = ApplyTheme(name);
    settings_.writeString(SettingsFile::Skins, SettingsFile::SkinName, currentSkin_);
}

void TForm1::sBitBtn1Click() {
    if (sBitBtn1->property("Tag").toInt() != 0) {
        sComboBoxSkin->hide();
        sBitBtn1->setProperty("Tag", 0);
        return;
    }
    sComboBoxSkin->show();
    sComboBoxSkin->setCurrentIndex(int(ThemeNames().indexOf(currentSkin_)));
    sBitBtn1->setProperty("Tag", 1);
}

void TForm1::sComboBoxSkinChange() {
    sBitBtn1->setProperty("Tag", 0);
    sComboBoxSkin->hide();
    ChangeSkin(sComboBoxSkin->currentText());
}

} // namespace tarvik
