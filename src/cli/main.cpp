// tomekeep-cli: reads book collections and looks books up online, without the program's windows.

#include "cli/Commands.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <functional>

namespace {

const char* const UsageLine =
    "Usage: tomekeep-cli info FILE | export-xml FILE [OUT]\n"
    "       | lookup [--source NAME] (ISBN | --title T | --author A) [--details N] | --help\n";

// build-demo is a step of the build, not a user's command: resources/demo/README.md documents it.
const char* const HelpText = R"(Usage: tomekeep-cli info FILE
       tomekeep-cli export-xml FILE [OUT]
       tomekeep-cli lookup [--source NAME] (ISBN | --title T | --author A) [--details N]
       tomekeep-cli --help

Reads a Tomekeep book collection (*.tmk) without starting the program, and looks books up online.

Commands:
  info FILE              the collection type, the format and data versions of the file, the numbers of
                         books, sections and loans, and the number of entries of every pick list
  export-xml FILE [OUT]  the collection XML of all books, written to OUT or to standard output
  lookup ...             searches the online sources for an ISBN, a title, an author, or a title and
                         an author, and lists the hits as "N. description [source: id]"; the sources'
                         messages go to standard error
    --source NAME        ask only this source (for example "Open Library"), not all in their usual order
    --details N          fetch the details of hit N, merge them into a new book and write that book as
                         collection XML to standard output

Exit codes:
  0   done
  1   FILE is missing, not a collection or unreadable, or OUT cannot be written; a lookup found no
      hits, or the details of the hit could not be read
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
        {"lookup", 1, 9, [](const QStringList& a) { return RunLookup(a); }},
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
