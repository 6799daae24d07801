#pragma once
#include "device/UsbBackend.h"

#include <QStringList>
#include <memory>
#include <optional>

class TMainDataModule;

// Each zor-tool command is one row of the table in main.cpp: its name, the synopsis the usage
// text shows, and its handler. The synopsis also says what parseArguments accepts: every
// upper-case word is a required argument, every "[--name VALUE]" an option that may be given
// once. A new option takes a field here and a row in the option table of Arguments.cpp.
namespace zortool {

constexpr int kExitUsage = 64;
constexpr int kExitScenario = 65;

struct Arguments {
    QStringList required;           // in the synopsis' order
    int32_t unit = 0;               // --unit U: the load-unit setting value
    QString scenario;               // --simulate SCENARIO: empty for the USB instrument
    uint32_t ink = 0x000000;        // --ink C, 0x00BBGGRR
    uint32_t background = 0xFFFFFF; // --background C
};

using Handler = int (*)(const Arguments& args);

struct Command {
    const char* name;
    const char* synopsis;
    Handler run;
};

// Parses what follows the command's name by its synopsis; nothing when the use is wrong (a
// text saying why is printed first where the synopsis alone would not tell).
std::optional<Arguments> parseArguments(const char* synopsis, const QStringList& args);

// Opens the project as the program does; prints why not (and the engine's reason) on failure.
bool openProject(TMainDataModule& store, const QString& path);

// The instrument of this run: the scenario's simulated one with --simulate, else the USB one.
// Nothing, after printing why, when the scenario cannot be read (exit kExitScenario).
std::optional<std::unique_ptr<device::UsbBackend>> instrumentBackend(const Arguments& args);

int cmdCreate(const Arguments& args);
int cmdCheck(const Arguments& args);
int cmdList(const Arguments& args);
int cmdImport(const Arguments& args);
int cmdExportCsv(const Arguments& args);
int cmdExportPdf(const Arguments& args);
int cmdScreenshot(const Arguments& args);

void printOut(const QString& line); // UTF-8 line on standard output
void printErr(const QString& line); // UTF-8 line on standard error

} // namespace zortool
