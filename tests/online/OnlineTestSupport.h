#pragma once
// Shared by the online tests: the loopback server, the program's scripts, short time limits.

#include "app/cGatherixPrefs.h"
#include "online/LoopbackServer.h"
#include "online/cOnlineQueryBase.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QStringList>

inline QString ScriptsFolder() { return QStringLiteral(TOMEKEEP_RESOURCES_DIR "/Scripts/"); }

// Points a source at the scripts of the source tree and records what it logs.
inline void Prepare(TInfosource& source, QStringList& log)
{
    source.ScriptFolder = ScriptsFolder();
    source.OnLog = [&log](TInfosource&, const QString& message) { log << message; };
}

inline void SetSourceSetting(const QString& source, const QString& ident, const QString& value)
{
    Prefs().Settings().WriteString(QStringLiteral("OnlineQuery\\") + source, ident, value);
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
