// Whole-collection operations on synthetic book collections of 10,000 and 100,000 books: loading and
// saving the file, sorting, counting pick-list use, filtering, the collection XML and the memory a
// loaded collection takes.

#include "SyntheticCollection.h"

#include "book/cBookData.h"
#include "model/cData_FieldRefs.h"
#include "model/cXmlDocument.h"
#include "platform/Messenger.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <map>

namespace {

constexpr int Small = 10000;
constexpr int Large = 100000;

// The application object the program folder is found by, and a messenger that keeps load errors and
// notices out of the benchmark output.
void PrepareProcess()
{
    static int argc = 1;
    static char name[] = "tomekeep_bench";
    static char* argv[] = {name, nullptr};
    // Another benchmark may have made the application object already (a QApplication for widgets).
    static const std::unique_ptr<QCoreApplication> application(
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv));
    static TRecordingMessenger messenger;
    SetMessenger(&messenger);
}

const QTemporaryDir& Folder()
{
    static const QTemporaryDir folder;
    return folder;
}

// One collection per size, made the first time it is asked for.
TBookRoot& Collection(int books)
{
    PrepareProcess();
    static std::map<int, std::unique_ptr<TBookRoot>> collections;
    std::unique_ptr<TBookRoot>& collection = collections[books];
    if (!collection)
        collection = MakeSyntheticCollection(books);
    return *collection;
}

// The collection's file, written once.
QString CollectionFile(int books)
{
    PrepareProcess();
    const QString name = Folder().filePath(QStringLiteral("books%1.tmk").arg(books));
    if (!QFile::exists(name) && !Collection(books).SaveToFile(name))
        qFatal("cannot write %s", qPrintable(name));
    return name;
}

// Every book, in collection order.
void AllBooks(TBookRoot& root, TDataRefList& list)
{
    list.Clear();
    list.AddAll(*root.Items);
}

// The resident set of the process, in MB; free heap pages go back to the system first.
double ResidentMB()
{
    malloc_trim(0);
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

void Load(benchmark::State& state)
{
    const QString file = CollectionFile(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto root = TRootItem::New<TBookRoot>();
        state.ResumeTiming();
        if (!root->LoadFromFile(file))
            state.SkipWithError("the collection did not load");
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
}

void Save(benchmark::State& state)
{
    TBookRoot& root = Collection(int(state.range(0)));
    const QString file = Folder().filePath(QStringLiteral("saved.tmk"));
    for (auto _ : state)
        if (!root.SaveToFile(file))
            state.SkipWithError("the collection was not saved");
    state.counters["file_mb"] = QFile(file).size() / (1024.0 * 1024.0);
}

// Sorts all books by the given fields, starting each run from collection order.
void Sort(benchmark::State& state, QList<int> fieldIDs)
{
    TBookRoot& root = Collection(int(state.range(0)));
    QList<TSortKey> keys;
    for (int id : fieldIDs)
        keys << TSortKey{root.FieldByID(id), 1};
    TDataRefList books;
    for (auto _ : state) {
        state.PauseTiming();
        AllBooks(root, books);
        state.ResumeTiming();
        if (keys.size() == 1)
            books.SortByField(keys.first().Field, 1);
        else
            books.SortByFields(keys);
    }
}

void CountUsage(benchmark::State& state)
{
    TBookRoot& root = Collection(int(state.range(0)));
    const TDataField* author = root.FieldByID(bfAuthor);
    int none = 0;
    for (auto _ : state)
        root.CountUsage(author, {}, none);
    state.counters["none"] = none;
}

void Filter(benchmark::State& state)
{
    TBookRoot& root = Collection(int(state.range(0)));
    TFilterFieldRefList filter(&root, ikMain);
    std::unique_ptr<TFilterField> condition = root.FieldByID(bfAuthor)->CreateFilterField();
    static_cast<TStringFilterField&>(*condition).StringValue = QStringLiteral("son");
    filter.Add(condition.release());
    int matches = 0;
    for (auto _ : state) {
        matches = 0;
        const TFilterPass pass(filter);
        for (TDataItem* book : *root.Items)
            matches += pass.Matches(book);
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = matches;
}

void Xml(benchmark::State& state)
{
    TBookRoot& root = Collection(int(state.range(0)));
    TDataRefList books;
    AllBooks(root, books);
    qsizetype size = 0;
    for (auto _ : state) {
        size = root.WriteXMLText(&books).size();
    }
    state.counters["xml_mb"] = size / (1024.0 * 1024.0);
}

// What a loaded collection adds to the resident set; runs first, before other cases leave heap behind.
void Memory(benchmark::State& state)
{
    const QString file = CollectionFile(int(state.range(0)));
    double added = 0;
    for (auto _ : state) {
        auto root = TRootItem::New<TBookRoot>();
        const double before = ResidentMB();
        root->LoadFromFile(file);
        added = ResidentMB() - before;
    }
    state.counters["rss_mb"] = added;
}

}  // namespace

BENCHMARK(Memory)->Name("Memory/Loaded")->Arg(Large)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Load)->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK(Load)->Arg(Large)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(Save)->Arg(Small)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Save)->Arg(Large)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Sort, Title, QList<int>{bfTitle})->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sort, Title, QList<int>{bfTitle})->Arg(Large)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sort, Author, QList<int>{bfAuthor})->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sort, Author, QList<int>{bfAuthor})
    ->Arg(Large)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sort, AuthorTitle, QList<int>{bfAuthor, bfTitle})
    ->Arg(Small)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Sort, AuthorTitle, QList<int>{bfAuthor, bfTitle})
    ->Arg(Large)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(CountUsage)->Name("CountUsage/Author")->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK(CountUsage)->Name("CountUsage/Author")->Arg(Large)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter)->Name("Filter/Author")->Arg(Small)->Unit(benchmark::kMillisecond);
BENCHMARK(Filter)->Name("Filter/Author")->Arg(Large)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(Xml)->Name("Xml/AllBooks")->Arg(Small)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(Xml)->Name("Xml/AllBooks")->Arg(Large)->Iterations(2)->Unit(benchmark::kMillisecond);
