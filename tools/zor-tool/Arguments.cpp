#include "Commands.h"

#include "device/LibusbBackend.h"
#include "device/Scenario.h"
#include "device/SimulatedBackend.h"
#include "platform/Error.h"
#include "store/MainDataModuleUnit.h"

#include <QFileInfo>
#include <set>

namespace zortool {

namespace {

// A colour as the settings file stores it: a decimal 0x00BBGGRR.
bool parseColor(const QString& text, uint32_t& color) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 10);
    if (!ok || value > 0xFFFFFF) {
        printErr(QStringLiteral("Неверный цвет \"%1\": нужно число от 0 до 16777215").arg(text));
        return false;
    }
    color = uint32_t(value);
    return true;
}

struct Option {
    const char* name;
    bool (*parse)(const QString& value, Arguments& into); // false: the use is wrong
};

const Option kOptions[] = {
    {"--unit",
     [](const QString& v, Arguments& a) {
         bool ok = false;
         a.unit = v.toInt(&ok);
         return ok;
     }},
    {"--simulate",
     [](const QString& v, Arguments& a) {
         a.scenario = v;
         return true;
     }},
    {"--ink", [](const QString& v, Arguments& a) { return parseColor(v, a.ink); }},
    {"--background", [](const QString& v, Arguments& a) { return parseColor(v, a.background); }},
};

const Option* findOption(const QString& name) {
    for (const Option& o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

// What a synopsis such as "PROJECT OUT [--unit U]" asks for.
struct Synopsis {
    int required = 0;
    QStringList options;
};

Synopsis readSynopsis(const char* text) {
    Synopsis s;
    const QStringList words = QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (word.startsWith(QLatin1String("[--")))
            s.options.append(word.mid(1));
        else if (!word.startsWith('[') && !word.endsWith(']'))
            ++s.required;
    }
    return s;
}

} // namespace

std::optional<Arguments> parseArguments(const char* synopsis, const QStringList& argList) {
    const Synopsis allowed = readSynopsis(synopsis);
    Arguments parsed;
    std::set<QString> given;
    QStringList args = argList;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.required.append(arg);
            continue;
        }
        const Option* option = allowed.options.contains(arg) ? findOption(arg) : nullptr;
        if (!option || args.isEmpty() || !given.insert(arg).second ||
            !option->parse(args.takeFirst(), parsed))
            return std::nullopt;
    }
    if (parsed.required.size() != allowed.required)
        return std::nullopt;
    return parsed;
}

bool openProject(TMainDataModule& store, const QString& path) {
    if (store.OpenProjectDatabase(QFileInfo(path).absoluteFilePath()))
        return true;
    const QString reason = store.lastFailureReason();
    printErr(QStringLiteral("Не удалось открыть проект!") +
             (reason.isEmpty() ? QString() : '\n' + reason));
    return false;
}

std::optional<std::unique_ptr<device::UsbBackend>> instrumentBackend(const Arguments& args) {
    if (args.scenario.isEmpty())
        return device::createLibusbBackend();
    try {
        return std::make_unique<device::SimulatedBackend>(
            std::make_shared<device::SimulatedInstrument>(device::loadScenarioFile(args.scenario)));
    } catch (const zor::Error& e) {
        printErr(e.text());
        return std::nullopt;
    }
}

} // namespace zortool
