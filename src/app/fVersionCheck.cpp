#include "app/fVersionCheck.h"

#include "app/cGlobal.h"
#include "app/cInternetConnection.h"
#include "app/fFormPlacement.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

// The description comes from the network: it is shown as it is, without fetching anything it refers
// to, neither from the web nor from this machine's files.
class TSealedDocument : public QTextDocument {
public:
    explicit TSealedDocument(QObject* parent) : QTextDocument(parent)
    {
        setResourceProvider([](const QUrl&) { return QVariant(); });
    }

protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

void OpenLink(const QString& link, TVersionInfoLink kind)
{
    const QUrl url = VersionInfoLink(link, kind);
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
}

QLabel* ValueLabel(const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* LinkLabel(const char* name, TVersionInfoLink kind)
{
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::RichText);
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    QObject::connect(label, &QLabel::linkActivated, label,
                     [kind](const QString& link) { OpenLink(link, kind); });
    return label;
}

// Shows `value`; as a link only when it is an address the label may open.
void SetLink(QLabel* label, const QString& value, TVersionInfoLink kind)
{
    const QUrl url = VersionInfoLink(value, kind);
    if (url.isEmpty())
        label->setText(value.toHtmlEscaped());
    else
        label->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                           .arg(url.toString(QUrl::FullyEncoded).toHtmlEscaped(), value.toHtmlEscaped()));
}

QString VersionAndBuild(const QString& version, const QString& build)
{
    return QStringLiteral("%1 build %2").arg(version, build);
}

}  // namespace

TfmVersionCheck::TfmVersionCheck(QWidget* owner, const QStringList* info, int result) : QDialog(owner)
{
    setObjectName(QStringLiteral("fmVersionCheck"));
    setModal(true);

    lbYourVersion = ValueLabel("lbYourVersion");
    lbLatestVersion = ValueLabel("lbLatestVersion");
    lbDownload = LinkLabel("lbDownload", TVersionInfoLink::Web);
    lbInfo = LinkLabel("lbInfo", TVersionInfoLink::Web);
    lbWhatsNew = LinkLabel("lbWhatsNew", TVersionInfoLink::Web);
    lbSupportEmail = LinkLabel("lbSupportEmail", TVersionInfoLink::Mail);
    lbStatus = ValueLabel("lbStatus");
    lbStatus->setWordWrap(true);

    htDescription = new QTextBrowser;
    htDescription->setObjectName(QStringLiteral("htDescription"));
    htDescription->setDocument(new TSealedDocument(htDescription));
    htDescription->setOpenLinks(false);
    htDescription->setOpenExternalLinks(false);
    connect(htDescription, &QTextBrowser::anchorClicked, this,
            [](const QUrl& url) { OpenLink(url.toString(QUrl::FullyEncoded), TVersionInfoLink::Web); });

    auto* values = new QGridLayout;
    const QList<QPair<QString, QLabel*>> rows{{QStringLiteral("Your version:"), lbYourVersion},
                                              {QStringLiteral("Latest version:"), lbLatestVersion},
                                              {QStringLiteral("Download link:"), lbDownload},
                                              {QStringLiteral("More information:"), lbInfo},
                                              {QStringLiteral("Detailed What's New:"), lbWhatsNew},
                                              {QStringLiteral("Support Email:"), lbSupportEmail}};
    for (int row = 0; row < rows.size(); ++row) {
        values->addWidget(new QLabel(rows[row].first), row, 0);
        values->addWidget(rows[row].second, row, 1);
    }
    values->setColumnStretch(1, 1);

    btCheckNow = new QPushButton(QStringLiteral("&Check Now"));
    btCheckNow->setObjectName(QStringLiteral("btCheckNow"));
    btClose = new QPushButton(QStringLiteral("Close"));
    btClose->setObjectName(QStringLiteral("btClose"));
    btClose->setDefault(true);
    connect(btCheckNow, &QPushButton::clicked, this, &TfmVersionCheck::CheckNow);
    connect(btClose, &QPushButton::clicked, this, &TfmVersionCheck::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btCheckNow);
    buttons->addStretch();
    buttons->addWidget(btClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(values);
    layout->addWidget(lbStatus);
    layout->addWidget(new QLabel(QStringLiteral("Update description:")));
    layout->addWidget(htDescription, 1);
    layout->addLayout(buttons);
    resize(520, 400);

    if (info && result != vcNoInformation) {
        setWindowTitle(QStringLiteral("Update Information"));
        btCheckNow->hide();
        ShowResult(*info, result);
    } else {
        setWindowTitle(QStringLiteral("Check for Update"));
    }
}

void TfmVersionCheck::ShowResult(const QStringList& info, int result)
{
    static const QStringList statusTexts{
        QStringLiteral("The version information could not be retrieved."),
        QStringLiteral("You have the most recent version and build"),
        QStringLiteral("A newer version is available"),
        QStringLiteral("You have the most recent version, but a newer build is available.")};
    if (result < vcNoInformation || result > vcNewBuild)
        result = vcNoInformation;
    lbStatus->setText(statusTexts[result]);
    if (result == vcNoInformation)
        return;
    lbYourVersion->setText(VersionAndBuild(VersionText(), BuildText()));
    lbLatestVersion->setText(VersionAndBuild(VersionInfoValue(info, QStringLiteral("LatestVersion")),
                                             VersionInfoValue(info, QStringLiteral("LatestBuild"))));
    SetLink(lbDownload, VersionInfoValue(info, QStringLiteral("DownloadURL")), TVersionInfoLink::Web);
    SetLink(lbInfo, VersionInfoValue(info, QStringLiteral("InfoURL")), TVersionInfoLink::Web);
    SetLink(lbWhatsNew, VersionInfoValue(info, QStringLiteral("WhatsNewURL")), TVersionInfoLink::Web);
    SetLink(lbSupportEmail, VersionInfoValue(info, QStringLiteral("SupportEmail")), TVersionInfoLink::Mail);
    htDescription->setHtml(VersionInfoValue(info, result == vcNewVersion
                                                      ? QStringLiteral("UpgradeDescription")
                                                      : QStringLiteral("BuildDescription")));
}

void TfmVersionCheck::CheckNow()
{
    Checking = true;
    btCheckNow->setEnabled(false);
    QStringList info;
    const int result = FetchVersionInfo(info);
    btCheckNow->setEnabled(true);
    Checking = false;
    ShowResult(info, result);
}

void TfmVersionCheck::reject()
{
    // Closing while the check waits for the server ends the request rather than the wait.
    if (Checking)
        HttpClient().Abort();
    QDialog::reject();
}

void ShowVersionCheck(QWidget* owner, const QStringList* info, int result)
{
    TfmVersionCheck form(owner, info, result);
    CenterOver(&form, owner);
    RestorePlacement(&form);
    form.exec();
    SavePlacement(&form);
}

void CheckForUpdateOnStart(QWidget* owner)
{
    TInternetConnection connection;
    RunStartUpdateCheck(
        connection, [owner](const QStringList& info, int result) { ShowVersionCheck(owner, &info, result); });
}
