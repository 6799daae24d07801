#pragma once
// What the benchmark programs share: best-of timing, a sample result and a project made of them.
#include "platform/DateTime.h"
#include "store/MainDataModuleUnit.h"
#include "store/UpdateGuard.h"

#include <QString>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace bench {

inline std::map<std::string, double>& best() {
    static std::map<std::string, double> b; // seconds, best of the iterations
    return b;
}

inline void record(const std::string& name, double seconds) {
    auto it = best().find(name);
    if (it == best().end() || seconds < it->second)
        best()[name] = seconds;
}

template <class F> double timed(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// One result every 7 minutes from 2025 on, numbers wrapping like the instrument's.
inline TMsrResult sample(int i) {
    TMsrResult r;
    r.MsrDateTime = platform::encodeDateTime(45658 + i / 200, (i % 200) * 7 / 60 % 24,
                                             (i % 200) * 7 % 60, i % 60, 0);
    r.MsrNumber = static_cast<uint32_t>(i % 65536);
    r.Load = 10.0 + (i % 1000) * 0.37;
    r.RatedLoad = 500;
    r.ObjectName = QByteArray("Object ") + QByteArray::number(i % 50);
    return r;
}

// A saved project of the first n samples.
inline bool makeProject(const QString& path, int n) {
    TMainDataModule store;
    if (!store.CreateProjectDatabase(path) || !store.OpenProjectDatabase(path))
        return false;
    {
        const store::UpdateGuard bracket(store);
        for (int i = 0; i < n; ++i)
            store.AddResult(sample(i));
        store.SortResults();
    }
    store.SaveChanges();
    store.CloseProjectDatabase();
    return true;
}

inline void figure(const char* name, double value, const char* target) {
    std::printf("figure: %s %.3f (target %s)\n", name, value, target);
}

} // namespace bench
