// Steps in the page setup as a person takes them: reading the margins it
// shows in each of its units, chosen one after another from the keyboard.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

// The open page setup, or none.
inline QPageSetupDialog* OpenPageSetup()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<QPageSetupDialog*>(w); d && d->isVisible())
            return d;
    return nullptr;
}

// Millimetres per unit of the page setup's unit list.
inline double MillimetresPer(QPageLayout::Unit unit)
{
    switch (unit) {
    case QPageLayout::Point:
        return 25.4 / 72;
    case QPageLayout::Inch:
        return 25.4;
    case QPageLayout::Pica:
        return 25.4 / 6;
    case QPageLayout::Didot:
        return 0.375;
    case QPageLayout::Cicero:
        return 4.5;
    default:
        return 1.0;
    }
}

// The margins the dialog shows, left, top, right, bottom, in millimetres.
inline QMarginsF ShownMarginsMm(QPageSetupDialog& dialog)
{
    auto value = [&dialog](const char* name) {
        const auto* box = dialog.findChild<QDoubleSpinBox*>(QLatin1String(name));
        return box ? box->value() : -1.0;
    };
    const auto* units = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"));
    const double mm = units ? MillimetresPer(units->currentData().value<QPageLayout::Unit>()) : 1.0;
    return QMarginsF(value("leftMargin"), value("topMargin"), value("rightMargin"), value("bottomMargin"))
        * mm;
}

// Chooses each unit after the first with the Down key, then goes back to
// the first with Up: the margins shown in each unit, in millimetres.
inline std::vector<std::pair<QString, QMarginsF>> MarginsInEveryUnit(QPageSetupDialog& dialog)
{
    std::vector<std::pair<QString, QMarginsF>> shown;
    auto* units = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"));
    if (!units)
        return shown;
    units->setFocus();
    shown.emplace_back(units->currentText(), ShownMarginsMm(dialog));
    for (int i = units->currentIndex() + 1; i < units->count(); ++i) {
        QTest::keyClick(units, Qt::Key_Down);
        QApplication::processEvents();
        shown.emplace_back(units->currentText(), ShownMarginsMm(dialog));
    }
    while (units->currentIndex() > 0) {
        QTest::keyClick(units, Qt::Key_Up);
        QApplication::processEvents();
    }
    shown.emplace_back(units->currentText(), ShownMarginsMm(dialog));
    return shown;
}

// Clicks the orientation's button and lets the dialog follow it.
inline void ChooseOrientation(QPageSetupDialog& dialog, QPageLayout::Orientation orientation)
{
    auto* button = dialog.findChild<QRadioButton*>(
        orientation == QPageLayout::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"));
    if (button)
        button->click();
    QApplication::processEvents();
}

inline void ClickOk(QPageSetupDialog& dialog)
{
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

// Runs act on the page setup once it is open.
inline void WhenPageSetupOpens(std::function<void(QPageSetupDialog&)> act)
{
    QTimer::singleShot(0, [act] {
        if (QPageSetupDialog* dialog = OpenPageSetup())
            act(*dialog);
    });
}
