#include "platform/printers/PrinterSettingsDialog.h"

#include "platform/controls/Forms.h"
#include "platform/controls/StdCtrls.h"

#include <algorithm>
#include <memory>

namespace qel {

namespace {

constexpr int LabelLeft = 12, FieldLeft = 130, FieldWidth = 220, RowHeight = 30;

TComboBox* AddCombo(TForm& Form, const char* Name, const char* Caption, int& Top)
{
    auto* label = new TLabel(&Form);
    label->SetParent(&Form);
    label->SetCaption(Caption);
    label->SetBounds(LabelLeft, Top + 4, FieldLeft - LabelLeft - 4, 20);
    auto* combo = new TComboBox(&Form);
    combo->SetName(Name);
    combo->SetParent(&Form);
    combo->SetStyle(csDropDownList);
    combo->SetBounds(FieldLeft, Top, FieldWidth, 24);
    Top += RowHeight;
    return combo;
}

} // namespace

bool RunPrinterSettingsDialog(const std::string& PrinterName, const std::vector<TPrinterPaper>& Papers,
                              const std::vector<TPrinterBin>& Bins, const TPrinterLimits& Limits,
                              TDeviceMode& Mode)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("dxPrinterSettings");
    form->SetCaption("Eigenschaften von " + PrinterName);
    form->SetBorderStyle(bsDialog);
    form->SetPosition(poScreenCenter);
    int top = 12;

    TComboBox* paper = AddCombo(*form, "cbxPaper", "Papierformat:", top);
    for (const TPrinterPaper& p : Papers)
        paper->Items()->Add(p.Name);
    const auto paperAt = std::find_if(Papers.begin(), Papers.end(),
                                      [&](const TPrinterPaper& P) { return P.Code == Mode.PaperSize; });
    paper->SetItemIndex(paperAt == Papers.end() ? (Papers.empty() ? -1 : 0)
                                                : static_cast<int>(paperAt - Papers.begin()));

    TComboBox* source = nullptr;
    if ((Mode.Fields & DM_DEFAULTSOURCE) && !Bins.empty()) {
        source = AddCombo(*form, "cbxSource", "Papierzufuhr:", top);
        int index = 0;
        for (std::size_t i = 0; i < Bins.size(); ++i) {
            source->Items()->Add(Bins[i].Name);
            if (Bins[i].Code == Mode.DefaultSource)
                index = static_cast<int>(i);
        }
        source->SetItemIndex(index);
    }

    TComboBox* orientation = AddCombo(*form, "cbxOrientation", "Ausrichtung:", top);
    orientation->Items()->Add("Hochformat");
    orientation->Items()->Add("Querformat");
    orientation->SetItemIndex(Mode.Orientation == DMORIENT_LANDSCAPE ? 1 : 0);

    TEdit* copies = nullptr;
    TCheckBox* collate = nullptr;
    if ((Mode.Fields & DM_COPIES) && Limits.MaxCopies > 1) {
        auto* label = new TLabel(form.get());
        label->SetParent(form.get());
        label->SetCaption("Exemplare:");
        label->SetBounds(LabelLeft, top + 4, FieldLeft - LabelLeft - 4, 20);
        copies = new TEdit(form.get());
        copies->SetName("edCopies");
        copies->SetParent(form.get());
        copies->SetBounds(FieldLeft, top, 60, 24);
        copies->SetText(std::to_string(std::max(1, Mode.Copies)));
        if (Mode.Fields & DM_COLLATE) {
            collate = new TCheckBox(form.get());
            collate->SetName("chbxCollate");
            collate->SetParent(form.get());
            collate->SetCaption("Sortieren");
            collate->SetBounds(FieldLeft + 70, top + 2, 140, 20);
            collate->SetChecked(Mode.Collate == DMCOLLATE_TRUE);
        }
        top += RowHeight;
    }

    TComboBox* duplex = nullptr;
    if (Mode.Fields & DM_DUPLEX) {
        duplex = AddCombo(*form, "cbxDuplex", "Beidseitig:", top);
        duplex->Items()->Add("Aus");
        duplex->Items()->Add("Lange Seite");
        duplex->Items()->Add("Kurze Seite");
        duplex->SetItemIndex(std::clamp(Mode.Duplex, 1, 3) - 1);
    }

    TComboBox* color = nullptr;
    if (Mode.Fields & DM_COLOR) {
        color = AddCombo(*form, "cbxColor", "Farbe:", top);
        color->Items()->Add("Schwarzweiß");
        color->Items()->Add("Farbe");
        color->SetItemIndex(Mode.Color == DMCOLOR_MONOCHROME ? 0 : 1);
    }

    auto* ok = new TButton(form.get());
    ok->SetName("btnOK");
    ok->SetParent(form.get());
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ok->SetBounds(FieldLeft + FieldWidth - 170, top + 8, 80, 26);
    auto* cancel = new TButton(form.get());
    cancel->SetName("btnCancel");
    cancel->SetParent(form.get());
    cancel->SetCaption("Abbrechen");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    cancel->SetBounds(FieldLeft + FieldWidth - 80, top + 8, 80, 26);
    form->SetClientWidth(FieldLeft + FieldWidth + 12);
    form->SetClientHeight(top + 46);

    if (form->ShowModal() != mrOk)
        return false;

    TDeviceMode result = Mode;
    if (const int i = paper->ItemIndex(); i >= 0 && i < static_cast<int>(Papers.size())) {
        result.PaperSize = Papers[i].Code;
        result.Fields |= DM_PAPERSIZE;
    }
    if (source)
        if (const int i = source->ItemIndex(); i >= 0 && i < static_cast<int>(Bins.size()))
            result.DefaultSource = Bins[i].Code;
    result.Orientation = orientation->ItemIndex() == 1 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    result.Fields |= DM_ORIENTATION;
    if (copies) {
        // A number that does not parse or lies outside the printer's range
        // keeps the copies as they were.
        try {
            std::size_t used = 0;
            const int n = std::stoi(copies->Text(), &used);
            if (used == copies->Text().size() && n >= 1 && n <= Limits.MaxCopies)
                result.Copies = n;
        } catch (const std::exception&) {
        }
    }
    if (collate)
        result.Collate = collate->Checked() ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
    if (duplex)
        result.Duplex = duplex->ItemIndex() + 1;
    if (color)
        result.Color = color->ItemIndex() == 0 ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR;
    Mode = result;
    return true;
}

} // namespace qel
