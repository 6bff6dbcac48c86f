// tomekeep-cli: reads book collections without the program's windows.

#include "cli/Commands.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <functional>

namespace {

const char* const UsageLine = "Usage: tomekeep-cli info FILE | export-xml FILE [OUT] | --help\n";

// build-demo is a step of the build, not a user's command: resources/demo/README.md documents it.
const char* const HelpText = R"(Usage: tomekeep-cli info FILE
       tomekeep-cli export-xml FILE [OUT]
       tomekeep-cli --help

Reads a Tomekeep book collection (*.tmk) without starting the program.

Commands:
  info FILE              the collection type, the format and data versions of the file, the numbers of
                         books, sections and loans, and the number of entries of every pick list
  export-xml FILE [OUT]  the collection XML of all books, written to OUT or to standard output

Exit codes:
  0   done
  1   FILE is missing, not a collection or unreadable, or OUT cannot be written
  2   FILE is damaged: the loader's message says how much was recovered, and that part was used
  64  wrong arguments
)";

struct TCommand {
    const char* Name;
    qsizetype MinArguments;
    qsizetype MaxArguments;
    std::function<int(const QStringList&)> Run;
};

int Dispatch(const QStringList& arguments)
{
    static const TCommand Commands[] = {
        {"info", 1, 1, [](const QStringList& a) { return RunInfo(a[0]); }},
        {"export-xml", 1, 2, [](const QStringList& a) { return RunExportXml(a[0], a.value(1)); }},
        {"build-demo", 2, 2, [](const QStringList& a) { return RunBuildDemo(a[0], a[1]); }},
    };
    if (arguments.isEmpty()) {
        ReportError(QStringLiteral("no command given"));
        return ecUsage;
    }
    if (arguments == QStringList{QStringLiteral("--help")}
        || arguments == QStringList{QStringLiteral("-h")}) {
        std::fputs(HelpText, stdout);
        return ecDone;
    }
    for (const TCommand& command : Commands) {
        if (arguments[0] != QLatin1String(command.Name))
            continue;
        const QStringList rest = arguments.mid(1);
        if (rest.size() < command.MinArguments || rest.size() > command.MaxArguments) {
            ReportError(QStringLiteral("wrong number of arguments for %1").arg(arguments[0]));
            return ecUsage;
        }
        return command.Run(rest);
    }
    ReportError(QStringLiteral("unknown command \"%1\"").arg(arguments[0]));
    return ecUsage;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The same names as the program, so that default folders are the program's.
    QCoreApplication::setApplicationName(QStringLiteral("Tomekeep"));
    QCoreApplication::setOrganizationName(QStringLiteral("Quorvane"));

    const int code = Dispatch(QCoreApplication::arguments().mid(1));
    if (code == ecFailed || code == ecUsage)
        std::fputs(UsageLine, stderr);
    return code;
}
