#include "platform/ProcessRunner.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace {

QEventLoop* RunningWait = nullptr;

}  // namespace

TRunResult RunAndWait(const QString& program, const QStringList& arguments, const QString& workFolder,
                      int timeLimit)
{
    QProcess process;
    process.setWorkingDirectory(workFolder);
    process.setStandardInputFile(QProcess::nullDevice());  // a script that reads input gets end of file
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return TRunResult::NotStarted;

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, [&loop] { loop.exit(int(TRunResult::Finished)); });
    QObject::connect(&timer, &QTimer::timeout, &loop, [&loop] { loop.exit(int(TRunResult::TimedOut)); });
    if (timeLimit > 0)
        timer.start(timeLimit);
    QEventLoop* outer = std::exchange(RunningWait, &loop);
    const auto result =
        process.state() == QProcess::NotRunning ? TRunResult::Finished : TRunResult(loop.exec());
    RunningWait = outer;
    if (result != TRunResult::Finished) {
        process.kill();
        process.waitForFinished();
    }
    return result;
}

void StopWaiting()
{
    if (RunningWait)
        RunningWait->exit(int(TRunResult::Stopped));
}
