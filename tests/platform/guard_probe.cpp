// Test helper. "guard_probe [NAME]": takes the guard, prints FIRST or REFUSED, then holds it
// until a line (or end of input) arrives on stdin. "guard_probe --paths": prints the executable
// path, folder and settings file path, one a line.
#include "platform/ExeFolder.h"
#include "platform/InstanceGuard.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--paths") == 0) {
        std::cout << platform::executablePath().toStdString() << '\n'
                  << platform::executableFolder().toStdString() << '\n'
                  << platform::settingsFilePath().toStdString() << std::endl;
        return 0;
    }
    platform::InstanceGuard guard;
    const auto result = argc > 1 ? guard.acquire(QString::fromLocal8Bit(argv[1])) : guard.acquire();
    std::cout << (result == platform::InstanceGuard::Result::FirstCopy ? "FIRST" : "REFUSED")
              << std::endl;
    if (!guard.errorString().isEmpty())
        std::cerr << guard.errorString().toStdString() << std::endl;
    std::string line;
    std::getline(std::cin, line);
    guard.release();
    return 0;
}
