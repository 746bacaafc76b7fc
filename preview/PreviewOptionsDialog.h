#pragma once
// The preview window's "Options" dialog: whether the page margins and their
// hints show, the measurement units, the margin colour, and zooming with the
// mouse wheel and its step. It edits a record of five 32-bit words and
// answers true only when OK followed a change.
//
//   TdxPreviewOptionsDlgData data = dxPreviewOptionsOf(*preview);
//   if (dxShowPreviewOptionsDlg(&data))
//       dxApplyPreviewOptions(data, *preview, link->PrinterPage());
#include "preview/detail/PSDialog.h"

#include <array>
#include <cstdint>

namespace qel {

class TButton;
class TCheckBox;
class TComboBox;
class TCustomdxPreview;
class TGroupBox;
class TLabel;
class TPageControl;
class TTabSheet;
class TdxPSColorCombo;
class TdxPSSpinEdit;
class TdxPrinterPage;

// Word 0 is reserved (0); word 1 the margin colour; word 2 holds in its bytes
// 0..3 the measurement units (0 default, 1 inches, 2 millimetres), margin
// hints while dragging, margin hints and the margins shown; word 3 in byte 0
// zooming on a mouse roll; word 4 the zoom step.
struct TdxPreviewOptionsDlgData {
    std::array<std::uint32_t, 5> Words{};

    TColor MarginColor() const { return static_cast<TColor>(Words[1]); }
    void SetMarginColor(TColor Value) { Words[1] = static_cast<std::uint32_t>(Value); }
    int MeasurementUnits() const { return Byte(2, 0); }
    void SetMeasurementUnits(int Value) { SetByte(2, 0, Value); }
    bool ShowMarginHintsWhileDragging() const { return Byte(2, 1) != 0; }
    void SetShowMarginHintsWhileDragging(bool Value) { SetByte(2, 1, Value); }
    bool ShowMarginHints() const { return Byte(2, 2) != 0; }
    void SetShowMarginHints(bool Value) { SetByte(2, 2, Value); }
    bool ShowMargins() const { return Byte(2, 3) != 0; }
    void SetShowMargins(bool Value) { SetByte(2, 3, Value); }
    bool ZoomOnMouseRoll() const { return Byte(3, 0) != 0; }
    void SetZoomOnMouseRoll(bool Value) { SetByte(3, 0, Value); }
    int ZoomStep() const { return static_cast<std::int32_t>(Words[4]); }
    void SetZoomStep(int Value) { Words[4] = static_cast<std::uint32_t>(Value); }

private:
    int Byte(int Word, int Index) const { return (Words[std::size_t(Word)] >> (8 * Index)) & 0xFF; }
    void SetByte(int Word, int Index, int Value)
    {
        const std::uint32_t mask = 0xFFu << (8 * Index);
        Words[std::size_t(Word)] = (Words[std::size_t(Word)] & ~mask) | ((std::uint32_t(Value) & 0xFF) << (8 * Index));
    }
};

// The record of a preview's settings (the margins shown are its povMargins).
// Units the record has no value for (centimetres, points, picas) are carried
// as they are; the dialog shows them as "Default".
TdxPreviewOptionsDlgData dxPreviewOptionsOf(const TCustomdxPreview& Preview);
// Writes the record back into the preview, the gutter staying hidden, and
// its units also into Page when there is one. Units outside 0..2 are written
// nowhere: the page knows only those three.
void dxApplyPreviewOptions(const TdxPreviewOptionsDlgData& Data, TCustomdxPreview& Preview, TdxPrinterPage* Page);

// The dialog's help context; 0 hides its Help button.
inline int dxPreviewOptionsHelpContext = 0;

class TdxfmOptions : public TdxPSDialog {
    QEL_CLASS(TdxfmOptions)
public:
    explicit TdxfmOptions(TComponent* AOwner);
    ~TdxfmOptions() override;

    // Shows the record's settings (not counting as a change).
    void Load(const TdxPreviewOptionsDlgData& Data);
    // The controls into the record. Units the list has no entry for, shown
    // as "Default", stay as they were unless another entry was chosen.
    void Store(TdxPreviewOptionsDlgData& Data) const;

    TPageControl* PageControl{nullptr};
    TTabSheet* tshGeneral{nullptr};
    TGroupBox* gbxShow{nullptr};
    TCheckBox* chbxShowMargins{nullptr};
    TCheckBox* chbxShowMarginsHints{nullptr};
    TCheckBox* chbxShowMarginsHintsWhileDragging{nullptr};
    TLabel* lblMeasurementUnits{nullptr};
    TComboBox* cbxMeasurementUnits{nullptr};
    TLabel* lblMarginColor{nullptr};
    TdxPSColorCombo* ccbxMarginColor{nullptr};
    TCheckBox* chbxZoomOnRoll{nullptr};
    TLabel* lblZoomStep{nullptr};
    TdxPSSpinEdit* seZoomStep{nullptr};

private:
    void CreateControls();

    int m_loadedUnits{0};
};

// False without a record; the record changes only on a true answer.
bool dxShowPreviewOptionsDlg(TdxPreviewOptionsDlgData* Data);

} // namespace qel
