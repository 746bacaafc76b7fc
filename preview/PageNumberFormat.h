#pragma once
// The "Page Number Format" dialog: picks the page-numbering format and the
// number of the first page, shown in that format, and, when the caller
// offers it, whether the format becomes the default.
//
//   TdxPageNumberFormatDlgData data;
//   data.PageNumberFormats = PageNumberFormatList();
//   data.PageNumberFormatIndex = pnfRoman;
//   if (dxPageNumberFormatDlg(data)) UseFormat(data.PageNumberFormatIndex, data.StartPageIndex);
#include "preview/detail/PSDialog.h"
#include "printing/ReportLink.h"

#include <memory>

namespace qel {

class TButton;
class TComboBox;
class TLabel;
class TdxPSValueEdit;

// The dialog's help context; 0 hides its Help button.
inline int dxPageNumberFormatHelpContext = 0;

class TdxfmPageNumberFormat : public TdxPSDialog {
    QEL_CLASS(TdxfmPageNumberFormat)
public:
    explicit TdxfmPageNumberFormat(TComponent* AOwner);
    ~TdxfmPageNumberFormat() override;

    // Takes a copy of the record's list and its values and shows them.
    void Load(const TdxPageNumberFormatDlgData& Data);
    bool Execute() override;
    // The choice into the record: the format, the first page and the default flag.
    void Store(TdxPageNumberFormatDlgData& Data) const;

    TLabel* lblPageNumberingFormat{nullptr};
    TComboBox* cbxPageNumberingFormat{nullptr};
    TLabel* lblStartAt{nullptr};
    TdxPSValueEdit* sePageNumber{nullptr};
    TButton* btnDefault{nullptr};

private:
    void CreateControls();
    void FormatChanged();
    void AskDefault();

    int m_formatIndex{0};
    int m_startPageIndex{1};
    bool m_setAsDefault{false};
};

// False, showing nothing, without a list, and when the format index lies
// outside the list or the five formats.
bool dxPageNumberFormatDlg(TdxPageNumberFormatDlgData& Data);

} // namespace qel
