#pragma once
#include "demo/DemoConfig.h"
#include "platform/data/Field.h"
#include "platform/data/MemoryDataSet.h"

namespace qel::demo {

// The access matrix as the grid sees it: one record per connector (NUMBER,
// TITLE, IPADDRESS, IPPORT) and one Boolean field "BoxN" per box.
TMemoryDataSet* MakeAccessMatrix(TConfiguration& Config, TComponent* Owner);

} // namespace qel::demo
