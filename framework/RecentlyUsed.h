// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The last few things of a kind that were used, the most recent first: a
// small cache for what costs more to make than to look for.
#include <algorithm>
#include <cstddef>
#include <deque>
#include <optional>
#include <utility>

namespace fw {

template <class Item, std::size_t kKept> class RecentlyUsed {
public:
    // The first item that matches, made the most recent; null when none does.
    template <class Matches> Item* Find(Matches matches)
    {
        const auto found = std::find_if(m_items.begin(), m_items.end(), matches);
        if (found == m_items.end())
            return nullptr;
        std::rotate(m_items.begin(), found, found + 1);
        return &m_items.front();
    }

    // Takes out the first item that matches; nothing when none does.
    template <class Matches> std::optional<Item> Take(Matches matches)
    {
        const auto found = std::find_if(m_items.begin(), m_items.end(), matches);
        if (found == m_items.end())
            return std::nullopt;
        std::optional<Item> taken(std::move(*found));
        m_items.erase(found);
        return taken;
    }

    // Keeps item as the most recent, forgetting the least recent beyond kKept.
    Item& Add(Item item)
    {
        m_items.push_front(std::move(item));
        if (m_items.size() > kKept)
            m_items.pop_back();
        return m_items.front();
    }

private:
    std::deque<Item> m_items;
};

} // namespace fw
