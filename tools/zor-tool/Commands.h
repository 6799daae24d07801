#pragma once
#include <QStringList>

// Each zor-tool command takes the arguments after its name and returns the exit status.
namespace zortool {

constexpr int kExitUsage = 64;
constexpr int kExitScenario = 65;

int cmdCreate(const QStringList& args);
int cmdCheck(const QStringList& args);
int cmdList(const QStringList& args);
int cmdImport(const QStringList& args);
int cmdExportCsv(const QStringList& args);
int cmdExportPdf(const QStringList& args);
int cmdScreenshot(const QStringList& args);

// Removes "--unit U" from args; false when U is missing or not a number.
bool parseUnit(QStringList& args, int32_t& unit);

void printOut(const QString& line); // UTF-8 line on standard output
void printErr(const QString& line); // UTF-8 line on standard error
int usage();

} // namespace zortool
