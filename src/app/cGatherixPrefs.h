#pragma once
// The preferences that the collection model reads. One process-wide object, created at start-up and
// read by every subsystem; the settings store that loads and saves it comes with the preferences work.

#include <QString>

class TGatherixPrefs {
public:
    virtual ~TGatherixPrefs() = default;

    QString ImageBaseFolder;           // base of relative picture file names; ends with a separator
    bool ShowLookupSortNames = false;  // pick-list entries show their sort text
    bool AutoIncrementIndex = true;    // new items get the next index number
};

// The preferences in use; a default object until the program installs its own.
TGatherixPrefs& Prefs();
// Installs the program's preferences (not owned); nullptr restores the default object.
void SetPrefs(TGatherixPrefs* prefs);
