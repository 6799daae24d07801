#pragma once
#include "CachedDataset.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

class TMainDataModule;

namespace store {

class ProjectConnection;

// Row storage shared by both datasets: every row read or added, in current order, deleted rows
// included (they only leave the view), each with its status and its values as last read.
// The rows, the view and the edit buffer are written here only; a concrete dataset says what a
// row holds, how it is read and how changes go to the file, and calls the operations below.
template <class RowT> class CachedRows : public CachedDataset {
public:
    using CachedDataset::CachedDataset;
    int recordCount() const override { return static_cast<int>(m_view.size()); }

protected:
    // What the store does to a dataset around reading and saving.
    friend class ::TMainDataModule;
    void close() {
        clearRows();
        m_db = nullptr;
        rowsRebuilt();
        setState(DataSetState::Inactive);
        notifyReset();
    }
    // Every change since the last read or save is undone in memory.
    void cancelUpdates() {
        revertAll();
        rowsRebuilt();
        notifyReset();
        notifyCurrent();
    }
    // After a commit: the rows the file gave back replace ours, deletions are forgotten.
    void acceptSent() {
        acceptApplied();
        rowsRebuilt();
    }
    void forgetSent() { m_sent.clear(); }

    ProjectConnection* connection() const { return m_db; }

    // A visible row; the current row in edit state answers from its edit buffer.
    const RowT& rowAt(int row) const {
        if (row == currentRow() && m_buffer)
            return *m_buffer;
        return storedRow(row);
    }
    // A visible row as held, whatever is being edited.
    const RowT& storedRow(int row) const { return m_rows[m_view[row]].row; }
    RowT& editBuffer() { return *m_buffer; }
    RowStatus statusAt(int row) const override { return m_rows[m_view[row]].status; }

    // Reads every row of the file through next(row) until it answers false; the first row is
    // current then.
    template <class Next> void loadRows(ProjectConnection* db, Next&& next) {
        m_db = db;
        clearRows();
        for (Entry e; next(e.row); e = Entry{})
            m_rows.push_back(std::move(e));
        rebuildView();
        setCurrent(m_rows.empty() ? -1 : 0);
        rowsRebuilt();
        setState(DataSetState::Browse);
        notifyReset();
    }
    void replaceStored(int row, RowT values) { m_rows[m_view[row]].row = std::move(values); }
    // A new row at the end, pending insertion, current.
    void appendInserted(RowT row) {
        m_rows.push_back(Entry{std::move(row), nullptr, RowStatus::Inserted});
        m_view.push_back(static_cast<int>(m_rows.size() - 1));
        setCurrent(recordCount() - 1);
        setPending(true);
        notifyReset();
        notifyCurrent();
    }
    // Every row leaves the view: read rows as pending deletions, added ones without a trace.
    void markAllDeleted() {
        post();
        Rows kept;
        for (Entry& e : m_rows) {
            if (e.status == RowStatus::Inserted)
                continue;
            e.status = RowStatus::Deleted;
            kept.push_back(std::move(e));
        }
        m_rows = std::move(kept);
        rebuildView();
        recomputePending();
        setCurrent(-1);
        rowsRebuilt();
        notifyReset();
        notifyCurrent();
    }
    // Puts the rows in order. They are mostly in order already (as read, plus newly added ones
    // at the end): the unordered tail is sorted and merged in, so the cost follows the
    // additions, not the project size. The current row index is the caller's to set again.
    template <class Less> void sortRows(Less less) {
        auto byRow = [&less](const Entry& a, const Entry& b) { return less(a.row, b.row); };
        const auto tail = std::is_sorted_until(m_rows.begin(), m_rows.end(), byRow);
        if (tail != m_rows.end()) {
            std::stable_sort(tail, m_rows.end(), byRow);
            const auto from = std::upper_bound(m_rows.begin(), tail, *tail, byRow);
            std::inplace_merge(from, tail, m_rows.end(), byRow);
        }
        rebuildView();
        rowsRebuilt();
    }
    // Calls send(index, status, row, lastRead) for every row with a change to send, in order;
    // lastRead holds the values the file has (the key to find the row by).
    template <class Send> void forEachChange(Send&& send) const {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const Entry& e = m_rows[i];
            if (e.status != RowStatus::Unchanged)
                send(i, e.status, e.row, e.original ? *e.original : e.row);
        }
    }
    // The values the file gave back for the row forEachChange named `index`; they replace the
    // row's once the save is accepted.
    void noteSent(size_t index, RowT values) { m_sent.emplace_back(index, std::move(values)); }

    // Told whenever rows were reordered, removed or replaced: row indices kept elsewhere are
    // stale then.
    virtual void rowsRebuilt() {}
    virtual void prepareForEdit(RowT&) {}

    void beginEditBuffer() override {
        m_buffer = std::make_unique<RowT>(entryAt(currentRow()).row);
        prepareForEdit(*m_buffer);
    }
    void dropEditBuffer() override { m_buffer.reset(); }
    void commitEditBuffer() override {
        Entry& e = entryAt(currentRow());
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
        rowsRebuilt();
    }

private:
    struct Entry {
        RowT row;
        std::unique_ptr<RowT> original; // values as last read, kept while modified
        RowStatus status = RowStatus::Unchanged;
    };
    // A deque: appending never moves the rows already held, however many there are.
    using Rows = std::deque<Entry>;

    Entry& entryAt(int row) { return m_rows[m_view[row]]; }
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
        m_sent.clear();
        setCurrent(-1);
        setPending(false);
    }
    // The current row stays the same row when it survives; an added row that goes hands over
    // to the row after it.
    void revertAll() {
        m_buffer.reset();
        setState(DataSetState::Browse);
        const bool hadCurrent = currentRow() >= 0;
        const size_t current = hadCurrent ? static_cast<size_t>(m_view[currentRow()]) : 0;
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
            setCurrent(-1);
        else if (!hadCurrent)
            setCurrent(0);
        else
            setCurrent(newCurrent == SIZE_MAX ? recordCount() - 1 : static_cast<int>(newCurrent));
    }
    void acceptApplied() {
        for (auto& [index, row] : m_sent)
            m_rows[index].row = std::move(row);
        m_sent.clear();
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

    Rows m_rows;
    std::vector<int> m_view; // visible rows: indices into m_rows
    std::unique_ptr<RowT> m_buffer;
    std::vector<std::pair<size_t, RowT>> m_sent; // rows as the file gave them back
    ProjectConnection* m_db = nullptr;
};

} // namespace store
