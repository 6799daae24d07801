#pragma once
#include "CachedDataset.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace store {

// Row storage shared by both datasets: every row read or added, in current order, deleted rows
// included (they only leave the view), each with its status and its values as last read.
template <class RowT> class CachedRows : public CachedDataset {
public:
    using CachedDataset::CachedDataset;
    int recordCount() const override { return static_cast<int>(m_view.size()); }

protected:
    struct Entry {
        RowT row;
        std::unique_ptr<RowT> original; // values as last read, kept while modified
        RowStatus status = RowStatus::Unchanged;
    };

    const RowT& rowAt(int row) const {
        if (row == m_current && m_buffer)
            return *m_buffer;
        return m_rows[m_view[row]].row;
    }
    Entry& entryAt(int row) { return m_rows[m_view[row]]; }
    RowStatus statusAt(int row) const override { return m_rows[m_view[row]].status; }

    virtual void prepareForEdit(RowT&) {}

    void beginEditBuffer() override {
        m_buffer = std::make_unique<RowT>(entryAt(m_current).row);
        prepareForEdit(*m_buffer);
    }
    void dropEditBuffer() override { m_buffer.reset(); }
    void commitEditBuffer() override {
        Entry& e = entryAt(m_current);
        if (e.status == RowStatus::Unchanged) {
            e.original = std::make_unique<RowT>(e.row);
            e.status = RowStatus::Modified;
        }
        e.row = std::move(*m_buffer);
        m_buffer.reset();
        setPending(true);
    }
    void removeRow(int row) override {
        const int index = m_view[row];
        Entry& e = m_rows[index];
        if (e.status == RowStatus::Inserted)
            m_rows.erase(m_rows.begin() + index); // added and removed: leaves no trace
        else
            e.status = RowStatus::Deleted;
        rebuildView();
        recomputePending();
    }

    void rebuildView() {
        m_view.clear();
        m_view.reserve(m_rows.size());
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (m_rows[i].status != RowStatus::Deleted)
                m_view.push_back(static_cast<int>(i));
    }
    void recomputePending() {
        bool pending = false;
        for (const Entry& e : m_rows)
            pending = pending || e.status != RowStatus::Unchanged;
        setPending(pending);
    }
    void clearRows() {
        m_rows.clear();
        m_view.clear();
        m_buffer.reset();
        m_current = -1;
        setPending(false);
    }
    // Every change since the last read or save is undone in memory. The current row stays the
    // same row when it survives; an added row that goes hands over to the row after it.
    void revertAll() {
        m_buffer.reset();
        setState(DataSetState::Browse);
        const size_t current = m_current >= 0 ? static_cast<size_t>(m_view[m_current]) : 0;
        const bool hadCurrent = m_current >= 0;
        Rows kept;
        size_t newCurrent = SIZE_MAX;
        for (size_t i = 0; i < m_rows.size(); ++i) {
            Entry& e = m_rows[i];
            if (e.status == RowStatus::Inserted)
                continue;
            if (newCurrent == SIZE_MAX && i >= current)
                newCurrent = kept.size();
            if (e.original)
                e.row = std::move(*e.original);
            e.original.reset();
            e.status = RowStatus::Unchanged;
            kept.push_back(std::move(e));
        }
        m_rows = std::move(kept);
        rebuildView(); // nothing is deleted now: view and rows coincide
        setPending(false);
        if (recordCount() == 0)
            m_current = -1;
        else if (!hadCurrent)
            m_current = 0;
        else
            m_current = newCurrent == SIZE_MAX ? recordCount() - 1 : static_cast<int>(newCurrent);
    }
    // After a complete apply: refreshed values replace the rows, deletions are forgotten.
    void acceptApplied(std::vector<std::pair<size_t, RowT>>& refreshed) {
        for (auto& [index, row] : refreshed)
            m_rows[index].row = std::move(row);
        Rows kept;
        for (Entry& e : m_rows) {
            if (e.status == RowStatus::Deleted)
                continue;
            e.original.reset();
            e.status = RowStatus::Unchanged;
            kept.push_back(std::move(e));
        }
        m_rows = std::move(kept);
        rebuildView();
        setPending(false);
    }

    // A deque: appending never moves the rows already held, however many there are.
    using Rows = std::deque<Entry>;
    Rows m_rows;
    std::vector<int> m_view; // visible rows: indices into m_rows
    std::unique_ptr<RowT> m_buffer;
};

} // namespace store
