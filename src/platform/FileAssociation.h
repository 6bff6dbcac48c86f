#pragma once
// Makes the desktop open collection files with this program. Two files of our own are written in the
// user's data folder ($XDG_DATA_HOME, by default ~/.local/share):
//   mime/packages/quorvane-<app>.xml   a shared-mime-info package declaring our file type and its glob
//   applications/<app>.desktop         a desktop entry that opens files of that type with the program
// and the desktop's caches are then refreshed. Nothing else is touched: other programs' entries and
// packages, and the user's choice of default programs (mimeapps.list), stay as they are. A file at one of
// our names that we did not write (no marker line, a link, not a plain file) is left alone as well.
// Every failure is silent: registration is a courtesy and must never keep the program from ending.
// Nothing is registered unless one of the functions below is called.

#include <QString>

class TAssociate {
public:
    // Application key name; names our two files and our file type ("Tomekeep" gives tomekeep.desktop,
    // quorvane-tomekeep.xml and application/x-tomekeep-<description>). Empty: nothing is registered.
    const QString& AppKey() const { return FAppKey; }
    void SetAppKey(const QString& value) { Assign(FAppKey, value); }
    // The program file; the desktop hides the entry once it is gone (TryExec).
    const QString& AppPath() const { return FAppPath; }
    void SetAppPath(const QString& value) { Assign(FAppPath, value); }
    // An image file (png, svg, svgz, xpm) becomes the entry's icon; anything else, such as the program
    // file itself, gives the icon name made from the application key. Desktop icons have no index.
    const QString& IconFile() const { return FIconFile; }
    void SetIconFile(const QString& value) { Assign(FIconFile, value); }
    int IconIndex() const { return FIconIndex; }
    void SetIconIndex(int value) { Assign(FIconIndex, value); }
    // A desktop entry has one way of opening files, its Exec line; the verb names it for callers only.
    const QString& Verb() const { return FVerb; }
    void SetVerb(const QString& value) { Assign(FVerb, value); }
    // The command that opens a file, as made by CommandFor: arguments separated by blanks, an argument
    // in double quotes may hold blanks and doubled double quotes, "%1" stands for the file. Empty: the
    // application path followed by the file.
    const QString& Command() const { return FCommand; }
    void SetCommand(const QString& value) { Assign(FCommand, value); }
    // The name of the file type ("Book Collection"): the type's comment and the entry's comment.
    const QString& Description() const { return FDescription; }
    void SetDescription(const QString& value) { Assign(FDescription, value); }
    // A "new file" template and a quick-view entry have no counterpart on the desktop; the user's
    // Templates folder is not ours to write into. Kept so that callers can say what they want.
    bool ShellNew() const { return FShellNew; }
    void SetShellNew(bool value) { Assign(FShellNew, value); }
    bool QuickView() const { return FQuickView; }
    void SetQuickView(bool value) { Assign(FQuickView, value); }

    // Writes the desktop entry (when its content changed).
    void RegisterApplication();
    // Writes the mime package with the glob of `extension` (with or without its dot, see
    // NormalizeExtension), when its content changed. An extension that leaves no name after the dot or
    // holds "/", "\", wildcards or control characters registers nothing.
    void RegisterExtension(const QString& extension);
    // Runs update-mime-database and update-desktop-database on our folders when they are installed and
    // their caches are missing or older than our files; each gets a few seconds, errors are ignored.
    void NotifyShell();

    // No dot or a leading dot: the text with exactly one leading dot ("tmk", "..tmk" -> ".tmk");
    // otherwise the part from the first dot on ("a.b.tmk" -> ".b.tmk").
    static QString NormalizeExtension(const QString& extension);
    // The command that runs `programPath` with the file: "<path>" "%1".
    static QString CommandFor(const QString& programPath);

    // Our file type, e.g. "application/x-tomekeep-book-collection".
    QString MimeType() const;
    // Where our files go; empty without a usable data folder or application key.
    QString DesktopEntryPath() const;
    QString MimePackagePath() const;

private:
    template <typename T>
    static void Assign(T& field, const T& value)
    {
        if (field != value)
            field = value;
    }

    QString FAppKey;
    QString FAppPath;
    QString FIconFile;
    int FIconIndex = 0;
    QString FVerb = QStringLiteral("Open");
    QString FCommand;
    QString FDescription;
    bool FShellNew = false;
    bool FQuickView = false;
};

// Registers the program at `programPath` as the one that opens files with `extension` ("tmk" or ".tmk")
// of the type `description`, then refreshes the desktop's caches. Never fails visibly.
void RegisterFileType(const QString& programPath, const QString& extension, const QString& description);
