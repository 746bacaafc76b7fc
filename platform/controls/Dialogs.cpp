#include "platform/controls/Dialogs.h"

#include "platform/controls/Application.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/StdCtrls.h"
#include "platform/controls/detail/ControlBridge.h"
#include "platform/graphics/Glyphs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>

#include <algorithm>
#include <cstdio>

namespace qel {

namespace {

TMessageDlgHook& MsgHook()
{
    static TMessageDlgHook hook;
    return hook;
}

TBeepHook& BeepHook()
{
    static TBeepHook hook;
    return hook;
}

TCommonDialog::THook& DialogHook()
{
    static TCommonDialog::THook hook;
    return hook;
}

const TMsgDlgBtn kButtonOrder[] = {mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore,
                                   mbAll, mbNoToAll, mbYesToAll, mbHelp};

std::string TypeCaption(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    default: return Application().Title();
    }
}

std::optional<TMessageIcon> IconOf(TMsgDlgType Type)
{
    switch (Type) {
    case mtWarning: return miWarning;
    case mtError: return miError;
    case mtInformation: return miInformation;
    case mtConfirmation: return miQuestion;
    default: return std::nullopt;
    }
}

TMsgDlgBtn DefaultOf(const TMessageDlgParams& P)
{
    if (P.DefaultButton && P.Buttons.Contains(*P.DefaultButton))
        return *P.DefaultButton;
    if (P.Buttons.Contains(mbOK))
        return mbOK;
    if (P.Buttons.Contains(mbYes))
        return mbYes;
    for (TMsgDlgBtn b : kButtonOrder)
        if (P.Buttons.Contains(b))
            return b;
    return mbOK;
}

} // namespace

TModalResult ModalResultOf(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbIgnore: return mrIgnore;
    case mbAll: return mrAll;
    case mbNoToAll: return mrNoToAll;
    case mbYesToAll: return mrYesToAll;
    default: return mrNone;
    }
}

std::string MsgDlgButtonCaption(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return "&Yes";
    case mbNo: return "&No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "&Abort";
    case mbRetry: return "&Retry";
    case mbIgnore: return "&Ignore";
    case mbAll: return "&All";
    case mbNoToAll: return "N&o to All";
    case mbYesToAll: return "Yes to &All";
    default: return "&Help";
    }
}

std::string MsgDlgButtonName(TMsgDlgBtn Button)
{
    switch (Button) {
    case mbYes: return "Yes";
    case mbNo: return "No";
    case mbOK: return "OK";
    case mbCancel: return "Cancel";
    case mbAbort: return "Abort";
    case mbRetry: return "Retry";
    case mbIgnore: return "Ignore";
    case mbAll: return "All";
    case mbNoToAll: return "NoToAll";
    case mbYesToAll: return "YesToAll";
    default: return "Help";
    }
}

std::unique_ptr<TForm> CreateMessageDialog(const TMessageDlgParams& Params)
{
    TMessageDlgParams p = Params;
    if (p.Buttons.Empty())
        p.Buttons.Include(mbOK);
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsDialog);
    form->SetBorderIcons({biSystemMenu});
    form->SetPosition(poScreenCenter);
    form->SetCaption(p.Caption.empty() ? TypeCaption(p.Type) : p.Caption);
    form->SetHelpContext(p.HelpCtx);

    const int margin = 12;
    const int spacing = 8;
    const int buttonWidth = 75;
    const int buttonHeight = 25;

    // The icon of the message type at the left; a custom message has none.
    int textLeft = margin;
    int iconBottom = 0;
    if (const std::optional<TMessageIcon> icon = IconOf(p.Type)) {
        auto* image = new TPaintBox(form.get());
        image->SetName("Image");
        image->SetParent(form.get());
        image->SetBounds(margin, margin, MessageIconSize, MessageIconSize);
        image->OnPaint = [image, kind = *icon](TObject*) {
            DrawMessageIcon(*image->Canvas(), image->ClientRect(), kind);
        };
        textLeft = margin + MessageIconSize + margin;
        iconBottom = margin + MessageIconSize;
    }

    auto* label = new TLabel(form.get());
    label->SetName("Message");
    label->SetParent(form.get());
    label->SetShowAccelChar(false);
    label->SetCaption(p.Text);
    const int maxWidth = std::max(200, Screen().Width() / 2);
    if (label->Width() > maxWidth) {
        label->SetWidth(maxWidth);
        label->SetWordWrap(true);
    }
    label->SetBounds(textLeft, margin, label->Width(), label->Height());

    const TMsgDlgBtn def = DefaultOf(p);
    const TMsgDlgBtn cancel = p.Buttons.Contains(mbCancel) ? mbCancel
                              : p.Buttons.Contains(mbNo)   ? mbNo
                                                           : mbOK;
    std::vector<TButton*> buttons;
    for (TMsgDlgBtn b : kButtonOrder) {
        if (!p.Buttons.Contains(b))
            continue;
        auto* button = new TButton(form.get());
        button->SetName(MsgDlgButtonName(b));
        button->SetParent(form.get());
        auto caption = p.ButtonCaptions.find(b);
        button->SetCaption(caption != p.ButtonCaptions.end() ? caption->second : MsgDlgButtonCaption(b));
        button->SetModalResult(ModalResultOf(b));
        button->SetDefault(b == def);
        button->SetCancel(b == cancel && p.Buttons.Contains(cancel));
        if (b == mbHelp) {
            const int ctx = p.HelpCtx;
            button->OnClick = [ctx](TObject*) { Application().HelpContext(ctx); };
        }
        buttons.push_back(button);
        if (b == def)
            form->SetActiveControl(button);
    }
    const int n = static_cast<int>(buttons.size());
    const int buttonsWidth = n * buttonWidth + (n - 1) * spacing;
    const int clientWidth = std::max(textLeft - margin + label->Width(), buttonsWidth) + 2 * margin;
    const int buttonTop = std::max(margin + label->Height(), iconBottom) + margin + 4;
    int x = (clientWidth - buttonsWidth) / 2;
    for (TButton* b : buttons) {
        b->SetBounds(x, buttonTop, buttonWidth, buttonHeight);
        x += buttonWidth + spacing;
    }
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(buttonTop + buttonHeight + margin);
    return form;
}

TModalResult MessageDlgEx(const TMessageDlgParams& Params)
{
    return MessageDlgEx(Params, nullptr);
}

TModalResult MessageDlgEx(const TMessageDlgParams& Params, const std::function<void(TForm& Form)>& Adjust)
{
    if (TMessageDlgHook hook = MsgHook())
        return hook(Params);
    std::unique_ptr<TForm> form = CreateMessageDialog(Params);
    if (Adjust)
        Adjust(*form);
    return form->ShowModal();
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    TMessageDlgParams p;
    p.Text = Msg;
    p.Type = DlgType;
    p.Buttons = Buttons;
    p.HelpCtx = HelpCtx;
    return MessageDlgEx(p);
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                        TMsgDlgBtn DefaultButton)
{
    TMessageDlgParams p;
    p.Text = Msg;
    p.Type = DlgType;
    p.Buttons = Buttons;
    p.HelpCtx = HelpCtx;
    p.DefaultButton = DefaultButton;
    return MessageDlgEx(p);
}

void ShowMessage(const std::string& Msg)
{
    TMessageDlgParams p;
    p.Text = Msg;
    p.Type = mtCustom;
    p.Buttons = {mbOK};
    MessageDlgEx(p);
}

TMessageDlgHook SetMessageDlgHook(TMessageDlgHook Hook)
{
    TMessageDlgHook previous = std::move(MsgHook());
    MsgHook() = std::move(Hook);
    return previous;
}

TBeepHook SetBeepHook(TBeepHook Hook)
{
    TBeepHook previous = std::move(BeepHook());
    BeepHook() = std::move(Hook);
    return previous;
}

void MessageBeep(unsigned Type)
{
    if (BeepHook())
        BeepHook()(Type);
}

// ===== common dialogs ==================================================================

TCommonDialog::THook TCommonDialog::SetHook(THook Hook)
{
    THook previous = std::move(DialogHook());
    DialogHook() = std::move(Hook);
    return previous;
}

bool TCommonDialog::Execute()
{
    if (THook hook = DialogHook())
        return hook(*this);
    if (OnShow)
        OnShow(this);
    const bool result = DoExecute();
    if (OnClose)
        OnClose(this);
    return result;
}

TFontDialog::TFontDialog(TComponent* AOwner) : TCommonDialog(AOwner), m_font(std::make_unique<TFont>()) {}
TFontDialog::~TFontDialog() = default;

bool TFontDialog::DoExecute()
{
    QFontDialog dlg;
    dlg.setOption(QFontDialog::DontUseNativeDialog);
    if (!Title().empty())
        dlg.setWindowTitle(detail::ToQString(Title()));
    QFont start = m_font->QtFont();
    start.setPointSize(std::max(1, std::abs(m_font->Size())));
    dlg.setCurrentFont(start);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const QFont f = dlg.selectedFont();
    int size = f.pointSize();
    if (m_options.Contains(fdLimitSize)) {
        if (m_minFontSize > 0) size = std::max(size, m_minFontSize);
        if (m_maxFontSize > 0) size = std::min(size, m_maxFontSize);
    }
    m_font->SetName(f.family().toStdString());
    m_font->SetSize(size);
    TFontStyles style;
    if (f.bold()) style.Include(fsBold);
    if (f.italic()) style.Include(fsItalic);
    if (m_options.Contains(fdEffects)) {
        if (f.underline()) style.Include(fsUnderline);
        if (f.strikeOut()) style.Include(fsStrikeOut);
    }
    m_font->SetStyle(style);
    return true;
}

namespace {

std::string HexColor(TColor C)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(C) & 0xFFFFFFu);
    return buf;
}

} // namespace

TColorDialog::TColorDialog(TComponent* AOwner) : TCommonDialog(AOwner), m_customColors(std::make_unique<TStringList>()) {}
TColorDialog::~TColorDialog() = default;

bool TColorDialog::DoExecute()
{
    QColorDialog dlg(ToQColor(m_color));
    dlg.setOption(QColorDialog::DontUseNativeDialog);
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
        const std::string value = m_customColors->Values(std::string("Color") + char('A' + i));
        if (value.empty())
            continue;
        try {
            const TColor c = static_cast<TColor>(std::stoul(value, nullptr, 16));
            QColorDialog::setCustomColor(i, ToQColor(c));
        } catch (const std::exception&) {
            // A damaged entry keeps the slot's colour.
        }
    }
    if (dlg.exec() != QDialog::Accepted)
        return false;
    m_color = FromQColor(dlg.selectedColor());
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i)
        m_customColors->SetValue(std::string("Color") + char('A' + i), HexColor(FromQColor(QColorDialog::customColor(i))));
    return true;
}

TOpenDialog::TOpenDialog(TComponent* AOwner) : TCommonDialog(AOwner), m_files(std::make_unique<TStringList>()) {}
TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::DoExecute()
{
    QFileDialog dlg;
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(SaveMode() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (SaveMode())
        dlg.setFileMode(QFileDialog::AnyFile);
    else if (m_options.Contains(ofAllowMultiSelect))
        dlg.setFileMode(QFileDialog::ExistingFiles);
    else
        dlg.setFileMode(m_options.Contains(ofFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !m_options.Contains(ofOverwritePrompt));
    if (!Title().empty())
        dlg.setWindowTitle(detail::ToQString(Title()));
    QStringList filters;
    const QStringList parts = detail::ToQString(m_filter).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        dlg.selectNameFilter(filters.value(std::clamp(m_filterIndex - 1, 0, static_cast<int>(filters.size()) - 1)));
    }
    if (!m_defaultExt.empty())
        dlg.setDefaultSuffix(detail::ToQString(m_defaultExt));
    const QString fileName = detail::ToQString(m_fileName);
    if (!m_initialDir.empty())
        dlg.setDirectory(detail::ToQString(m_initialDir));
    else if (!fileName.isEmpty())
        dlg.setDirectory(QFileInfo(fileName).absolutePath());
    if (!fileName.isEmpty())
        dlg.selectFile(QFileInfo(fileName).fileName());
    if (dlg.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dlg.selectedFiles();
    if (chosen.isEmpty())
        return false;
    m_files->Clear();
    for (const QString& f : chosen)
        m_files->Add(f.toStdString());
    m_fileName = chosen.front().toStdString();
    m_filterIndex = std::max(1, static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1);
    return true;
}

TOpenPictureDialog::TOpenPictureDialog(TComponent* AOwner) : TOpenDialog(AOwner)
{
    SetFilter("All (*.bmp;*.png;*.jpg;*.jpeg)|*.bmp;*.png;*.jpg;*.jpeg|Bitmaps (*.bmp)|*.bmp|"
              "PNG images (*.png)|*.png|JPEG images (*.jpg;*.jpeg)|*.jpg;*.jpeg");
}

} // namespace qel
