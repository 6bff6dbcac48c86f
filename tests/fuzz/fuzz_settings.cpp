// Reads arbitrary bytes as a settings file, the way a damaged or hand-edited file reaches the program.
// Besides never crashing, whatever was read must survive the file: copied value by value into a second
// store, saved, read back and copied again, it must save the very same bytes.

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

using TValueType = TSettingsStore::TValueType;

struct TPlace {
    QString Section, Ident;
};

// Reads the value in every way a caller might, then writes it to `to` with its own type.
void CopyValue(const TSettingsStore& from, TSettingsStore& to, const QString& section, const QString& ident)
{
    from.ReadBool(section, ident, true);
    from.ReadDate(section, ident, 0.0);
    const qint32 number = from.ReadInteger(section, ident, 0);
    switch (from.ValueType(section, ident)) {
    case TValueType::String:
        to.WriteString(section, ident, from.ReadString(section, ident, QString()));
        break;
    case TValueType::Integer:
        to.WriteInteger(section, ident, number);
        break;
    case TValueType::Binary:
        to.WriteBinary(section, ident, from.ReadBinary(section, ident));
        break;
    }
}

// Copies `section` and every key below it; `last` ends at the last value copied.
void CopySection(const TSettingsStore& from, TSettingsStore& to, const QString& section, TPlace& last)
{
    if (!from.SectionExists(section))
        std::abort();
    for (const QString& ident : from.ValueNames(section)) {
        CopyValue(from, to, section, ident);
        last = {section, ident};
    }
    for (const QString& sub : from.SubSections(section))
        CopySection(from, to, section.isEmpty() ? sub : section + u'\\' + sub, last);
}

void WriteFile(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        std::abort();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// Copies the store on `from` into a new one on `to`, changes the last value (to the same on a second
// round) and saves.
void CopyAndSave(const QString& from, const QString& to)
{
    QFile::remove(to);
    const TSettingsStore source(from);
    TSettingsStore copy(to);
    TPlace last{QStringLiteral("Fuzz"), QStringLiteral("Value")};
    CopySection(source, copy, QString(), last);
    copy.WriteInteger(last.Section, last.Ident, 13);
    if (!copy.Save())
        std::abort();
}

// Every run saves twice and saving flushes to disk: in memory when the system offers it, that costs little.
QString TemporaryBase()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir(TemporaryBase() + QStringLiteral("/fuzz_settings-XXXXXX"));
    const QString input = dir.filePath(QStringLiteral("input.reg"));
    const QString first = dir.filePath(QStringLiteral("first.reg"));
    const QString second = dir.filePath(QStringLiteral("second.reg"));
    WriteFile(input, data, size);
    CopyAndSave(input, first);
    CopyAndSave(first, second);
    if (ReadFile(first) != ReadFile(second))
        std::abort();
    return 0;
}
