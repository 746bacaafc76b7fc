#pragma once
// The grid's columns and bands in the component stream: the columns'
// published properties, the columns written as the grid's children and the
// bands as the grid's "Bands" block.

namespace qel {

// Registers the column properties and the grid's bands block; idempotent.
void RegisterGridStreaming();

} // namespace qel
