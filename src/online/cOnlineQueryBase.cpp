#include "online/cOnlineQueryBase.h"

#include "app/cGatherixPrefs.h"
#include "app/cInternetConnection.h"
#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cXmlUtil.h"
#include "platform/AtomicFile.h"
#include "platform/ProcessRunner.h"
#include "platform/SettingsStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <libxml/hash.h>
#include <libxml/tree.h>

#include <algorithm>
#include <functional>
#include <queue>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using TCodePoints = std::vector<char32_t>;

constexpr int None = -1;

bool IsXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

// The text as code points, so that no pass can split a surrogate pair; what XML does not allow
// (unpaired surrogates among it) is left out.
TCodePoints XmlCodePoints(const QString& text)
{
    TCodePoints points;
    points.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        if (IsXmlChar(c))
            points.push_back(c);
    }
    return points;
}

// The character a byte stands for in the collection's code page.
char32_t AnsiChar(int byte)
{
    static const QString table = [] {
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        return Win1252::Decode(bytes);
    }();
    return table.at(byte).unicode();
}

// The text between "&#" and ";", read character by character: a decimal code, or a space when it is
// no number. Codes beyond Unicode stick at the first one past it rather than wrap around.
class TEntityCode {
public:
    void Add(char32_t c)
    {
        IsNumber = IsNumber && c >= U'0' && c <= U'9';
        if (IsNumber)
            Value = std::min<char32_t>(Value * 10 + (c - U'0'), BeyondUnicode);
        Empty = false;
    }
    // Low codes keep the meaning they had when texts were 8-bit: a Windows-1252 character.
    char32_t Character() const
    {
        if (!IsNumber || Empty)
            return U' ';
        return Value <= 0xFF ? AnsiChar(int(Value)) : Value;
    }

private:
    static constexpr char32_t BeyondUnicode = 0x110000;
    char32_t Value = 0;
    bool IsNumber = true;
    bool Empty = true;
};

// The entity passes over a linked list of the characters. An "&" is followed by a run of "amp;" that
// every pass shortens by one, and the pass that finds the run empty also replaces a named entity right
// after the "&". So each "&" can be brought up to the current pass in one step when it is looked at,
// and a pass only touches its first "&#", the ";" after it and the "&" before it. Nodes are removed
// or changed but never moved, so their index orders them.
class TEntityPasses {
public:
    explicit TEntityPasses(const TCodePoints& text);
    // False when an "&#" has no ";" after it; the passes stop there.
    bool Run();
    // The text as the last pass left it.
    TCodePoints Text();

private:
    struct TNode {
        char32_t Ch;  // 0 once removed
        int Prev, Next;
    };
    // An "&" of the text: as of pass Base followed by Run times "amp;", the last of them ending at node
    // RunEnd (the "&" itself when Run is 0), then its tail. Prev and Next link the "&"s still there.
    struct TAmp {
        int Node, RunEnd, Prev, Next;
        qint64 Run = 0, Base = 0;
    };
    using TWait = std::pair<qint64, int>;  // the pass from which an "&" reads "&#", and the "&"

    char32_t CharAt(int node) const { return node == None ? 0 : Nodes[node].Ch; }
    int Next(int node) const { return Nodes[node].Next; }
    bool Spells(int node, std::u32string_view word, int& last) const;
    void Unlink(int first, int last);
    int AmpAt(int node) const;
    bool IsLive(int amp) const { return Nodes[Amps[amp].Node].Ch == U'&'; }
    char32_t TailStart(const TAmp& a) const { return CharAt(Next(a.RunEnd)); }
    bool ReadsHash(int amp) const;
    void Unchain(int amp);
    bool Recount(int amp);
    void Renew(int amp);
    void Settle(int amp);
    void ReplaceNamed(int amp);
    void Activate();
    int FirstReady();
    char32_t SeenBySearch(int node);
    bool ReplaceFirst(int amp);
    void Put(int amp, int previous, char32_t c);

    std::vector<TNode> Nodes;  // [0] stands before the first character
    std::vector<TAmp> Amps;    // in text order
    // The "&"s that read "&#" from the first pass on (in text order, taken from InitialAt), those that
    // read it in this pass, and those that will in a later one. Entries are checked when taken, as the
    // text may have changed since.
    std::vector<int> Initial;
    size_t InitialAt = 0;
    std::priority_queue<int, std::vector<int>, std::greater<>> Ready;
    std::priority_queue<TWait, std::vector<TWait>, std::greater<>> Waiting;
    qint64 Pass = 0;
};

TEntityPasses::TEntityPasses(const TCodePoints& text)
{
    const int count = int(text.size());
    Nodes.reserve(size_t(count) + 1);
    Amps.reserve(size_t(std::count(text.begin(), text.end(), U'&')));
    Nodes.push_back({0, None, count ? 1 : None});
    for (int node = 1; node <= count; ++node) {
        Nodes.push_back({text[size_t(node) - 1], node - 1, node < count ? node + 1 : None});
        if (text[size_t(node) - 1] == U'&')
            Amps.push_back({node, node, int(Amps.size()) - 1, int(Amps.size()) + 1});
    }
    if (!Amps.empty())
        Amps.back().Next = None;
    for (int amp = 0; amp < int(Amps.size()); ++amp) {
        if (!Recount(amp))
            continue;
        if (Amps[amp].Run <= 1)
            Initial.push_back(amp);
        else
            Waiting.push({Amps[amp].Run, amp});
    }
}

bool TEntityPasses::Run()
{
    for (Pass = 1;; ++Pass) {
        Activate();
        const int first = FirstReady();
        if (first == None)
            return true;
        if (!ReplaceFirst(first))
            return false;
    }
}

TCodePoints TEntityPasses::Text()
{
    TCodePoints text;
    text.reserve(Nodes.size());
    for (int node = Next(0); node != None; node = Next(node)) {
        if (Nodes[node].Ch == U'&')
            Settle(AmpAt(node));
        text.push_back(Nodes[node].Ch);
    }
    return text;
}

// Whether the characters from `node` on spell `word`; `last` gets the node of its last character.
bool TEntityPasses::Spells(int node, std::u32string_view word, int& last) const
{
    for (char32_t c : word) {
        if (CharAt(node) != c)
            return false;
        last = node;
        node = Next(node);
    }
    return true;
}

// Removes the nodes from `first` to `last`.
void TEntityPasses::Unlink(int first, int last)
{
    const int before = Nodes[first].Prev;
    const int after = Nodes[last].Next;
    Nodes[before].Next = after;
    if (after != None)
        Nodes[after].Prev = before;
    for (int node = first;; node = Next(node)) {
        Nodes[node].Ch = 0;
        if (node == last)
            break;
    }
}

int TEntityPasses::AmpAt(int node) const
{
    const auto at =
        std::lower_bound(Amps.begin(), Amps.end(), node, [](const TAmp& a, int n) { return a.Node < n; });
    return int(at - Amps.begin());
}

// Takes an "&" out of the chain once it is replaced or removed.
void TEntityPasses::Unchain(int amp)
{
    const TAmp& a = Amps[amp];
    if (a.Prev != None)
        Amps[a.Prev].Next = a.Next;
    if (a.Next != None)
        Amps[a.Next].Prev = a.Prev;
}

bool TEntityPasses::ReadsHash(int amp) const
{
    const TAmp& a = Amps[amp];
    return IsLive(amp) && TailStart(a) == U'#' && a.Base + a.Run <= Pass;
}

// Looks at what follows an "&" again, as of this pass; true when it is "#" after the run.
bool TEntityPasses::Recount(int amp)
{
    TAmp& a = Amps[amp];
    a.Base = Pass;
    for (int last; Spells(Next(a.RunEnd), U"amp;", last); a.RunEnd = last)
        ++a.Run;
    return TailStart(a) == U'#';
}

// Looks at an "&" again after the text after it changed.
void TEntityPasses::Renew(int amp)
{
    if (Recount(amp))
        Waiting.push({Amps[amp].Base + Amps[amp].Run, amp});
}

// Applies to an "&" the named replacements of the passes since it was last looked at.
void TEntityPasses::Settle(int amp)
{
    TAmp& a = Amps[amp];
    const qint64 passes = Pass - a.Base;
    if (passes <= 0)
        return;
    const qint64 taken = std::min(passes, a.Run);
    if (taken > 0) {
        int last = a.Node;
        for (qint64 i = 0; i < 4 * taken; ++i)
            last = Next(last);
        Unlink(Next(a.Node), last);
        a.Run -= taken;
        if (a.Run == 0)
            a.RunEnd = a.Node;
    }
    a.Base = Pass;
    if (a.Run == 0)
        ReplaceNamed(amp);
}

void TEntityPasses::ReplaceNamed(int amp)
{
    static constexpr std::pair<std::u32string_view, char32_t> named[] = {
        {U"lt;", U'<'}, {U"gt;", U'>'}, {U"quot;", U'"'}, {U"nbsp;", U' '}};
    const int node = Amps[amp].Node;
    for (const auto& [word, c] : named) {
        int last;
        if (Spells(Next(node), word, last)) {
            Unlink(Next(node), last);
            Nodes[node].Ch = c;
            Unchain(amp);
            return;
        }
    }
}

void TEntityPasses::Activate()
{
    while (!Waiting.empty() && Waiting.top().first <= Pass) {
        if (ReadsHash(Waiting.top().second))
            Ready.push(Waiting.top().second);
        Waiting.pop();
    }
}

// The leftmost "&" that reads "&#" in this pass, or None. One replaced stays in the queues: it is
// skipped once it no longer reads "&#", and rightly taken again when it still does.
int TEntityPasses::FirstReady()
{
    while (InitialAt < Initial.size() && !ReadsHash(Initial[InitialAt]))
        ++InitialAt;
    while (!Ready.empty() && !ReadsHash(Ready.top()))
        Ready.pop();
    const int initial = InitialAt < Initial.size() ? Initial[InitialAt] : None;
    const int ready = Ready.empty() ? None : Ready.top();
    return initial == None || (ready != None && ready < initial) ? ready : initial;
}

// A character as this pass sees it, on the way to the ";" that ends an "&#". An "&" passed over goes
// with the entity.
char32_t TEntityPasses::SeenBySearch(int node)
{
    if (Nodes[node].Ch == U'&') {
        const int amp = AmpAt(node);
        Settle(amp);
        if (IsLive(amp))
            Unchain(amp);
    }
    return Nodes[node].Ch;
}

// Replaces the "&#" at `amp` up to the next ";" by the character of its code.
bool TEntityPasses::ReplaceFirst(int amp)
{
    Settle(amp);
    const int previous = Amps[amp].Prev;
    if (previous != None)
        Settle(previous);
    const int hash = Next(Amps[amp].Node);
    TEntityCode code;
    int node = Next(hash);
    for (; node != None && SeenBySearch(node) != U';'; node = Next(node))
        code.Add(Nodes[node].Ch);
    if (node == None)
        return false;
    Unlink(hash, node);
    Put(amp, previous, code.Character());
    return true;
}

// Puts the decoded character where the "&" of the entity stood.
void TEntityPasses::Put(int amp, int previous, char32_t c)
{
    TAmp& a = Amps[amp];
    if (c == U'&') {  // an "&" again, now followed by what came after the ";"
        a.Run = 0;
        a.RunEnd = a.Node;
        Renew(amp);
        return;
    }
    Unchain(amp);
    if (IsXmlChar(c))
        Nodes[a.Node].Ch = c;
    else
        Unlink(a.Node, a.Node);
    if (previous != None && IsLive(previous))
        Renew(previous);  // what follows it may now spell an entity or "#"
}

// "%xx" with two hexadecimal digits gives that byte, anything else (fewer characters too) a space.
int PercentByte(const TCodePoints& text, size_t from, size_t count)
{
    const auto digit = [](char32_t c) {
        return c >= U'0' && c <= U'9'   ? int(c - U'0')
               : c >= U'a' && c <= U'f' ? int(c - U'a') + 10
               : c >= U'A' && c <= U'F' ? int(c - U'A') + 10
                                        : -1;
    };
    if (count < 2 || digit(text[from]) < 0 || digit(text[from + 1]) < 0)
        return 0x20;
    return digit(text[from]) * 16 + digit(text[from + 1]);
}

// The percent passes in one sweep: everything before the first "%" is final, and a decoded "%" is read
// again where it stands, as the next pass would.
TCodePoints DecodePercents(TCodePoints text)
{
    TCodePoints out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != U'%') {
            out.push_back(text[i++]);
            continue;
        }
        const size_t count = std::min<size_t>(2, text.size() - i - 1);
        const char32_t c = AnsiChar(PercentByte(text, i + 1, count));
        i += 1 + count;
        if (c == U'%')
            text[--i] = c;
        else if (IsXmlChar(c))
            out.push_back(c);
    }
    return out;
}

}  // namespace

QString DecodeWebText(const QString& text, bool* complete)
{
    TCodePoints points = XmlCodePoints(text);
    bool finished = true;
    if (std::find(points.begin(), points.end(), U'&') != points.end()) {
        TEntityPasses passes(points);
        finished = passes.Run();
        points = passes.Text();
    }
    if (finished)
        points = DecodePercents(std::move(points));
    if (complete)
        *complete = finished;
    return QString::fromUcs4(points.data(), qsizetype(points.size()));
}

// ---------------------------------------------------------------------------------------------------
// Matches

bool TQueryMatchList::AddUnique(std::unique_ptr<TQueryMatch> match)
{
    for (const auto& listed : Items)
        if (listed->Source == match->Source && listed->Id == match->Id)
            return true;
    Items.push_back(std::move(match));
    return false;
}

void TQueryMatchList::RemoveUnidentified()
{
    std::erase_if(Items, [](const std::unique_ptr<TQueryMatch>& match) { return match->Id.isEmpty(); });
}

std::vector<std::unique_ptr<TQueryMatch>> TQueryMatchList::TakeAll() { return std::exchange(Items, {}); }

// ---------------------------------------------------------------------------------------------------
// Exchange with the parse scripts

const char* const SearchResultFile = "searchresult.html";
const char* const SearchDetailsFile = "searchdetails.html";
const char* const ParsedResultsFile = "parsedresults.xml";
const char* const ParsedDetailsFile = "parseddetails.xml";

QByteArray PreparePageText(const QByteArray& received)
{
    QByteArray text;
    text.reserve(received.size() + received.size() / 32);
    qsizetype start = 0;
    while (start < received.size()) {
        qsizetype end = start;
        while (end < received.size() && received[end] != '\r' && received[end] != '\n')
            ++end;
        text += QByteArrayView(received).sliced(start, end - start);
        text += "\r\n";
        if (end + 1 < received.size() && received[end] == '\r' && received[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return Win1252::Decode(text).toUtf8();
}

namespace {

// A script's output is a few kilobytes; anything far larger is not what a parse script should write.
constexpr qint64 ParsedDocumentLimit = 16 * 1024 * 1024;
const QString QuerySection = QStringLiteral("OnlineQuery");
constexpr int DefaultScriptTimeLimit = 60;  // seconds

bool DeclaresEntities(const xmlDoc* doc)
{
    for (const xmlDtd* dtd : {doc->intSubset, doc->extSubset})
        if (dtd && dtd->entities && xmlHashSize(static_cast<xmlHashTablePtr>(dtd->entities)) > 0)
            return true;
    return false;
}

// The script's output, up to a size no parse script comes near; throws when it cannot be read.
QByteArray ReadOutput(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > ParsedDocumentLimit)
        throw EOnlineQuery(
            QStringLiteral("The parsed page %1 cannot be read").arg(QFileInfo(path).fileName()));
    return file.readAll();
}

// The script's output comes from a web page: no DTD, no entity definitions, no network.
TXmlDocument LoadParsedDocument(const QByteArray& output, const char* name)
{
    TXmlDocument doc = ParseXmlSafely(output);
    if (!doc || !xmlDocGetRootElement(doc.get()))
        throw EOnlineQuery(QStringLiteral("The parsed page %1 is no XML document").arg(QLatin1String(name)));
    if (DeclaresEntities(doc.get()))
        throw EOnlineQuery(QStringLiteral("The parsed page %1 declares entities").arg(QLatin1String(name)));
    return doc;
}

QString RawText(xmlNode* node)
{
    xmlChar* content = xmlNodeGetContent(node);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return text;
}

// The decoded text of the first descendant `name`; an "&#" without ";" fails the whole parse.
QString DecodedElementText(xmlNode* node, const char* name)
{
    xmlNode* element = XmlFindElement(node, name);
    if (!element)
        return QString();
    bool complete = false;
    QString text = DecodeWebText(RawText(element), &complete);
    if (!complete)
        throw EOnlineQuery(QStringLiteral("Unterminated character code in \"%1\"").arg(RawText(element)));
    return text;
}

void CollectElements(xmlNode* node, const char* name, QList<xmlNode*>& found)
{
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        if (xmlStrcmp(child->name, reinterpret_cast<const xmlChar*>(name)) == 0)
            found << child;
        CollectElements(child, name, found);
    }
}

void CheckTextsDecode(xmlNode* node)
{
    for (xmlNode* child = node->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            CheckTextsDecode(child);
        else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            bool complete = false;
            DecodeWebText(RawText(child), &complete);
            if (!complete)
                throw EOnlineQuery(
                    QStringLiteral("Unterminated character code in \"%1\"").arg(RawText(child)));
        }
    }
}

// A cover from a web page is taken only as a web address or as a picture already in the image folder;
// a local or network path could leak private files or make the system contact other hosts.
bool IsAcceptableCover(const QString& cover)
{
    const QString scheme = cover.section(QLatin1Char(':'), 0, 0).toLower();
    if (cover.contains(QLatin1Char(':')) && (scheme == u"http" || scheme == u"https"))
        return true;
    const QString base = QFileInfo(Prefs().ImageBaseFolder).canonicalFilePath();
    const QFileInfo file(QDir(Prefs().ImageBaseFolder).filePath(cover));
    static const QStringList pictures{"jpg", "jpeg", "gif", "png", "bmp"};
    return !base.isEmpty() && file.isFile() && pictures.contains(file.suffix().toLower())
           && file.canonicalFilePath().startsWith(base + QLatin1Char('/'));
}

void DropUnacceptableCovers(xmlNode* root)
{
    while (xmlNode* cover = XmlFindElement(root, "coverfront")) {
        if (IsAcceptableCover(XmlElementText(root, "coverfront")))
            return;
        xmlUnlinkNode(cover);
        xmlFreeNode(cover);
    }
}

// Removes the exchange files of one parse, also when it ends by an error.
class TExchangeFiles {
public:
    TExchangeFiles(const QDir& folder, const char* input, const char* output)
        : Input(folder.filePath(QLatin1String(input))), Output(folder.filePath(QLatin1String(output)))
    {
        // Files left by an earlier parse that was killed must never pass for this one's.
        for (const char* name : {SearchResultFile, SearchDetailsFile, ParsedResultsFile, ParsedDetailsFile})
            QFile::remove(folder.filePath(QLatin1String(name)));
    }
    ~TExchangeFiles()
    {
        QFile::remove(Input);
        QFile::remove(Output);
    }
    TExchangeFiles(const TExchangeFiles&) = delete;
    TExchangeFiles& operator=(const TExchangeFiles&) = delete;

    const QString Input;
    const QString Output;
};

void WriteWhole(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
        throw EOnlineQuery(
            QStringLiteral("The page cannot be written to %1: %2").arg(path, file.errorString()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TInfosource

TInfosource::TInfosource(const QString& name, const QString& searchScript, const QString& detailsScript)
    : Name(name), SearchScript(searchScript), DetailsScript(detailsScript),
      ScriptFolder(TPrefs::ProgramFolder() + QStringLiteral("Scripts/"))
{}

TInfosource::~TInfosource() = default;

QString TInfosource::WorkFolder()
{
    if (!FWorkFolder.isEmpty())
        return FWorkFolder;
    if (!FOwnWorkFolder) {
        FOwnWorkFolder = std::make_unique<QTemporaryDir>();
        if (!FOwnWorkFolder->isValid())
            throw EOnlineQuery(QStringLiteral("No working folder: %1").arg(FOwnWorkFolder->errorString()));
    }
    return FOwnWorkFolder->path();
}

QString TInfosource::SettingsSection() const { return QStringLiteral("OnlineQuery\\%1").arg(Name); }

QString TInfosource::Setting(const QString& ident, const QString& def) const
{
    return Prefs().Settings().ReadString(SettingsSection(), ident, def);
}

void TInfosource::LoadSettings(const TSettingsStore& store)
{
    Selected = store.ReadBool(SettingsSection(), QStringLiteral("Selected"), true);
    Sequence = store.ReadInteger(SettingsSection(), QStringLiteral("Sequence"), -1);
}

void TInfosource::SaveSettings(TSettingsStore& store) const
{
    store.WriteBool(SettingsSection(), QStringLiteral("Selected"), Selected);
    store.WriteInteger(SettingsSection(), QStringLiteral("Sequence"), Sequence);
}

void TInfosource::Log(const QString& message)
{
    if (OnLog)
        OnLog(*this, message);
}

void TInfosource::LogError(const std::exception& error)
{
    Log(QStringLiteral("Error occurred: %1").arg(QString::fromUtf8(error.what())));
}

QByteArray TInfosource::Download(const QString& url)
{
    THttpClient& client = HttpClient();
    client.ApplyProxy(Prefs().Proxy);
    return client.Get(url);
}

std::optional<QByteArray> TInfosource::RunScript(const QString& script, const char* inputName,
                                                 const char* outputName, const QByteArray& page)
{
    const TExchangeFiles files(QDir(WorkFolder()), inputName, outputName);
    WriteWhole(files.Input, page);
    const QString perl = QStandardPaths::findExecutable(QStringLiteral("perl"));
    if (perl.isEmpty())
        return std::nullopt;
    const int limit = Prefs().Settings().ReadInteger(QuerySection, QStringLiteral("ScriptTimeLimit"),
                                                     DefaultScriptTimeLimit);
    switch (RunAndWait(perl, {ScriptFolder + script}, WorkFolder(), limit * 1000)) {
    case TRunResult::NotStarted:
        return std::nullopt;
    case TRunResult::TimedOut:
        throw EOnlineQuery(
            QStringLiteral("The parse script %1 did not finish within %2 seconds").arg(script).arg(limit));
    case TRunResult::Stopped:
        throw EOnlineQuery(QStringLiteral("Stopped"));
    case TRunResult::Finished:
        break;
    }
    if (!QFile::exists(files.Output))
        return std::nullopt;
    return ReadOutput(files.Output);
}

void TInfosource::ParsePage(TPageKind kind, const QByteArray& page, TQueryMatchList& matches)
{
    if (kind == pkResultList) {
        if (const auto output = RunScript(SearchScript, SearchResultFile, ParsedResultsFile, page))
            ReadParsedResults(kind, *output, matches);
    } else if (kind == pkDetails) {
        if (const auto output = RunScript(DetailsScript, SearchDetailsFile, ParsedDetailsFile, page))
            ReadParsedResults(kind, *output, matches);
    }
}

void TInfosource::ReadParsedResults(TPageKind kind, const QByteArray& output, TQueryMatchList& matches)
{
    if (kind == pkResultList)
        ReadMatches(xmlDocGetRootElement(LoadParsedDocument(output, ParsedResultsFile).get()), matches);
    else if (kind == pkDetails)
        ReadDetailsMatch(xmlDocGetRootElement(LoadParsedDocument(output, ParsedDetailsFile).get()), matches);
}

void TInfosource::ReadMatches(xmlNode* root, TQueryMatchList& matches)
{
    QList<xmlNode*> elements;
    CollectElements(root, "match", elements);
    for (xmlNode* element : elements) {
        auto match = std::make_unique<TQueryMatch>();
        match->Source = this;
        match->Description = DecodedElementText(element, "description");
        if (xmlNode* id = XmlFindElement(element, "id"))
            match->Id = RawText(id);  // an identifier is handed back to the source as it came
        matches.AddUnique(std::move(match));
    }
}

void TInfosource::ReadDetailsMatch(xmlNode* root, TQueryMatchList& matches)
{
    auto match = std::make_unique<TQueryMatch>();
    match->Source = this;
    match->Description = DecodedElementText(root, "title");
    if (xmlNode* id = XmlFindElement(root, "queryid"))
        match->Id = RawText(id);
    matches.AddUnique(std::move(match));
}

void TInfosource::AddDetailsExtras(const TQueryMatch& match, xmlNode* root)
{
    XmlAddText(root, "url", GetViewURL(match.Id));
}

bool TInfosource::ImportDetails(const TQueryMatch& match, TDataItem& item)
{
    try {
        const QByteArray page = PreparePageText(Download(GetDetailsURL(match.Id)));
        const auto output = RunScript(DetailsScript, SearchDetailsFile, ParsedDetailsFile, page);
        if (!output)
            return false;
        MergeParsedDetails(match, *output, item);
        return true;
    } catch (const std::exception& error) {
        LogError(error);
        return false;
    }
}

void TInfosource::MergeParsedDetails(const TQueryMatch& match, const QByteArray& output, TDataItem& item)
{
    const TXmlDocument doc = LoadParsedDocument(output, ParsedDetailsFile);
    xmlNode* root = xmlDocGetRootElement(doc.get());
    AddDetailsExtras(match, root);
    DropUnacceptableCovers(root);
    CheckTextsDecode(root);  // before the merge, so that a bad document leaves the book untouched
    item.ReadXML(root, false);
}

void TInfoSourceList::LoadSettings(const TSettingsStore& store)
{
    for (TInfosource* source : *this)
        source->LoadSettings(store);
}

void TInfoSourceList::SaveSettings(TSettingsStore& store) const
{
    for (const TInfosource* source : *this)
        source->SaveSettings(store);
}

// ---------------------------------------------------------------------------------------------------
// Pictures

namespace {

bool IsPicture(const QByteArray& data)
{
    return data.startsWith("GIF8") || data.startsWith("\xFF\xD8\xFF") || data.startsWith("\x89PNG")
           || data.startsWith("BM");
}

QString WithExtension(const QString& path, const QString& extension)
{
    const QFileInfo file(path);
    const QString name = file.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return path.left(path.size() - name.size()) + (dot < 0 ? name : name.left(dot)) + extension;
}

QString ExtensionOf(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

}  // namespace

bool DownloadFile(const QString& address, QString& target)
{
    QByteArray data;
    try {
        THttpClient& client = HttpClient();
        client.ApplyProxy(Prefs().Proxy);
        data = client.Get(address);
    } catch (const EHttp&) {
        return false;
    }
    // Small answers and anything that is no picture are error pages, not covers.
    if (data.size() <= 1024 || !IsPicture(data))
        return false;
    if (data.startsWith("GIF") && ExtensionOf(target) != u".gif")
        target = WithExtension(target, QStringLiteral(".gif"));
    else if (data.mid(6, 4) == "JFIF" && ExtensionOf(target) != u".jpg")
        target = WithExtension(target, QStringLiteral(".jpg"));
    QString error;
    if (!TAtomicFile::Write(target, data, &error))
        throw EOnlineQuery(QStringLiteral("%1 cannot be written: %2").arg(target, error));
    return true;
}
