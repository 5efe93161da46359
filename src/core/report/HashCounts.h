// SPDX-FileCopyrightText: 2026 tolvanex developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace tolvanex::report {

// A number kept for each hash of a record, in one block of memory that is kept from file to file
// and emptied slot by slot: a class is some 150,000 files, and a map's node for each record would
// be as many allocations and frees as records.
class HashCounts {
public:
    // The number kept for a hash; 0 for a hash not seen since the last clear().
    std::size_t& operator[](std::size_t hash)
    {
        if (hash == kEmpty)
            return m_ofEmpty;
        if ((m_used.size() + 1) * 2 > m_slots.size())
            grow();
        std::size_t at = slotOf(hash);
        while (m_slots[at].first != kEmpty && m_slots[at].first != hash)
            at = (at + 1) & (m_slots.size() - 1);
        if (m_slots[at].first == kEmpty) {
            m_slots[at] = { hash, 0 };
            m_used.push_back(at);
        }
        return m_slots[at].second;
    }
    void clear()
    {
        for (const std::size_t at : m_used)
            m_slots[at] = { kEmpty, 0 };
        m_used.clear();
        m_ofEmpty = 0;
    }

private:
    static constexpr std::size_t kEmpty = 0;

    // The hash's home slot: its bits mixed, the table's size a power of two.
    std::size_t slotOf(std::size_t hash) const
    {
        return static_cast<std::size_t>((static_cast<std::uint64_t>(hash) * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    void grow()
    {
        std::vector<std::pair<std::size_t, std::size_t>> old(std::max<std::size_t>(64, m_slots.size() * 2));
        old.swap(m_slots);
        m_shift = 64;
        for (std::size_t size = m_slots.size(); size > 1; size /= 2)
            --m_shift;
        std::vector<std::size_t> used;
        used.reserve(m_slots.size() / 2);
        for (const std::size_t at : m_used) {
            std::size_t to = slotOf(old[at].first);
            while (m_slots[to].first != kEmpty)
                to = (to + 1) & (m_slots.size() - 1);
            m_slots[to] = old[at];
            used.push_back(to);
        }
        m_used.swap(used);
    }

    std::vector<std::pair<std::size_t, std::size_t>> m_slots; // (hash, number); kEmpty: free
    std::vector<std::size_t> m_used; // the slots taken, to empty them
    std::size_t m_ofEmpty = 0; // the number of the one hash a slot cannot hold
    unsigned m_shift = 64;
};

} // namespace tolvanex::report
