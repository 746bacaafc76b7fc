#pragma once
// The buttons an editor shows at its right (or left) edge: a collection of
// at most MaxEditButtons items; one more raises "Too many buttons ( >= 8)".
#include "platform/core/ChangeLink.h"
#include "platform/core/Collection.h"
#include "platform/graphics/Bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qel {

QEL_DECLARE_EXCEPTION(EdxEditError, Exception);

inline constexpr int MaxEditButtons = 8;

enum TdxEditButtonKind : std::uint8_t { bkDown, bkEllipsis, bkGlyph };

class TdxEditButtons;

class TdxEditButton : public TCollectionItem {
    QEL_CLASS(TdxEditButton)
public:
    explicit TdxEditButton(TCollection* Collection) : TCollectionItem(Collection) {}
    ~TdxEditButton() override;

    TdxEditButtonKind Kind() const { return m_kind; }
    void SetKind(TdxEditButtonKind Value);
    // Created on first read; drawn for bkGlyph.
    TBitmap* Glyph();
    bool HasGlyph() const { return m_glyph && !m_glyph->Empty(); }
    void SetGlyph(const TBitmap* Value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool Value);
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value);
    // The button Enter-with-Ctrl and a click on a button-only editor press.
    bool Default() const { return m_default; }
    void SetDefault(bool Value);
    // 0: the editor's standard button width.
    int Width() const { return m_width; }
    void SetWidth(int Value);
    bool LeftAlignment() const { return m_leftAlignment; }
    void SetLeftAlignment(bool Value);

    void Assign(TPersistent* Source) override;

private:
    TdxEditButtonKind m_kind{bkDown};
    std::unique_ptr<TBitmap> m_glyph;
    bool m_visible{true};
    bool m_enabled{true};
    bool m_default{false};
    int m_width{0};
    bool m_leftAlignment{false};
};

class TdxEditButtons : public TCollection {
    QEL_CLASS(TdxEditButtons)
public:
    explicit TdxEditButtons(TPersistent* Owner = nullptr);

    TdxEditButton* Items(int Index) const { return static_cast<TdxEditButton*>(TCollection::Items(Index)); }
    // EdxEditError "Too many buttons ( >= 8)" when MaxEditButtons are there already.
    TdxEditButton* Add();
    TdxEditButton* Insert(int Index);
    // Checked before anything changes.
    void Assign(TPersistent* Source) override;

    int VisibleCount() const;
    // The first default button, else the first visible one; nullptr when none.
    TdxEditButton* DefaultButton() const;

    // Owners listen here: every change of a button or of the list.
    TChangeLinks& Changes() { return m_changes; }

protected:
    void Update(TCollectionItem* Item) override;

private:
    void CheckRoom(int NewCount) const;
    TChangeLinks m_changes;
};

} // namespace qel
