#include "platform/controls/Clipboard.h"

#include "platform/graphics/Bitmap.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace qel {

TClipboard& Clipboard()
{
    static TClipboard clipboard;
    return clipboard;
}

std::string TClipboard::AsText() const { return QGuiApplication::clipboard()->text().toStdString(); }

void TClipboard::SetAsText(const std::string& Value)
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(Value));
}

bool TClipboard::HasFormat(unsigned Format) const
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return false;
    if (Format == CF_TEXT)
        return data->hasText();
    if (Format == CF_BITMAP)
        return data->hasImage();
    return false;
}

void TClipboard::Clear() { QGuiApplication::clipboard()->clear(); }

void TClipboard::Assign(const TGraphic& Graphic)
{
    TBitmap bitmap;
    if (auto* b = dynamic_cast<const TBitmap*>(&Graphic)) {
        bitmap.Assign(const_cast<TBitmap*>(b));
    } else {
        bitmap.SetSize(Graphic.Width(), Graphic.Height());
        bitmap.Canvas()->Draw(0, 0, &Graphic);
    }
    QGuiApplication::clipboard()->setImage(bitmap.Image());
}

bool TClipboard::GetBitmap(TBitmap& Bitmap) const
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull())
        return false;
    Bitmap.SetImage(image.convertToFormat(QImage::Format_ARGB32));
    return true;
}

} // namespace qel
