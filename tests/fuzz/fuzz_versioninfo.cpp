// Reads a downloaded version information file the way the update check does. Besides never crashing,
// every link it would offer must be what the link rule promises: an absolute http or https address
// with a host, or a "mailto:" address with nothing after it.

#include "app/cInternetConnection.h"

#include <QUrl>
#include <cstdint>
#include <cstdlib>

namespace {

void CheckWebLink(const QString& value)
{
    const QUrl url = VersionInfoLink(value, TVersionInfoLink::Web);
    if (url.isEmpty())
        return;
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https") || url.host().isEmpty())
        std::abort();
}

void CheckMailLink(const QString& value)
{
    const QUrl url = VersionInfoLink(value, TVersionInfoLink::Mail);
    if (url.isEmpty())
        return;
    const QString address = url.path();
    if (url.scheme() != u"mailto" || url.hasQuery() || url.hasFragment() || !address.contains(u'@')
        || address.contains(u' '))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QStringList info =
        ParseVersionInfo(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const char* name : {"DownloadURL", "InfoURL", "WhatsNewURL"})
        CheckWebLink(VersionInfoValue(info, QLatin1String(name)));
    CheckMailLink(VersionInfoValue(info, QStringLiteral("SupportEmail")));
    CompareVersionInfo(info, QStringLiteral("1.2"), QStringLiteral("7"));
    return 0;
}
