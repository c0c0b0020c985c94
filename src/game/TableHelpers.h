#pragma once
// Small helpers shared by the files of the game table.

#include "table/TableState.h"
#include "util/RunTimeError.h"

#include <QCoreApplication>

#include <array>

namespace tess::table {

// "Let pending window events run."
inline void handleEvents()
{
    QCoreApplication::processEvents();
}

// Board cell n, raising 9 (Subscript out of range) outside 0 to 299.
inline ImageState& cellAt(std::array<ImageState, CellCount>& cells, int n)
{
    if (n < 0 || n >= CellCount)
        raiseError(ErrSubscript, QStringLiteral("imgPuzz(%1)").arg(n));
    return cells[std::size_t(n)];
}

} // namespace tess::table
