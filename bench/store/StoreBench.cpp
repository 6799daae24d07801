// Project store speed and memory against the bare client library on the same rows.
// Prints "figure: NAME VALUE (target TARGET)" lines after the benchmark table.
#include "common/BenchSupport.h"
#include "platform/DateTime.h"
#include "store/MainDataModuleUnit.h"
#include "store/ProjectConnection.h"
#include "store/ResultDataSet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <firebird/Interface.h>
#include <ibase.h>
#include <malloc.h>
#include <map>
#include <string>

using namespace bench;

namespace {

QTemporaryDir g_dir;
// A project file holding n results, made once per size.
QString project(int n) {
    const QString p = g_dir.filePath(QStringLiteral("p%1.fdb").arg(n));
    if (!QFile::exists(p))
        makeProject(p, n);
    return p;
}

// ---- the bare client: attach, one select, fetch every row --------------------------------------

using namespace Firebird;

struct Bare {
    IMaster* master = fb_get_master_interface();
    IStatus* raw = master->getStatus();
    ThrowStatusWrapper st{raw};
    IAttachment* att = nullptr;
    ITransaction* tra = nullptr;

    explicit Bare(const QString& path) {
        fb::prepareEnvironment();
        IXpbBuilder* dpb = master->getUtilInterface()->getXpbBuilder(&st, IXpbBuilder::DPB, 0, 0);
        dpb->insertString(&st, isc_dpb_user_name, "SYSDBA");
        dpb->insertString(&st, isc_dpb_password, "quillbark");
        dpb->insertString(&st, isc_dpb_lc_ctype, "ASCII");
        IProvider* prov = master->getDispatcher();
        att = prov->attachDatabase(&st, QFile::encodeName(path).constData(),
                                   dpb->getBufferLength(&st), dpb->getBuffer(&st));
        prov->release();
        dpb->dispose();
        tra = att->startTransaction(&st, 0, nullptr);
    }
    ~Bare() {
        tra->commit(&st);
        att->detach(&st);
        raw->dispose();
    }
    int fetchAll(const char* sql) {
        IStatement* stmt = att->prepare(&st, tra, 0, sql, SQL_DIALECT_V6, 0);
        IMessageMetadata* meta = stmt->getOutputMetadata(&st);
        std::vector<unsigned char> buf(meta->getMessageLength(&st));
        IResultSet* rs = stmt->openCursor(&st, tra, nullptr, nullptr, meta, 0);
        int rows = 0;
        while (rs->fetchNext(&st, buf.data()) == IStatus::RESULT_OK)
            ++rows;
        rs->close(&st);
        meta->release();
        stmt->free(&st);
        return rows;
    }
    void insertAll(int from, int count) {
        const char* sql = "INSERT INTO MSR_RESULT_TABLE (MSR_RESULT_TABLE_PK, MSR_DATE, MSR_TIME, "
                          "MSR_NUMBER, OBJECT_NAME, LOAD, RATED_LOAD, MSR_COMMENT) VALUES "
                          "(?, ?, ?, ?, ?, ?, ?, ?)";
        IStatement* stmt = att->prepare(&st, tra, 0, sql, SQL_DIALECT_V6, 0);
        IMessageMetadata* meta = stmt->getInputMetadata(&st);
        std::vector<unsigned char> buf(meta->getMessageLength(&st), 0);
        auto at = [&](unsigned i) { return buf.data() + meta->getOffset(&st, i); };
        auto nul = [&](unsigned i) {
            return reinterpret_cast<short*>(buf.data() + meta->getNullOffset(&st, i));
        };
        for (unsigned i = 0; i < 8; ++i)
            *nul(i) = i == 7 ? -1 : 0;
        for (int i = from; i < from + count; ++i) {
            const TMsrResult r = sample(i);
            const platform::FbTimestamp ts = platform::toFbTimestamp(r.MsrDateTime);
            const int32_t pk = 1000000 + i, number = static_cast<int32_t>(r.MsrNumber);
            const float load = static_cast<float>(r.Load);
            ISC_TIMESTAMP t{ts.date, ts.time};
            std::memcpy(at(0), &pk, 4);
            std::memcpy(at(1), &t, sizeof t);
            std::memcpy(at(2), &t, sizeof t);
            std::memcpy(at(3), &number, 4);
            std::memset(at(4), ' ', 32);
            std::memcpy(at(4), r.ObjectName.constData(), r.ObjectName.size());
            std::memcpy(at(5), &load, 4);
            std::memcpy(at(6), &r.RatedLoad, 4);
            stmt->execute(&st, tra, meta, buf.data(), nullptr, nullptr);
        }
        tra->commitRetaining(&st);
        meta->release();
        stmt->free(&st);
    }
};

const char* const kSelect = "SELECT * FROM MSR_RESULT_TABLE ORDER BY MSR_DATE, MSR_NUMBER DESC";

// ---- benchmarks -------------------------------------------------------------------------------

void BM_BareFetch100k(benchmark::State& state) {
    const QString p = project(100000);
    for (auto _ : state)
        record("bare_fetch", timed([&] {
                   Bare bare(p);
                   benchmark::DoNotOptimize(bare.fetchAll(kSelect));
               }));
}

void BM_OpenProject100k(benchmark::State& state) {
    const QString p = project(100000);
    for (auto _ : state) {
        TMainDataModule store;
        record("open", timed([&] {
                   store.OpenProjectDatabase(p);
                   benchmark::DoNotOptimize(store.dsetZOR()->text(0, store::LOAD));
               }));
        store.CloseProjectDatabase();
    }
}

QString freshCopy(const QString& name) {
    const QString p = g_dir.filePath(name);
    QFile::remove(p);
    TMainDataModule store;
    store.CreateProjectDatabase(p);
    return p;
}

void BM_BareInsert10k(benchmark::State& state) {
    for (auto _ : state) {
        const QString p = freshCopy(QStringLiteral("bare.fdb"));
        Bare bare(p);
        record("bare_insert", timed([&] { bare.insertAll(0, 10000); }));
    }
}

void BM_Save10k(benchmark::State& state) {
    for (auto _ : state) {
        const QString p = freshCopy(QStringLiteral("save.fdb"));
        TMainDataModule store;
        store.OpenProjectDatabase(p);
        {
            const store::UpdateGuard bracket(store);
            for (int i = 0; i < 10000; ++i)
                store.AddResult(sample(i));
        }
        record("save", timed([&] { store.SaveChanges(); }));
        store.CloseProjectDatabase();
    }
}

// 10,000 downloaded results, half of them already in the project, merged and sorted.
void merge(const std::string& name, int projectSize) {
    const QString p = project(projectSize);
    TMainDataModule store;
    store.OpenProjectDatabase(p);
    std::vector<TMsrResult> download;
    for (int i = 0; i < 10000; ++i)
        download.push_back(sample(i % 2 ? projectSize + i : i)); // odd ones are new
    record(name, timed([&] {
               const store::UpdateGuard bracket(store);
               for (const TMsrResult& r : download)
                   store.AddResult(r);
               store.SortResults();
           }));
    store.CancelChanges();
    store.CloseProjectDatabase();
}

void BM_Merge10kInto10k(benchmark::State& state) {
    for (auto _ : state)
        merge("merge_10k", 10000);
}

void BM_Merge10kInto100k(benchmark::State& state) {
    for (auto _ : state)
        merge("merge_100k", 100000);
}

void BM_Memory100k(benchmark::State& state) {
    const QString p = project(100000);
    for (auto _ : state) {
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        TMainDataModule store;
        store.OpenProjectDatabase(p);
        const size_t after = mallinfo2().uordblks;
        record("bytes_per_result", static_cast<double>(after - before) / 100000.0);
        store.CloseProjectDatabase();
    }
}

BENCHMARK(BM_BareFetch100k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenProject100k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareInsert10k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save10k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge10kInto10k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge10kInto100k)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memory100k)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    figure("open_100k_vs_bare_fetch_ratio", bench::best()["open"] / bench::best()["bare_fetch"],
           "1.5");
    figure("save_10k_vs_bare_insert_ratio", bench::best()["save"] / bench::best()["bare_insert"],
           "1.5");
    figure("merge_into_100k_vs_into_10k_ratio",
           bench::best()["merge_100k"] / bench::best()["merge_10k"], "1.5");
    figure("bytes_per_result", bench::best()["bytes_per_result"], "300");
    return 0;
}
