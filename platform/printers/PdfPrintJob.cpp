#include "platform/printers/PdfPrintJob.h"

#include "platform/core/Exceptions.h"

#include <QBuffer>
#include <QByteArray>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace qel {

struct TPdfPrintJob::Impl {
    QByteArray data;
    QBuffer buffer{&data};
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    TDeviceCaps caps;
    bool begun = false;
    TCanvas* bound = nullptr;
};

TPdfPrintJob::TPdfPrintJob(const std::string& Title, int Resolution, TPaperOf PaperOf,
                           TDeliver Deliver)
    : m_title(Title), m_resolution(Resolution), m_paperOf(std::move(PaperOf)),
      m_deliver(std::move(Deliver)), m_impl(std::make_unique<Impl>())
{
    m_impl->buffer.open(QIODevice::WriteOnly);
    m_impl->writer = std::make_unique<QPdfWriter>(&m_impl->buffer);
    m_impl->writer->setResolution(m_resolution);
    m_impl->writer->setTitle(QString::fromStdString(m_title));
    m_impl->writer->setCreator(QStringLiteral("qel"));
}

TPdfPrintJob::~TPdfPrintJob()
{
    Drop();
}

static QPageLayout LayoutOf(const TPrinterPaper& Paper, const TDeviceMode& Mode)
{
    const QPageSize size(QSizeF(Paper.Width / 10.0, Paper.Height / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    return QPageLayout(size,
                       Mode.Orientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void TPdfPrintJob::StartPage(const TDeviceMode& Mode)
{
    if (!m_impl || m_done)
        throw EPrinter("Printer is not currently printing");
    if (m_pageOpen)
        throw EPrinter("Page already started");
    const TPrinterPaper paper = m_paperOf(Mode);
    if (paper.Width <= 0 || paper.Height <= 0)
        throw EPrinter("Invalid page size");
    // The page itself is laid out in the mode's orientation, so whoever
    // receives the document never has to rotate it.
    m_impl->writer->setPageLayout(LayoutOf(paper, Mode));
    if (!m_impl->begun) {
        if (!m_impl->painter.begin(m_impl->writer.get()))
            throw EPrinter("Cannot start the PDF document");
        m_impl->begun = true;
    } else if (!m_impl->writer->newPage()) {
        throw EPrinter("Cannot start a new page");
    }
    m_impl->caps = PageCapsFor(paper, Mode, m_resolution);
    m_pageOpen = true;
}

void TPdfPrintJob::BindCanvas(TCanvas& Canvas)
{
    if (!m_pageOpen)
        throw EPrinter("Printer is not currently printing");
    UnbindCanvas(Canvas);
    const TDeviceCaps& caps = m_impl->caps;
    m_impl->painter.save();
    m_impl->painter.resetTransform();
    m_impl->painter.translate(caps.PhysicalOffsetX, caps.PhysicalOffsetY);
    m_impl->painter.setClipRect(0, 0, caps.HorzRes, caps.VertRes);
    Canvas.SetDeviceCaps(caps);
    Canvas.Attach(&m_impl->painter, m_impl->writer.get());
    m_impl->bound = &Canvas;
}

void TPdfPrintJob::UnbindCanvas(TCanvas& Canvas)
{
    if (!m_impl || m_impl->bound != &Canvas)
        return;
    Canvas.Detach();
    m_impl->painter.restore();
    m_impl->bound = nullptr;
}

void TPdfPrintJob::EndPage()
{
    if (!m_pageOpen)
        throw EPrinter("Printer is not currently printing");
    if (m_impl->bound)
        UnbindCanvas(*m_impl->bound);
    m_pageOpen = false;
    ++m_pagesEnded;
}

void TPdfPrintJob::EndDoc()
{
    if (!m_impl || m_done)
        throw EPrinter("Printer is not currently printing");
    if (m_pageOpen)
        EndPage();
    if (m_impl->bound)
        UnbindCanvas(*m_impl->bound);
    m_done = true;
    if (!m_impl->begun) {
        // A document without pages still is a valid, blank document.
        if (!m_impl->painter.begin(m_impl->writer.get()))
            throw EPrinter("Cannot start the PDF document");
        m_impl->begun = true;
    }
    const bool ended = m_impl->painter.end();
    m_impl->buffer.close();
    auto impl = std::move(m_impl);
    if (!ended)
        throw EPrinter("Cannot finish the PDF document");
    m_jobId = m_deliver(std::string(impl->data.constData(), static_cast<std::size_t>(impl->data.size())));
}

void TPdfPrintJob::Abort()
{
    Drop();
}

void TPdfPrintJob::Drop()
{
    if (!m_impl)
        return;
    if (m_impl->bound)
        UnbindCanvas(*m_impl->bound);
    if (m_impl->painter.isActive())
        m_impl->painter.end();
    m_impl.reset();
    m_pageOpen = false;
    m_done = true;
}

} // namespace qel
