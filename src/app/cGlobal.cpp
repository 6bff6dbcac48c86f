#include "app/cGlobal.h"

#include "Version.h"

namespace {

QString CurrentTitle = ProductTitle();

}  // namespace

TVersionTexts FormatVersion(int major, int minor, int release, int build)
{
    const QString version = release != 0 ? QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(release)
                                         : QStringLiteral("%1.%2").arg(major).arg(minor);
    return {version, QString::number(build)};
}

QString VersionText()
{
    return FormatVersion(TOMEKEEP_VERSION_MAJOR, TOMEKEEP_VERSION_MINOR, TOMEKEEP_VERSION_PATCH,
                         TOMEKEEP_VERSION_BUILD)
        .Version;
}

QString BuildText()
{
    return FormatVersion(TOMEKEEP_VERSION_MAJOR, TOMEKEEP_VERSION_MINOR, TOMEKEEP_VERSION_PATCH,
                         TOMEKEEP_VERSION_BUILD)
        .Build;
}

QString VersionText(const QString& suffix) { return QStringLiteral("%1 %2").arg(VersionText(), suffix); }

QString ProductTitle() { return QStringLiteral("Quorvane Tomekeep"); }

QString ApplicationTitle() { return CurrentTitle; }

void SetApplicationTitle(const QString& title) { CurrentTitle = title; }

QString PluralOf(const QString& word)
{
    if (word.endsWith(QLatin1Char('s')) || word.endsWith(QLatin1String("ch")))
        return word + QStringLiteral("es");
    if (word.endsWith(QLatin1Char('y')))
        return word.chopped(1) + QStringLiteral("ies");
    return word + QLatin1Char('s');
}

QString CountOf(int count, const QString& word)
{
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? word : PluralOf(word));
}

QString TQueuedFileDialogs::Next(const QString& title)
{
    Titles << title;
    return Answers.isEmpty() ? QString() : Answers.takeFirst();
}

QString TQueuedFileDialogs::OpenFile(const QString& title, const QString&, const QString&)
{
    return Next(title);
}

QString TQueuedFileDialogs::SaveFile(const QString& title, const QString&, const QString&, const QString&)
{
    return Next(title);
}

namespace {

TQueuedFileDialogs CancellingDialogs;
TFileDialogs* CurrentDialogs = &CancellingDialogs;

}  // namespace

TFileDialogs& FileDialogs() { return *CurrentDialogs; }

void SetFileDialogs(TFileDialogs* dialogs) { CurrentDialogs = dialogs ? dialogs : &CancellingDialogs; }

QString MakerWebPage(const QString& pathAndQuery)
{
    return QStringLiteral("https://www.quorvane.com/") + pathAndQuery;
}
