// A printer that stands in for a CUPS print queue. Its paper has strips the
// printer cannot print on (6.35 mm at the sides, 12.7 mm at the top and the
// bottom, as a laser printer's queue reports them), and like Qt's CUPS
// engine it sends the job to the queue when the painter ends, whatever was
// drawn: abort() does nothing. A PDF file handed to the queue whole reaches
// it too. The tests read what the queue received.
//
// Like such a queue it lists a few papers (A4 and Letter) and the ways it
// prints on both sides (long and short edge, or none), and takes no paper
// size of its own: a page layout of another size, or with margins inside
// its strips, is refused and the printer keeps the layout it had. Qt's page
// setup on such a queue shows every margin as 0.00 with a minimum of 0.00,
// whatever the printer's layout holds, and so does it here.
#pragma once

#include "print/ui/printerpaper.h"
#include "print/ui/printqueue.h"

#include <QApplication>
#include <QBuffer>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class CStandInQueue : public QPrinter {
public:
    // One job as the queue received it: a PDF file.
    struct Job {
        QString path;
        QString title;
        int copies = 1;
        QString media;
        // The other options, as lp's -o name=value.
        QStringList options;
    };

    static inline const QList<QPrinter::DuplexMode> kBothEdges
        = {QPrinter::DuplexLongSide, QPrinter::DuplexShortSide};

    explicit CStandInQueue(const QString& name = QStringLiteral("Office laser"),
        const QList<QPageSize>& papers = {QPageSize(QPageSize::A4), QPageSize(QPageSize::Letter)},
        const QList<QPrinter::DuplexMode>& twoSided = kBothEdges)
        : QPrinter(QPrinter::HighResolution)
        , m_name(name)
        , m_papers(papers)
        , m_twoSided(twoSided)
    {
        m_engine = std::make_unique<Engine>(*this);
        setEngines(m_engine.get(), m_engine->Paint());
        setPageLayout(QPageLayout(
            QPageSize(QPageSize::A4), QPageLayout::Portrait, kStrips, QPageLayout::Millimeter, kStrips));
        SetPrintQueueSubmit([this](const PrintQueueJob& job) {
            if (job.queue != m_name)
                return false;
            QStringList options;
            for (const auto& [option, value] : job.options)
                options << QString::fromUtf8(option + '=' + value);
            Received(job.file, job.title, job.copies, job.media, options);
            return true;
        });
        SetPrinterPapersLookup([this](const QString& queue, PrinterPapers& papers) {
            if (queue != m_name)
                return false;
            papers = {m_name, m_papers, false, m_twoSided};
            return true;
        });
        qApp->installEventFilter(&m_pageSetup);
    }
    ~CStandInQueue() override
    {
        qApp->removeEventFilter(&m_pageSetup);
        SetPrinterPapersLookup({});
        SetPrintQueueSubmit({});
    }

    const std::vector<Job>& Jobs() const { return m_jobs; }

    // The strips the printer cannot print on, in millimetres.
    static constexpr QMarginsF kStrips{6.35, 12.7, 6.35, 12.7};

private:
    void Received(const QString& file, const QString& title, int copies, const QString& media,
        const QStringList& options = {})
    {
        const QString kept = m_dir.filePath(QStringLiteral("job%1.pdf").arg(m_jobs.size() + 1));
        QFile::copy(file, kept);
        m_jobs.push_back({kept, title, copies, media, options});
    }

    // The queue's own paper of the size, by name and then by size in whole
    // points, as Qt's CUPS device matches them; invalid when it lists none.
    QPageSize Listed(const QPageSize& size) const
    {
        for (const QPageSize& paper : m_papers)
            if (size.id() != QPageSize::Custom && paper.id() == size.id())
                return paper;
        for (const QPageSize& paper : m_papers)
            if (paper.sizePoints() == size.sizePoints())
                return paper;
        return {};
    }

    // What Qt's page setup shows on a CUPS queue: margins of 0.00 that may
    // go down to 0.00, whatever the printer's layout says.
    class PageSetupView : public QObject {
    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                if (auto* dialog = qobject_cast<QPageSetupDialog*>(watched))
                    for (QDoubleSpinBox* box : dialog->findChildren<QDoubleSpinBox*>())
                        if (box->objectName().endsWith(QStringLiteral("Margin"))) {
                            box->setMinimum(0);
                            box->setValue(0);
                        }
            return false;
        }
    };

    // The bytes of the painter's job. The queue takes them when the PDF is
    // complete, that is when the painter ends, as the CUPS engine sends its
    // spool file then.
    class Spool : public QBuffer {
    public:
        explicit Spool(CStandInQueue& queue)
            : m_queue(queue)
        {
            open(QIODevice::WriteOnly);
        }

    protected:
        qint64 writeData(const char* data, qint64 length) override
        {
            const qint64 written = QBuffer::writeData(data, length);
            if (buffer().endsWith("%%EOF\n")) {
                const QString path = m_queue.m_dir.filePath(QStringLiteral("spool.pdf"));
                QFile file(path);
                if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                    file.write(buffer());
                file.close();
                m_queue.Received(
                    path, m_queue.docName(), m_queue.copyCount(), m_queue.pageLayout().pageSize().key());
                buffer().clear();
                seek(0);
            }
            return written;
        }

    private:
        CStandInQueue& m_queue;
    };

    // The print engine: the printer's settings, the PDF writer's painting.
    class Engine : public QPrintEngine {
    public:
        explicit Engine(CStandInQueue& queue)
            : m_queue(queue)
            , m_spool(queue)
            , m_writer(&m_spool)
        {
        }
        QPaintEngine* Paint() { return static_cast<QPaintDevice&>(m_writer).paintEngine(); }

        void setProperty(PrintEnginePropertyKey key, const QVariant& value) override
        {
            switch (key) {
            case PPK_QPageLayout: {
                // As Qt's CUPS engine: the queue's strips are the minimum
                // margins, and a layout with margins inside them is refused.
                QPageLayout layout = value.value<QPageLayout>();
                layout.setUnits(QPageLayout::Millimeter);
                const QMarginsF m = layout.margins();
                const QMarginsF strips = kStrips - QMarginsF(0.005, 0.005, 0.005, 0.005);
                if (m.left() < strips.left() || m.top() < strips.top() || m.right() < strips.right()
                    || m.bottom() < strips.bottom())
                    break;
                const QPageSize listed = m_queue.Listed(layout.pageSize());
                if (!listed.isValid())
                    break;
                layout.setPageSize(listed, kStrips);
                layout.setMargins(m);
                m_writer.setPageLayout(layout);
                break;
            }
            case PPK_QPageSize: {
                // As Qt's CUPS engine: the queue's own paper of that size
                // when it lists one.
                const QPageSize size = value.value<QPageSize>();
                const QPageSize listed = m_queue.Listed(size);
                QPageLayout layout = m_writer.pageLayout();
                layout.setUnits(QPageLayout::Millimeter);
                layout.setPageSize(listed.isValid() ? listed : size, kStrips);
                m_writer.setPageLayout(layout);
                break;
            }
            case PPK_Orientation:
                m_writer.setPageOrientation(QPageLayout::Orientation(value.toInt()));
                break;
            case PPK_QPageMargins: {
                const auto margins = value.value<QPair<QMarginsF, QPageLayout::Unit>>();
                m_writer.setPageMargins(margins.first, margins.second);
                break;
            }
            case PPK_FullPage: {
                QPageLayout layout = m_writer.pageLayout();
                layout.setMode(value.toBool() ? QPageLayout::FullPageMode : QPageLayout::StandardMode);
                m_writer.setPageLayout(layout);
                break;
            }
            case PPK_Resolution:
                m_writer.setResolution(value.toInt());
                break;
            case PPK_DocumentName:
                m_writer.setTitle(value.toString());
                m_values[key] = value;
                break;
            default:
                m_values[key] = value;
                break;
            }
        }
        QVariant property(PrintEnginePropertyKey key) const override
        {
            switch (key) {
            case PPK_QPageLayout:
                return QVariant::fromValue(m_writer.pageLayout());
            case PPK_QPageSize:
                return QVariant::fromValue(m_writer.pageLayout().pageSize());
            case PPK_Orientation:
                return int(m_writer.pageLayout().orientation());
            case PPK_FullPage:
                return m_writer.pageLayout().mode() == QPageLayout::FullPageMode;
            case PPK_Resolution:
                return m_writer.resolution();
            case PPK_PrinterName:
                return m_queue.m_name;
            case PPK_OutputFileName:
                return QString();
            case PPK_CopyCount:
            case PPK_NumberOfCopies:
                return m_values.value(PPK_CopyCount, 1);
            case PPK_SupportsMultipleCopies:
                return true;
            default:
                return m_values.value(key);
            }
        }
        bool newPage() override { return m_writer.newPage(); }
        // As on the CUPS engine: nothing to stop, the painter's end sends.
        bool abort() override { return false; }
        int metric(QPaintDevice::PaintDeviceMetric metric) const override
        {
            const QPaintDevice& d = m_writer;
            switch (metric) {
            case QPaintDevice::PdmWidth:
                return d.width();
            case QPaintDevice::PdmHeight:
                return d.height();
            case QPaintDevice::PdmWidthMM:
                return d.widthMM();
            case QPaintDevice::PdmHeightMM:
                return d.heightMM();
            case QPaintDevice::PdmNumColors:
                return d.colorCount();
            case QPaintDevice::PdmDepth:
                return d.depth();
            case QPaintDevice::PdmDpiX:
                return d.logicalDpiX();
            case QPaintDevice::PdmDpiY:
                return d.logicalDpiY();
            case QPaintDevice::PdmPhysicalDpiX:
                return d.physicalDpiX();
            case QPaintDevice::PdmPhysicalDpiY:
                return d.physicalDpiY();
            case QPaintDevice::PdmDevicePixelRatio:
                return 1;
            case QPaintDevice::PdmDevicePixelRatioScaled:
                return int(QPaintDevice::devicePixelRatioFScale());
            default:
                return 0;
            }
        }
        QPrinter::PrinterState printerState() const override
        {
            return m_queue.paintingActive() ? QPrinter::Active : QPrinter::Idle;
        }

    private:
        CStandInQueue& m_queue;
        Spool m_spool;
        QPdfWriter m_writer;
        QHash<PrintEnginePropertyKey, QVariant> m_values;
    };

    QString m_name;
    QList<QPageSize> m_papers;
    QList<QPrinter::DuplexMode> m_twoSided;
    PageSetupView m_pageSetup;
    QTemporaryDir m_dir;
    std::vector<Job> m_jobs;
    std::unique_ptr<Engine> m_engine;
};
