// The values the grid adds to a stored layout.
#include "dbgrid/DBGrid.h"

#include "editors/RegIniWrapper.h"
#include "platform/controls/Application.h"
#include "platform/core/Stream.h"
#include "treelist/LayoutStorage.h"

namespace qel {

namespace {

constexpr const char* FilterKey = "Filter";

} // namespace

void TCustomdxDBGrid::SaveColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                                       TdxTreeListColumn* Column)
{
    TCustomdxDBTreeListControl::SaveColumnLayout(Storage, Section, Column);
    if (auto* c = dynamic_cast<TdxDBTreeListColumn*>(Column))
        Storage.WriteInteger(Section, "GroupIndex", c->GroupIndex());
}

void TCustomdxDBGrid::LoadColumnLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section,
                                       TdxTreeListColumn* Column)
{
    if (auto* c = dynamic_cast<TdxDBTreeListColumn*>(Column))
        c->SetGroupIndex(Storage.ReadInteger(Section, "GroupIndex", c->GroupIndex()));
    TCustomdxDBTreeListControl::LoadColumnLayout(Storage, Section, Column);
}

void TCustomdxDBGrid::SaveControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section)
{
    TCustomdxDBTreeListControl::SaveControlLayout(Storage, Section);
    Storage.WriteBool(Section, "ShowGroupPanel", ShowGroupPanel());
    Storage.WriteBool(Section, "ShowNewItemRow", ShowNewItemRow());
    Storage.WriteBool(Section, "ShowRowFooter", ShowRowFooter());
    Storage.WriteBool(Section, "ShowSummaryFooter", ShowFooter());
    auto* regIni = dynamic_cast<TdxTreeListRegIniLayoutStorage*>(&Storage);
    if (!regIni || !regIni->Wrapper().IsRegistry())
        return;   // binary values exist in the settings store only
    TMemoryStream stream;
    m_filter->Criteria()->SaveToStream(stream);
    regIni->Wrapper().WriteBinaryData(Section, FilterKey, stream.Memory(), static_cast<int>(stream.Size()));
}

void TCustomdxDBGrid::LoadControlLayout(TdxTreeListLayoutStorage& Storage, const std::string& Section)
{
    TCustomdxDBTreeListControl::LoadControlLayout(Storage, Section);
    SetShowGroupPanel(Storage.ReadBool(Section, "ShowGroupPanel", ShowGroupPanel()));
    SetShowNewItemRow(Storage.ReadBool(Section, "ShowNewItemRow", ShowNewItemRow()));
    SetShowRowFooter(Storage.ReadBool(Section, "ShowRowFooter", ShowRowFooter()));
    SetShowFooter(Storage.ReadBool(Section, "ShowSummaryFooter", ShowFooter()));
    auto* regIni = dynamic_cast<TdxTreeListRegIniLayoutStorage*>(&Storage);
    if (!regIni)
        return;
    const std::vector<std::uint8_t> bytes = regIni->Wrapper().ReadBinaryData(Section, FilterKey);
    if (bytes.empty())
        return;   // no value, or an INI layout: the filter stays as it is
    // Read into a scratch criteria: a damaged value must not leave the live
    // filter half replaced. The rest of the layout still loads.
    TdxDBGridCriteria scratch(this);
    try {
        TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        stream.SetPosition(0);
        scratch.LoadFromStream(stream);
        stream.SetPosition(0);
        m_filter->Criteria()->LoadFromStream(stream);
    } catch (const std::exception& E) {
        Application().HandleException(E);
        return;
    }
    ApplyFilter();
}

} // namespace qel
