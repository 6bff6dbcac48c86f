#include "app/cBookPrefs.h"

#include "platform/SettingsStore.h"

namespace {

const QString SettingsSection = QStringLiteral("Settings");

// The collection that opens on a first start; "tmk" is the collection file extension.
QString DemoDatabase(const QString& folder) { return folder + QStringLiteral("demo.tmk"); }

}  // namespace

TBookPrefs::TBookPrefs() { CurrentDatabase = DemoDatabase(DataFolder); }

TBookPrefs::~TBookPrefs() { Close(); }

QString TBookPrefs::GetRegistryPath() const { return QStringLiteral("\\Software\\Quorvane\\Book"); }

void TBookPrefs::Load()
{
    TGatherixPrefs::Load();
    TSettingsStore& settings = Settings();
    CurrentDatabase = settings.ReadString(QStringLiteral("Databases"), QStringLiteral("CurrentDatabase"),
                                          DemoDatabase(DataFolder));
    DoubleClickAction =
        settings.ReadInteger(SettingsSection, QStringLiteral("Doubleclick"), DoubleClickAction);
}

void TBookPrefs::Save()
{
    TGatherixPrefs::Save();
    Settings().WriteInteger(SettingsSection, QStringLiteral("Doubleclick"), DoubleClickAction);
}
