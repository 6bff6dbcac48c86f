#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace {
constexpr qint64 BlockSize = 128000;
TAtomicFile::TFaultHook FaultHook;

bool Allowed(qint64 written) { return !FaultHook || FaultHook(written); }
}  // namespace

bool TAtomicFile::Write(const QString& path, QByteArrayView data, QString* error)
{
    QSaveFile file(path);
    auto fail = [&](const QString& reason) {
        file.cancelWriting();
        if (error)
            *error = reason;
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    qint64 written = 0;
    while (written < data.size()) {
        const qint64 block = std::min(BlockSize, data.size() - written);
        if (!Allowed(written) || file.write(data.data() + written, block) != block)
            return fail(file.errorString());
        written += block;
    }
    if (!Allowed(written))
        return fail(QStringLiteral("write failed"));
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void TAtomicFile::SetFaultHookForTesting(TFaultHook hook) { FaultHook = std::move(hook); }
