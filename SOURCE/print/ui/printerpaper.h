// The paper operations on the application's printer: its name, the papers
// it takes, the smallest paper for an envelope, a label sheet's paper, and
// putting the user's paper back after a job.
#pragma once

#include "platform/wintypes.h"

#include <QList>
#include <QPageLayout>
#include <QPageSize>
#include <QSizeF>
#include <QString>

class QPrinter;

// What a printer's queue takes. A PDF file takes any paper.
struct PrinterPapers {
    QString name;
    QList<QPageSize> sizes;
    bool customSizes = true;
};

// The printer the job goes to: the chosen one, else the system's default.
QString GetPrinterNames(const QPrinter& printer);
PrinterPapers PapersOf(const QPrinter& printer);

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
    // The paper of a label sheet's paper code, in its orientation. A queue
    // that lists no such paper and takes no custom size is named in a
    // message; the sheet's size is asked for all the same.
    bool SetEnvelopePaper(QPrinter& printer, const PrinterPapers& papers, u16 paperCode);
    // The paper saved by the first setter, put back.
    void RestorePaper(QPrinter& printer);
    bool IsSaved() const { return m_saved; }

private:
    void Save(const QPrinter& printer);

    bool m_saved = false;
    QPageLayout m_layout;
};
