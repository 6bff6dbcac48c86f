// Reads arbitrary script output the way the engine does. The first byte picks what the output stands
// for: the hits of a list page, the single hit of a details page, or a book record to merge. Besides
// never crashing or hanging: hits are never duplicated and belong to the source; an unusable record
// leaves the book untouched; and merging the same record again changes nothing, since the first
// import wins.

#include "book/cBookData.h"
#include "online/cOnlineQueryBase.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

namespace {

class TFuzzSource : public TInfosource {
public:
    TFuzzSource() : TInfosource(QStringLiteral("Fuzz"), QStringLiteral("s.pl"), QStringLiteral("d.pl")) {}
    QString GetDetailsURL(const QString& id) override { return QStringLiteral("http://example.org/") + id; }
    void Search(const TSearchCriteria&, TQueryMatchList&) override {}
};

void CheckHits(TFuzzSource& source, TPageKind kind, const QByteArray& output)
{
    TQueryMatchList matches;
    try {
        source.ReadParsedResults(kind, output, matches);
    } catch (const EOnlineQuery&) {
        return;
    }
    if (kind == pkDetails && matches.Count() > 1)
        std::abort();
    for (int i = 0; i < matches.Count(); ++i) {
        if (matches[i].Source != &source || matches[i].Selected)
            std::abort();
        for (int j = 0; j < i; ++j)
            if (matches[j].Id == matches[i].Id)
                std::abort();
    }
    matches.RemoveUnidentified();
    for (const auto& match : matches)
        if (match->Id.isEmpty())
            std::abort();
}

// True when the record could be merged; the book's XML before and after in `before` and `after`.
bool Merge(TFuzzSource& source, const QByteArray& output, TBookRoot& root, TDataItem& book,
           QByteArray& before, QByteArray& after)
{
    const TQueryMatch match{QStringLiteral("hit"), QStringLiteral("42"), true, &source};
    before = root.WriteXMLText(&book);
    bool merged = true;
    try {
        source.MergeParsedDetails(match, output, book);
    } catch (const EOnlineQuery&) {
        merged = false;
    }
    after = root.WriteXMLText(&book);
    return merged;
}

void CheckMerge(TFuzzSource& source, const QByteArray& output)
{
    auto root = TRootItem::New<TBookRoot>();
    TDataItem* book = root->Books().NewItem();
    QByteArray before, after;
    if (!Merge(source, output, *root, *book, before, after)) {
        if (before != after)
            std::abort();
        return;
    }
    const QByteArray first = after;
    Merge(source, output, *root, *book, before, after);
    if (after != first)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_parsedresults";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size == 0)
        return 0;
    const QByteArray output(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    TFuzzSource source;
    switch (data[0] % 3) {
    case 0:
        CheckHits(source, pkResultList, output);
        break;
    case 1:
        CheckHits(source, pkDetails, output);
        break;
    default:
        CheckMerge(source, output);
        break;
    }
    return 0;
}
