#pragma once
// The "Date and Time" dialog: picks the date format and the time format of
// the header and footer date and time functions from their lists (each
// shown applied to now), whether they update automatically, and, when the
// caller offers it, whether the choice becomes the default.
//
//   TdxDateTimeFormatsDlgData data;
//   data.DateFormats = DateFormatList();
//   data.TimeFormats = TimeFormatList();
//   if (dxDateTimeFormatsDlg(data)) UseFormats(data.DateFormatIndex, data.TimeFormatIndex);
#include "preview/detail/PSDialog.h"
#include "printing/ReportLink.h"

#include <memory>

namespace qel {

class TButton;
class TCheckBox;
class TLabel;
class TListBox;
class TStringList;

// The dialog's help context; 0 hides its Help button.
inline int dxDateTimeFormatsHelpContext = 0;

class TdxfmDateTimeFormats : public TdxPSDialog {
    QEL_CLASS(TdxfmDateTimeFormats)
public:
    explicit TdxfmDateTimeFormats(TComponent* AOwner);
    ~TdxfmDateTimeFormats() override;

    // Takes copies of the record's lists and values and shows them.
    void Load(const TdxDateTimeFormatsDlgData& Data);
    // The choice into the record: the indices and both flags.
    void Store(TdxDateTimeFormatsDlgData& Data) const;

    TLabel* lblDateFormats{nullptr};
    TListBox* lbxDateFormats{nullptr};
    TLabel* lblTimeFormats{nullptr};
    TListBox* lbxTimeFormats{nullptr};
    TCheckBox* chbxAutoUpdate{nullptr};
    TButton* btnDefault{nullptr};

private:
    void CreateControls();
    void UpdateControls();
    void SelectionChanged();
    void AskDefault();

    std::unique_ptr<TStringList> m_dateFormats;
    std::unique_ptr<TStringList> m_timeFormats;
    int m_dateFormatIndex{-1};
    int m_timeFormatIndex{-1};
    bool m_autoUpdate{false};
    bool m_setAsDefault{false};
};

// False, showing nothing, when a list is missing or an index lies outside its list.
bool dxDateTimeFormatsDlg(TdxDateTimeFormatsDlgData& Data);

} // namespace qel
