#include "platform/graphics/PdfDocument.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Stream.h"

#include <QBuffer>
#include <QByteArray>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace qel {

struct TPdfDocument::Impl {
    QByteArray data;
    QBuffer buffer{&data};
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    TCanvas canvas;
};

TPdfDocument::TPdfDocument(const std::string& FileName) : m_fileName(FileName) {}

TPdfDocument::~TPdfDocument()
{
    Abort();
}

void TPdfDocument::SetPageSize(int WidthTenthMm, int HeightTenthMm)
{
    if (WidthTenthMm <= 0 || HeightTenthMm <= 0)
        throw EPrinter("Invalid page size");
    m_widthTenthMM = WidthTenthMm;
    m_heightTenthMM = HeightTenthMm;
}

void TPdfDocument::SetPageSizePoints(double WidthPt, double HeightPt)
{
    SetPageSize(int(std::lround(WidthPt * 254.0 / 72.0)), int(std::lround(HeightPt * 254.0 / 72.0)));
}

void TPdfDocument::SetResolution(int Dpi)
{
    if (Dpi < 72 || Dpi > 4800)
        throw EPrinter("Invalid resolution");
    m_dpi = Dpi;
}

void TPdfDocument::BeginDoc()
{
    if (m_impl)
        throw EPrinter("Printing in progress");
    auto impl = std::make_unique<Impl>();
    impl->buffer.open(QIODevice::WriteOnly);
    impl->writer = std::make_unique<QPdfWriter>(&impl->buffer);
    impl->writer->setResolution(m_dpi);
    impl->writer->setPageSize(
        QPageSize(QSizeF(m_widthTenthMM / 10.0, m_heightTenthMM / 10.0), QPageSize::Millimeter));
    impl->writer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    impl->writer->setTitle(QString::fromStdString(m_title));
    impl->writer->setCreator(QString::fromStdString(m_creator));
    if (!impl->painter.begin(impl->writer.get()))
        throw EPrinter("Cannot start the PDF document");
    TDeviceCaps caps;
    caps.Technology = DT_RASPRINTER;
    caps.LogPixelsX = caps.LogPixelsY = m_dpi;
    caps.HorzRes = caps.PhysicalWidth = impl->writer->width();
    caps.VertRes = caps.PhysicalHeight = impl->writer->height();
    caps.HorzSize = int(std::lround(m_widthTenthMM / 10.0));
    caps.VertSize = int(std::lround(m_heightTenthMM / 10.0));
    impl->canvas.SetDeviceCaps(caps);
    impl->canvas.Font()->SetPixelsPerInch(m_dpi);
    impl->canvas.Font()->SetSize(8);
    impl->canvas.Attach(&impl->painter, impl->writer.get());
    m_impl = std::move(impl);
    m_page = 1;
}

void TPdfDocument::NewPage()
{
    if (!m_impl)
        throw EPrinter("Printer is not currently printing");
    m_impl->writer->newPage();
    ++m_page;
}

void TPdfDocument::EndDoc()
{
    if (!m_impl)
        throw EPrinter("Printer is not currently printing");
    auto impl = std::move(m_impl);
    m_page = 0;
    impl->canvas.Detach();
    impl->painter.end();
    impl->buffer.close();
    const QByteArray& bytes = impl->data;
    SafeWriteFile(m_fileName, [&](TStream& S) { S.WriteBuffer(bytes.constData(), bytes.size()); });
}

void TPdfDocument::Abort()
{
    if (!m_impl)
        return;
    m_impl->canvas.Detach();
    m_impl->painter.end();
    m_impl.reset();
    m_page = 0;
}

TCanvas* TPdfDocument::Canvas()
{
    return m_impl ? &m_impl->canvas : nullptr;
}

int TPdfDocument::PageWidth() const
{
    return m_impl ? m_impl->writer->width() : int(std::lround(m_widthTenthMM / 254.0 * m_dpi));
}

int TPdfDocument::PageHeight() const
{
    return m_impl ? m_impl->writer->height() : int(std::lround(m_heightTenthMM / 254.0 * m_dpi));
}

} // namespace qel
