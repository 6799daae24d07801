// Report and CSV export of a large project against listing the same project.
// Prints "figure: NAME VALUE (target TARGET)" after the benchmark table.
// `bench_report --make-project N PATH` only writes a project of N results (for trying by hand).
#include "platform/DateTime.h"
#include "report/CsvExport.h"
#include "report/MeasurementReport.h"
#include "report/ResultRowSource.h"
#include "store/MainDataModuleUnit.h"

#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int kResults = 100000;
QTemporaryDir* g_dir = nullptr;
std::map<std::string, double> g_best; // seconds, best of the iterations

void record(const std::string& name, double seconds) {
    auto it = g_best.find(name);
    if (it == g_best.end() || seconds < it->second)
        g_best[name] = seconds;
}

template <class F> double timed(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

TMsrResult sample(int i) {
    TMsrResult r;
    r.MsrDateTime = platform::encodeDateTime(45658 + i / 200, (i % 200) * 7 / 60 % 24,
                                             (i % 200) * 7 % 60, i % 60, 0);
    r.MsrNumber = static_cast<uint32_t>(i % 65536);
    r.Load = 10.0 + (i % 1000) * 0.37;
    r.RatedLoad = 500;
    r.ObjectName = QByteArray("Object ") + QByteArray::number(i % 50);
    return r;
}

bool makeProject(const QString& p, int n) {
    TMainDataModule store;
    if (!store.CreateProjectDatabase(p) || !store.OpenProjectDatabase(p))
        return false;
    store.BeginUpdate();
    for (int i = 0; i < n; ++i)
        store.AddResult(sample(i));
    store.SortResults();
    store.EndUpdate();
    store.SaveChanges();
    store.CloseProjectDatabase();
    return true;
}

QString project() {
    const QString p = g_dir->filePath(QStringLiteral("p.fdb"));
    if (!QFile::exists(p))
        makeProject(p, kResults);
    return p;
}

double runTool(const QStringList& args) {
    QProcess proc;
    proc.setStandardOutputFile(QProcess::nullDevice());
    return timed([&] {
        proc.start(QStringLiteral(ZOR_TOOL_PATH), args);
        proc.waitForFinished(-1);
    });
}

// The baseline: zor-tool list prints every result's texts.
void ToolList(benchmark::State& state) {
    const QString p = project();
    for (auto _ : state) {
        const double s = runTool({QStringLiteral("list"), p});
        state.SetIterationTime(s);
        record("list", s);
    }
}

// zor-tool export-csv: open, build the export report, write the CSV file.
void ToolExportCsv(benchmark::State& state) {
    const QString p = project();
    for (auto _ : state) {
        const double s =
            runTool({QStringLiteral("export-csv"), p, g_dir->filePath(QStringLiteral("t.csv"))});
        state.SetIterationTime(s);
        record("export-csv", s);
    }
}

// In-process parts of the export: build the pages, then the CSV bytes.
void PrepareAndCsv(benchmark::State& state) {
    TMainDataModule store;
    store.OpenProjectDatabase(project());
    report::MainReport r;
    report::applyMode(r, report::ReportMode::Export);
    report::ResultRowSource rows(*store.dsetZOR());
    for (auto _ : state) {
        report::PreparedReport prepared;
        const double prep = timed([&] {
            report::prepareReport(
                r, rows, [] { return 0; }, prepared);
        });
        const double csv =
            timed([&] { report::writeCsv(prepared, g_dir->filePath(QStringLiteral("b.csv"))); });
        state.SetIterationTime(prep + csv);
        record("prepare", prep);
        record("csv", csv);
    }
    store.CloseProjectDatabase();
}

} // namespace

BENCHMARK(ToolList)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(ToolExportCsv)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(PrepareAndCsv)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc == 4 && std::string(argv[1]) == "--make-project")
        return makeProject(QString::fromLocal8Bit(argv[3]), std::atoi(argv[2])) ? 0 : 1;
    QTemporaryDir dir;
    g_dir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_best.count("list") && g_best.count("export-csv")) {
        std::printf("report parts (in process): prepare %.3f s, CSV %.3f s\n", g_best["prepare"],
                    g_best["csv"]);
        std::printf("figure: report_csv_100k_ratio %.2f (target 3)\n",
                    g_best["export-csv"] / g_best["list"]);
    }
    return 0;
}
