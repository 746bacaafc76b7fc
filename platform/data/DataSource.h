#pragma once
// TDataSource: connects one dataset with any number of data links and
// forwards the dataset's notifications to them, in the order they attached.
#include "platform/core/Component.h"
#include "platform/data/DataSetTypes.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace qel {

class TDataLink;
class TDataSet;
class TField;

class TDataSource : public TComponent {
    QEL_CLASS(TDataSource)

public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* Value);
    // A disabled source shows its links an inactive dataset.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool Value);
    // Edit through a link may put the dataset into edit state (default true).
    bool AutoEdit() const { return m_autoEdit; }
    void SetAutoEdit(bool Value) { m_autoEdit = Value; }
    TDataSetState State() const { return m_state; }
    // Puts the dataset into edit state when AutoEdit is set and it is browsing.
    void Edit();
    bool IsLinkedTo(TDataSet* DataSet) const;

    // Field is nullptr for changes of the whole record or of the window.
    std::function<void(TObject* Sender, TField* Field)> OnDataChange;
    std::function<void(TObject* Sender)> OnStateChange;
    std::function<void(TObject* Sender)> OnUpdateData;

    int DataLinkCount() const { return static_cast<int>(m_links.size()); }
    TDataLink* DataLinks(int Index) const { return m_links.at(static_cast<std::size_t>(Index)); }

private:
    friend class TDataLink;
    friend class TDataSet;

    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);
    void DataEvent(TDataEvent Event, std::intptr_t Info);
    void UpdateState();
    void SetState(TDataSetState Value);
    void DetachDataSet();   // the dataset is going away

    TDataSet* m_dataSet{nullptr};
    bool m_enabled{true};
    bool m_autoEdit{true};
    TDataSetState m_state{dsInactive};
    std::vector<TDataLink*> m_links;   // not owned
};

} // namespace qel
