#pragma once
// Header layout units of the tree list: TdxTreeListColumn (a component, so
// it has a Name and can be found by it), TdxTreeListBand and the band
// collection TdxTreeListBands.
//
// Where a column shows: its band (BandIndex into the bands), the row inside
// the band (RowIndex) and its position inside that row (ColIndex). The
// control keeps one map from these to the header order; everything that
// walks headers (painting, hit tests, exports, report links) asks it.
#include "platform/core/Alignment.h"
#include "platform/core/Component.h"
#include "platform/core/Variant.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphics.h"
#include "treelist/TreeListTypes.h"
#include "treelist/detail/IdentityTable.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TCustomdxTreeListControl;
class TdxTreeListNode;
class TdxTreeListInplaceEditor;
class TBitmap;
class TImageList;

// What a column's painter gets for one cell; filled by the control and the
// column (PrepareViewData) before the cell is drawn.
struct TdxTreeListCellViewData {
    const TdxTreeListNode* Node = nullptr;
    int ColumnIndex = -1;
    TRect Bounds;
    std::string Text;
    Variant Value;
    TAlignment Alignment = taLeftJustify;
    TColor Color = clWindow;
    TColor TextColor = clWindowText;
    bool Selected = false;
    bool Focused = false;
    bool EndEllipsis = false;
    bool MultiLine = false;
};

// Makes the in-place editor of a column; empty when the column edits nothing.
using TdxTreeListEditorFactory = std::function<std::unique_ptr<TdxTreeListInplaceEditor>()>;

using TdxColumnGetTextEvent =
    std::function<void(TObject* Sender, TdxTreeListNode* Node, std::string& Text)>;

class TdxTreeListColumn : public TComponent {
    QEL_CLASS(TdxTreeListColumn)
public:
    explicit TdxTreeListColumn(TComponent* AOwner);
    ~TdxTreeListColumn() override;

    TCustomdxTreeListControl* TreeList() const { return m_treeList; }
    // Attaches to a control (appended to its column list) or detaches (nullptr).
    virtual void SetTreeList(TCustomdxTreeListControl* Value);
    // Index in the owner's column list; -1 without owner.
    virtual int GetColumnIndex() const;
    int Index() const { return GetColumnIndex(); }
    // Moves the column to another place of the owner's column list.
    virtual void SetIndex(int Value);
    void SetName(const std::string& NewName) override;

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);
    TdxTreeListColumnSort Sorted() const { return m_sorted; }
    void SetSorted(TdxTreeListColumnSort Value);
    int Width() const { return m_width; }
    void SetWidth(int Value);                 // never below MinWidth
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int Value);
    // The alignment once set (by the user or a stored layout); until then, or
    // after RestoreDefaults, the default, which a data-bound column takes
    // from its field as it is bound now.
    TAlignment Alignment() const { return m_alignmentAssigned ? m_alignment : DefaultAlignment(); }
    void SetAlignment(TAlignment Value);
    bool AlignmentAssigned() const { return m_alignmentAssigned; }
    TAlignment HeaderAlignment() const { return m_headerAlignment; }
    void SetHeaderAlignment(TAlignment Value);
    TAlignment FooterAlignment() const { return m_footerAlignment; }
    void SetFooterAlignment(TAlignment Value);
    // clNone: the control's colour.
    TColor Color() const { return m_color; }
    void SetColor(TColor Value);
    // The column's own font; ParentFont (the default) uses the control's.
    TFont* Font() const { return m_font.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return m_parentFont; }
    void SetParentFont(bool Value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool Value) { m_readOnly = Value; }
    bool DisableDragging() const { return m_disableDragging; }
    void SetDisableDragging(bool Value) { m_disableDragging = Value; }
    bool DisableEditor() const { return m_disableEditor; }
    void SetDisableEditor(bool Value) { m_disableEditor = Value; }
    bool Sizing() const { return m_sizing; }
    void SetSizing(bool Value) { m_sizing = Value; }
    // Header glyph drawn before the caption; empty when none.
    TBitmap* HeaderGlyph() const { return m_headerGlyph.get(); }
    void SetHeaderGlyph(const TBitmap* Value);
    const std::string& FooterText() const { return m_footerText; }
    void SetFooterText(const std::string& Value);

    int BandIndex() const { return m_bandIndex; }
    void SetBandIndex(int Value);
    int RowIndex() const { return m_rowIndex; }
    void SetRowIndex(int Value);
    int ColIndex() const { return m_colIndex; }
    void SetColIndex(int Value);

    // Tells the control that the whole layout changed.
    void Changed();

    // ----- overridable behaviour (the data-bound column calls these as inherited) --
    void Assign(TPersistent* Source) override;
    virtual void RestoreDefaults();
    // A text editor by default; typed columns answer their own.
    virtual TdxTreeListEditorFactory GetEditorClass() const;
    virtual void InitEditProperties(TdxTreeListInplaceEditor* /*Editor*/) {}
    virtual void InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value);
    // The editor's value for the node's cell.
    virtual Variant AssignEditorValue(TdxTreeListInplaceEditor* Editor);
    virtual void PrepareViewData(TdxTreeListCellViewData& ViewData) const;
    // Draws one cell; answers true when it drew (custom drawing).
    virtual bool DoCustomDraw(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData);
    virtual bool HasCustomDraw() const { return false; }
    // Draws the cell from its view data (text by default).
    virtual void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const;
    virtual std::string GetDisplayText(TdxTreeListNode* Node) const;
    // Converts a value for display or export; HTML: whether it was converted
    // for an HTML export. False and no change in the base.
    virtual bool GetValueText(Variant& /*Value*/, bool /*HTML*/) const { return false; }
    virtual bool IsMultiLine() const { return false; }
    virtual bool DefaultReadOnly() const { return false; }
    virtual int DefaultWidth() const { return 100; }
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }

    TdxColumnGetTextEvent OnGetText;

protected:
    void FontChanged();

private:
    friend class TCustomdxTreeListControl;

    TCustomdxTreeListControl* m_treeList{nullptr};
    std::string m_caption;
    bool m_visible{true};
    TdxTreeListColumnSort m_sorted{csNone};
    int m_width{100};
    int m_minWidth{4};
    TAlignment m_alignment{taLeftJustify};
    bool m_alignmentAssigned{false};
    TAlignment m_headerAlignment{taLeftJustify};
    TAlignment m_footerAlignment{taLeftJustify};
    TColor m_color{clNone};
    std::unique_ptr<TFont> m_font;
    bool m_parentFont{true};
    bool m_readOnly{false};
    bool m_disableDragging{false};
    bool m_disableEditor{false};
    bool m_sizing{true};
    std::unique_ptr<TBitmap> m_headerGlyph;
    std::string m_footerText;
    int m_bandIndex{0};
    int m_rowIndex{0};
    int m_colIndex{-1};                      // -1: after every placed column
    std::uint64_t m_identity{0};             // see TCustomdxTreeListControl::ColumnIdentity
};

class TdxTreeListBands;

class TdxTreeListBand {
public:
    explicit TdxTreeListBand(TdxTreeListBands* Owner) : m_owner(Owner) {}
    // Its identity finds nothing from now on.
    virtual ~TdxTreeListBand();

    TdxTreeListBands* Collection() const { return m_owner; }
    int Index() const;
    void SetIndex(int Value);
    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& Value);
    // 0: as wide as its widest row of columns.
    int Width() const { return m_width; }
    void SetWidth(int Value);
    int MinWidth() const { return m_minWidth; }
    void SetMinWidth(int Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment Value);
    bool DisableDragging() const { return m_disableDragging; }
    void SetDisableDragging(bool Value) { m_disableDragging = Value; }
    // Position among the visible bands; -1 when hidden.
    int VisibleIndex() const;

private:
    friend class TdxTreeListBands;
    void Changed();

    TdxTreeListBands* m_owner;
    std::uint64_t m_identity{0};
    std::string m_caption;
    int m_width{0};
    int m_minWidth{20};
    bool m_visible{true};
    TAlignment m_alignment{taCenter};
    bool m_disableDragging{false};
};

class TdxTreeListBands {
public:
    explicit TdxTreeListBands(TCustomdxTreeListControl* Owner) : m_owner(Owner) {}

    TCustomdxTreeListControl* Owner() const { return m_owner; }
    int Count() const { return static_cast<int>(m_items.size()); }
    TdxTreeListBand* GetItem(int Index) const;       // nullptr out of range
    TdxTreeListBand* Items(int Index) const { return GetItem(Index); }
    TdxTreeListBand* Add();
    void Delete(int Index);
    void Clear();
    void Move(int CurIndex, int NewIndex);
    int IndexOf(const TdxTreeListBand* Band) const;
    int VisibleCount() const;
    TdxTreeListBand* VisibleItem(int VisibleIndex) const;
    // Absolute index of the n-th visible band; -1 when none.
    int VisibleToAbsolute(int VisibleIndex) const;
    int AbsoluteToVisible(int Index) const;
    // A number that finds the band while it lives and nothing once it is
    // deleted (see TCustomdxTreeList::NodeIdentity); 0 for a band of another collection.
    std::uint64_t BandIdentity(const TdxTreeListBand* Band);
    TdxTreeListBand* BandByIdentity(std::uint64_t Identity) const { return m_identities.Find(Identity); }

    void Changed();

private:
    friend class TdxTreeListBand;
    TCustomdxTreeListControl* m_owner;
    detail::TIdentityTable<TdxTreeListBand> m_identities;
    std::vector<std::unique_ptr<TdxTreeListBand>> m_items;
};

// ----- typed columns --------------------------------------------------------------

class TdxTreeListCheckColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListCheckColumn)
public:
    explicit TdxTreeListCheckColumn(TComponent* AOwner);
    ~TdxTreeListCheckColumn() override;

    const std::string& ValueChecked() const { return m_valueChecked; }
    void SetValueChecked(const std::string& Value) { m_valueChecked = Value; }
    const std::string& ValueUnchecked() const { return m_valueUnchecked; }
    void SetValueUnchecked(const std::string& Value) { m_valueUnchecked = Value; }
    bool AllowGrayed() const { return m_allowGrayed; }
    void SetAllowGrayed(bool Value) { m_allowGrayed = Value; }
    // Checked for a true Boolean or the checked text; unchecked for false or
    // the unchecked text; grayed for anything else when allowed, else unchecked.
    virtual TCheckBoxState GetCheckState(const Variant& Value) const;
    // The column's glyph (empty when none).
    TBitmap* GetGlyph() const { return m_glyph.get(); }
    void SetGlyph(const TBitmap* Value);
    int GlyphCount() const { return m_glyphCount; }
    void SetGlyphCount(int Value) { m_glyphCount = Value < 1 ? 1 : Value; }
    TAlignment DefaultAlignment() const override { return taCenter; }
    void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const override;
    void Assign(TPersistent* Source) override;
    TdxTreeListEditorFactory GetEditorClass() const override;
    void InitEditProperties(TdxTreeListInplaceEditor* Editor) override;
    // The editor works on check states; the cell keeps the checked or unchecked text.
    void InitEditorValue(TdxTreeListInplaceEditor* Editor, const Variant& Value) override;
    Variant AssignEditorValue(TdxTreeListInplaceEditor* Editor) override;

private:
    std::string m_valueChecked{"True"};
    std::string m_valueUnchecked{"False"};
    bool m_allowGrayed{false};
    std::unique_ptr<TBitmap> m_glyph;
    int m_glyphCount{1};
};

class TdxTreeListImageColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListImageColumn)
public:
    explicit TdxTreeListImageColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}

    std::vector<std::string>& Values() { return m_values; }
    std::vector<std::string>& Descriptions() { return m_descriptions; }
    std::vector<int>& ImageIndexes() { return m_imageIndexes; }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* Value);
    bool ShowDescription() const { return m_showDescription; }
    void SetShowDescription(bool Value);
    bool DefaultImages() const { return m_defaultImages; }
    void SetDefaultImages(bool Value) { m_defaultImages = Value; }
    // The image index and description of a value (-1 and "" when it is not listed).
    virtual void GetDisplayValues(const Variant& Value, int& ImageIndex, std::string& Description) const;
    void DrawCell(TCanvas& Canvas, const TdxTreeListCellViewData& ViewData) const override;
    std::string GetDisplayText(TdxTreeListNode* Node) const override;
    TdxTreeListEditorFactory GetEditorClass() const override;
    void InitEditProperties(TdxTreeListInplaceEditor* Editor) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::vector<std::string> m_values;
    std::vector<std::string> m_descriptions;
    std::vector<int> m_imageIndexes;
    TImageList* m_images{nullptr};
    bool m_showDescription{false};
    bool m_defaultImages{true};
};

class TdxTreeListGraphicColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListGraphicColumn)
public:
    explicit TdxTreeListGraphicColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool Value) { m_stretch = Value; Changed(); }
    bool Center() const { return m_center; }
    void SetCenter(bool Value) { m_center = Value; Changed(); }
    TdxTreeListEditorFactory GetEditorClass() const override;
    void InitEditProperties(TdxTreeListInplaceEditor* Editor) override;

private:
    bool m_stretch{false};
    bool m_center{true};
};

class TdxTreeListHyperLinkColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListHyperLinkColumn)
public:
    explicit TdxTreeListHyperLinkColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}
    void PrepareViewData(TdxTreeListCellViewData& ViewData) const override;
    TdxTreeListEditorFactory GetEditorClass() const override;
};

class TdxTreeListMemoColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListMemoColumn)
public:
    explicit TdxTreeListMemoColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}
    bool IsMultiLine() const override { return true; }
    TdxTreeListEditorFactory GetEditorClass() const override;
};

// Shows another column's cells; report links print the wrapped column.
class TdxTreeListWrapperColumn : public TdxTreeListColumn {
    QEL_CLASS(TdxTreeListWrapperColumn)
public:
    explicit TdxTreeListWrapperColumn(TComponent* AOwner) : TdxTreeListColumn(AOwner) {}
    ~TdxTreeListWrapperColumn() override;
    TdxTreeListColumn* Column() const { return m_column; }
    // Refuses itself (EInvaliddxTreeListOperation).
    void SetColumn(TdxTreeListColumn* Value);
    std::string GetDisplayText(TdxTreeListNode* Node) const override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TdxTreeListColumn* m_column{nullptr};
};

} // namespace qel
