#pragma once
// The book program's preferences. Create them with TPrefs::Create<TBookPrefs>() and install them with
// SetPrefs(); they save themselves when destroyed.

#include "app/cGatherixPrefs.h"

class TBookPrefs final : public TGatherixPrefs {
public:
    TBookPrefs();
    ~TBookPrefs() override;

    QString GetRegistryPath() const override;
    void Load() override;
    void Save() override;

    qint32 DoubleClickAction = 0;  // what a double click on a list entry does
};
