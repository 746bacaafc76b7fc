#include "platform/controls/detail/ScrollBarStyle.h"

#include "platform/graphics/Graphics.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace qel::detail {

namespace {

class FlatScrollBarStyle : public QProxyStyle {
public:
    explicit FlatScrollBarStyle(bool Ultra) : m_ultra(Ultra) {}

    void drawComplexControl(ComplexControl Control, const QStyleOptionComplex* Option, QPainter* Painter,
                            const QWidget* Widget) const override
    {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(Option);
        if (Control != CC_ScrollBar || !bar) {
            QProxyStyle::drawComplexControl(Control, Option, Painter, Widget);
            return;
        }
        // The track is a light shade of the button face, as the platform's flat bars draw it.
        const QColor face = ToQColor(clBtnFace);
        Painter->fillRect(bar->rect, face.lighter(112));
        const bool horizontal = bar->orientation == Qt::Horizontal;
        const bool enabled = bar->state & State_Enabled;
        DrawPart(bar, Painter, Widget, SC_ScrollBarSubLine,
                 horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp, enabled);
        DrawPart(bar, Painter, Widget, SC_ScrollBarAddLine,
                 horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown, enabled);
        if (enabled && bar->maximum > bar->minimum)
            DrawPart(bar, Painter, Widget, SC_ScrollBarSlider, PE_CustomBase, enabled);
    }

private:
    void DrawPart(const QStyleOptionSlider* Bar, QPainter* Painter, const QWidget* Widget, SubControl Part,
                  PrimitiveElement Arrow, bool Enabled) const
    {
        const QRect r = subControlRect(CC_ScrollBar, Bar, Part, Widget);
        if (r.isEmpty())
            return;
        const bool hot = Enabled && (Bar->activeSubControls & Part) && (Bar->state & (State_MouseOver | State_Sunken));
        const bool pressed = hot && (Bar->state & State_Sunken);
        QColor fill = ToQColor(clBtnFace);
        if (pressed)
            fill = ToQColor(clBtnShadow);
        Painter->fillRect(r, fill);
        // Flat parts always carry a thin shadow frame; ultra-flat ones only
        // while the pointer is over them.
        if (!m_ultra || hot) {
            Painter->setPen(ToQColor(m_ultra ? clHighlight : clBtnShadow));
            Painter->setBrush(Qt::NoBrush);
            Painter->drawRect(r.adjusted(0, 0, -1, -1));
        }
        if (Arrow == PE_CustomBase)
            return;
        QStyleOption arrow;
        arrow.initFrom(Widget);
        arrow.rect = r.adjusted(3, 3, -3, -3);
        arrow.state = Enabled ? State_Enabled : State_None;
        const QColor ink = ToQColor(Enabled ? clBtnText : clGrayText);
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
            arrow.palette.setColor(role, ink);
        proxy()->drawPrimitive(Arrow, &arrow, Painter, Widget);
    }

    bool m_ultra;
};

} // namespace

QStyle* ScrollBarQtStyle(TScrollBarStyle Style)
{
    if (Style == sbsStandard || !QCoreApplication::instance())
        return nullptr;
    static QPointer<QStyle> styles[2];
    QPointer<QStyle>& s = styles[Style == sbsUltraFlat ? 1 : 0];
    if (!s) {
        s = new FlatScrollBarStyle(Style == sbsUltraFlat);
        s->setParent(QCoreApplication::instance());
    }
    return s;
}

} // namespace qel::detail
