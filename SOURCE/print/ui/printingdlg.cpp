#include "print/ui/printingdlg.h"

#include "platform/ui/window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// How wide the lines of the dialog may grow, in average characters.
constexpr int kTextChars = 50;

}  // namespace

CPrintingDialog::CPrintingDialog(const QString& docName, const QString& where, bool toFile, QWidget* parent)
    : QDialog(parent)
    , m_page(new QLabel(this))
    , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("CPrintingDialog"));
    setWindowTitle(QStringLiteral("Printing"));
    // The window stays live (it repaints) but takes no commands while a job runs.
    setWindowModality(Qt::ApplicationModal);
    const int em = fontMetrics().averageCharWidth();
    auto* name = new QLabel(fontMetrics().elidedText(docName, Qt::ElideRight, kTextChars * em), this);
    SetDlgCtrlIDAndName(name, 100);
    name->setTextFormat(Qt::PlainText);
    // A long path keeps its start and its file name.
    const QString target = fontMetrics().elidedText(
        toFile ? QDir::toNativeSeparators(where) : where, Qt::ElideMiddle, kTextChars * em);
    auto* on = new QLabel((toFile ? QStringLiteral("to %1") : QStringLiteral("on %1")).arg(target), this);
    SetDlgCtrlIDAndName(on, 101);
    on->setTextFormat(Qt::PlainText);
    SetDlgCtrlIDAndName(m_page, 102);
    SetDlgCtrlIDAndName(m_cancel, 2);
    m_cancel->setDefault(true);
    connect(m_cancel, &QPushButton::clicked, this, &CPrintingDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3 * em, 2 * em, 3 * em, 2 * em);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(on, 0, Qt::AlignHCenter);
    layout->addWidget(m_page, 0, Qt::AlignHCenter);
    layout->addSpacing(em);
    layout->addLayout(buttons);
    setMinimumWidth((kTextChars + 8) * em);
    SetPage(1);
}

void CPrintingDialog::SetPage(u32 page, u32 pages)
{
    // How far a long job has come, not only where it is.
    m_page->setText(pages >= page && pages > 0 ? QStringLiteral("Page %1 of %2").arg(page).arg(pages)
                                               : QStringLiteral("Page %1").arg(page));
}

void CPrintingDialog::reject()
{
    m_cancelled = true;
    m_cancel->setEnabled(false);
}
