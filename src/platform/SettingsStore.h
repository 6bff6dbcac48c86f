#pragma once
// The per-user settings: sections of typed values with the semantics of the registry key the program
// has always used (strings, 32-bit integers and binary values kept with their types), kept in one text
// file in the registry-export format and written atomically.

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>

class TSettingsStore {
public:
    enum class TValueType { String, Integer, Binary };

    // Reads the file at once (a missing or damaged file gives what could be read, never an error).
    // `filePath` empty: DefaultPath().
    explicit TSettingsStore(const QString& filePath = QString());
    ~TSettingsStore();  // saves when modified
    TSettingsStore(const TSettingsStore&) = delete;
    TSettingsStore& operator=(const TSettingsStore&) = delete;

    // TOMEKEEP_SETTINGS when set, else "tomekeep/settings.reg" in the user's config folder.
    static QString DefaultPath();
    // The key the sections live under, as it appears in the file.
    static QString RootKey();  // "HKEY_CURRENT_USER\Software\Quorvane\Book"

    QString FilePath() const;

    // Reading never fails: an absent section or value, or one of an unusable type, gives the default.
    // A section name may contain "\" and then names a deeper key; names compare case-insensitively.
    QString ReadString(const QString& section, const QString& ident, const QString& def) const;
    // An integer value as is; a string value converted (the default when it is not a number).
    qint32 ReadInteger(const QString& section, const QString& ident, qint32 def) const;
    // Read as an integer in either form; non-zero is true.
    bool ReadBool(const QString& section, const QString& ident, bool def) const;
    // An 8-byte binary value holding the IEEE double; any other value gives the default.
    double ReadDate(const QString& section, const QString& ident, double def) const;
    double ReadFloat(const QString& section, const QString& ident, double def) const;
    // The bytes of a binary value; empty when absent or not binary.
    QByteArray ReadBinary(const QString& section, const QString& ident) const;

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& ident) const;
    TValueType ValueType(const QString& section, const QString& ident) const;  // String when absent
    QStringList ValueNames(const QString& section) const;
    // The names of the keys directly below `section` ("" for the root).
    QStringList SubSections(const QString& section) const;

    void WriteString(const QString& section, const QString& ident, const QString& value);
    // A 32-bit integer value; when a string value of that name exists, the decimal text as a string.
    void WriteInteger(const QString& section, const QString& ident, qint32 value);
    // The string "0" or "1".
    void WriteBool(const QString& section, const QString& ident, bool value);
    void WriteDate(const QString& section, const QString& ident, double value);
    void WriteFloat(const QString& section, const QString& ident, double value);
    void WriteBinary(const QString& section, const QString& ident, const QByteArray& value);
    void DeleteValue(const QString& section, const QString& ident);
    // Removes the section, its values and every key below it.
    void EraseSection(const QString& section);

    // Writes the file when something changed (atomically, readable by the owner only). False when the
    // file could not be written; the values stay in memory.
    bool Save(QString* error = nullptr);
    bool Modified() const;

private:
    struct TData;
    std::unique_ptr<TData> D;
};
