#pragma once
// Runs a helper program without a window and waits for it, keeping the event loop running so the
// user can stop the wait; a program that does not end within the time limit is killed.

#include <QString>
#include <QStringList>

enum class TRunResult { NotStarted, Finished, TimedOut, Stopped };

// `timeLimit` in milliseconds; 0 or less waits without a limit.
TRunResult RunAndWait(const QString& program, const QStringList& arguments, const QString& workFolder,
                      int timeLimit);
// Ends the wait that is running now (the program is killed); no effect when none runs.
void StopWaiting();
