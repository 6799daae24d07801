// Report and CSV export of a large project against listing the same project.
// Prints "figure: NAME VALUE (target TARGET)" after the benchmark table.
// `bench_report --make-project N PATH` only writes a project of N results (for trying by hand).
#include "common/BenchSupport.h"
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

using namespace bench;

namespace {

constexpr int kResults = 100000;
QTemporaryDir* g_dir = nullptr;
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
    if (bench::best().count("list") && bench::best().count("export-csv")) {
        std::printf("report parts (in process): prepare %.3f s, CSV %.3f s\n",
                    bench::best()["prepare"], bench::best()["csv"]);
        std::printf("figure: report_csv_100k_ratio %.2f (target 3)\n",
                    bench::best()["export-csv"] / bench::best()["list"]);
    }
    return 0;
}
