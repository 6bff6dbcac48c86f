#include "platform/FileAssociation.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QXmlStreamWriter>

#include <algorithm>
#include <utility>

namespace {

// Our files are a few hundred bytes; anything much larger at their names is not ours.
constexpr qint64 MaxOwnFileSize = 64 * 1024;
// Each cache tool gets this long (milliseconds) before it is killed; the program is on its way out.
constexpr int ToolTimeLimit = 5000;

// The per-user data folder, or empty when there is none we can trust (no home, a relative path).
QString DataFolder()
{
    if (qEnvironmentVariableIsEmpty("XDG_DATA_HOME") && qEnvironmentVariableIsEmpty("HOME"))
        return {};
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir::isAbsolutePath(folder) ? QDir::cleanPath(folder) : QString();
}

// Lower-case letters and digits, every other run of characters one "-": a safe part of a file or type
// name.
QString Slug(const QString& text)
{
    QString slug;
    for (const QChar c : text.toLower()) {
        if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))
            slug += c;
        else if (!slug.isEmpty() && !slug.endsWith(u'-'))
            slug += u'-';
    }
    if (slug.endsWith(u'-'))
        slug.chop(1);
    return slug;
}

// The line that tells our files from files someone else put at the same names.
QString Marker(const QString& slug)
{
    return QStringLiteral("Written by %1 when it registers its file type; rewritten as needed.").arg(slug);
}

// The escapes every string value of a desktop entry gets.
QString EntryValue(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            value += QStringLiteral("\\\\");
            break;
        case u'\n':
            value += QStringLiteral("\\n");
            break;
        case u'\t':
            value += QStringLiteral("\\t");
            break;
        case u'\r':
            value += QStringLiteral("\\r");
            break;
        case u' ':
            value += value.isEmpty() ? QStringLiteral("\\s") : QStringLiteral(" ");
            break;
        default:
            value += c;
        }
    }
    return value;
}

// One argument of an Exec line, before EntryValue: a literal "%" doubled, and quoted when it holds a
// character the line reserves, with """, "`", "$" and "\" escaped inside the quotes.
QString ExecArgument(const QString& argument)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString text = argument;
    text.replace(u'%', QStringLiteral("%%"));
    const bool plain = !text.isEmpty() && std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return Reserved.contains(c);
    });
    if (plain)
        return text;
    QString quoted(u'"');
    for (const QChar c : text) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

// The arguments of a command made by TAssociate::CommandFor.
QStringList SplitCommand(const QString& command)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c != u'"')
                current += c;
            else if (i + 1 < command.size() && command[i + 1] == u'"')
                current += command[++i];
            else
                quoted = false;
        } else if (c == u' ' || c == u'\t') {
            if (inArgument)
                arguments << std::exchange(current, QString());
            inArgument = false;
        } else {
            inArgument = true;
            if (c == u'"')
                quoted = true;
            else
                current += c;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

bool IsImageFile(const QString& path)
{
    static const QStringList Suffixes{QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("svgz"),
                                      QStringLiteral("xpm")};
    const QFileInfo info(path);
    return info.isAbsolute() && Suffixes.contains(info.suffix(), Qt::CaseInsensitive) && info.isFile();
}

// A glob made from the extension must match files with that ending and nothing else.
bool UsableExtension(const QString& normalized)
{
    if (normalized.size() < 2)
        return false;
    return std::none_of(normalized.cbegin(), normalized.cend(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\*?[]").contains(c);
    });
}

// Puts `content` at `path` unless the file there already holds it or is not ours. Failures are silent;
// a failed write leaves the old file as it was.
void WriteOwnFile(const QString& path, const QByteArray& content, const QString& marker)
{
    const QFileInfo info(path);
    if (info.isSymLink())  // we never make links
        return;
    if (info.exists()) {
        if (!info.isFile() || info.size() > MaxOwnFileSize)
            return;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QByteArray old = file.readAll();
        if (old == content || !old.contains(marker.toUtf8()))
            return;
    } else if (!QDir().mkpath(info.absolutePath())) {
        return;
    }
    TAtomicFile::Write(path, content);
}

// A plain blocking wait: this runs while the main window is being destroyed, where an event loop could
// deliver events to half-destroyed widgets.
void RunQuietly(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted(ToolTimeLimit))
        return;
    if (!process.waitForFinished(ToolTimeLimit)) {
        process.kill();
        process.waitForFinished(ToolTimeLimit);
    }
}

// Rebuilds the cache `cacheFile` of `folder` with `tool` when the tool is installed and the cache is not
// newer than `ourFile`.
void RefreshCache(const QString& tool, const QString& folder, const QString& ourFile,
                  const QString& cacheFile)
{
    const QFileInfo ours(ourFile);
    if (ourFile.isEmpty() || !ours.isFile())
        return;
    const QFileInfo cache(cacheFile);
    if (cache.exists() && cache.lastModified() > ours.lastModified())
        return;
    const QString program = QStandardPaths::findExecutable(tool);
    if (!program.isEmpty())
        RunQuietly(program, {folder});
}

}  // namespace

QString TAssociate::NormalizeExtension(const QString& extension)
{
    const qsizetype dot = extension.indexOf(u'.');
    if (dot < 0)
        return u'.' + extension;
    if (dot > 0)
        return extension.mid(dot);
    qsizetype start = 0;
    while (start < extension.size() && extension[start] == u'.')
        ++start;
    return u'.' + extension.mid(start);
}

QString TAssociate::CommandFor(const QString& programPath)
{
    QString path = programPath;
    path.replace(u'"', QStringLiteral("\"\""));
    return u'"' + path + QStringLiteral("\" \"%1\"");
}

QString TAssociate::MimeType() const
{
    const QString app = Slug(FAppKey);
    if (app.isEmpty())
        return {};
    const QString type = Slug(FDescription);
    return QStringLiteral("application/x-%1-%2").arg(app, type.isEmpty() ? QStringLiteral("file") : type);
}

QString TAssociate::DesktopEntryPath() const
{
    const QString folder = DataFolder();
    const QString app = Slug(FAppKey);
    if (folder.isEmpty() || app.isEmpty())
        return {};
    return folder + QStringLiteral("/applications/") + app + QStringLiteral(".desktop");
}

QString TAssociate::MimePackagePath() const
{
    const QString folder = DataFolder();
    const QString app = Slug(FAppKey);
    if (folder.isEmpty() || app.isEmpty())
        return {};
    return folder + QStringLiteral("/mime/packages/quorvane-") + app + QStringLiteral(".xml");
}

void TAssociate::RegisterApplication()
{
    const QString path = DesktopEntryPath();
    if (path.isEmpty())
        return;
    QStringList arguments = SplitCommand(FCommand);
    if (arguments.isEmpty())
        arguments = QStringList{FAppPath, QStringLiteral("%1")};
    const QString program = arguments.constFirst();
    if (program.isEmpty())
        return;
    for (QString& argument : arguments)
        argument = argument == u"%1" ? QStringLiteral("%f") : ExecArgument(argument);

    const QString app = Slug(FAppKey);
    QString entry =
        QStringLiteral("# ") + Marker(app) + QStringLiteral("\n[Desktop Entry]\nType=Application\n");
    entry += QStringLiteral("Name=") + EntryValue(FAppKey) + u'\n';
    if (!FDescription.isEmpty())
        entry += QStringLiteral("Comment=") + EntryValue(FDescription) + u'\n';
    entry += QStringLiteral("Exec=") + EntryValue(arguments.join(u' ')) + u'\n';
    entry += QStringLiteral("TryExec=") + EntryValue(FAppPath.isEmpty() ? program : FAppPath) + u'\n';
    entry += QStringLiteral("Icon=") + EntryValue(IsImageFile(FIconFile) ? FIconFile : app) + u'\n';
    entry += QStringLiteral("Terminal=false\n");
    entry += QStringLiteral("MimeType=") + MimeType() + QStringLiteral(";\n");
    entry += QStringLiteral("Categories=Office;\n");
    WriteOwnFile(path, entry.toUtf8(), Marker(app));
}

void TAssociate::RegisterExtension(const QString& extension)
{
    const QString path = MimePackagePath();
    const QString normalized = NormalizeExtension(extension);
    if (path.isEmpty() || !UsableExtension(normalized))
        return;

    const QString marker = Marker(Slug(FAppKey));
    QByteArray package;
    QXmlStreamWriter writer(&package);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeComment(u' ' + marker + u' ');
    writer.writeStartElement(QStringLiteral("mime-info"));
    writer.writeDefaultNamespace(QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info"));
    writer.writeStartElement(QStringLiteral("mime-type"));
    writer.writeAttribute(QStringLiteral("type"), MimeType());
    if (!FDescription.isEmpty())
        writer.writeTextElement(QStringLiteral("comment"), FDescription);
    writer.writeEmptyElement(QStringLiteral("glob"));
    writer.writeAttribute(QStringLiteral("pattern"), u'*' + normalized);
    writer.writeEndDocument();
    WriteOwnFile(path, package, marker);
}

void TAssociate::NotifyShell()
{
    const QString folder = DataFolder();
    if (folder.isEmpty())
        return;
    const QString mime = folder + QStringLiteral("/mime");
    const QString applications = folder + QStringLiteral("/applications");
    RefreshCache(QStringLiteral("update-mime-database"), mime, MimePackagePath(),
                 mime + QStringLiteral("/mime.cache"));
    RefreshCache(QStringLiteral("update-desktop-database"), applications, DesktopEntryPath(),
                 applications + QStringLiteral("/mimeinfo.cache"));
}

void RegisterFileType(const QString& programPath, const QString& extension, const QString& description)
{
    if (programPath.isEmpty())
        return;
    try {
        TAssociate associate;
        associate.SetAppKey(QStringLiteral("Tomekeep"));
        associate.SetAppPath(programPath);
        associate.SetIconFile(programPath);
        associate.SetIconIndex(0);
        associate.SetVerb(QStringLiteral("Open"));
        associate.SetCommand(TAssociate::CommandFor(programPath));
        associate.SetDescription(description);
        associate.SetShellNew(false);
        associate.SetQuickView(false);
        associate.RegisterApplication();
        associate.RegisterExtension(extension);
        associate.NotifyShell();
    } catch (...) {
        // Called while the main window goes away: nothing may escape, and there is nobody to tell.
    }
}
