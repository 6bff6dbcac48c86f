#include "cli/Commands.h"

#include "app/cBookPrefs.h"
#include "book/cBookData.h"
#include "cli/DemoBuilder.h"
#include "model/cCryptStream.h"
#include "model/cXmlDocument.h"
#include "online/cOnlineQueryBook.h"
#include "platform/AtomicFile.h"
#include "platform/Messenger.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

namespace {

// The versions at the start of a collection file.
struct THeader {
    int FormatVersion = 0;
    int DataVersion = 0;
};

// A real header is a few dozen bytes; reading no more keeps a large stray file cheap to reject.
constexpr qint64 HeaderLimit = 4096;

// The family signature, the type name and the two versions; none when the file does not start that way.
std::optional<THeader> ReadHeader(QFile& file)
{
    const QByteArray bytes = file.read(HeaderLimit);
    TValueReader reader(bytes);
    try {
        reader.ReadText();  // the loader checks the signature and the type and names what it found
        reader.ReadText();
        THeader header;
        header.FormatVersion = reader.ReadInteger();
        header.DataVersion = reader.ReadInteger();
        return header;
    } catch (const EStreamRead&) {
        return std::nullopt;
    }
}

// Passes the model's messages on to the messenger in place and notes whether one was an error: the
// loader reports a damaged file that way and still hands over what it recovered.
class TErrorWatch : public TMessenger {
public:
    TErrorWatch() : FTarget(Messenger()) { SetMessenger(this); }
    ~TErrorWatch() override { SetMessenger(&FTarget); }
    TErrorWatch(const TErrorWatch&) = delete;
    TErrorWatch& operator=(const TErrorWatch&) = delete;

    bool SawError() const { return FSawError; }

    void ShowInfo(const QString& text) override { FTarget.ShowInfo(text); }
    void ShowError(const QString& text) override
    {
        FSawError = true;
        FTarget.ShowError(text);
    }
    TMessageAnswer AskYesNo(const QString& text) override { return FTarget.AskYesNo(text); }
    TMessageAnswer AskYesNoCancel(const QString& text) override { return FTarget.AskYesNoCancel(text); }

private:
    TMessenger& FTarget;
    bool FSawError = false;
};

struct TLoadedCollection {
    std::unique_ptr<TBookRoot> Root;
    THeader Header;
    bool Salvaged = false;
};

std::optional<TLoadedCollection> LoadCollection(const QString& fileName)
{
    QFile file(fileName);
    if (!file.exists()) {
        ReportError(QStringLiteral("%1: no such file").arg(fileName));
        return std::nullopt;
    }
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly)) {
        ReportError(QStringLiteral("%1: cannot be read").arg(fileName));
        return std::nullopt;
    }
    const std::optional<THeader> header = ReadHeader(file);
    file.close();
    if (!header) {
        ReportError(QStringLiteral("%1: not a collection file").arg(fileName));
        return std::nullopt;
    }
    TLoadedCollection loaded{TRootItem::New<TBookRoot>(), *header};
    TErrorWatch watch;
    if (!loaded.Root->LoadFromFile(fileName)) {
        ReportError(QStringLiteral("%1: the collection cannot be opened").arg(fileName));
        return std::nullopt;
    }
    loaded.Salvaged = watch.SawError();
    return loaded;
}

int DoneOrSalvaged(const TLoadedCollection& loaded) { return loaded.Salvaged ? ecSalvaged : ecDone; }

// Writes the bytes to the file `outName`, or to standard output when it is empty; says why it failed.
bool Emit(const QByteArray& bytes, const QString& outName)
{
    if (!outName.isEmpty()) {
        QString error;
        if (TAtomicFile::Write(outName, bytes, &error))
            return true;
        ReportError(QStringLiteral("%1: cannot be written: %2").arg(outName, error));
        return false;
    }
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0)
        return true;
    ReportError(QStringLiteral("cannot write to standard output"));
    return false;
}

QString InfoText(const TLoadedCollection& loaded)
{
    const TBookRoot& root = *loaded.Root;
    int sections = 0;
    for (TDataItem* item : root.Books())
        sections += static_cast<TBook*>(item)->Sections->Count();
    QStringList lines{QStringLiteral("Type: %1 (%2)").arg(root.TypeName(), root.TypeDisplayName()),
                      QStringLiteral("Format version: %1").arg(loaded.Header.FormatVersion),
                      QStringLiteral("Data version: %1").arg(loaded.Header.DataVersion),
                      QStringLiteral("Books: %1").arg(root.Books().Count()),
                      QStringLiteral("Sections: %1").arg(sections),
                      QStringLiteral("Loans: %1").arg(root.Loans->Count()),
                      QStringLiteral("Pick lists:")};
    const TLookupListInfoList& registry = root.MetaInfo->LookupLists;
    for (int i = 0; i < registry.Count(); ++i)
        lines << QStringLiteral("  %1: %2").arg(registry.Row(i)->Caption).arg(registry.Row(i)->List->Count());
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace

void ReportError(const QString& text) { std::fprintf(stderr, "tomekeep-cli: %s\n", qPrintable(text)); }

int RunInfo(const QString& fileName)
{
    const std::optional<TLoadedCollection> loaded = LoadCollection(fileName);
    if (!loaded)
        return ecFailed;
    if (!Emit(InfoText(*loaded).toUtf8(), QString()))
        return ecFailed;
    return DoneOrSalvaged(*loaded);
}

int RunExportXml(const QString& fileName, const QString& outName)
{
    const std::optional<TLoadedCollection> loaded = LoadCollection(fileName);
    if (!loaded)
        return ecFailed;
    TBookRoot& root = *loaded->Root;
    if (!Emit(root.WriteXMLText(root.Items.get()), outName))
        return ecFailed;
    return DoneOrSalvaged(*loaded);
}

int RunBuildDemo(const QString& sourceName, const QString& outName)
{
    QFile source(sourceName);
    if (!source.open(QIODevice::ReadOnly)) {
        ReportError(QStringLiteral("%1: %2").arg(sourceName, source.errorString()));
        return ecFailed;
    }
    try {
        const std::unique_ptr<TBookRoot> root = BuildDemoCollection(source.readAll());
        // SaveToFile has said why when it fails.
        return root->SaveToFile(outName) ? ecDone : ecFailed;
    } catch (const std::exception& error) {
        ReportError(QStringLiteral("%1: %2").arg(sourceName, QString::fromUtf8(error.what())));
        return ecFailed;
    }
}

// ---------------------------------------------------------------------------------------------------
// lookup

namespace {

struct TLookupRequest {
    TBookSearchCriteria Criteria;
    QString Source;   // empty: every source
    int Details = 0;  // 1-based hit to merge; 0 lists the hits
};

// The value after option `arguments[i]`, advancing `i`; none when it is missing.
std::optional<QString> OptionValue(const QStringList& arguments, qsizetype& i)
{
    if (++i >= arguments.size())
        return std::nullopt;
    return arguments[i];
}

std::optional<TLookupRequest> ParseLookup(const QStringList& arguments)
{
    TLookupRequest request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        QString* target = argument == u"--title"    ? &request.Criteria.Title
                          : argument == u"--author" ? &request.Criteria.Author
                          : argument == u"--source" ? &request.Source
                                                    : nullptr;
        if (target || argument == u"--details") {
            const std::optional<QString> value = OptionValue(arguments, i);
            if (!value) {
                ReportError(QStringLiteral("%1 needs a value").arg(argument));
                return std::nullopt;
            }
            bool number = true;
            if (target)
                *target = *value;
            else
                request.Details = value->toInt(&number);
            if (!number || request.Details < 0) {
                ReportError(QStringLiteral("--details needs a hit number, not \"%1\"").arg(*value));
                return std::nullopt;
            }
        } else if (!argument.startsWith(u"--") && request.Criteria.ISBN.isEmpty()) {
            request.Criteria.ISBN = argument;
        } else {
            ReportError(QStringLiteral("unexpected argument \"%1\"").arg(argument));
            return std::nullopt;
        }
    }
    const TBookSearchCriteria& c = request.Criteria;
    if (c.ISBN.isEmpty() && c.Title.isEmpty() && c.Author.isEmpty()) {
        ReportError(QStringLiteral("lookup needs an ISBN, a title or an author"));
        return std::nullopt;
    }
    return request;
}

// The sources to ask: all in their usual order, or the one named (case-insensitive).
std::vector<std::unique_ptr<TBookInfoSource>> ChooseSources(const QString& name)
{
    std::vector<std::unique_ptr<TBookInfoSource>> sources = CreateBookInfoSources();
    if (name.isEmpty())
        return sources;
    QStringList names;
    for (auto& source : sources) {
        if (source->Name.compare(name, Qt::CaseInsensitive) == 0) {
            std::vector<std::unique_ptr<TBookInfoSource>> chosen;
            chosen.push_back(std::move(source));
            return chosen;
        }
        names << QStringLiteral("\"%1\"").arg(source->Name);
    }
    ReportError(
        QStringLiteral("no source \"%1\"; the sources are %2").arg(name, names.join(QStringLiteral(", "))));
    return {};
}

// The hits of every source in turn, each source's without those that carry no id.
std::vector<std::unique_ptr<TQueryMatch>>
SearchAll(const std::vector<std::unique_ptr<TBookInfoSource>>& sources, const TBookSearchCriteria& criteria)
{
    std::vector<std::unique_ptr<TQueryMatch>> hits;
    for (const auto& source : sources) {
        TQueryMatchList matches;
        source->Search(criteria, matches);
        matches.RemoveUnidentified();
        for (auto& match : matches.TakeAll())
            hits.push_back(std::move(match));
    }
    return hits;
}

QString HitList(const std::vector<std::unique_ptr<TQueryMatch>>& hits)
{
    QString text;
    for (size_t i = 0; i < hits.size(); ++i)
        text += QStringLiteral("%1. %2 [%3: %4]\n")
                    .arg(i + 1)
                    .arg(hits[i]->Description, hits[i]->Source->Name, hits[i]->Id);
    return text;
}

int WriteDetails(TQueryMatch& hit)
{
    auto root = TRootItem::New<TBookRoot>();
    TDataItem* book = root->Books().NewItem();
    if (!hit.Source->ImportDetails(hit, *book)) {
        ReportError(QStringLiteral("the details of hit \"%1\" could not be read").arg(hit.Description));
        return ecFailed;
    }
    return Emit(root->WriteXMLText(book), QString()) ? ecDone : ecFailed;
}

}  // namespace

int RunLookup(const QStringList& arguments)
{
    const std::optional<TLookupRequest> request = ParseLookup(arguments);
    if (!request)
        return ecUsage;
    const std::vector<std::unique_ptr<TBookInfoSource>> sources = ChooseSources(request->Source);
    if (sources.empty())
        return ecUsage;

    // Source host names, the proxy and the script time limit are the program's settings.
    const std::unique_ptr<TBookPrefs> prefs = TPrefs::Create<TBookPrefs>();
    SetPrefs(prefs.get());
    QTemporaryDir work;  // one working folder for every source's scripts
    for (const auto& source : sources) {
        source->SetWorkFolder(work.path());
        source->OnLog = [](TInfosource& from, const QString& message) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(from.Name), qPrintable(message));
        };
    }
    std::vector<std::unique_ptr<TQueryMatch>> hits = SearchAll(sources, request->Criteria);
    if (hits.empty()) {
        ReportError(QStringLiteral("no hits"));
        return ecFailed;
    }
    if (request->Details == 0)
        return Emit(HitList(hits).toUtf8(), QString()) ? ecDone : ecFailed;
    if (size_t(request->Details) > hits.size()) {
        ReportError(
            QStringLiteral("there is no hit %1; the search found %2").arg(request->Details).arg(hits.size()));
        return ecFailed;
    }
    return WriteDetails(*hits[size_t(request->Details) - 1]);
}
