// Opens a project, adds two results, saves, reports "saved" and waits to be killed.
#include "store/MainDataModuleUnit.h"

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    if (argc != 2)
        return 64;
    TMainDataModule store;
    if (!store.OpenProjectDatabase(QString::fromLocal8Bit(argv[1])))
        return 1;
    for (uint32_t n = 1; n <= 2; ++n) {
        TMsrResult r;
        r.MsrDateTime = 45000 + n;
        r.MsrNumber = n;
        store.AddResult(r);
    }
    store.SaveChanges();
    std::puts("saved");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
