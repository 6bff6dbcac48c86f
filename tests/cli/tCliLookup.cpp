// tomekeep-cli lookup against a loopback server standing in for a source: the hits it lists, the book it
// merges (the same the engine gives the program), and its usage errors.

#include "app/cGatherixPrefs.h"
#include "book/cBookData.h"
#include "online/LoopbackServer.h"
#include "online/cOnlineQueryBook.h"
#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// An api/books answer of Open Library for one ISBN.
const QByteArray BooksAnswer = R"({"ISBN:0679450041": {
  "title": "The Amazing Adventures of Kavalier & Clay", "publish_date": "2000",
  "authors": [{"name": "Michael Chabon"}], "publishers": [{"name": "Random House"}],
  "number_of_pages": 639, "identifiers": {"isbn_10": ["0679450041"]}}})";

struct TRun {
    int ExitCode = -1;
    QByteArray Out;
    QString Err;
};

class CliLookupTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    TLoopbackServer Server;

    void SetUp() override
    {
        Server.On("/api/books", {200, BooksAnswer});
        // The same settings for the cli (through its settings file) and for the engine in this process.
        TSettingsStore store(SettingsPath());
        for (TSettingsStore* settings : {&store, &Prefs().Settings()}) {
            settings->WriteString("OnlineQuery\\Open Library", "BaseURL", Server.BaseURL());
            settings->WriteString("OnlineQuery\\Open Library", "MinInterval", "0");
        }
        ASSERT_TRUE(store.Save());
    }

    QString SettingsPath() const { return Dir.filePath("settings.reg"); }

    // Runs the cli while this process's event loop keeps the loopback server answering.
    TRun Lookup(const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TOMEKEEP_SETTINGS", SettingsPath());
        process.setProcessEnvironment(environment);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        process.start(QCoreApplication::applicationDirPath() + "/../bin/tomekeep-cli",
                      QStringList{"lookup"} + arguments);
        loop.exec();
        EXPECT_EQ(process.state(), QProcess::NotRunning) << "tomekeep-cli lookup did not end";
        process.kill();
        process.waitForFinished();
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(CliLookupTest, ListsTheHitsOfTheChosenSource)
{
    const TRun run = Lookup({"--source", "open library", "0-679-45004-1"});
    ASSERT_EQ(run.ExitCode, 0) << qPrintable(run.Err);
    EXPECT_EQ(
        run.Out,
        "1. The Amazing Adventures of Kavalier & Clay / Michael Chabon (2000) [Open Library: 0679450041]\n");
    EXPECT_EQ(Server.Targets, QList<QByteArray>{"/api/books?bibkeys=ISBN:0679450041&format=json&jscmd=data"});
}

TEST_F(CliLookupTest, DetailsPrintTheBookTheEngineMerges)
{
    const TRun run = Lookup({"--source", "Open Library", "0679450041", "--details", "1"});
    ASSERT_EQ(run.ExitCode, 0) << qPrintable(run.Err);

    TOpenLibraryBookInfoSource source;
    source.ScriptFolder = QStringLiteral(TOMEKEEP_RESOURCES_DIR "/Scripts/");
    TQueryMatchList matches;
    TBookSearchCriteria criteria;
    criteria.ISBN = "0679450041";
    source.Search(criteria, matches);
    ASSERT_EQ(matches.Count(), 1);
    auto root = TRootItem::New<TBookRoot>();
    TDataItem* book = root->Books().NewItem();
    ASSERT_TRUE(source.ImportDetails(matches[0], *book));
    EXPECT_EQ(run.Out, root->WriteXMLText(book));
    EXPECT_TRUE(run.Out.contains("<title>The Amazing Adventures of Kavalier &amp; Clay</title>"))
        << run.Out.constData();
}

TEST_F(CliLookupTest, BadRequestsFailWithTheirReason)
{
    Server.On("/search.json", {200, R"({"docs": []})"});
    const struct {
        QStringList Arguments;
        int ExitCode;
        const char* Reason;
    } cases[] = {
        {{"--source", "Open Library"}, 64, "needs an ISBN, a title or an author"},
        {{"--source", "Nowhere", "1"}, 64, "\"Open Library\""},
        {{"--source", "Open Library", "--title"}, 64, "--title needs a value"},
        {{"--source", "Open Library", "1", "--details", "x"}, 64, "hit number"},
        {{"--source", "Open Library", "1", "2"}, 64, "unexpected argument \"2\""},
        {{"--source", "Open Library", "--title", "Nothing"}, 1, "no hits"},
        {{"--source", "Open Library", "0679450041", "--details", "2"}, 1, "there is no hit 2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.Arguments.join(' ')));
        const TRun run = Lookup(c.Arguments);
        EXPECT_EQ(run.ExitCode, c.ExitCode);
        EXPECT_TRUE(run.Out.isEmpty()) << run.Out.constData();
        EXPECT_TRUE(run.Err.contains(QLatin1String(c.Reason))) << qPrintable(run.Err);
    }
}

}  // namespace
