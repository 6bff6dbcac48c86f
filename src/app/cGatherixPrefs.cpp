#include "app/cGatherixPrefs.h"

#include "Version.h"
#include "app/cBookPrefs.h"
#include "platform/SettingsStore.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString FoldersSection = QStringLiteral("Folders");
const QString SettingsSection = QStringLiteral("Settings");

struct TSwitch {
    const char* Name;
    bool TGatherixPrefs::*Member;
};

const TSwitch Switches[] = {
    {"ShowLookupSortNames", &TGatherixPrefs::ShowLookupSortNames},
    {"AutoIncrementIndex", &TGatherixPrefs::AutoIncrementIndex},
    {"ConfirmItemRemoval", &TGatherixPrefs::ConfirmItemRemoval},
    {"ConfirmItemCancel", &TGatherixPrefs::ConfirmItemCancel},
    {"ShowInCollectionIndicator", &TGatherixPrefs::ShowInCollectionIndicator},
    {"Lookup Hint Shown", &TGatherixPrefs::LookupHintShown},
};

QString DefaultImageBaseFolder() { return TGatherixPrefs::DefaultDataFolder() + QStringLiteral("Images/"); }

// Older settings may end folders with "\"; both count as the final separator.
QString WithSeparator(const QString& folder)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder;
    return folder + QLatin1Char('/');
}

TGatherixPrefs* InstalledPrefs = nullptr;

// The program is the book program; its defaults stand in until it installs its own preferences.
TGatherixPrefs& DefaultPrefs()
{
    static TBookPrefs prefs;
    return prefs;
}

}  // namespace

TGatherixPrefs::TGatherixPrefs()
    : DataFolder(DefaultDataFolder()),
      DetailsTemplate(ProgramFolder() + QStringLiteral("Templates/details.xsl")),
      ImageBaseFolder(DefaultImageBaseFolder())
{
    LastImageFolder = ImageBaseFolder;
}

TGatherixPrefs::~TGatherixPrefs()
{
    if (InstalledPrefs == this)
        InstalledPrefs = nullptr;
}

QString TGatherixPrefs::DefaultDataFolder()
{
    const QString program = ProgramFolder();
    if (QFileInfo(program).isWritable())
        return program + QStringLiteral("Data/");
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Data/");
}

QString TGatherixPrefs::ReadFolder(const QString& section, const QString& ident, const QString& fallback,
                                   TMissingFolder& missing)
{
    const QString stored = Settings().ReadString(section, ident, QString());
    const QString folder = stored.isEmpty() ? fallback : WithSeparator(stored);
    missing = {};
    if (QFileInfo(folder).isDir())
        return folder;
    missing = {folder, fallback};
    return fallback;
}

QString TGatherixPrefs::FolderToWrite(const QString& folder, const TMissingFolder& missing)
{
    return !missing.Stored.isEmpty() && folder == missing.Fallback ? missing.Stored : folder;
}

void TGatherixPrefs::Load()
{
    TPrefs::Load();
    TSettingsStore& settings = Settings();
    DataFolder = ReadFolder(FoldersSection, QStringLiteral("Data"), DefaultDataFolder(), MissingDataFolder);
    for (const TSwitch& s : Switches)
        this->*s.Member = settings.ReadBool(SettingsSection, QLatin1String(s.Name), this->*s.Member);
    ImageBaseFolder = ReadFolder(SettingsSection, QStringLiteral("ImageBaseFolder"), DefaultImageBaseFolder(),
                                 MissingImageBaseFolder);
    LastImageFolder = ImageBaseFolder;
    Proxy.Load(settings);
    LastUpdateCheck = settings.ReadDate(SettingsSection, QStringLiteral("LastUpdateCheck"), LastUpdateCheck);
    NrDaysBetweenUpdateChecks = settings.ReadInteger(
        SettingsSection, QStringLiteral("NrDaysBetweenUpdateChecks"), NrDaysBetweenUpdateChecks);
    DetailsTemplate = settings.ReadString(QStringLiteral("XSL"),
                                          QStringLiteral("Current XSL Details Template"), DetailsTemplate);
    DefaultLoanPeriod =
        settings.ReadInteger(SettingsSection, QStringLiteral("Default Loan Period"), DefaultLoanPeriod);
    AffiliateUrl =
        settings.ReadString(QStringLiteral("Affiliates"), QStringLiteral("AffiliateUrl"), AffiliateUrl);
    AffiliateName =
        settings.ReadString(QStringLiteral("Affiliates"), QStringLiteral("AffiliateName"), AffiliateName);
}

void TGatherixPrefs::Save()
{
    TSettingsStore& settings = Settings();
    settings.WriteString(FoldersSection, QStringLiteral("Data"),
                         FolderToWrite(DataFolder, MissingDataFolder));
    TPrefs::Save();
    settings.WriteString(QStringLiteral("Databases"), QStringLiteral("CurrentDatabase"), CurrentDatabase);
    settings.WriteString(SettingsSection, QStringLiteral("ImageBaseFolder"),
                         FolderToWrite(ImageBaseFolder, MissingImageBaseFolder));
    for (const TSwitch& s : Switches)
        settings.WriteBool(SettingsSection, QLatin1String(s.Name), this->*s.Member);
    settings.WriteString(QStringLiteral("Version info"), QStringLiteral("Version"),
                         QStringLiteral(TOMEKEEP_VERSION));
    settings.WriteDate(SettingsSection, QStringLiteral("LastUpdateCheck"), LastUpdateCheck);
    settings.WriteInteger(SettingsSection, QStringLiteral("NrDaysBetweenUpdateChecks"),
                          NrDaysBetweenUpdateChecks);
    settings.WriteString(QStringLiteral("XSL"), QStringLiteral("Current XSL Details Template"),
                         DetailsTemplate);
    settings.WriteInteger(SettingsSection, QStringLiteral("Default Loan Period"), DefaultLoanPeriod);
    Proxy.Save(settings);
}

TGatherixPrefs& Prefs() { return InstalledPrefs ? *InstalledPrefs : DefaultPrefs(); }

void SetPrefs(TGatherixPrefs* prefs) { InstalledPrefs = prefs; }
