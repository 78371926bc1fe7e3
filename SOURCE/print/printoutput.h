// Running a job onto a paged device (a PDF file or, from the windows, a
// printer), and the paper each print style wants.
#pragma once

#include "platform/printdc.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <functional>

class CPrintInfo;
class PrintMan;
class QPagedPaintDevice;

constexpr int kPdfResolution = 2540;  // one device unit is 0.01 mm

// The strips the printer cannot print on, in millimetres, at the edges of
// the layout's page. A layout's minimum margins hold them as a print queue
// reports them, for the paper in portrait, in every orientation.
QMarginsF PageStripsMm(const QPageLayout& layout);
// The layout's sheet in 0.01 mm, with those strips.
PageCaps PageCapsOf(const QPageLayout& layout);

// Papers of the same size within a millimetre, both given in portrait.
constexpr double kSamePaperMm = 1.0;
bool SamePaperSize(const QSizeF& aMm, const QSizeF& bMm);
// A paper's size in millimetres, in portrait.
QSizeF PortraitMm(const QPageSize& size);

// The paper a paper code names, in portrait, and whether the code asks for
// landscape; an invalid size for a code that names none.
QPageSize PaperOfCode(u16 paperCode, bool* landscape = nullptr);

// The paper of a label sheet's paper code (portrait size and orientation);
// other codes keep the given layout, in portrait. A layout whose paper has
// that size already keeps it, with its name and its strips.
QPageLayout LabelPaperLayout(u16 paperCode, const QPageLayout& base);
// Whether the current style's pages can be laid out: a label sheet needs
// rows and columns, and its labels must lie within its paper.
bool JobFitsPaper(const PrintMan& pm, const QPageLayout& base);
// The layout the current style prints on, given the user's paper.
QPageLayout JobPageLayout(const PrintMan& pm, const QPageLayout& base);

// Asked before each page with its number; false stops the job there.
using PageGate = std::function<bool(u32 page)>;

// Draws the job's pages from the first to the last page onto a device that
// is already open; the begin pass has run. Stops when the job's continue flag
// is cleared, or the gate says so (which clears it). The number of pages drawn.
u32 DrawJobPages(PrintMan& pm, CPrintInfo& info, QPagedPaintDevice& device, QPainter& painter,
    const PageCaps& caps, double scale, const PageGate& gate = {});

// The whole job as a PDF file titled with the document's name: begin pass,
// pages, end pass. A job without pages writes no file. The number of pages
// written, or -1 when the file could not be written.
int PrintToPdf(
    PrintMan& pm, CPrintInfo& info, const QString& path, const QPageLayout& base, const QString& title = {});

// The user's usual paper: A4 where the locale is metric, else Letter.
QPageLayout DefaultPageLayout();
