// The query engine: hits from the parse scripts, their failures, the merge of details, the downloads.

#include "app/cInternetConnection.h"
#include "book/cBookData.h"
#include "online/OnlineTestSupport.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

// A source whose scripts the test writes; it searches and fetches details from the loopback server.
class TScriptedSource : public TInfosource {
public:
    TScriptedSource(const QString& name, const QString& folder, const QString& server)
        : TInfosource(name, QStringLiteral("search.pl"), QStringLiteral("details.pl")), Server(server)
    {
        ScriptFolder = folder + QLatin1Char('/');
    }
    QString GetDetailsURL(const QString& id) override { return Server + QStringLiteral("/details/") + id; }
    QString GetViewURL(const QString& id) override { return QStringLiteral("http://view.example/") + id; }
    void Search(const TSearchCriteria&, TQueryMatchList& matches) override
    {
        try {
            ParsePage(pkResultList, PreparePageText(Download(Server + QStringLiteral("/search"))), matches);
        } catch (const std::exception& error) {
            LogError(error);
        }
    }
    QString Server;
};

class QueryEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        Server.On("/search", {200, "page"});
        Prefs().Settings().WriteInteger(QStringLiteral("OnlineQuery"), QStringLiteral("ScriptTimeLimit"), 1);
    }
    void TearDown() override { Prefs().Settings().EraseSection(QStringLiteral("OnlineQuery")); }

    // A script that writes `output` (Perl string syntax) as `file`, or runs `body` when given.
    void Script(const char* name, const QByteArray& file, const QByteArray& output)
    {
        QFile script(Scripts.filePath(QLatin1String(name)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("open my $f, '>', '" + file + "' or die; print $f <<'XML';\n" + output + "\nXML\n");
    }
    void RawScript(const char* name, const QByteArray& body)
    {
        QFile script(Scripts.filePath(QLatin1String(name)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(body);
    }
    std::unique_ptr<TScriptedSource> Source(const QString& name = QStringLiteral("Test"))
    {
        auto source = std::make_unique<TScriptedSource>(name, Scripts.path(), Server.BaseURL());
        source->OnLog = [this](TInfosource& s, const QString& m) {
            Log << s.Name + QStringLiteral(": ") + m;
        };
        return source;
    }

    QTemporaryDir Scripts;
    TLoopbackServer Server;
    QStringList Log;
};

TEST_F(QueryEngine, HitsAreUniquePerSourceAndNeedAnId)
{
    Script(
        "search.pl", "parsedresults.xml",
        "<results><group><match><id>A1</id><description>Black &amp;amp; White</description></match></group>"
        "<match><id>A1</id><description>again</description></match>"
        "<match><description>no id</description></match><match><id></id></match>"
        "<match><id>%41</id><description>&amp;#65;BC</description></match></results>");
    auto first = Source(QStringLiteral("One"));
    auto second = Source(QStringLiteral("Two"));
    TQueryMatchList matches;
    first->Search(TSearchCriteria(), matches);
    second->Search(TSearchCriteria(), matches);
    matches.RemoveUnidentified();
    ASSERT_EQ(matches.Count(), 4) << Log.join('\n').toStdString();
    EXPECT_EQ(matches[0].Description, "Black & White");
    EXPECT_EQ(matches[0].Source, first.get());
    EXPECT_EQ(matches[1].Id, "%41");  // ids go back to the source as they came
    EXPECT_EQ(matches[1].Description, "ABC");
    EXPECT_EQ(matches[2].Source, second.get());
    EXPECT_FALSE(matches[0].Selected);
}

TEST_F(QueryEngine, StaleOutputNeverStandsInForAMissingOne)
{
    RawScript("search.pl", "exit 0;\n");
    auto source = Source();
    const QDir work(source->WorkFolder());
    for (const char* name : {"parsedresults.xml", "searchresult.html"}) {
        QFile stale(work.filePath(QLatin1String(name)));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("<results><match><id>OLD</id></match></results>");
    }
    TQueryMatchList matches;
    source->Search(TSearchCriteria(), matches);
    EXPECT_EQ(matches.Count(), 0);
    EXPECT_TRUE(work.entryList(QDir::Files).isEmpty()) << work.entryList(QDir::Files).join(' ').toStdString();
}

TEST_F(QueryEngine, BadScriptsEndTheSearchWithALoggedErrorAndTheNextSourceRuns)
{
    struct TCase {
        QByteArray Script;
        const char* Logged;
    } cases[] = {
        {"sleep 30;", "did not finish within 1 seconds"},
        {"open my $f, '>', 'parsedresults.xml'; print $f '<results><match>';", "is no XML document"},
        {"open my $f, '>', 'parsedresults.xml'; print $f '<!DOCTYPE r [<!ENTITY x SYSTEM "
         "\"file:///etc/passwd\">]>"
         "<r><match><id>1</id><description>&x;</description></match></r>';",
         "declares entities"},
        {"open my $f, '>', 'parsedresults.xml'; print $f "
         "'<r><match><id>1</id><description>AT&amp;#T</description>"
         "</match></r>';",
         "Unterminated character code"},
    };
    for (const TCase& c : cases) {
        RawScript("search.pl", c.Script);
        Log.clear();
        auto source = Source();
        TQueryMatchList matches;
        QElapsedTimer timer;
        timer.start();
        source->Search(TSearchCriteria(), matches);
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_EQ(matches.Count(), 0);
        ASSERT_EQ(Log.size(), 1) << c.Logged;
        EXPECT_TRUE(Log[0].startsWith("Test: Error occurred: ")) << Log[0].toStdString();
        EXPECT_TRUE(Log[0].contains(QLatin1String(c.Logged))) << Log[0].toStdString();
    }
}

TEST_F(QueryEngine, ImportMergesWithoutOverwritingAndAddsTheViewAddress)
{
    Server.On("/details/1", {200, "ONE"});
    Server.On("/details/2", {200, "TWO"});
    RawScript("details.pl", R"(
        open my $in, '<', 'searchdetails.html' or die;
        my $page = <$in>;
        open my $f, '>', 'parseddetails.xml' or die;
        if ($page =~ /ONE/) {
            print $f '<book><title>First</title><isbn>111</isbn><credits><credit><role>Author</role>'
                   . '<displayname>Ann Author</displayname></credit></credits>'
                   . '<coverfront>/etc/passwd</coverfront><coverfront>http://covers/a.jpg</coverfront></book>';
        } else {
            print $f '<book><title>Second</title><subtitle>Sub</subtitle><url>http://script/</url><credits>'
                   . '<credit><role>Author</role><displayname>Ann Author</displayname></credit><credit>'
                   . '<role>Editor</role><displayname>Ed Editor</displayname></credit></credits></book>';
        }
    )");
    auto root = TRootItem::New<TBookRoot>();
    auto* book = static_cast<TBook*>(root->Books().NewItem());
    auto source = Source();
    TQueryMatch one{QString(), QStringLiteral("1"), true, source.get()};
    TQueryMatch two{QString(), QStringLiteral("2"), true, source.get()};
    EXPECT_TRUE(source->ImportDetails(one, *book)) << Log.join('\n').toStdString();
    EXPECT_TRUE(source->ImportDetails(two, *book));
    EXPECT_EQ(book->Main().Title, "First");
    EXPECT_EQ(book->Main().SubTitle, "Sub");
    EXPECT_EQ(book->ISBN, "111");
    EXPECT_EQ(book->URL, "http://view.example/1");       // the first hit had no address of its own
    EXPECT_EQ(book->FrontCover, "http://covers/a.jpg");  // a local path from a page is no cover
    EXPECT_EQ(book->Main().Credits.Count(), 2);

    auto other = static_cast<TBook*>(root->Books().NewItem());
    EXPECT_TRUE(source->ImportDetails(two, *other));
    EXPECT_EQ(other->URL, "http://script/");  // the script's own address wins
}

TEST_F(QueryEngine, FailedImportLeavesTheBookAloneAndSaysSo)
{
    Server.On("/details/", {500, "broken"});
    auto root = TRootItem::New<TBookRoot>();
    auto* book = static_cast<TBook*>(root->Books().NewItem());
    auto source = Source();
    TQueryMatch match{QString(), QStringLiteral("1"), true, source.get()};
    EXPECT_FALSE(source->ImportDetails(match, *book));
    EXPECT_TRUE(book->Main().Title.isEmpty());
    ASSERT_EQ(Log.size(), 1);
    EXPECT_EQ(Log[0], "Test: Error occurred: 500 Failed");
}

TEST_F(QueryEngine, DownloadFileNeedsAPictureAndFixesTheExtension)
{
    const QByteArray gif = "GIF89a" + QByteArray(2000, 'x');
    const QByteArray jfif = QByteArray("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10) + QByteArray(2000, 'x');
    Server.On("/small", {200, "GIF89a" + QByteArray(1018, 'x')});
    Server.On("/html", {200, "<html>" + QByteArray(2000, ' ') + "</html>"});
    Server.On("/gif", {200, gif});
    Server.On("/jpeg", {200, jfif});
    Server.On("/missing", {404, QByteArray(2000, 'x')});
    QTemporaryDir images;
    const QString base = images.filePath(QStringLiteral("Title12"));
    struct TCase {
        const char* Path;
        QString Target;
        bool Result;
        QString Written;
    } cases[] = {
        {"/small", base + ".jpg", false, QString()},    {"/html", base + ".jpg", false, QString()},
        {"/missing", base + ".jpg", false, QString()},  {"/gif", base + ".jpg", true, base + ".gif"},
        {"/jpeg", base + ".jpeg", true, base + ".jpg"}, {"/jpeg", base + ".jpg", true, base + ".jpg"},
    };
    for (TCase& c : cases) {
        QString target = c.Target;
        EXPECT_EQ(DownloadFile(Server.BaseURL() + QLatin1String(c.Path), target), c.Result) << c.Path;
        if (c.Result) {
            EXPECT_EQ(target, c.Written);
            EXPECT_EQ(ReadAll(target).left(6), QByteArray(c.Path == QByteArray("/gif") ? gif : jfif).left(6));
        }
    }
    EXPECT_FALSE(QFile::exists(base + ".jpeg"));
}

TEST(HttpClient, SendsItsHeadersAndFailsOnStatusAndStall)
{
    TLoopbackServer server;
    server.On("/ok", {200, "body"});
    server.On("/gone", {404, "x"});
    server.On("/stall", {200, "", true});
    THttpClient client;
    EXPECT_EQ(client.Get(server.BaseURL() + "/ok"), "body");
    EXPECT_EQ(server.UserAgents.value(0), "Mozilla/3.0 (compatible)");
    try {
        client.Get(server.BaseURL() + "/gone");
        ADD_FAILURE() << "no error";
    } catch (const EHttp& error) {
        EXPECT_EQ(error.Status, 404);
        EXPECT_STREQ(error.what(), "404 Failed");
    }
    client.TimeLimit = 300;
    EXPECT_THROW(client.Get(server.BaseURL() + "/stall"), EHttp);
    client.SizeLimit = 2;
    EXPECT_THROW(client.Get(server.BaseURL() + "/ok"), EHttp);
}

TEST(UpdateCheck, ComparesTextsAndKeepsTheDateWhenUnreachable)
{
    const QStringList same{"LatestVersion=1.1", "LatestBuild=6"};
    EXPECT_EQ(CompareVersionInfo(same, "1.1", "6"), vcSameVersion);
    EXPECT_EQ(CompareVersionInfo({"LatestVersion=1.0", "LatestBuild=6"}, "1.1", "6"), vcNewVersion);
    EXPECT_EQ(CompareVersionInfo({"LatestVersion=1.1", "LatestBuild=7"}, "1.1", "6"), vcNewBuild);
    EXPECT_EQ(CompareVersionInfo({}, "1.1", "6"), vcNoInformation);

    TLoopbackServer server;
    server.On("/book/versioninfo.txt",
              {200, "LatestVersion=99\r\nLatestBuild=1\r\nDownloadURL=https://x/\r\n"});
    const QString section = QStringLiteral("Update");
    Prefs().Settings().WriteString(section, "VersionInfoURL", server.BaseURL() + "/book/versioninfo.txt");
    Prefs().LastUpdateCheck = 0;
    QStringList info;
    THttpClient client;
    EXPECT_EQ(FetchVersionInfo(info, client), vcNewVersion);
    EXPECT_EQ(info.value(2), "DownloadURL=https://x/");
    EXPECT_GT(Prefs().LastUpdateCheck, 0);

    Prefs().LastUpdateCheck = 0;
    Prefs().Settings().WriteString(section, "VersionInfoURL", server.BaseURL() + "/none");
    EXPECT_EQ(FetchVersionInfo(info, client), vcNoInformation);
    EXPECT_EQ(Prefs().LastUpdateCheck, 0);
    Prefs().Settings().EraseSection(section);

    Prefs().NrDaysBetweenUpdateChecks = -1;
    EXPECT_FALSE(UpdateCheckDue(50000));
    Prefs().NrDaysBetweenUpdateChecks = 7;
    EXPECT_TRUE(UpdateCheckDue(50000));
}

}  // namespace
