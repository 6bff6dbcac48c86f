#pragma once
// The preferences every part of the program reads: folders, behaviour switches, the update schedule,
// the details template, the loan period and the proxy. One process-wide object, reached through Prefs().

#include "app/cPrefs.h"
#include "app/cProxySettings.h"

#include <QString>

class TGatherixPrefs : public TPrefs {
public:
    TGatherixPrefs();  // the defaults of a first start
    ~TGatherixPrefs() override;

    // Program folder + "Data/"; the user's data location when the program folder is read-only.
    static QString DefaultDataFolder();

    // Members the store does not hold keep their values, the defaults of a new object.
    void Load() override;
    void Save() override;

    QString DataFolder;                // where collection files are opened and saved; ends with "/"
    QString CurrentDatabase;           // the collection opened at start-up; the product sets the default
    QString LastImageFolder;           // where picture dialogs start; not stored
    QString DetailsTemplate;           // XSL template of the details view
    QString ImageBaseFolder;           // base of relative picture file names; ends with a separator
    bool ShowLookupSortNames = false;  // pick-list entries show their sort text
    bool AutoIncrementIndex = true;    // new items get the next index number
    bool ConfirmItemRemoval = true;
    bool ConfirmItemCancel = true;
    bool ShowInCollectionIndicator = true;
    bool LookupHintShown = false;
    TProxySettings Proxy;
    double LastUpdateCheck = 0;            // day number
    qint32 NrDaysBetweenUpdateChecks = 7;  // -1 never, 0 at every start
    qint32 DefaultLoanPeriod = 21;         // days
    QString AffiliateUrl;                  // read only
    QString AffiliateName;                 // read only

private:
    // A stored folder that was missing at start: this run uses the fallback, while the stored value goes
    // back to the store unless the folder was changed meanwhile. The drive may just not be mounted.
    struct TMissingFolder {
        QString Stored;
        QString Fallback;
    };

    QString ReadFolder(const QString& section, const QString& ident, const QString& fallback,
                       TMissingFolder& missing);
    static QString FolderToWrite(const QString& folder, const TMissingFolder& missing);

    TMissingFolder MissingDataFolder;
    TMissingFolder MissingImageBaseFolder;
};

// The preferences in use; until the program installs its own, a default object that holds the
// first-start values and never touches the settings file.
TGatherixPrefs& Prefs();
// Installs the program's preferences (not owned); nullptr restores the default object. Installed
// preferences uninstall themselves when destroyed.
void SetPrefs(TGatherixPrefs* prefs);
