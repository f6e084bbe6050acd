#include "settingspage.h"

#include "linkcontrols.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <array>

namespace tarvik {

namespace {

struct SubPage {
    const char* name;
    const char* caption;
};

// The inner pages in their order; the last one's tab is hidden at start (its index stays 4).
constexpr std::array<SubPage, 5> SubPages{{
    {"TSSetParam", "Насторойка основных параметров"},
    {"sTabSetInd", "Настройка параметров индикации"},
    {"TSSetMetrol", "Настройка метрологии"},
    {"TSSetCurrent", "Настройка токовых выходов"},
    {"TSSetTime", "Прочие настройки"},
}};

QLabel* fixedText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setMinimumWidth(70);
    return label;
}

} // namespace

SettingsPage::SettingsPage(ModbusLink& link, Messages& messages, QWidget* parent)
    : QWidget(parent), link_(link), messages_(messages) {
    auto* group = new QGroupBox(QStringLiteral("Связь"), this);
    group->setObjectName(QStringLiteral("GroupBox51"));
    auto* row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("Порт:"), group));
    row->addWidget(MakePortCombo(QStringLiteral("ComboBoxPort3"), group));
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Скорость:"), group));
    row->addWidget(MakeBaudCombo(QStringLiteral("ComboBoxBaud2"), 6, group));
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Паритет:"), group));
    row->addWidget(fixedText(QStringLiteral("отключен"), group));
    row->addSpacing(12);
    row->addWidget(new QLabel(QStringLiteral("Логический номер:"), group));
    auto* address = new QLineEdit(QStringLiteral("1"), group);
    address->setObjectName(QStringLiteral("Edit2"));
    address->setFixedWidth(50);
    row->addWidget(address);

    PageControlSetAllParam = new QTabWidget(this);
    PageControlSetAllParam->setObjectName(QStringLiteral("PageControlSetAllParam"));
    // The four long captions of the inner tabs fit the page's width in a slightly smaller font.
    QFont tabFont = PageControlSetAllParam->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.9);
    PageControlSetAllParam->tabBar()->setFont(tabFont);
    for (const SubPage& sub : SubPages) {
        auto* page = new QWidget(PageControlSetAllParam);
        page->setObjectName(QLatin1String(sub.name));
        PageControlSetAllParam->addTab(page, QString::fromUtf8(sub.caption));
    }

    auto* top = new QHBoxLayout;
    top->addWidget(group);
    top->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(PageControlSetAllParam, 1);
}

void SettingsPage::BitBtnSetNetClick() {}

void SettingsPage::PageControlSetAllParamChange() {}

void SettingsPage::ApplySetpointLimits(int, bool) {}

} // namespace tarvik
