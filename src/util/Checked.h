#pragma once
// Element `index` of an array or list, checked where it is used: outside the
// container it raises run-time error 9 (Subscript out of range), naming the
// control or field as "lblPlayer(4)". A check in an earlier step is no
// guard: answered with Ignore, that step is skipped and the index arrives
// here unchecked. So every index that data, settings or a saved game can
// reach goes through at(), and Retry, Ignore or leaving the procedure never
// touch memory outside the container.
//
//     at(playerLabels, i, "lblPlayer").visible = true;

#include "util/RunTimeError.h"

#include <QString>

#include <concepts>
#include <iterator>
#include <type_traits>
#include <utility>

namespace tess {

// The index itself, checked the same way, for a call that takes one (removeAt).
template <class Container, std::integral Index>
auto checkedIndex(const Container& items, Index index, const char* name)
{
    if (std::cmp_less(index, 0) || std::cmp_greater_equal(index, std::size(items)))
        raiseError(ErrSubscript, QStringLiteral("%1(%2)").arg(QLatin1StringView(name)).arg(index));
    return static_cast<typename Container::size_type>(index);
}

template <class Container, std::integral Index>
decltype(auto) at(Container& items, Index index, const char* name)
{
    return items[checkedIndex(items, index, name)];
}

} // namespace tess
