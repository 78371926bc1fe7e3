// The paper operations on the application's printer: its name, the papers
// it takes, the smallest paper for an envelope, a label sheet's paper, and
// putting the user's paper back after a job.
#pragma once

#include "platform/wintypes.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QSizeF>
#include <QString>
#include <functional>

class QWidget;

// What a printer's queue takes: its papers, and the ways it prints on both
// sides of the paper (none when it prints on one side only). A PDF file
// takes any paper.
struct PrinterPapers {
    QString name;
    QList<QPageSize> sizes;
    bool customSizes = true;
    QList<QPrinter::DuplexMode> twoSided = {};
};

// The printer the job goes to: the chosen one, else the system's default.
QString GetPrinterNames(const QPrinter& printer);
PrinterPapers PapersOf(const QPrinter& printer);
// What the queue of that name takes.
PrinterPapers PapersOfQueue(const QString& queue);

// Tests put the papers of a queue of their own in place of what CUPS says;
// the lookup answers false for a queue it does not know. An empty function
// brings CUPS back.
using PrinterPapersLookup = std::function<bool(const QString& queue, PrinterPapers& papers)>;
void SetPrinterPapersLookup(PrinterPapersLookup lookup);

// The queue's own paper of a size given in portrait (within a millimetre);
// invalid when it lists none.
QPageSize ListedPaper(const PrinterPapers& papers, QSizeF portraitMm);

// Whether the queue lists the paper of the code (within a millimetre).
bool IsPaperSupported(const PrinterPapers& papers, u16 paperCode);
// The smallest listed paper (by width, then length) that holds a sheet of
// at least the given size in portrait; false when none does. The envelope
// job needs the smallest paper its envelope fits, not the widest one.
bool GetSmallestPaper(const PrinterPapers& papers, QSizeF atLeastMm, QPageSize& paper);

class CPrinterPaper {
public:
    // The smallest paper that holds the envelope, in portrait; false (the
    // paper unchanged) when the queue lists none.
    bool SetMinimumPaper(QPrinter& printer, const PrinterPapers& papers, QSizeF envelopeMm);
    // The paper of a label sheet's paper code, in its orientation: the
    // queue's own paper of that size, else, where the queue takes sizes of
    // its own, the sheet's size. False, with a message naming the queue and
    // where to choose otherwise, when the queue has no such paper (or would
    // not take it), over parent; the paper is then left as it was.
    bool SetEnvelopePaper(
        QPrinter& printer, const PrinterPapers& papers, u16 paperCode, QWidget* parent = nullptr);
    // The paper saved by the first setter, put back.
    void RestorePaper(QPrinter& printer);
    bool IsSaved() const { return m_saved; }

private:
    void Save(const QPrinter& printer);

    bool m_saved = false;
    QPageLayout m_layout;
};
