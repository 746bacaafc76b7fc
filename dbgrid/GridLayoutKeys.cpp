// The values the grid adds to a stored layout.
#include "dbgrid/DBGrid.h"

#include "editors/RegIniWrapper.h"
#include "platform/controls/Application.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/PropertyRegistry.h"
#include "platform/core/Stream.h"
#include "platform/core/Streaming.h"
#include "treelist/LayoutStorage.h"

#include <cstring>

namespace qel {

// Carries a grid filter through a component stream: its one published
// property "Filter" is the filter it is bound to, else a filter of its own
// that belongs to no grid (a read lands there first).
class TFilterWrapper : public TComponent {
    QEL_CLASS(TFilterWrapper)
public:
    explicit TFilterWrapper(TComponent* AOwner)
        : TComponent(AOwner), m_own(std::make_unique<TdxDBGridFilter>(nullptr)), m_filter(m_own.get())
    {
    }
    TdxDBGridFilter* Filter() const { return m_filter; }
    void BindFilter(TdxDBGridFilter* Value) { m_filter = Value ? Value : m_own.get(); }

private:
    std::unique_ptr<TdxDBGridFilter> m_own;
    TdxDBGridFilter* m_filter;
};

QEL_REGISTER_CLASS(TFilterWrapper, TComponent);

namespace {

constexpr const char* FilterKey = "Filter";

const bool registered = [] {
    TPropertyRegistrar<TdxDBGridFilter>("TdxDBGridFilter")
        .Boolean("Active", &TdxDBGridFilter::Active, &TdxDBGridFilter::SetActive, false)
        .Boolean("AutoDataSetFilter", &TdxDBGridFilter::AutoDataSetFilter, &TdxDBGridFilter::SetAutoDataSetFilter,
                 false)
        .Boolean("CaseInsensitive", &TdxDBGridFilter::CaseInsensitive, &TdxDBGridFilter::SetCaseInsensitive, false)
        .Binary(
            "Criteria",
            [](const TdxDBGridFilter& Filter) {
                TMemoryStream stream;
                Filter.Criteria()->SaveToStream(stream);
                return stream.Bytes();
            },
            [](TdxDBGridFilter& Filter, const std::string& Bytes) {
                TMemoryStream stream;
                stream.SetBytes(Bytes);
                Filter.ReadCriteria(stream);
            })
        .Integer("DropDownCount", &TdxDBGridFilter::DropDownCount, &TdxDBGridFilter::SetDropDownCount, 12)
        .Integer("DropDownWidth", &TdxDBGridFilter::DropDownWidth, &TdxDBGridFilter::SetDropDownWidth, 0)
        .Enumeration("FilterStatus", &TdxDBGridFilter::FilterStatus, &TdxDBGridFilter::SetFilterStatus,
                     {"fsAuto", "fsNone", "fsAlways"}, fsAuto)
        .Integer("MaxDropDownCount", &TdxDBGridFilter::MaxDropDownCount, &TdxDBGridFilter::SetMaxDropDownCount,
                 1000);
    TPropertyRegistrar<TFilterWrapper>("TFilterWrapper").Persistent("Filter", &TFilterWrapper::Filter);
    return true;
}();

bool IsComponentStream(const std::vector<std::uint8_t>& Bytes)
{
    return Bytes.size() >= sizeof(ComponentStreamSignature) &&
           std::memcmp(Bytes.data(), ComponentStreamSignature, sizeof(ComponentStreamSignature)) == 0;
}

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
    TFilterWrapper wrapper(nullptr);
    wrapper.BindFilter(m_filter.get());
    TMemoryStream stream;
    SaveComponentToMemory(&wrapper, stream);
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
    // Read into a scratch filter that belongs to no grid: a damaged value
    // must not leave the live filter half replaced. The rest of the layout
    // still loads.
    TFilterWrapper scratch(nullptr);
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    try {
        if (IsComponentStream(bytes)) {
            ReadComponent(stream, &scratch, nullptr);
            m_filter->Assign(scratch.Filter());   // applies the filter
            return;
        }
        // Layouts of earlier versions hold the bare criteria stream: it
        // replaces the criteria only, once it has read whole.
        scratch.Filter()->Criteria()->LoadFromStream(stream);
        stream.SetPosition(0);
        m_filter->Criteria()->LoadFromStream(stream);
    } catch (const std::exception& E) {
        Application().HandleException(E);
        return;
    }
    ApplyFilter();
}

} // namespace qel
