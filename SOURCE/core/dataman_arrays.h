// Indexed access to, and removal from, the store's arrays of owned records.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

template <class T> T* At(const std::vector<std::unique_ptr<T>>& items, int index)
{
    return index >= 0 && size_t(index) < items.size() ? items[size_t(index)].get() : nullptr;
}

template <class T> void EraseAt(std::vector<std::unique_ptr<T>>& items, int index)
{
    if (index >= 0 && size_t(index) < items.size())
        items.erase(items.begin() + index);
}

template <class T> void EraseRecord(std::vector<std::unique_ptr<T>>& items, const T* record)
{
    // Records dropped one by one are mostly recent ones.
    const auto it
        = std::find_if(items.rbegin(), items.rend(), [record](const auto& p) { return p.get() == record; });
    if (it != items.rend())
        items.erase(std::next(it).base());
}
