#include "SyntheticCollection.h"

#include "book/cBookData.h"

#include <QDate>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <functional>
#include <random>
#include <span>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------------
// Word lists

using TWords = std::span<const char* const>;

constexpr const char* FirstNames[] = {
    "James",    "Mary",      "John",    "Patricia",  "Robert",      "Jennifer",  "Michael",   "Linda",
    "William",  "Elizabeth", "David",   "Barbara",   "Richard",     "Susan",     "Joseph",    "Jessica",
    "Thomas",   "Sarah",     "Charles", "Karen",     "Christopher", "Nancy",     "Daniel",    "Lisa",
    "Matthew",  "Margaret",  "Anthony", "Betty",     "Mark",        "Sandra",    "Donald",    "Ashley",
    "Steven",   "Dorothy",   "Paul",    "Kimberly",  "Andrew",      "Emily",     "Joshua",    "Donna",
    "Kenneth",  "Michelle",  "Kevin",   "Carol",     "Brian",       "Amanda",    "George",    "Melissa",
    "Edward",   "Deborah",   "Ronald",  "Stephanie", "Timothy",     "Rebecca",   "Jason",     "Laura",
    "Jeffrey",  "Helen",     "Ryan",    "Sharon",    "Jacob",       "Cynthia",   "Gary",      "Kathleen",
    "Nicholas", "Amy",       "Eric",    "Shirley",   "Stephen",     "Angela",    "Jonathan",  "Anna",
    "Larry",    "Ruth",      "Justin",  "Brenda",    "Scott",       "Pamela",    "Frank",     "Nicole",
    "Brandon",  "Katherine", "Raymond", "Virginia",  "Gregory",     "Catherine", "Samuel",    "Christine",
    "Benjamin", "Samantha",  "Patrick", "Debra",     "Jack",        "Janet",     "Alexander", "Rachel",
    "Dennis",   "Carolyn",   "Henrik",  "Ingrid",    "Pierre",      "Colette",   "Hans",      "Greta",
    "Luca",     "Giulia",    "Pablo",   "Lucía",     "Kenji",       "Yuki",      "Madison",   "Allison",
    "Søren",    "Zoë",
};

constexpr const char* LastNames[] = {
    "Smith",     "Johnson",   "Williams",  "Brown",      "Jones",    "Garcia",     "Miller",    "Davis",
    "Rodriguez", "Martinez",  "Hernandez", "Lopez",      "Gonzalez", "Wilson",     "Anderson",  "Thomas",
    "Taylor",    "Moore",     "Jackson",   "Martin",     "Lee",      "Perez",      "Thompson",  "White",
    "Harris",    "Sanchez",   "Clark",     "Ramirez",    "Lewis",    "Robinson",   "Walker",    "Young",
    "Allen",     "Wright",    "Scott",     "Torres",     "Nguyen",   "Hill",       "Flores",    "Adams",
    "Nelson",    "Baker",     "Hall",      "Rivera",     "Campbell", "Mitchell",   "Carter",    "Roberts",
    "Gomez",     "Phillips",  "Evans",     "Turner",     "Diaz",     "Parker",     "Cruz",      "Edwards",
    "Collins",   "Reyes",     "Stewart",   "Morris",     "Morales",  "Murphy",     "Cook",      "Rogers",
    "Gutierrez", "Ortiz",     "Morgan",    "Cooper",     "Peterson", "Bailey",     "Reed",      "Kelly",
    "Howard",    "Ramos",     "Kim",       "Cox",        "Ward",     "Richardson", "Watson",    "Brooks",
    "Chavez",    "Wood",      "James",     "Bennett",    "Gray",     "Mendoza",    "Ruiz",      "Hughes",
    "Price",     "Alvarez",   "Castillo",  "Sanders",    "Patel",    "Myers",      "Long",      "Ross",
    "Foster",    "Jimenez",   "Powell",    "Jenkins",    "Perry",    "Russell",    "Sullivan",  "Bell",
    "Coleman",   "Butler",    "Henderson", "Barnes",     "Fisher",   "Vasquez",    "Simmons",   "Romero",
    "Jordan",    "Hamilton",  "Graham",    "Reynolds",   "Griffin",  "Wallace",    "Moreno",    "West",
    "Cole",      "Hayes",     "Bryant",    "Herrera",    "Gibson",   "Ellis",      "Tran",      "Medina",
    "Aguilar",   "Stevens",   "Murray",    "Ford",       "Castro",   "Marshall",   "Owens",     "Harrison",
    "Fernandez", "McDonald",  "Woods",     "Washington", "Kennedy",  "Wells",      "Vargas",    "Henry",
    "Chen",      "Freeman",   "Webb",      "Tucker",     "Burns",    "Crawford",   "Olson",     "Simpson",
    "Porter",    "Hunter",    "Gordon",    "Silva",      "Shaw",     "Snyder",     "Mason",     "Dixon",
    "Hunt",      "Hicks",     "Holmes",    "Palmer",     "Wagner",   "Black",      "Robertson", "Boyd",
    "Rose",      "Stone",     "Fox",       "Warren",     "Mills",    "Meyer",      "Rice",      "Schmidt",
    "Daniels",   "Ferguson",  "Nichols",   "Stephens",   "Weaver",   "Gardner",    "Payne",     "Grant",
    "Dunn",      "Spencer",   "Hawkins",   "Arnold",     "Pierce",   "de Vries",   "Jansen",    "Bakker",
    "Dupont",    "Lefèvre",   "Müller",    "Schneider",  "Fischer",  "Rossi",      "Bianchi",   "Tanaka",
    "Sato",      "O'Brien",   "Lindqvist", "Andersson",  "Eriksson", "Larsen",     "Nielsen",   "Kowalski",
    "Novak",     "Håkansson", "Dvořák",
};

constexpr const char* Adjectives[] = {
    "Silent",  "Hidden",   "Broken",    "Golden",   "Last",    "Lost",   "Dark",     "Bright",    "Forgotten",
    "Secret",  "Distant",  "Crimson",   "Silver",   "Burning", "Frozen", "Wild",     "Quiet",     "Endless",
    "Ancient", "Hollow",   "Shattered", "Scarlet",  "Bitter",  "Gentle", "Restless", "Invisible", "Iron",
    "Stolen",  "Sleeping", "Wandering", "Long",     "Little",  "Final",  "Northern", "Southern",  "Empty",
    "Painted", "Glass",    "Paper",     "Midnight", "Summer",  "Winter", "Autumn",   "Morning",   "Evening",
    "Perfect", "Strange",  "Savage",    "Sacred",   "Cold",    "Blue",   "Green",    "Black",     "White",
    "Red",     "Fallen",   "Rising",    "Narrow",   "Deep",    "Open",
};

constexpr const char* Nouns[] = {
    "River",    "House",    "Garden",  "Night",      "Shadow", "Kingdom", "Mirror",  "Storm",  "Heart",
    "Road",     "Sea",      "Island",  "Forest",     "Tower",  "City",    "Door",    "Window", "Letter",
    "Promise",  "Journey",  "Child",   "Daughter",   "Son",    "Wife",    "Queen",   "King",   "Soldier",
    "Stranger", "Witness",  "Keeper",  "Thief",      "Hunter", "Painter", "Doctor",  "Bridge", "Harbor",
    "Mountain", "Valley",   "Field",   "Fire",       "Rain",   "Snow",    "Wind",    "Star",   "Moon",
    "Sun",      "Sky",      "Stone",   "Bone",       "Blood",  "Salt",    "Smoke",   "Song",   "Dance",
    "Game",     "Lie",      "Truth",   "Dream",      "Memory", "Silence", "Voice",   "Name",   "Map",
    "Clock",    "Key",      "Crown",   "Sword",      "Ship",   "Train",   "Station", "Hotel",  "Library",
    "Museum",   "School",   "Orchard", "Lighthouse", "Season", "Year",    "Hour",    "Age",    "World",
    "Empire",   "Republic", "Border",  "Frontier",   "Wall",   "Gate",    "Circle",  "Line",   "Edge",
    "Light",    "Ash",      "Dust",    "Water",      "Land",   "Harvest", "Wolf",    "Raven",  "Orphan",
};

constexpr const char* Places[] = {
    "Paris",       "Venice",    "Prague",      "Lisbon",    "Vienna",       "Cairo",
    "Kyoto",       "Boston",    "Dublin",      "Oslo",      "Tangier",      "Havana",
    "Berlin",      "Istanbul",  "Marrakesh",   "Edinburgh", "Avalon",       "Eldoria",
    "Ravenmoor",   "the North", "the Valley",  "the Lake",  "Hollow Creek", "Blackwater",
    "Summerfield", "Ashford",   "Kingsbridge", "Westmarch", "the Coast",    "Brightwater",
};

constexpr const char* PublisherWords[] = {
    "Harbor",   "Northwind",   "Silver",      "Crescent",   "Oak",       "Beacon",  "Lantern",   "Meridian",
    "Granite",  "Willow",      "Falcon",      "Heron",      "Raven",     "Cedar",   "Maple",     "Juniper",
    "Summit",   "Anchor",      "Compass",     "Quill",      "Inkwell",   "Bramble", "Thistle",   "Hawthorn",
    "Foxglove", "Riverbend",   "Stonebridge", "Blackthorn", "Greenleaf", "Redwood", "Bluebird",  "Starling",
    "Kestrel",  "Osprey",      "Wren",        "Sparrow",    "Lark",      "Atlas",   "Orbit",     "Pinnacle",
    "Keystone", "Cornerstone", "Hearth",      "Tidewater",  "Highland",  "Lowland", "Fairfield", "Westbrook",
    "Eastgate", "Northgate",
};

constexpr const char* PublisherKinds[] = {
    "Press",      "Books",   "Publishing", "House",    "Editions",   "& Sons",           "Media",
    "Publishers", "Library", "Imprints",   "Classics", "Paperbacks", "University Press",
};

constexpr const char* Genres[] = {
    "Thriller",      "Science Fiction",
    "Romantic",      "Comedy",
    "Poetry",        "Biography",
    "Autobiography", "War",
    "Scientific",    "Reference",
    "Comic",         "Literature",
    "Crime",         "Adventure",
    "Fantasy",       "Horror",
    "Fiction",       "Non-Fiction",
    "Religious",     "Health",
    "Hobby",         "Travel",
    "Mystery",       "Historical Fiction",
    "Young Adult",   "Children",
    "Philosophy",    "History",
    "Cooking",       "Art",
    "Music",         "Politics",
    "Economics",     "Psychology",
    "Mathematics",   "Nature",
    "Sports",        "Essays",
    "Short Stories", "Drama",
};

// Most popular first.
constexpr const char* Formats[] = {"Paperback", "Hardcover", "Softcover", "Magazine"};
constexpr const char* Languages[] = {"English", "German",  "French", "Dutch",  "Spanish",
                                     "Italian", "Swedish", "Danish", "Russian"};
constexpr const char* Countries[] = {"USA",         "Great Britain", "Germany", "Canada", "France",
                                     "Netherlands", "Australia",     "Spain",   "Italy",  "Sweden"};
constexpr const char* Conditions[] = {"Very Good", "Good", "Fine",      "Near Mint",
                                      "Fair",      "Mint", "Very Fine", "Poor"};

constexpr const char* Rooms[] = {"Living Room", "Study",      "Bedroom",  "Attic",   "Hallway",
                                 "Office",      "Guest Room", "Basement", "Kitchen", "Library"};

constexpr const char* Verbs[] = {"uncover", "escape",  "defend",   "betray",
                                 "find",    "rebuild", "remember", "cross"};

constexpr const char* LoanNotes[] = {"Lent at the book club", "Wants it back before the holidays",
                                     "Second copy", "Borrowed for a school project"};

// ---------------------------------------------------------------------------------------------------
// Random choices

// Draws from a fixed-seed engine with our own arithmetic, so the collection is the same everywhere.
class TRandom {
public:
    explicit TRandom(quint32 seed) : FEngine(seed) {}

    // 0 <= result < n
    int Below(int n) { return int((quint64(FEngine()) * quint64(n)) >> 32); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
    double Unit() { return double(FEngine()) / 4294967296.0; }
    bool Chance(double probability) { return Unit() < probability; }
    QString Pick(TWords words) { return QString::fromUtf8(words[Below(int(words.size()))]); }

    // The pattern with %1, %2, ... replaced by words picked from the lists in turn (in that order, so
    // the text does not depend on the compiler's order of evaluating arguments).
    QString Compose(const char* pattern, std::initializer_list<TWords> lists, bool lowerCase = false)
    {
        QString text = QString::fromLatin1(pattern);
        for (TWords words : lists)
            text = text.arg(lowerCase ? Pick(words).toLower() : Pick(words));
        return text;
    }

private:
    std::mt19937 FEngine;
};

// Ranks 0 to n-1 drawn with weight 1 / (rank + 3): a few values are everywhere, most are rare.
class TPopularity {
public:
    explicit TPopularity(int n)
    {
        FCumulative.reserve(n);
        double sum = 0;
        for (int rank = 0; rank < n; ++rank)
            FCumulative.push_back(sum += 1.0 / (rank + 3));
    }

    int Draw(TRandom& random) const
    {
        const double target = random.Unit() * FCumulative.back();
        const auto at = std::upper_bound(FCumulative.begin(), FCumulative.end(), target);
        return std::min(int(at - FCumulative.begin()), int(FCumulative.size()) - 1);
    }

private:
    std::vector<double> FCumulative;
};

// The entries of one pick list in popularity order (the order they were made, not the list's order).
class TPool {
public:
    TPool() : FPopularity(0) {}
    explicit TPool(std::vector<TLookupItem*> entries)
        : FEntries(std::move(entries)), FPopularity(int(FEntries.size()))
    {}

    TLookupItem* Draw(TRandom& random) const
    {
        return FEntries.empty() ? nullptr : FEntries[FPopularity.Draw(random)];
    }

private:
    std::vector<TLookupItem*> FEntries;
    TPopularity FPopularity;
};

// `count` different names from `make`; when its names run out, a number makes them different.
QStringList UniqueNames(int count, const std::function<QString()>& make)
{
    QStringList names;
    QSet<QString> seen;
    while (names.size() < count) {
        QString name = make();
        for (int tries = 0; seen.contains(name) && tries < 20; ++tries)
            name = make();
        if (seen.contains(name))
            name += QStringLiteral(" %1").arg(names.size() + 1);
        seen.insert(name);
        names << name;
    }
    return names;
}

// Adds the entries unsorted and sorts the list once: entry by entry would sort it for every name.
TPool MakePool(TLookupList& list, const QStringList& names)
{
    std::vector<TLookupItem*> entries;
    entries.reserve(names.size());
    for (const QString& name : names) {
        auto* entry = static_cast<TLookupItem*>(list.NewItem());
        entry->SetNames(name, {});
        entries.push_back(entry);
    }
    list.SortBySortText();
    return TPool(std::move(entries));
}

// The named entries of a small list, made where missing; the first name is the most popular.
TPool PoolOf(TLookupList& list, TWords names)
{
    std::vector<TLookupItem*> entries;
    for (const char* name : names)
        entries.push_back(list.FindOrAdd(QString::fromUtf8(name)));
    return TPool(std::move(entries));
}

// ---------------------------------------------------------------------------------------------------
// The collection

constexpr int FirstYear = 1900;
constexpr int LastYear = 2024;

class TCollectionBuilder {
public:
    TCollectionBuilder(TBookRoot& root, int books, quint32 seed) : FRoot(root), FBooks(books), FRandom(seed)
    {}

    void Build()
    {
        MakePools();
        FRoot.Books().SetCapacity(FBooks);
        for (int number = 1; number <= FBooks; ++number)
            AddBook(number);
        FRoot.SetNextIndex(FBooks + 1);
        AddLoans();
    }

private:
    TLookupList& List(const char* caption) const { return *FRoot.List(QString::fromLatin1(caption)); }
    static int Scaled(int books, int per, int least) { return std::max(books / per, least); }

    void MakePools()
    {
        auto person = [this] { return PersonName(); };
        FAuthors = MakePool(List("Author"), UniqueNames(Scaled(FBooks, 8, 20), person));
        FEditors = MakePool(List("Editor"), UniqueNames(Scaled(FBooks, 100, 5), person));
        FTranslators = MakePool(List("Translator"), UniqueNames(Scaled(FBooks, 100, 5), person));
        FPublishers = MakePool(List("Publisher"),
                               UniqueNames(Scaled(FBooks, 50, 5), [this] { return PublisherName(); }));
        FSeries =
            MakePool(List("Series"), UniqueNames(Scaled(FBooks, 40, 5), [this] { return SeriesName(); }));
        FLocations = MakePool(List("Location"), UniqueNames(60, [this] { return LocationName(); }));
        FStores = MakePool(List("Store"), UniqueNames(30, [this] { return StoreName(); }));
        FLoanPersons = MakePool(*FRoot.LoanPersons, UniqueNames(40, person));
        FGenres = PoolOf(List("Genre"), Genres);
        FFormats = PoolOf(List("Format"), Formats);
        FLanguages = PoolOf(List("Language"), Languages);
        FCountries = PoolOf(List("Country"), Countries);
        FConditions = PoolOf(List("Condition"), Conditions);
        for (int year = FirstYear; year <= LastYear; ++year)
            FYears.push_back(List("Year").FindOrAdd(QString::number(year)));
    }

    QString PersonName()
    {
        QString first = FRandom.Pick(FirstNames);
        if (FRandom.Chance(0.12))
            first += QStringLiteral(" %1.").arg(QChar(u'A' + FRandom.Below(26)));
        return FRandom.Pick(LastNames) + QStringLiteral(", ") + first;
    }

    QString PublisherName()
    {
        QString name = FRandom.Pick(PublisherWords);
        if (FRandom.Chance(0.5))
            name += QLatin1Char(' ') + FRandom.Pick(PublisherWords);
        return name + QLatin1Char(' ') + FRandom.Pick(PublisherKinds);
    }

    QString SeriesName()
    {
        switch (FRandom.Below(7)) {
        case 0:
            return FRandom.Compose("The %1 Chronicles", {Nouns});
        case 1:
            return FRandom.Compose("The %1 Trilogy", {Nouns});
        case 2:
            return FRandom.Compose("%1 Mysteries", {Places});
        case 3:
            return FRandom.Compose("The %1 %2 Saga", {Adjectives, Nouns});
        case 4:
            return FRandom.Compose("Tales of %1", {Places});
        case 5:
            return FRandom.Compose("%1 Investigations", {LastNames});
        default:
            return FRandom.Compose("%1 %2", {Adjectives, Nouns});
        }
    }

    QString LocationName()
    {
        const QString room = FRandom.Pick(Rooms);
        return FRandom.Chance(0.8) ? QStringLiteral("%1, Shelf %2").arg(room).arg(FRandom.Between(1, 12))
                                   : QStringLiteral("%1, Box %2").arg(room).arg(FRandom.Between(1, 20));
    }

    QString StoreName()
    {
        static constexpr const char* Kinds[] = {"%1 Bookshop", "%1 Books", "Second-hand %1",
                                                "The %1 Bookstore"};
        return QString::fromLatin1(Kinds[FRandom.Below(4)]).arg(FRandom.Pick(PublisherWords));
    }

    QString Title()
    {
        switch (FRandom.Below(10)) {
        case 0:
        case 1:
            return FRandom.Compose("The %1 %2", {Adjectives, Nouns});
        case 2:
            return FRandom.Compose("The %1 of %2", {Nouns, Places});
        case 3:
            return FRandom.Compose("A %1 in %2", {Nouns, Places});
        case 4:
            return FRandom.Compose("%1 of the %2 %3", {Nouns, Adjectives, Nouns});
        case 5:
            return FRandom.Compose("%1 and %2", {Nouns, Nouns});
        case 6:
            return FRandom.Compose("%1's %2", {FirstNames, Nouns});
        case 7:
            return FRandom.Compose("%1 %2", {Places, Nouns});
        default:
            return FRandom.Compose("%1 %2", {Adjectives, Nouns});
        }
    }

    QString Plot()
    {
        return FRandom.Compose("When a %1 %2 comes to town, a young %3 must %4 the %5 of the %6 %7.",
                               {Adjectives, Nouns, Nouns, Verbs, Nouns, Adjectives, Nouns}, true);
    }

    // Titles with a leading article get a sort title without it, as a careful cataloguer enters them.
    void FillTitle(TSection& section)
    {
        section.Title = Title();
        for (const QLatin1String article : {QLatin1String("The "), QLatin1String("A ")})
            if (section.Title.startsWith(article))
                section.TitleSort = section.Title.mid(article.size());
    }

    void AddCredits(TCreditList& credits, int role, const TPool& pool, int count)
    {
        for (int i = 0; i < count; ++i)
            credits.AddCredit(role, pool.Draw(FRandom));
    }

    int AuthorCount()
    {
        const double roll = FRandom.Unit();
        return roll < 0.80 ? 1 : roll < 0.95 ? 2 : 3;
    }

    void FillMainSection(TBook& book, bool anthology)
    {
        TSection& main = *book.MainSection;
        FillTitle(main);
        if (FRandom.Chance(0.15))
            main.SubTitle = FRandom.Compose("a %1 %2", {Adjectives, Nouns}, true);
        AddCredits(main.Credits, bfAuthor, FAuthors, AuthorCount());
        if (FRandom.Chance(anthology ? 0.4 : 0.04))
            AddCredits(main.Credits, bfEditor, FEditors, 1);
        if (FRandom.Chance(0.08))
            AddCredits(main.Credits, bfTranslator, FTranslators, 1);
        if (FRandom.Chance(0.3))
            main.Series = FSeries.Draw(FRandom);
        if (FRandom.Chance(0.9))
            main.PageCount = FRandom.Chance(0.05) ? FRandom.Between(900, 1500) : FRandom.Between(80, 900);
        if (FRandom.Chance(0.6))
            main.Rating = FRandom.Between(1, 10);
        if (FRandom.Chance(0.25))
            main.Plot = Plot();
        if (FRandom.Chance(0.1))
            main.Notes = FRandom.Compose("Signed copy; %1 ink on the inside cover.", {Adjectives}, true);
    }

    void AddSections(TBook& book)
    {
        const int count = FRandom.Between(2, 12);
        int page = FRandom.Between(5, 15);
        for (int i = 0; i < count; ++i) {
            auto* section = static_cast<TSection*>(book.Sections->NewItem());
            FillTitle(*section);
            if (FRandom.Chance(0.35))
                AddCredits(section->Credits, bfAuthor, FAuthors, 1);
            section->StartPage = page;
            section->PageCount = FRandom.Between(4, 60);
            page += section->PageCount;
        }
    }

    void FillGenres(TBook& book)
    {
        const double roll = FRandom.Unit();
        const int count = roll < 0.5 ? 1 : roll < 0.85 ? 2 : 3;
        for (int i = 0; i < count; ++i)
            if (TLookupItem* genre = FGenres.Draw(FRandom); book.Genres.IndexOf(genre) < 0)
                book.Genres.Add(genre);
    }

    // Recent years are far more common than old ones.
    int PublicationYear() { return LastYear - FRandom.Below(FRandom.Below(LastYear - FirstYear + 1) + 1); }

    void FillDate(TPartialDate& date, int year, double monthShare, double dayShare)
    {
        date.Year = FYears[year - FirstYear];
        if (!FRandom.Chance(monthShare))
            return;
        date.Month = FRandom.Between(1, 12);
        if (FRandom.Chance(dayShare))
            date.Day = FRandom.Between(1, QDate(year, date.Month, 1).daysInMonth());
    }

    QString Isbn13()
    {
        QString digits = QStringLiteral("978");
        for (int i = 0; i < 9; ++i)
            digits += QChar(u'0' + FRandom.Below(10));
        int sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += (digits.at(i).unicode() - u'0') * (i % 2 ? 3 : 1);
        return digits + QChar(u'0' + (10 - sum % 10) % 10);
    }

    // A price such as 12.99 or 12.95, as currency.
    TCurrency Price(int lowest, int highest)
    {
        const int whole = FRandom.Between(lowest, highest);
        const int cents = FRandom.Chance(0.7) ? 99 : 95;
        return TCurrency(whole * 100 + cents) * 100;
    }

    void FillPublication(TBook& book)
    {
        book.Publisher = FRandom.Chance(0.92) ? FPublishers.Draw(FRandom) : nullptr;
        book.Format = FRandom.Chance(0.9) ? FFormats.Draw(FRandom) : nullptr;
        const int year = PublicationYear();
        if (FRandom.Chance(0.95))
            FillDate(book.PublicationDate, year, 0.4, 0.5);
        if (year >= 1970 && FRandom.Chance(0.9))
            book.ISBN = Isbn13();
        if (FRandom.Chance(0.7))
            book.CoverPrice = Price(4, 49);
        book.Language = FRandom.Chance(0.8) ? FLanguages.Draw(FRandom) : nullptr;
        book.Country = FRandom.Chance(0.6) ? FCountries.Draw(FRandom) : nullptr;
        if (FRandom.Chance(0.15))
            book.Dewey = QStringLiteral("%1.%2")
                             .arg(FRandom.Between(0, 999), 3, 10, QLatin1Char('0'))
                             .arg(FRandom.Between(1, 999));
        book.FirstEdition = FRandom.Chance(0.05);
    }

    void FillCopy(TBook& book)
    {
        book.InCollection = FRandom.Chance(0.95);
        book.Rare = FRandom.Chance(0.02);
        book.ReadIt = FRandom.Chance(0.4);
        if (FRandom.Chance(0.5))
            FillDate(book.PurchaseDate, FRandom.Between(1995, LastYear), 0.7, 0.6);
        if (FRandom.Chance(0.4))
            book.PurchasePrice = Price(1, 39);
        if (FRandom.Chance(0.1))
            book.CurrentValue = Price(5, 250);
        book.Location = FRandom.Chance(0.5) ? FLocations.Draw(FRandom) : nullptr;
        book.Condition = FRandom.Chance(0.3) ? FConditions.Draw(FRandom) : nullptr;
        book.Store = FRandom.Chance(0.25) ? FStores.Draw(FRandom) : nullptr;
    }

    void AddBook(int number)
    {
        auto* book = static_cast<TBook*>(FRoot.Books().NewItem());
        book->Index = number;
        book->GetID();
        const bool anthology = FRandom.Chance(0.2);
        FillMainSection(*book, anthology);
        if (anthology)
            AddSections(*book);
        FillGenres(*book);
        FillPublication(*book);
        FillCopy(*book);
    }

    // A few hundred loans over different books; most have come back.
    void AddLoans()
    {
        const int count = std::min(300, FBooks / 10);
        QSet<int> lent;
        const double firstDay = DateToDayNumber(QDate(2022, 1, 1));
        for (int i = 0; i < count; ++i) {
            int at = FRandom.Below(FBooks);
            while (lent.contains(at))
                at = (at + 1) % FBooks;
            lent.insert(at);
            AddLoan(FRoot.Books().Book(at), firstDay + FRandom.Below(3 * 365));
        }
    }

    void AddLoan(TBook* book, double day)
    {
        auto* loan = static_cast<TLoanInfo*>(FRoot.Loans->NewItem());
        loan->SetItem(book);
        loan->LoanDate = day;
        loan->LoanPeriod = FRandom.Chance(0.8) ? 21 : 0;
        loan->LoanedTo = FLoanPersons.Draw(FRandom);
        if (FRandom.Chance(0.1))
            loan->Notes = FRandom.Pick(LoanNotes);
        if (FRandom.Chance(0.7))
            loan->ReturnDate = day + FRandom.Between(3, 60);
        else
            book->CurrentLoan = loan;
    }

    TBookRoot& FRoot;
    const int FBooks;
    TRandom FRandom;
    TPool FAuthors, FEditors, FTranslators, FPublishers, FSeries, FLocations, FStores, FLoanPersons;
    TPool FGenres, FFormats, FLanguages, FCountries, FConditions;
    std::vector<TLookupItem*> FYears;  // by year - FirstYear
};

}  // namespace

std::unique_ptr<TBookRoot> MakeSyntheticCollection(int books, quint32 seed)
{
    auto root = TRootItem::New<TBookRoot>();
    TCollectionBuilder(*root, std::max(books, 0), seed).Build();
    return root;
}
