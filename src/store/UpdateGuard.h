#pragma once
#include <exception>

namespace store {

// Holds a store's update bracket open for one scope, as QSignalBlocker holds a signal block:
// BeginUpdate when made, EndUpdate on every way out, an error included. Any type with
// BeginUpdate and EndUpdate will do (TMainDataModule, the doubles of the tests).
template <class Store> class UpdateGuard {
public:
    explicit UpdateGuard(Store& store) : m_store(store) { m_store.BeginUpdate(); }
    ~UpdateGuard() noexcept(false) {
        if (std::uncaught_exceptions() > m_unwinding) {
            // Leaving by an error: that error is the one to report, not one met while redrawing.
            try {
                m_store.EndUpdate();
            } catch (...) {
            }
        } else {
            m_store.EndUpdate();
        }
    }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    Store& m_store;
    const int m_unwinding = std::uncaught_exceptions();
};

} // namespace store
