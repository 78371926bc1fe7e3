#include "print/ui/measureedit.h"

#include "core/utilities.h"
#include "platform/ui/window.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

CMeasureEdit::CMeasureEdit(int editId, int spinId, const MeasureUnit& unit, QWidget* parent)
    : QWidget(parent)
    , m_unit(unit)
    , m_edit(new QLineEdit(this))
{
    SetDlgCtrlIDAndName(m_edit, editId);
    m_edit->installEventFilter(this);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setObjectName(QStringLiteral("ctl%1up").arg(spinId));
    down->setObjectName(QStringLiteral("ctl%1down").arg(spinId));
    // The two arrows are one control, as a spin button is.
    SetDlgCtrlID(up, spinId);
    SetDlgCtrlID(down, spinId);
    up->setArrowType(Qt::UpArrow);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setFixedHeight(m_edit->sizeHint().height() / 2);
    }
    auto* spin = new QVBoxLayout;
    spin->setSpacing(0);
    spin->addWidget(up);
    spin->addWidget(down);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit, 1);
    layout->addLayout(spin);
    setFocusProxy(m_edit);
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("000,00 cm  ")));
    connect(up, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CMeasureEdit::SetValue(double value)
{
    m_value = std::clamp(value, 0.0, std::max(0.0, m_maximum));
    m_edit->setText(QString::fromStdString(FormatMeasure(m_value, m_unit)));
    emit valueChanged(m_value);
}

void CMeasureEdit::StepBy(int hundredths)
{
    if (!Check())
        return;
    SetValue(std::round(m_value * 100 + hundredths) / 100);
}

bool CMeasureEdit::Check()
{
    if (m_checking)
        return false;
    m_checking = true;
    double value = 0;
    u32 error = ParseMeasure(m_edit->text().toStdString(), m_unit, m_maximum, value);
    if (!error && m_mustBePositive && value <= 0)
        error = IDS_MEASURE_NOT_POSITIVE;
    if (error) {
        if (error == IDS_MEASURE_RANGE)
            MsgStopText(MeasureRangeText(m_unit, m_maximum), this);
        else
            MsgStop(error, this);
        m_edit->setFocus();
        m_edit->selectAll();
        m_checking = false;
        return false;
    }
    m_checking = false;
    SetValue(value);
    return true;
}

bool CMeasureEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A value is checked as the focus leaves it, unless the dialog is being cancelled.
    if (watched == m_edit && event->type() == QEvent::FocusOut && isVisible()) {
        const auto* target = qobject_cast<QPushButton*>(QApplication::focusWidget());
        const bool cancelling = target && target->objectName() == QStringLiteral("ctl2");
        if (!cancelling && m_edit->isModified()) {
            m_edit->setModified(false);
            Check();
        }
    }
    return QWidget::eventFilter(watched, event);
}
