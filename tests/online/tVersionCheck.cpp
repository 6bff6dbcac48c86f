// The update check: the download of the version file and its limits, the check at start, the
// update-check window, and which links of the (untrusted) version file may be opened.

#include "app/cGlobal.h"
#include "app/cInternetConnection.h"
#include "app/fVersionCheck.h"
#include "model/cData.h"
#include "online/OnlineTestSupport.h"
#include "platform/Messenger.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <optional>

namespace {

const QString UpdateSection = QStringLiteral("Update");

QByteArray VersionFile(const QString& version, const QString& build)
{
    return QStringLiteral("LatestVersion=%1\r\nLatestBuild=%2\r\n"
                          "DownloadURL=https://www.quorvane.example/download\r\n"
                          "UpgradeDescription=<p>What the <b>upgrade</b> brings</p>\r\n"
                          "BuildDescription=<p>Fixes of the build</p>\r\n")
        .arg(version, build)
        .toUtf8();
}

// "0.0" is never a released version: older than this program whatever its version.
QByteArray OlderVersionFile() { return VersionFile(QStringLiteral("0.0"), BuildText()); }
QByteArray SameVersionFile() { return VersionFile(VersionText(), BuildText()); }
QByteArray NewerBuildFile() { return VersionFile(VersionText(), BuildText() + QStringLiteral("1")); }

double Today() { return DateToDayNumber(Now().date()); }

void PointAt(const QString& url) { Prefs().Settings().WriteString(UpdateSection, "VersionInfoURL", url); }

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessenger(&Messages);
        Prefs().LastUpdateCheck = 0;
        Prefs().NrDaysBetweenUpdateChecks = 7;
    }
    void TearDown() override
    {
        SetMessenger(nullptr);
        Prefs().Settings().EraseSection(UpdateSection);
        Prefs().LastUpdateCheck = 0;
        Prefs().NrDaysBetweenUpdateChecks = 7;
    }

    TRecordingMessenger Messages;
};

TEST_F(VersionCheck, FetchComparesWithThisProgramAndKeepsTheDateWhenNothingCame)
{
    struct TCase {
        const char* Name;
        TLoopbackServer::TAnswer Answer;
        int Result;
        bool Dated;  // LastUpdateCheck becomes today
    };
    const TCase cases[] = {
        {"same version and build", {200, SameVersionFile()}, vcSameVersion, true},
        {"older version on the server", {200, OlderVersionFile()}, vcNewVersion, true},
        {"other build", {200, NewerBuildFile()}, vcNewBuild, true},
        {"empty file", {200, ""}, vcNoInformation, true},
        {"a portal's login page", {200, "<html><body>Please log in</body></html>"}, vcNoInformation, false},
        {"not found", {404, "missing"}, vcNoInformation, false},
        {"server never answers", {200, "", true}, vcNoInformation, false},
        {"answer beyond 64 KB",
         {200, SameVersionFile() + QByteArray(64 * 1024, 'x')},
         vcNoInformation,
         false},
    };
    TLoopbackServer server;
    THttpClient client;
    client.TimeLimit = 500;
    int row = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QByteArray path = "/" + QByteArray::number(++row) + "/book/versioninfo.txt";
        server.On(path, c.Answer);
        PointAt(server.BaseURL() + QString::fromLatin1(path));
        Prefs().LastUpdateCheck = 0;
        QStringList info{QStringLiteral("left over")};
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(FetchVersionInfo(info, client), c.Result);
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(Prefs().LastUpdateCheck, c.Dated ? Today() : 0);
        if (c.Result == vcNoInformation) {
            EXPECT_TRUE(info.isEmpty());
        } else {
            EXPECT_TRUE(info.contains(QStringLiteral("DownloadURL=https://www.quorvane.example/download")));
        }
    }
    // The client's own limits are back for the next request.
    EXPECT_EQ(client.TimeLimit, 500);
    EXPECT_EQ(client.SizeLimit, THttpClient().SizeLimit);

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    PointAt(QStringLiteral("http://127.0.0.1:%1/book/versioninfo.txt").arg(port));
    QStringList info;
    EXPECT_EQ(FetchVersionInfo(info, client), vcNoInformation);
    EXPECT_EQ(Prefs().LastUpdateCheck, 0);
}

class TFakeConnection : public TInternetConnection {
public:
    bool Online = true;
    int Opens = 0;
    int Closes = 0;
    bool Open() override
    {
        ++Opens;
        return true;
    }
    bool Connected() const override { return Online; }
    void Close() override { ++Closes; }
};

TEST_F(VersionCheck, AtStartAsksOnlyForANewerVersionAndShowsOnYes)
{
    const QString question =
        QStringLiteral("A newer version of Tomekeep is available, would you like more info about this?");
    struct TCase {
        const char* Name;
        int Days;     // NrDaysBetweenUpdateChecks
        int DaysAgo;  // since LastUpdateCheck
        bool Online;
        TLoopbackServer::TAnswer Answer;
        TMessageAnswer Reply;
        bool Requested;
        bool Asked;
        std::optional<int> Shown;  // the result the window was shown with
    };
    const TCase cases[] = {
        {"never", -1, 1000, true, {200, OlderVersionFile()}, TMessageAnswer::Yes, false, false, {}},
        {"not due yet", 7, 6, true, {200, OlderVersionFile()}, TMessageAnswer::Yes, false, false, {}},
        {"offline", 7, 7, false, {200, OlderVersionFile()}, TMessageAnswer::Yes, false, false, {}},
        {"every start", 0, 0, true, {200, SameVersionFile()}, TMessageAnswer::Yes, true, false, {}},
        {"up to date", 7, 30, true, {200, SameVersionFile()}, TMessageAnswer::Yes, true, false, {}},
        {"unreachable", 7, 30, true, {404, "missing"}, TMessageAnswer::Yes, true, false, {}},
        {"newer version, No", 7, 30, true, {200, OlderVersionFile()}, TMessageAnswer::No, true, true, {}},
        {"newer build, Yes",
         7,
         30,
         true,
         {200, NewerBuildFile()},
         TMessageAnswer::Yes,
         true,
         true,
         vcNewBuild},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLoopbackServer server;
        server.On("/book/versioninfo.txt", c.Answer);
        PointAt(server.BaseURL() + QStringLiteral("/book/versioninfo.txt"));
        Prefs().NrDaysBetweenUpdateChecks = c.Days;
        Prefs().LastUpdateCheck = Today() - c.DaysAgo;
        Messages.Reset();
        Messages.Answers = {c.Reply};
        TFakeConnection connection;
        connection.Online = c.Online;
        std::optional<int> shown;
        QStringList shownInfo;
        THttpClient client;
        RunStartUpdateCheck(
            connection,
            [&](const QStringList& info, int result) {
                shown = result;
                shownInfo = info;
            },
            client);
        EXPECT_EQ(server.Targets.size(), c.Requested ? 1 : 0);
        EXPECT_EQ(Messages.Questions, c.Asked ? QStringList{question} : QStringList());
        EXPECT_EQ(shown, c.Shown);
        if (shown) {
            EXPECT_EQ(VersionInfoValue(shownInfo, QStringLiteral("LatestBuild")),
                      BuildText() + QStringLiteral("1"));
        }
        EXPECT_EQ(connection.Closes, connection.Opens);
    }
}

TEST(VersionCheckWindow, ShowsTheResultItWasGiven)
{
    const QStringList info{QStringLiteral("LatestVersion=2.0"),
                           QStringLiteral("LatestBuild=7"),
                           QStringLiteral("DownloadURL=https://www.quorvane.example/download"),
                           QStringLiteral("InfoURL=https://www.quorvane.example/book/"),
                           QStringLiteral("WhatsNewURL=https://www.quorvane.example/book/new.html"),
                           QStringLiteral("SupportEmail=support@quorvane.example"),
                           QStringLiteral("UpgradeDescription=<p>Upgrade <b>notes</b></p>"),
                           QStringLiteral("BuildDescription=<p>Build notes</p>")};
    struct TCase {
        int Result;
        const char* Caption;
        const char* Status;
        const char* Description;
    };
    const TCase cases[] = {
        {vcNoInformation, "Check for Update", "", ""},
        {vcSameVersion, "Update Information", "You have the most recent version and build", "Build notes"},
        {vcNewVersion, "Update Information", "A newer version is available", "Upgrade notes"},
        {vcNewBuild, "Update Information",
         "You have the most recent version, but a newer build is available.", "Build notes"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Result);
        TfmVersionCheck form(nullptr, &info, c.Result);
        const auto text = [&](const char* name) {
            return form.findChild<QLabel*>(name)->text().toStdString();
        };
        EXPECT_EQ(form.windowTitle().toStdString(), c.Caption);
        EXPECT_EQ(form.findChild<QPushButton*>("btCheckNow")->isHidden(), c.Result != vcNoInformation);
        EXPECT_EQ(form.findChild<QPushButton*>("btCheckNow")->text().toStdString(), "&Check Now");
        EXPECT_EQ(form.findChild<QPushButton*>("btClose")->text().toStdString(), "Close");
        EXPECT_EQ(text("lbStatus"), c.Status);
        EXPECT_EQ(form.findChild<QTextBrowser*>("htDescription")->toPlainText().toStdString(), c.Description);
        if (c.Result == vcNoInformation) {
            EXPECT_EQ(text("lbLatestVersion"), "");
            continue;
        }
        EXPECT_EQ(QString::fromStdString(text("lbYourVersion")), VersionText() + " build " + BuildText());
        EXPECT_EQ(text("lbLatestVersion"), "2.0 build 7");
        EXPECT_EQ(
            text("lbDownload"),
            "<a href=\"https://www.quorvane.example/download\">https://www.quorvane.example/download</a>");
        EXPECT_EQ(text("lbInfo"),
                  "<a href=\"https://www.quorvane.example/book/\">https://www.quorvane.example/book/</a>");
        EXPECT_EQ(text("lbWhatsNew"), "<a href=\"https://www.quorvane.example/book/new.html\">"
                                      "https://www.quorvane.example/book/new.html</a>");
        EXPECT_EQ(text("lbSupportEmail"),
                  "<a href=\"mailto:support@quorvane.example\">support@quorvane.example</a>");
    }

    TfmVersionCheck empty(nullptr, nullptr, vcNoInformation);
    EXPECT_EQ(empty.windowTitle().toStdString(), "Check for Update");
    empty.ShowResult({}, vcNoInformation);
    EXPECT_EQ(empty.findChild<QLabel*>("lbStatus")->text().toStdString(),
              "The version information could not be retrieved.");
}

TEST_F(VersionCheck, CheckNowFetchesAndShowsTheResult)
{
    TLoopbackServer server;
    server.On("/book/versioninfo.txt", {200, NewerBuildFile()});
    PointAt(server.BaseURL() + QStringLiteral("/book/versioninfo.txt"));
    TfmVersionCheck form(nullptr, nullptr, vcNoInformation);
    form.findChild<QPushButton*>("btCheckNow")->click();
    EXPECT_EQ(server.Targets.size(), 1);
    EXPECT_EQ(form.findChild<QLabel*>("lbStatus")->text().toStdString(),
              "You have the most recent version, but a newer build is available.");
    EXPECT_EQ(form.findChild<QLabel*>("lbLatestVersion")->text(),
              VersionText() + " build " + BuildText() + "1");
    EXPECT_EQ(form.findChild<QTextBrowser*>("htDescription")->toPlainText().toStdString(),
              "Fixes of the build");
}

TEST(VersionInfoLinks, OnlyWebAddressesAndAPlainSupportAddressOpen)
{
    struct TCase {
        const char* Value;
        TVersionInfoLink Kind;
        const char* Opens;  // empty: shown as text only
    };
    const TCase cases[] = {
        {"https://www.quorvane.example/download", TVersionInfoLink::Web,
         "https://www.quorvane.example/download"},
        {" HTTP://www.quorvane.example/a?b=1 ", TVersionInfoLink::Web, "http://www.quorvane.example/a?b=1"},
        {"javascript:alert(1)", TVersionInfoLink::Web, ""},
        {"file:///usr/bin/xterm", TVersionInfoLink::Web, ""},
        {"\\\\server\\share\\setup.exe", TVersionInfoLink::Web, ""},
        {"//server/share/setup.exe", TVersionInfoLink::Web, ""},
        {"setup.exe", TVersionInfoLink::Web, ""},
        {"ftp://ftp.quorvane.example/setup.exe", TVersionInfoLink::Web, ""},
        {"http:///etc/passwd", TVersionInfoLink::Web, ""},
        {"mailto:support@quorvane.example", TVersionInfoLink::Web, ""},
        {"", TVersionInfoLink::Web, ""},
        {"support@quorvane.example", TVersionInfoLink::Mail, "mailto:support@quorvane.example"},
        {"mailto:support@quorvane.example", TVersionInfoLink::Mail, "mailto:support@quorvane.example"},
        {"support@quorvane.example?attach=/etc/passwd", TVersionInfoLink::Mail, ""},
        {"javascript:alert(1)//@quorvane.example", TVersionInfoLink::Mail, ""},
        {"https://www.quorvane.example/", TVersionInfoLink::Mail, ""},
        {"sup port@quorvane.example", TVersionInfoLink::Mail, ""},
        {"support@localhost", TVersionInfoLink::Mail, ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(
            VersionInfoLink(QString::fromUtf8(c.Value), c.Kind).toString(QUrl::FullyEncoded).toStdString(),
            c.Opens);
    }

    // In the window a refused value stays text, markup included.
    const QStringList info{QStringLiteral("LatestVersion=2.0"),
                           QStringLiteral("DownloadURL=javascript:alert(1)"),
                           QStringLiteral("SupportEmail=<img src=\"file:///etc/passwd\">")};
    TfmVersionCheck form(nullptr, &info, vcNewVersion);
    EXPECT_EQ(form.findChild<QLabel*>("lbDownload")->text().toStdString(), "javascript:alert(1)");
    EXPECT_EQ(form.findChild<QLabel*>("lbSupportEmail")->text().toStdString(),
              "&lt;img src=&quot;file:///etc/passwd&quot;&gt;");
}

TEST(VersionCheckWindow, DescriptionLoadsNothingItRefersTo)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("logo.png"));
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save(picture));
    const QUrl local = QUrl::fromLocalFile(picture);
    const QString html = QStringLiteral("<p>New</p><img src=\"%1\">").arg(local.toString());

    QTextBrowser ordinary;  // shows that the picture is there to be loaded
    ordinary.setHtml(html);
    ASSERT_TRUE(ordinary.document()->resource(QTextDocument::ImageResource, local).isValid());

    const QStringList info{QStringLiteral("LatestVersion=2.0"), QStringLiteral("UpgradeDescription=") + html};
    TfmVersionCheck form(nullptr, &info, vcNewVersion);
    QTextDocument* shown = form.findChild<QTextBrowser*>("htDescription")->document();
    EXPECT_FALSE(shown->resource(QTextDocument::ImageResource, local).isValid());
    EXPECT_FALSE(shown->resource(QTextDocument::StyleSheetResource, local).isValid());
}

}  // namespace
