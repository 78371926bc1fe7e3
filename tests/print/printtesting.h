// A store with contacts chosen for printing, and a print manager over it
// with known fonts, for the print tests.
#pragma once

#include "core/datafile.h"
#include "core/dataman.h"
#include "core/userman.h"
#include "platform/recorddc.h"
#include "print/printinfo.h"
#include "print/printman.h"
#include "support/testenv.h"

#include <QPointF>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <memory>
#include <utility>
#include <vector>

// Reading PDF files back needs poppler-utils.
inline bool CanReadPdf()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

// pdfinfo's page count, -1 when it cannot read the file.
inline int PdfPages(const QString& path)
{
    QProcess p;
    p.start("pdfinfo", {path});
    p.waitForFinished();
    const auto match
        = QRegularExpression("Pages:\\s+(\\d+)").match(QString::fromUtf8(p.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The first word's box on the page, in points: xMin, yMin (from the top).
inline QPointF WordAt(const QString& path, const QString& word, int page = 1)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", "-f", QString::number(page), "-l", QString::number(page), path, "-"});
    p.waitForFinished();
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpression re(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>" + QRegularExpression::escape(word) + "</word>");
    const auto m = re.match(html);
    return m.hasMatch() ? QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QPointF(-1, -1);
}

// The boxes of the words of a PDF's first page, in points from its top left.
inline std::vector<std::pair<QString, QRectF>> PdfWords(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", "-f", "1", "-l", "1", path, "-"});
    p.waitForFinished();
    std::vector<std::pair<QString, QRectF>> words;
    const QRegularExpression re(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    for (auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        words.emplace_back(m.captured(5),
            QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                QPointF(m.captured(3).toDouble(), m.captured(4).toDouble())));
    }
    return words;
}

// A5 portrait, printable to its edges.
inline PageCaps A5Page()
{
    return PageCaps::FullPage(14800, 21000);
}

class PrintFixture : public TolvaTest {
protected:
    void SetUp() override
    {
        TolvaTest::SetUp();
        m_userMan.Init(1);
        m_dataMan.Init();
        m_pm.SetSources(&m_dataMan, &m_userMan);
        LOGFONT font;
        font.lfHeight = -16;
        font.lfWeight = FW_NORMAL;
        for (int element = 1; element <= 9; ++element)
            m_pm.SetFont(element, font);
        m_pm.m_memoHead = {"", "", ""};
        m_pm.m_memoFoot = {"", "", ""};
    }

    // The height of a cell of every print font on the recording context.
    i32 FontHeight() const { return -PrintFontFromScreenFont(*m_pm.GetFont(1)).lfHeight; }

    Contact& Add(const std::string& name, bool chosen = true)
    {
        auto contact = std::make_unique<Contact>();
        contact->m_strName = name;
        if (chosen)
            contact->m_dwDisplayFlags |= CDF_PRINT;
        int index = -1;
        m_dataMan.AddContact(std::move(contact), m_dataMan.GetRootBook(), &index);
        return *m_dataMan.GetContactAt(index);
    }

    // Runs the begin pass on a measuring context of the page.
    u32 Paginate(const PageCaps& caps = A5Page())
    {
        CRecordDC dc(caps);
        m_pm.BeginPrinting(dc, m_info);
        return m_info.GetMaxPage();
    }

    // Draws a page of the paginated job.
    std::unique_ptr<CRecordDC> Page(u32 page, const PageCaps& caps = A5Page())
    {
        auto dc = std::make_unique<CRecordDC>(caps);
        m_info.m_nCurPage = page;
        m_info.m_rectDraw = caps.DrawRect();
        m_pm.PrepareDC(*dc);
        m_pm.PrintPage(*dc, m_info);
        return dc;
    }

    CDataFile m_file;
    UserMan m_userMan;
    DataMan m_dataMan{m_file, &m_userMan};
    PrintMan m_pm;
    CPrintInfo m_info;
};
