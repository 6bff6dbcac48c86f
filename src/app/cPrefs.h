#pragma once
// The base of a program's preferences: owns the settings store they live in, reads them once when they
// are created and writes them once when they are destroyed.

#include <QString>
#include <memory>

class QTemporaryDir;
class TSettingsStore;

class TPrefs {
public:
    virtual ~TPrefs();
    TPrefs(const TPrefs&) = delete;
    TPrefs& operator=(const TPrefs&) = delete;

    // Creates preferences of type T on the store at `storePath` (empty: the user's settings file) and
    // loads them; they are saved when the object is destroyed. T's constructor only sets the defaults, so
    // Load runs here, once the whole object exists.
    template <class T>
    static std::unique_ptr<T> Create(const QString& storePath = QString())
    {
        auto prefs = std::make_unique<T>();
        prefs->Open(storePath);
        return prefs;
    }

    // The folder the program runs from, with a final "/".
    static QString ProgramFolder();

    // The store the preferences and the windows' own sections live in. Preferences that were never opened
    // (the built-in defaults) get a private throw-away store and never touch the user's file.
    TSettingsStore& Settings();

    virtual QString GetRegistryPath() const = 0;
    virtual void Load();
    virtual void Save();  // writes "Folders"/"App"

protected:
    TPrefs();
    // Saves opened preferences and closes the store. The most derived class calls it from its destructor,
    // where Save still reaches every level.
    void Close();

private:
    void Open(const QString& storePath);

    std::unique_ptr<QTemporaryDir> ScratchFolder;  // declared first: outlives the store that writes into it
    std::unique_ptr<TSettingsStore> Store;
    bool Opened = false;
};
