#include "app/cPrefs.h"

#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

TPrefs::TPrefs() = default;

TPrefs::~TPrefs() = default;

QString TPrefs::ProgramFolder() { return QCoreApplication::applicationDirPath() + QLatin1Char('/'); }

void TPrefs::Open(const QString& storePath)
{
    Store = std::make_unique<TSettingsStore>(storePath);
    Load();
    Opened = true;
}

void TPrefs::Close()
{
    if (Opened)
        Save();
    Opened = false;
    Store.reset();
}

TSettingsStore& TPrefs::Settings()
{
    if (!Store) {
        ScratchFolder = std::make_unique<QTemporaryDir>();
        // Never an empty path: that names the user's file.
        const QString folder = ScratchFolder->isValid() ? ScratchFolder->path() : QDir::tempPath();
        Store = std::make_unique<TSettingsStore>(folder + QStringLiteral("/tomekeep-defaults.reg"));
    }
    return *Store;
}

void TPrefs::Load() {}

void TPrefs::Save()
{
    Settings().WriteString(QStringLiteral("Folders"), QStringLiteral("App"), ProgramFolder());
}
