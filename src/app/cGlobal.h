#pragma once
// Texts the whole program shares: the version and build texts, the application title that captions
// windows and message boxes, and the English plural of a counted word.

#include <QString>
#include <QStringList>

// The version texts of a version number: "major.minor.release" ("major.minor" when release is 0) and the
// build as a decimal number.
struct TVersionTexts {
    QString Version;
    QString Build;
};
TVersionTexts FormatVersion(int major, int minor, int release, int build);

// The program's own version texts, from the build.
QString VersionText();
QString BuildText();
// The version followed by a space and `suffix`.
QString VersionText(const QString& suffix);

// "Quorvane Tomekeep" while starting; the version is added once the main window exists.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);
QString ProductTitle();  // "Quorvane Tomekeep"

// A page of the maker's web site: its address followed by `pathAndQuery`.
QString MakerWebPage(const QString& pathAndQuery);

// The English plural of `word`: "es" after "s" and "ch", "ies" for a final "y", else "s".
QString PluralOf(const QString& word);
// "%d %s" with the word made plural when the number is not 1.
QString CountOf(int count, const QString& word);

// Asks the user for a file to open or to save to; the widgets library installs real dialogs and tests
// answer from a queue. Filters are in Qt's form ("Book Collections (*.tmk)"). Empty: cancelled.
class TFileDialogs {
public:
    virtual ~TFileDialogs() = default;
    virtual QString OpenFile(const QString& title, const QString& folder, const QString& filter) = 0;
    virtual QString SaveFile(const QString& title, const QString& folder, const QString& filter,
                             const QString& defaultSuffix) = 0;
};

// Answers with the queued file names in turn, then cancels; keeps the titles asked.
class TQueuedFileDialogs : public TFileDialogs {
public:
    QStringList Answers;
    QStringList Titles;
    QString OpenFile(const QString& title, const QString& folder, const QString& filter) override;
    QString SaveFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& defaultSuffix) override;

private:
    QString Next(const QString& title);
};

// The dialogs in use (by default ones that cancel); SetFileDialogs(nullptr) restores the default.
TFileDialogs& FileDialogs();
void SetFileDialogs(TFileDialogs* dialogs);
