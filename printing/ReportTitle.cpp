#include "printing/ReportTitle.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Guards.h"
#include "platform/core/Locale.h"
#include "platform/core/PropertyRegistry.h"
#include "printing/ReportLink.h"
#include "printing/detail/FontFiling.h"

namespace qel {

QEL_REGISTER_CLASS(TdxReportTitle, TPersistent);

namespace {

const bool g_titlePropertiesRegistered = [] {
    TPropertyRegistrar<TdxReportTitle>("TdxReportTitle")
        .Boolean("AdjustOnReportScale", &TdxReportTitle::AdjustOnReportScale,
                 &TdxReportTitle::SetAdjustOnReportScale, false)
        .Color("Color", &TdxReportTitle::Color, &TdxReportTitle::SetColor, clWhite)
        .Enumeration("Mode", &TdxReportTitle::Mode, &TdxReportTitle::SetMode,
                     {"tmNone", "tmOnFirstPage", "tmOnEveryTopPage"}, tmOnEveryTopPage)
        .String("Text", &TdxReportTitle::Text, &TdxReportTitle::SetText)
        .Enumeration("TextAlignX", &TdxReportTitle::TextAlignX, &TdxReportTitle::SetTextAlignX,
                     {"taLeft", "taCenterX", "taRight"}, taCenterX)
        .Enumeration("TextAlignY", &TdxReportTitle::TextAlignY, &TdxReportTitle::SetTextAlignY,
                     {"taTop", "taCenterY", "taBottom"}, taCenterY)
        .Boolean("Transparent", &TdxReportTitle::Transparent, &TdxReportTitle::SetTransparent, true)
        .DefineProperties([](TdxReportTitle& T, TFiler& F) { detail::DefineFontProperties(F, "Font", T.Font()); });
    return true;
}();

} // namespace

TdxReportTitle::TdxReportTitle(TBasedxReportLink* AReportLink)
    : m_reportLink(AReportLink), m_font(std::make_unique<TFont>())
{
    SetDefaultFont();
    m_fontLink.Connect(m_font->Changes(), [this](TObject*) { Changed(); });
}

TdxReportTitle::~TdxReportTitle() = default;

void TdxReportTitle::SetDefaultFont()
{
    m_font->SetName("Times New Roman");
    m_font->SetSize(14);
    m_font->SetStyle({fsBold});
    m_font->SetColor(clWindowText);
}

void TdxReportTitle::SetAdjustOnReportScale(bool Value)
{
    if (Value == m_adjustOnReportScale)
        return;
    m_adjustOnReportScale = Value;
    Changed();
}

void TdxReportTitle::SetMode(TdxReportTitleMode Value)
{
    if (Value == m_mode)
        return;
    m_mode = Value;
    Changed();
}

void TdxReportTitle::SetText(const std::string& Value)
{
    if (Value == m_text)
        return;
    const bool sameLetters = SameText(Value, m_text);
    m_text = Value;
    if (!sameLetters)
        Changed();
}

void TdxReportTitle::BeginUpdate()
{
    ++m_updateCount;
}

void TdxReportTitle::EndUpdate()
{
    if (m_updateCount == 0)
        return;
    if (--m_updateCount == 0 && m_changedInUpdate) {
        m_changedInUpdate = false;
        Changed();
    }
}

void TdxReportTitle::Changed()
{
    if (m_updateCount > 0) {
        m_changedInUpdate = true;
        return;
    }
    if (m_reportLink && m_reportLink->CanBuildReport())
        m_reportLink->CalculateRenderInfo();
}

void TdxReportTitle::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TdxReportTitle*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    TUpdateScope<TdxReportTitle> update(*this);
    SetAdjustOnReportScale(src->m_adjustOnReportScale);
    SetColor(src->m_color);
    SetFont(src->m_font.get());
    SetMode(src->m_mode);
    SetText(src->m_text);
    SetTextAlignX(src->m_textAlignX);
    SetTextAlignY(src->m_textAlignY);
    SetTransparent(src->m_transparent);
}

void TdxReportTitle::RestoreDefaults()
{
    TUpdateScope<TdxReportTitle> update(*this);
    SetAdjustOnReportScale(false);
    SetColor(clWhite);
    SetDefaultFont();
    SetMode(tmOnEveryTopPage);
    SetText({});
    SetTextAlignX(taCenterX);
    SetTextAlignY(taCenterY);
    SetTransparent(true);
}

} // namespace qel
