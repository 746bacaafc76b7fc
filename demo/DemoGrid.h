#pragma once
#include "platform/controls/Forms.h"
#include "platform/data/DataSet.h"

#include <memory>
#include <string>

namespace qel {
class TdxDBGrid;
class TDataSource;
}

namespace qel::demo {

// The access matrix grid over the records of `Source` (owned by Owner):
// the key field NUMBER, typed columns for the connector's data ("Nr",
// "Connector", "IP-Adresse", "Port") and one check column per box, captioned
// with the box's number; every record is loaded.
TdxDBGrid* MakeAccessMatrixGrid(TComponent* Owner, TDataSource* Source);

// The access matrix window: a data-bound grid over `Matrix` with the key
// field NUMBER, typed columns for the connector's data and one check column
// per box. Saves a picture of the grid as it opens (PlainPng), grouped by
// the IP port with the group panel, a count per group and a count footer
// (GroupedPng), and filtered by its header filter to the connectors of box 3
// (FilteredPng); the window stays grouped, the filter is cleared again.
// The pictures are made without showing the form; answers it (owned by the
// caller), complete, so that a run with a display can show it.
std::unique_ptr<TForm> MakeAccessMatrixWindow(TDataSet& Matrix, const std::string& PlainPng,
                                              const std::string& GroupedPng, const std::string& FilteredPng);

} // namespace qel::demo
