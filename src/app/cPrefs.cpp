#include "app/cPrefs.h"

#include "platform/SettingsStore.h"

#include <QCoreApplication>
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
        // An empty path would mean the user's file; without a temporary folder the store stays unwritable.
        const QString folder = ScratchFolder->isValid() ? ScratchFolder->path() : QStringLiteral("/nonexistent");
        Store = std::make_unique<TSettingsStore>(folder + QStringLiteral("/settings.reg"));
    }
    return *Store;
}

void TPrefs::Load() {}

void TPrefs::Save() { Settings().WriteString(QStringLiteral("Folders"), QStringLiteral("App"), ProgramFolder()); }
