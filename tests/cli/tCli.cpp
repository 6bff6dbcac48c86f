// tomekeep-cli run as its own process, the way the build and users run it: info, export-xml, build-demo,
// their errors and exit codes.

#include "book/cBookData.h"
#include "model/cXmlDocument.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libxml/xpath.h>

namespace {

struct TRun {
    int ExitCode = -1;
    QByteArray Out;
    QString Err;
};

// The test programs are built into <build>/tests/, the cli into <build>/bin/.
TRun RunCli(const QStringList& arguments)
{
    QProcess process;
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/tomekeep-cli"), arguments);
    const bool finished = process.waitForFinished(60000);
    EXPECT_TRUE(finished) << "tomekeep-cli " << qPrintable(arguments.join(' ')) << " did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "tomekeep-cli crashed";
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The string value of an XPath expression over the document.
QString XPath(xmlDoc* doc, const char* expression)
{
    xmlXPathContext* context = xmlXPathNewContext(doc);
    xmlXPathObject* result = xmlXPathEvalExpression(BAD_CAST expression, context);
    xmlChar* text = result ? xmlXPathCastToString(result) : nullptr;
    const QString value = text ? QString::fromUtf8(reinterpret_cast<const char*>(text)) : QString();
    xmlFree(text);
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(context);
    return value;
}

// The number after "Label: " on its own line of an info text; -1 when there is none.
int InfoNumber(const QByteArray& info, const QString& label)
{
    const QRegularExpression line(QStringLiteral("^%1: (\\d+)$").arg(QRegularExpression::escape(label)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(info));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

class CliTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;

    QString Path(const QString& name) const { return Dir.filePath(name); }

    // Two books by one author, the first with two stories as sections, the second lent out and with a
    // title outside Windows-1252.
    QString SmallCollection()
    {
        auto root = TRootItem::New<TBookRoot>();
        TLookupItem* poe = root->List("Author")->FindOrAdd("Edgar Allan Poe");
        auto* tales = static_cast<TBook*>(root->Books().NewItem());
        tales->Main().Title = "Tales of the Grotesque and Arabesque";
        tales->Main().Credits.AddCredit(bfAuthor, poe);
        tales->Genres.Add(root->List("Genre")->FindOrAdd("Gothic Tales"));
        for (const char* title : {"The Fall of the House of Usher", "William Wilson"}) {
            auto* story = static_cast<TBookSection*>(tales->Sections->NewItem());
            story->Title = title;
            story->Credits.AddCredit(bfAuthor, poe);
        }
        auto* raven = static_cast<TBook*>(root->Books().NewItem());
        raven->Main().Title = QStringLiteral("The Raven — Ворон");
        raven->Main().Credits.AddCredit(bfAuthor, poe);
        raven->Main().Credits.AddCredit(bfTranslator,
                                        root->List("Translator")->FindOrAdd("Konstantin Balmont"));
        auto* loan = static_cast<TLoanInfo*>(root->Loans->NewItem());
        loan->SetItem(raven);
        loan->LoanedTo = root->LoanPersons->FindOrAdd("Dana Reyes");
        loan->LoanDate = DateToDayNumber(QDate(2026, 3, 1));
        raven->CurrentLoan = loan;
        root->Renumber();
        const QString path = Path("small.tmk");
        EXPECT_TRUE(root->SaveToFile(path));
        return path;
    }
};

TEST_F(CliTest, InfoShowsTypeVersionsCountsAndEveryPickListInRegistryOrder)
{
    const QString collection = SmallCollection();
    const TRun run = RunCli({"info", collection});
    ASSERT_EQ(run.ExitCode, 0) << qPrintable(run.Err);
    EXPECT_TRUE(run.Err.isEmpty()) << qPrintable(run.Err);

    QString expected = QStringLiteral("Type: Book (Book Collection)\nFormat version: %1\nData version: 100\n"
                                      "Books: 2\nSections: 2\nLoans: 1\nPick lists:\n")
                           .arg(TRootItem::FormatVersion);
    auto loaded = TRootItem::New<TBookRoot>();
    ASSERT_TRUE(loaded->LoadFromFile(collection));
    for (int i = 0; i < loaded->MetaInfo->LookupLists.Count(); ++i) {
        const TLookupListInfo* row = loaded->MetaInfo->LookupLists.Row(i);
        expected += QStringLiteral("  %1: %2\n").arg(row->Caption).arg(row->List->Count());
    }
    EXPECT_EQ(QString::fromUtf8(run.Out), expected);
    // The entries the collection added, beside the built-in ones.
    for (const auto& [caption, count] : {std::pair{"  Author", 1},
                                         {"  Translator", 1},
                                         {"  Loaned To", 1},
                                         {"  Genre", 23},
                                         {"  Illustrator", 0}})
        EXPECT_EQ(InfoNumber(run.Out, caption), count) << caption;
}

TEST_F(CliTest, ExportXmlWritesTheSameCollectionXmlToAFileOrToStandardOutput)
{
    const QString collection = SmallCollection();
    const TRun toFile = RunCli({"export-xml", collection, Path("books.xml")});
    ASSERT_EQ(toFile.ExitCode, 0) << qPrintable(toFile.Err);
    EXPECT_TRUE(toFile.Out.isEmpty());
    const TRun toStdout = RunCli({"export-xml", collection});
    ASSERT_EQ(toStdout.ExitCode, 0) << qPrintable(toStdout.Err);
    EXPECT_EQ(toStdout.Out, ReadFile(Path("books.xml")));

    const TXmlDocument document = ParseXmlSafely(toStdout.Out);
    ASSERT_TRUE(document);
    xmlDoc* doc = document.get();
    EXPECT_EQ(XPath(doc, "count(/bookinfo/bookmetadata/field) > 0"), "true");
    EXPECT_EQ(XPath(doc, "count(/bookinfo/booklist/book)"), "2");
    EXPECT_EQ(XPath(doc, "count(/bookinfo/booklist/book[1]/sections/section)"), "2");
    EXPECT_EQ(XPath(doc, "/bookinfo/booklist/book[1]/sections/section[2]/title"), "William Wilson");
    EXPECT_EQ(XPath(doc, "/bookinfo/booklist/book[2]/mainsection/title"),
              QStringLiteral("The Raven — Ворон"));
    EXPECT_EQ(XPath(doc, "/bookinfo/booklist/book[2]/loan/loanedto"), "Dana Reyes");
}

TEST_F(CliTest, UnusableFilesFailWithCode1AndTheUsage)
{
    WriteFile(Path("notes.txt"), "Books to buy: The Raven\n");
    WriteFile(Path("empty.tmk"), "");
    ASSERT_TRUE(QDir(Dir.path()).mkdir("folder.tmk"));
    auto generic = TRootItem::New<TRootItem>();
    ASSERT_TRUE(generic->SaveToFile(Path("objects.col")));
    const QString collection = SmallCollection();

    const struct {
        QStringList Arguments;
        const char* Message;
    } cases[] = {
        {{"info", Path("missing.tmk")}, "missing.tmk: no such file"},
        {{"export-xml", Path("missing.tmk")}, "missing.tmk: no such file"},
        {{"info", Path("notes.txt")}, "notes.txt: not a collection file"},
        {{"info", Path("empty.tmk")}, "empty.tmk: not a collection file"},
        {{"info", Path("folder.tmk")}, "folder.tmk: cannot be read"},
        {{"info", Path("objects.col")}, "This is not a Book database"},
        {{"export-xml", collection, Path("no-such-folder/books.xml")}, "books.xml: cannot be written"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.Arguments.join(' ')));
        const TRun run = RunCli(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_TRUE(run.Out.isEmpty());
        EXPECT_TRUE(run.Err.contains(QLatin1String(c.Message))) << qPrintable(run.Err);
        EXPECT_TRUE(run.Err.contains(QLatin1String("Usage: tomekeep-cli"))) << qPrintable(run.Err);
    }
}

TEST_F(CliTest, ADamagedCollectionShowsWhatWasRecoveredAndEndsWithCode2)
{
    QByteArray bytes = ReadFile(SmallCollection());
    bytes.chop(12);  // cuts into the loan records at the end
    WriteFile(Path("damaged.tmk"), bytes);

    const TRun info = RunCli({"info", Path("damaged.tmk")});
    EXPECT_EQ(info.ExitCode, 2);
    EXPECT_TRUE(info.Err.contains(QLatin1String("Error reading from file"))) << qPrintable(info.Err);
    EXPECT_FALSE(info.Err.contains(QLatin1String("Usage:")));
    EXPECT_EQ(InfoNumber(info.Out, "Books"), 2) << info.Out.constData();

    const TRun xml = RunCli({"export-xml", Path("damaged.tmk")});
    EXPECT_EQ(xml.ExitCode, 2);
    const TXmlDocument document = ParseXmlSafely(xml.Out);
    ASSERT_TRUE(document);
    EXPECT_EQ(XPath(document.get(), "count(/bookinfo/booklist/book)"), "2");
}

TEST_F(CliTest, WrongArgumentsFailWithCode64AndTheUsage)
{
    const QList<QStringList> cases{{},
                                   {"frobnicate"},
                                   {"--verbose"},
                                   {"info"},
                                   {"info", "a.tmk", "b.tmk"},
                                   {"export-xml"},
                                   {"export-xml", "a.tmk", "out.xml", "more"},
                                   {"build-demo", "demo-books.json"}};
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(qPrintable(arguments.join(' ')));
        const TRun run = RunCli(arguments);
        EXPECT_EQ(run.ExitCode, 64);
        EXPECT_TRUE(run.Out.isEmpty());
        EXPECT_TRUE(run.Err.contains(QLatin1String("Usage: tomekeep-cli"))) << qPrintable(run.Err);
    }
}

TEST_F(CliTest, HelpNamesTheUserCommandsAndExitCodesButNotTheBuildStep)
{
    const TRun run = RunCli({"--help"});
    EXPECT_EQ(run.ExitCode, 0);
    const QString help = QString::fromUtf8(run.Out);
    for (const char* text : {"info FILE", "export-xml FILE [OUT]", "64"})
        EXPECT_TRUE(help.contains(QLatin1String(text))) << text;
    EXPECT_FALSE(help.contains(QLatin1String("build-demo")));
}

// ---------------------------------------------------------------------------------------------------
// The demo collection

// A source of the demo format with the given keys.
QByteArray DemoSource(const QByteArray& rest)
{
    return QByteArray(R"({"format": "tomekeep-demo", "version": 1)") + (rest.isEmpty() ? "" : ", ") + rest
           + "}";
}

TEST_F(CliTest, TheDemoSourceBuildsReproduciblyIntoACollectionWithBooksSectionsAndLoans)
{
    const QString source = QStringLiteral(TOMEKEEP_RESOURCES_DIR "/demo/demo-books.json");
    const TRun build = RunCli({"build-demo", source, Path("demo.tmk")});
    ASSERT_EQ(build.ExitCode, 0) << qPrintable(build.Err);
    EXPECT_TRUE(build.Err.isEmpty()) << qPrintable(build.Err);

    const TRun info = RunCli({"info", Path("demo.tmk")});
    ASSERT_EQ(info.ExitCode, 0) << qPrintable(info.Err);
    const int books = InfoNumber(info.Out, "Books");
    EXPECT_GE(books, 50);
    EXPECT_GT(InfoNumber(info.Out, "Sections"), 0);
    EXPECT_EQ(InfoNumber(info.Out, "Loans"), 2);

    const TRun xml = RunCli({"export-xml", Path("demo.tmk")});
    ASSERT_EQ(xml.ExitCode, 0) << qPrintable(xml.Err);
    const TXmlDocument document = ParseXmlSafely(xml.Out);
    ASSERT_TRUE(document);
    EXPECT_EQ(XPath(document.get(), "count(/bookinfo/booklist/book)"), QString::number(books));

    // The build reruns it whenever the program changes; the same source must give the same file.
    ASSERT_EQ(RunCli({"build-demo", source, Path("again.tmk")}).ExitCode, 0);
    EXPECT_EQ(ReadFile(Path("again.tmk")), ReadFile(Path("demo.tmk")));
}

TEST_F(CliTest, BuildDemoStoresEveryKindOfValueOfTheSource)
{
    WriteFile(Path("source.json"), DemoSource(R"(
        "series": [{"name": "Sherlock Holmes", "issues": 9, "frequency": "Irregular", "complete": true}],
        "books": [
          {"title": "The Adventures of Sherlock Holmes", "titleSort": "Adventures of Sherlock Holmes",
           "titleThe": "The", "credits": [{"role": "Author", "name": "Doyle, Arthur Conan"}],
           "series": "Sherlock Holmes", "issue": 3, "publisher": "Geddes & Grosset", "published": "2004-01",
           "isbn": "1842055062", "isbn13": "9781842055069", "pages": 189, "language": "English",
           "format": "Paperback", "genres": ["Detective Fiction", "Fiction"], "rating": 9, "notes": "Worn",
           "location": "Study", "condition": "Good",
           "sections": [
             {"title": "A Scandal in Bohemia", "credits": [{"role": "Author", "name": "Doyle, Arthur Conan"}],
              "series": "Sherlock Holmes", "originalPublished": "1891-07"},
             {"title": "The Red-Headed League", "credits": [{"role": "Author", "name": "Doyle, Arthur Conan"}]}]},
          {"title": "Don Quixote", "subtitle": "Part One",
           "credits": [{"role": "Author", "name": "Cervantes Saavedra, Miguel de"},
                       {"role": "Translator", "name": "Grossman, Edith"}],
           "isbn": "0060934344", "published": "2005-04-26", "originalTitle": "Дон Кихот",
           "originalLanguage": "Spanish", "originalPublished": "1605"}],
        "loans": [
          {"isbn": "1842055062", "to": "Lindqvist, Jonas", "lent": "2026-06-01", "days": 21,
           "returned": "2026-06-24"},
          {"isbn": "0060934344", "to": "Okafor, Adaeze", "lent": "2026-11-20", "days": 28, "notes": "Book club"}]
    )"));
    ASSERT_EQ(RunCli({"build-demo", Path("source.json"), Path("demo.tmk")}).ExitCode, 0);
    auto root = TRootItem::New<TBookRoot>();
    ASSERT_TRUE(root->LoadFromFile(Path("demo.tmk")));
    ASSERT_EQ(root->Books().Count(), 2);
    TBook* holmes = root->Books().Book(0);
    TBook* quixote = root->Books().Book(1);
    EXPECT_EQ(holmes->Index, 1);
    EXPECT_EQ(quixote->Index, 2);

    const TBookSection& main = holmes->Main();
    EXPECT_EQ(main.Title, "The Adventures of Sherlock Holmes");
    EXPECT_EQ(main.TitleSort, "Adventures of Sherlock Holmes");
    EXPECT_EQ(main.TitleThe, "The");
    EXPECT_EQ(main.Rating, 9);
    EXPECT_EQ(main.PageCount, 189);
    EXPECT_EQ(main.Notes, "Worn");
    EXPECT_TRUE(holmes->InCollection);
    EXPECT_EQ(holmes->IssueNr, 3);
    EXPECT_EQ(holmes->ISBN, "1842055062");
    EXPECT_EQ(holmes->PublicationDate.GetText(), "January 2004");
    for (const auto& [entry, name] : {std::pair{holmes->Publisher, "Geddes & Grosset"},
                                      {holmes->Language, "English"},
                                      {holmes->Format, "Paperback"},
                                      {holmes->Location, "Study"},
                                      {holmes->Condition, "Good"},
                                      {main.Series, "Sherlock Holmes"}})
        EXPECT_TRUE(entry && entry->DisplayName == name) << name;
    // Built-in entries are used, not doubled.
    EXPECT_EQ(root->List("Format")->Count(), 4);
    EXPECT_EQ(root->List("Genre")->FindByName("Fiction"), holmes->Genres.Entry(1));
    EXPECT_EQ(holmes->Genres.Count(), 2);

    auto* series = dynamic_cast<TSeriesLookupItem*>(main.Series);
    ASSERT_TRUE(series);
    EXPECT_EQ(series->NumberOfIssues, 9);
    EXPECT_TRUE(series->Complete);
    EXPECT_EQ(series->Frequency, root->List("Frequency")->FindByName("Irregular"));

    // The stories share the book's author entry.
    ASSERT_EQ(holmes->Sections->Count(), 2);
    const auto* scandal = static_cast<TBookSection*>(holmes->Sections->Section(0));
    EXPECT_EQ(scandal->Title, "A Scandal in Bohemia");
    EXPECT_EQ(scandal->Credits.FirstPerson(bfAuthor), main.Credits.FirstPerson(bfAuthor));
    EXPECT_EQ(scandal->Series, main.Series);
    EXPECT_EQ(scandal->OriginalPublicationDate.GetText(), "July 1891");
    EXPECT_EQ(holmes->Sections->Section(1)->Title, "The Red-Headed League");

    // Persons split at the comma, particles and all.
    auto* cervantes = dynamic_cast<TPersonLookupItem*>(quixote->Main().Credits.FirstPerson(bfAuthor));
    ASSERT_TRUE(cervantes);
    EXPECT_EQ(cervantes->Name, "Cervantes Saavedra");
    EXPECT_EQ(cervantes->FirstName, "Miguel de");
    EXPECT_EQ(cervantes->DisplayName, "Miguel de Cervantes Saavedra");
    TLookupItem* grossman = quixote->Main().Credits.FirstPerson(bfTranslator);
    ASSERT_TRUE(grossman);
    EXPECT_EQ(grossman->DisplayName, "Edith Grossman");
    EXPECT_EQ(root->List("Author")->Count(), 2);
    EXPECT_EQ(quixote->Main().SubTitle, "Part One");
    EXPECT_EQ(quixote->Main().OriginalTitle, QStringLiteral("Дон Кихот"));
    ASSERT_TRUE(quixote->Main().OriginalLanguage);
    EXPECT_EQ(quixote->Main().OriginalLanguage->DisplayName, "Spanish");
    EXPECT_EQ(quixote->Main().OriginalPublicationDate.GetText(), "1605");
    EXPECT_TRUE(quixote->PublicationDate.IsComplete());
    EXPECT_EQ(quixote->IssueNr, NoIssueNr);

    // One loan came back, the other is still out.
    ASSERT_EQ(root->Loans->Count(), 2);
    const TLoanInfo* returned = root->Loans->Loan(0);
    const TLoanInfo* open = root->Loans->Loan(1);
    EXPECT_EQ(returned->Item, holmes);
    EXPECT_EQ(returned->ReturnDate, DateToDayNumber(QDate(2026, 6, 24)));
    EXPECT_EQ(holmes->CurrentLoan, nullptr);
    EXPECT_EQ(open->Item, quixote);
    EXPECT_EQ(quixote->CurrentLoan, open);
    EXPECT_EQ(open->LoanDate, DateToDayNumber(QDate(2026, 11, 20)));
    EXPECT_EQ(open->LoanPeriod, 28);
    EXPECT_EQ(open->ReturnDate, 0);
    EXPECT_EQ(open->Notes, "Book club");
    ASSERT_TRUE(open->LoanedTo);
    EXPECT_EQ(open->LoanedTo->DisplayName, "Adaeze Okafor");
}

TEST_F(CliTest, BuildDemoRefusesABrokenSourceAndNamesThePlace)
{
    const QByteArray book = R"("books": [{"title": "Emma", "isbn": "0141439580"}])";
    const struct {
        QByteArray Source;
        const char* Message;
    } cases[] = {
        {"{\"format\": \"tomekeep-demo\",", "not valid JSON"},
        {R"({"format": "tomekeep-demo", "version": 2})", "not a demo source"},
        {"[]", "not a demo source"},
        {DemoSource(R"("shelves": [])"), R"(unknown key "shelves")"},
        {DemoSource(R"("books": [{"credits": []}])"), R"(books[0]: "title" is missing)"},
        {DemoSource(R"("books": [{"title": "Emma", "ratng": 3}])"), R"(books[0]: unknown key "ratng")"},
        {DemoSource(R"("books": [{"title": "Emma", "rating": 11}])"),
         "books[0]: \"rating\" must be a whole number"},
        {DemoSource(R"("books": [{"title": "Emma", "pages": "474"}])"),
         "books[0]: \"pages\" must be a whole number"},
        {DemoSource(R"("books": [{"title": "Emma", "genres": ["Fiction", ""]}])"),
         "books[0]: \"genres\" must hold"},
        {DemoSource(
             R"("books": [{"title": "Emma", "credits": [{"role": "Baker", "name": "Austen, Jane"}]}])"),
         R"(books[0].credits[0]: "Baker" is not a credit role)"},
        {DemoSource(R"("books": [{"title": "Emma", "credits": [{"role": "Author"}]}])"),
         R"(books[0].credits[0]: "name" is missing)"},
        {DemoSource(R"("books": [{"title": "Emma", "sections": [{"title": "I", "isbn": "1"}]}])"),
         R"(books[0].sections[0]: unknown key "isbn")"},
        {DemoSource(R"("books": [{"title": "Emma", "published": "2003-02-30"}])"),
         R"("2003-02-30" is not a date)"},
        {DemoSource(R"("books": [{"title": "Emma", "published": "2003-00"}])"), R"("2003-00" is not a date)"},
        {DemoSource(R"("books": [{"title": "Emma", "published": "May 2003"}])"),
         R"("May 2003" is not a date)"},
        {DemoSource(R"("books": [{"title": "Emma", "isbn": "1"}, {"title": "Persuasion", "isbn": "1"}])"),
         "books[1]: another book has the ISBN 1"},
        {DemoSource(R"("series": [{"issues": 3}])"), R"(series[0]: "name" is missing)"},
        {DemoSource(R"("series": [{"name": "Oz", "complete": "yes"}])"),
         R"("complete" must be true or false)"},
        {DemoSource(R"("loans": [{"isbn": "0141439580", "to": "Okafor, Adaeze", "lent": "2026-01-01"}])"),
         "loans[0]: no book has the ISBN 0141439580"},
        {DemoSource(book + R"(, "loans": [{"isbn": "0141439580", "lent": "2026-01-01"}])"),
         R"(loans[0]: "to" is missing)"},
        {DemoSource(book + R"(, "loans": [{"isbn": "0141439580", "to": "A", "lent": "1/1/2026"}])"),
         R"(loans[0]: "1/1/2026" is not a date)"},
        {DemoSource(book + R"(, "loans": [{"isbn": "0141439580", "to": "A", "lent": "2026-02-01",
                                            "returned": "2026-01-01"}])"),
         "loans[0]: the book comes back before it was lent"},
        {DemoSource(book + R"(, "loans": [{"isbn": "0141439580", "to": "A", "lent": "2026-01-01"},
                                           {"isbn": "0141439580", "to": "B", "lent": "2026-02-01"}])"),
         "loans[1]: the book is already out on another loan"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Source.constData());
        WriteFile(Path("source.json"), c.Source);
        const TRun run = RunCli({"build-demo", Path("source.json"), Path("demo.tmk")});
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_TRUE(run.Err.contains(QLatin1String(c.Message))) << qPrintable(run.Err);
        EXPECT_FALSE(QFile::exists(Path("demo.tmk")));
    }
}

TEST_F(CliTest, BuildDemoFailsWhenTheSourceIsMissingOrTheOutputCannotBeWritten)
{
    WriteFile(Path("source.json"), DemoSource(""));
    const struct {
        QStringList Arguments;
        const char* Message;
    } cases[] = {
        {{"build-demo", Path("missing.json"), Path("demo.tmk")}, "missing.json"},
        {{"build-demo", Path("source.json"), Path("no-such-folder/demo.tmk")}, "Error writing to file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.Arguments.join(' ')));
        const TRun run = RunCli(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_TRUE(run.Err.contains(QLatin1String(c.Message))) << qPrintable(run.Err);
    }
}

}  // namespace
