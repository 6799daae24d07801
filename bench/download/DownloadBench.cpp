// Downloads 1,000 results from the simulated instrument (no reply delay) through a USB link
// and the worker, as the program does. Every command with a reply pauses 1 ms between write
// and read, so 1,000 records cannot take less than 1 s: the figure is elapsed / that floor.
// Prints "figure: NAME VALUE (target TARGET)" after the benchmark table.
#include "device/SimulatedBackend.h"
#include "device/USB.h"
#include "download/DownloadThread.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRecords = 1000;
std::vector<double> g_seconds;

QByteArray scenario() {
    QByteArray records;
    for (int i = 0; i < kRecords; ++i)
        records += (i ? "," : "") + QByteArray(R"({"date": "2026-07-01 12:00:00", "number": )") +
                   QByteArray::number(i) + R"(, "load": 12.5, "rated_load": 500, "name": "Опора"})";
    return "{\"records\": [" + records + "]}";
}

void BM_Download1000Records(benchmark::State& state) {
    const device::Scenario parsed = device::parseScenario(scenario());
    for (auto _ : state) {
        state.PauseTiming();
        device::UsbLink link;
        link.open(std::make_unique<device::SimulatedBackend>(
            std::make_shared<device::SimulatedInstrument>(parsed)));
        TArrayOfMsrResult results;
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        TDownloadThread worker;
        worker.Results = &results;
        worker.Link = &link;
        worker.Start();
        worker.wait();
        g_seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());

        state.PauseTiming();
        if (worker.Status.load() != 0 || results.size() != kRecords)
            state.SkipWithError("download failed");
        link.close();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Download1000Records)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_seconds.empty())
        return 1;
    std::sort(g_seconds.begin(), g_seconds.end());
    const double median = g_seconds[g_seconds.size() / 2];
    std::printf("figure: download_1000_records_ratio %.3f (target 1.25)\n",
                median / (kRecords * 0.001));
    return 0;
}
