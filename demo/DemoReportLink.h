#pragma once
// The access matrix as a report link: a repeated header row with the box
// numbers, one row per connector with its title and an "X" for each box it
// belongs to, the configuration's title as the report title and the page
// number with the total in every footer. It prints the matrix dataset until
// the grid's report link prints the grid itself.
#include "platform/data/DataSet.h"
#include "printing/ReportLink.h"

namespace qel::demo {

class TAccessMatrixReportLink : public TBasedxReportLink {
    QEL_CLASS(TAccessMatrixReportLink)
public:
    explicit TAccessMatrixReportLink(TComponent* AOwner);

    // The dataset printed (the link's component).
    TDataSet* Matrix() const { return dynamic_cast<TDataSet*>(Component()); }

protected:
    void ConstructReport(TdxReportCells& Cells) override;
    void GetDelimiters(TdxReportCells& Cells, std::vector<std::int64_t>& Horz,
                       std::vector<std::int64_t>& Vert) override;
};

// Makes the link class the one the component printer picks for an
// in-memory dataset (once).
void RegisterAccessMatrixReportLink();

} // namespace qel::demo
