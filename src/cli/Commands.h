#pragma once
// The commands of tomekeep-cli. Each reports its own errors on standard error and returns the exit code.

#include <QString>
#include <QStringList>

enum TExitCode {
    ecDone = 0,
    ecFailed = 1,    // missing, foreign or unreadable input, or output that cannot be written
    ecSalvaged = 2,  // a damaged collection: what the loader recovered was still used
    ecUsage = 64,    // wrong arguments
};

// Writes "tomekeep-cli: " and the text to standard error.
void ReportError(const QString& text);

int RunInfo(const QString& fileName);
// Writes to standard output when `outName` is empty.
int RunExportXml(const QString& fileName, const QString& outName);
int RunBuildDemo(const QString& sourceName, const QString& outName);
// lookup [--source NAME] (ISBN | --title T | --author A) [--details N]: lists the hits of the online
// sources, or merges hit N into a new book and writes it as collection XML.
int RunLookup(const QStringList& arguments);
