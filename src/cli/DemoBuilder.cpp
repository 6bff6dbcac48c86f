#include "cli/DemoBuilder.h"

#include "book/cBookData.h"

#include <QDate>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>

namespace {

const QString FormatName = QStringLiteral("tomekeep-demo");
constexpr int FormatVersion = 1;

// Keys every section takes, the main section included.
const QStringList SectionKeys{"title",   "titleSort",     "titleThe",         "subtitle",
                              "credits", "series",        "rating",           "notes",
                              "pages",   "originalTitle", "originalLanguage", "originalPublished"};
// Keys of the book itself. "isbn13" stays in the source for reference only: the ISBN field holds the
// ten-digit form, which is what the barcode scanner and the online queries look books up by.
const QStringList BookKeys{"issue",  "publisher", "published", "isbn",      "isbn13",  "language",
                           "format", "genres",    "location",  "condition", "sections"};

[[noreturn]] void Fail(const QString& where, const QString& problem)
{
    throw EDemoSource(where.isEmpty() ? problem : QStringLiteral("%1: %2").arg(where, problem));
}

// The source is ours: a misspelt key would silently drop data, so it is an error.
void CheckKeys(const QJsonObject& object, const QStringList& known, const QString& where)
{
    for (const QString& key : object.keys())
        if (!known.contains(key))
            Fail(where, QStringLiteral("unknown key \"%1\"").arg(key));
}

QString Text(const QJsonObject& object, const QString& key, const QString& where)
{
    const QJsonValue value = object.value(key);
    if (!value.isUndefined() && !value.isString())
        Fail(where, QStringLiteral("\"%1\" must be a text").arg(key));
    return value.toString();
}

QString RequiredText(const QJsonObject& object, const QString& key, const QString& where)
{
    const QString text = Text(object, key, where);
    if (text.trimmed().isEmpty())
        Fail(where, QStringLiteral("\"%1\" is missing").arg(key));
    return text;
}

int Number(const QJsonObject& object, const QString& key, const QString& where, int min, int max, int absent)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return absent;
    const double number = value.toDouble();
    if (!value.isDouble() || number != std::trunc(number) || number < min || number > max)
        Fail(where, QStringLiteral("\"%1\" must be a whole number from %2 to %3").arg(key).arg(min).arg(max));
    return int(number);
}

bool Flag(const QJsonObject& object, const QString& key, const QString& where)
{
    const QJsonValue value = object.value(key);
    if (!value.isUndefined() && !value.isBool())
        Fail(where, QStringLiteral("\"%1\" must be true or false").arg(key));
    return value.toBool();
}

QJsonArray Array(const QJsonObject& object, const QString& key, const QString& where)
{
    const QJsonValue value = object.value(key);
    if (!value.isUndefined() && !value.isArray())
        Fail(where, QStringLiteral("\"%1\" must be a list").arg(key));
    return value.toArray();
}

QStringList TextList(const QJsonObject& object, const QString& key, const QString& where)
{
    QStringList texts;
    for (const QJsonValue& value : Array(object, key, where)) {
        if (!value.isString() || value.toString().trimmed().isEmpty())
            Fail(where, QStringLiteral("\"%1\" must hold texts that are not empty").arg(key));
        texts << value.toString();
    }
    return texts;
}

// Calls `add` with each object of the list and its place ("books[3]").
template <class TAdd>
void ForEachObject(const QJsonArray& array, const QString& where, TAdd&& add)
{
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString place = QStringLiteral("%1[%2]").arg(where).arg(i);
        if (!array.at(i).isObject())
            Fail(place, QStringLiteral("must be an object"));
        add(array.at(i).toObject(), place);
    }
}

// "YYYY", "YYYY-MM" or "YYYY-MM-DD"; empty leaves the date empty.
void SetPartialDate(TPartialDate& date, const QString& text, const QString& where)
{
    if (text.isEmpty())
        return;
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})(?:-(\\d{2})(?:-(\\d{2}))?)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    const int year = match.captured(1).toInt();
    const int month = match.captured(2).toInt();
    const int day = match.captured(3).toInt();
    if (!match.hasMatch()
        || (match.hasCaptured(2) && !QDate(year, month, match.hasCaptured(3) ? day : 1).isValid()))
        Fail(where, QStringLiteral("\"%1\" is not a date of the form YYYY, YYYY-MM or YYYY-MM-DD").arg(text));
    date.Year = date.YearList->FindOrAdd(QString::number(year));
    date.Month = month;
    date.Day = day;
}

// A whole day "YYYY-MM-DD" as a day number; 0 when absent and not required.
double Day(const QJsonObject& object, const QString& key, const QString& where, bool required)
{
    const QString text = required ? RequiredText(object, key, where) : Text(object, key, where);
    if (text.isEmpty())
        return 0;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        Fail(where, QStringLiteral("\"%1\" is not a date of the form YYYY-MM-DD").arg(text));
    return DateToDayNumber(date);
}

class TDemoBuilder {
public:
    explicit TDemoBuilder(TBookRoot& root) : FRoot(root) {}

    void AddSeries(const QJsonObject& object, const QString& where);
    void AddBook(const QJsonObject& object, const QString& where);
    void AddLoan(const QJsonObject& object, const QString& where);

private:
    // The entry of the field's pick list with that name, made when missing; none for an empty name.
    TLookupItem* Entry(int fieldID, const QString& name) const;
    TLookupItem* Person(int fieldID, const QString& name) const;
    void FillSection(TBookSection& section, const QJsonObject& object, const QString& where) const;
    void AddCredits(TCreditList& credits, const QJsonArray& array, const QString& where) const;

    TBookRoot& FRoot;
};

TLookupItem* TDemoBuilder::Entry(int fieldID, const QString& name) const
{
    return FRoot.LookupListForFieldID(fieldID)->FindOrAdd(name);
}

// Persons are written "Last, First" so that names with particles ("Cervantes Saavedra, Miguel de") split
// where the source says; a name without a comma is taken whole.
TLookupItem* TDemoBuilder::Person(int fieldID, const QString& name) const
{
    TLookupList* list = FRoot.LookupListForFieldID(fieldID);
    if (TLookupItem* found = list->FindByName(name))
        return found;
    TLookupItem* person = list->AddNew(name);
    person->SetNames(name, QString());
    list->ItemChanged(person);
    return person;
}

void TDemoBuilder::AddSeries(const QJsonObject& object, const QString& where)
{
    CheckKeys(object, {"name", "issues", "frequency", "complete"}, where);
    auto* series = dynamic_cast<TSeriesLookupItem*>(Entry(bfSeries, RequiredText(object, "name", where)));
    if (!series)
        Fail(where, QStringLiteral("the Series list does not hold series entries"));
    series->NumberOfIssues = Number(object, "issues", where, 1, 100000, 0);
    series->Frequency = Entry(bfFrequency, Text(object, "frequency", where));
    series->Complete = Flag(object, "complete", where);
}

void TDemoBuilder::AddCredits(TCreditList& credits, const QJsonArray& array, const QString& where) const
{
    ForEachObject(array, where, [&](const QJsonObject& object, const QString& place) {
        CheckKeys(object, {"role", "name"}, place);
        const QString role = RequiredText(object, "role", place);
        const auto* field = dynamic_cast<const TCreditDataField*>(FRoot.MetaInfo->Fields.FindByName(role));
        if (!field)
            Fail(place, QStringLiteral("\"%1\" is not a credit role").arg(role));
        credits.AddCredit(field->ID, Person(field->ID, RequiredText(object, "name", place)));
    });
}

void TDemoBuilder::FillSection(TBookSection& section, const QJsonObject& object, const QString& where) const
{
    section.Title = RequiredText(object, "title", where);
    section.TitleSort = Text(object, "titleSort", where);
    section.TitleThe = Text(object, "titleThe", where);
    section.SubTitle = Text(object, "subtitle", where);
    section.Notes = Text(object, "notes", where);
    section.Rating = Number(object, "rating", where, 1, 10, 0);
    section.PageCount = Number(object, "pages", where, 1, 100000, 0);
    section.Series = Entry(bfSeries, Text(object, "series", where));
    AddCredits(section.Credits, Array(object, "credits", where), where + QStringLiteral(".credits"));
    section.OriginalTitle = Text(object, "originalTitle", where);
    section.OriginalLanguage = Entry(bfOriginalLanguage, Text(object, "originalLanguage", where));
    SetPartialDate(section.OriginalPublicationDate, Text(object, "originalPublished", where), where);
}

void TDemoBuilder::AddBook(const QJsonObject& object, const QString& where)
{
    CheckKeys(object, SectionKeys + BookKeys, where);
    // Loans name their book by its ISBN.
    const QString isbn = Text(object, "isbn", where);
    if (!isbn.isEmpty() && FRoot.FindByIsbn(isbn))
        Fail(where, QStringLiteral("another book has the ISBN %1").arg(isbn));
    auto* book = static_cast<TBook*>(FRoot.Books().NewItem());
    book->InCollection = true;
    book->ISBN = isbn;
    FillSection(book->Main(), object, where);
    book->IssueNr = Number(object, "issue", where, 1, 1000000, NoIssueNr);
    book->Publisher = Entry(bfPublisher, Text(object, "publisher", where));
    SetPartialDate(book->PublicationDate, Text(object, "published", where), where);
    book->Language = Entry(bfLanguage, Text(object, "language", where));
    book->Format = Entry(bfFormat, Text(object, "format", where));
    book->Location = Entry(bfLocation, Text(object, "location", where));
    book->Condition = Entry(bfCondition, Text(object, "condition", where));
    for (const QString& genre : TextList(object, "genres", where))
        book->Genres.Add(Entry(bfGenre, genre));
    ForEachObject(Array(object, "sections", where), where + QStringLiteral(".sections"),
                  [&](const QJsonObject& sectionObject, const QString& place) {
                      CheckKeys(sectionObject, SectionKeys, place);
                      FillSection(*static_cast<TBookSection*>(book->Sections->NewItem()), sectionObject,
                                  place);
                  });
}

void TDemoBuilder::AddLoan(const QJsonObject& object, const QString& where)
{
    CheckKeys(object, {"isbn", "to", "lent", "days", "returned", "notes"}, where);
    const QString isbn = RequiredText(object, "isbn", where);
    TBook* book = FRoot.FindByIsbn(isbn);
    if (!book)
        Fail(where, QStringLiteral("no book has the ISBN %1").arg(isbn));
    auto* loan = static_cast<TLoanInfo*>(FRoot.Loans->NewItem());
    loan->SetItem(book);
    loan->LoanedTo = Person(fiLoanedTo, RequiredText(object, "to", where));
    loan->LoanDate = Day(object, "lent", where, true);
    loan->LoanPeriod = Number(object, "days", where, 1, 3650, 0);
    loan->ReturnDate = Day(object, "returned", where, false);
    loan->Notes = Text(object, "notes", where);
    if (loan->ReturnDate != 0 && loan->ReturnDate < loan->LoanDate)
        Fail(where, QStringLiteral("the book comes back before it was lent"));
    if (loan->ReturnDate == 0) {
        if (book->CurrentLoan)
            Fail(where, QStringLiteral("the book is already out on another loan"));
        book->CurrentLoan = loan;
    }
}

}  // namespace

std::unique_ptr<TBookRoot> BuildDemoCollection(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        Fail({},
             QStringLiteral("not valid JSON at offset %1: %2").arg(error.offset).arg(error.errorString()));
    const QJsonObject top = document.object();
    if (top.value(QLatin1String("format")) != QJsonValue(FormatName)
        || top.value(QLatin1String("version")) != QJsonValue(FormatVersion))
        Fail({}, QStringLiteral("not a demo source (\"format\": \"%1\", \"version\": %2)")
                     .arg(FormatName)
                     .arg(FormatVersion));
    CheckKeys(top, {"format", "version", "series", "books", "loans"}, {});

    auto root = TRootItem::New<TBookRoot>();
    TDemoBuilder builder(*root);
    ForEachObject(Array(top, "series", {}), QStringLiteral("series"),
                  [&](const QJsonObject& object, const QString& place) { builder.AddSeries(object, place); });
    ForEachObject(Array(top, "books", {}), QStringLiteral("books"),
                  [&](const QJsonObject& object, const QString& place) { builder.AddBook(object, place); });
    ForEachObject(Array(top, "loans", {}), QStringLiteral("loans"),
                  [&](const QJsonObject& object, const QString& place) { builder.AddLoan(object, place); });
    root->Renumber();
    return root;
}
