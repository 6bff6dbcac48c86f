#pragma once
// Writes the files the program keeps for the user (collections, settings, exports) so that a failed
// write never damages the file that was there before.

#include <QByteArrayView>
#include <QString>
#include <functional>

class TAtomicFile {
public:
    // Writes `data` to a temporary file beside `path`, flushes it to disk and then puts it in place of
    // `path`. On any failure the old file stays as it was, no temporary file remains, the result is
    // false and `error` (when given) holds the reason.
    static bool Write(const QString& path, QByteArrayView data, QString* error = nullptr);

    // Test seam: called before each block is written and once more before the file is committed, with
    // the number of bytes written so far; returning false makes the write fail at that point.
    using TFaultHook = std::function<bool(qint64 written)>;
    static void SetFaultHookForTesting(TFaultHook hook);
};
