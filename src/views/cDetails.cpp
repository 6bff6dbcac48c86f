#include "views/cDetails.h"

#include "model/cData.h"
#include "platform/AtomicFile.h"
#include "platform/Messenger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <libexslt/exslt.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxslt/imports.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>
#include <mutex>

namespace {

// ---------------------------------------------------------------------------------------------------
// Confinement: while a template loads or runs, every file libxml2 or libxslt opens (the template, its
// imports and includes, document(), external entities and DTDs) must lie in the template's folder.

thread_local const QString* ConfinedFolder = nullptr;
xmlExternalEntityLoader PreviousEntityLoader = nullptr;

class TConfinement {
public:
    explicit TConfinement(const QString& folder) : FPrevious(ConfinedFolder) { ConfinedFolder = &folder; }
    ~TConfinement() { ConfinedFolder = FPrevious; }
    TConfinement(const TConfinement&) = delete;
    TConfinement& operator=(const TConfinement&) = delete;

private:
    const QString* FPrevious;
};

QString CanonicalFolder(const QString& path)
{
    const QString folder = QFileInfo(path).absoluteDir().canonicalPath();
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/');
}

// A local path named by what libxml2 hands over: a plain path or a file: URL; empty for anything else.
QString LocalPathOf(const QString& resource)
{
    const QUrl url(resource);
    if (url.scheme() == QLatin1String("file"))
        return url.toLocalFile();
    if (!url.scheme().isEmpty())
        return {};
    return QFile::exists(resource) ? resource : QUrl::fromPercentEncoding(resource.toUtf8());
}

bool MayRead(const QString& resource)
{
    if (!ConfinedFolder)
        return true;
    const QString path = LocalPathOf(resource);
    if (path.isEmpty())
        return false;
    // Canonical paths resolve links, so a link inside the folder cannot lead out of it.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return !canonical.isEmpty() && !ConfinedFolder->isEmpty() && canonical.startsWith(*ConfinedFolder);
}

xmlParserInputPtr ConfinedEntityLoader(const char* url, const char* id, xmlParserCtxtPtr context)
{
    if (ConfinedFolder && (!url || !MayRead(QString::fromUtf8(url))))
        return nullptr;
    return PreviousEntityLoader(url, id, context);
}

int MayReadFile(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* path)
{
    return path && MayRead(QString::fromUtf8(path)) ? 1 : 0;
}

void IgnoreErrors(void*, const char*, ...) {}

// Libraries are set up once per process: EXSLT's functions for template writers, and the entity loader
// that enforces the confinement (it passes everything through while no template is at work).
void SetUpLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        exsltRegisterAll();
        PreviousEntityLoader = xmlGetExternalEntityLoader();
        xmlSetExternalEntityLoader(ConfinedEntityLoader);
    });
}

// Keeps the parser's complaints about a broken template off the console; the error page says it.
class TQuietXslt {
public:
    TQuietXslt() : FFunc(xsltGenericError), FContext(xsltGenericErrorContext)
    {
        xsltSetGenericErrorFunc(nullptr, IgnoreErrors);
    }
    ~TQuietXslt() { xsltSetGenericErrorFunc(FContext, FFunc); }
    TQuietXslt(const TQuietXslt&) = delete;
    TQuietXslt& operator=(const TQuietXslt&) = delete;

private:
    xmlGenericErrorFunc FFunc;
    void* FContext;
};

struct TSecurityPrefsFree {
    void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
std::unique_ptr<xsltSecurityPrefs, TSecurityPrefsFree> TemplatePolicy()
{
    std::unique_ptr<xsltSecurityPrefs, TSecurityPrefsFree> prefs(xsltNewSecurityPrefs());
    for (xsltSecurityOption option : {XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY,
                                      XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK})
        xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid);
    xsltSetSecurityPrefs(prefs.get(), XSLT_SECPREF_READ_FILE, MayReadFile);
    return prefs;
}

struct TTransformContextFree {
    void operator()(xsltTransformContext* context) const { xsltFreeTransformContext(context); }
};
struct TXmlFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

QString Decode(const xmlChar* text, int length, const xmlChar* encoding)
{
    const QByteArray bytes(reinterpret_cast<const char*>(text), length);
    QStringDecoder decoder(encoding ? reinterpret_cast<const char*>(encoding) : "UTF-8");
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TXslTemplate

TXslTemplate::TXslTemplate(xsltStylesheet* style, const QString& folder) : FStyle(style), FFolder(folder) {}

TXslTemplate::~TXslTemplate() { xsltFreeStylesheet(FStyle); }

std::unique_ptr<TXslTemplate> TXslTemplate::Load(const QString& path)
{
    SetUpLibraries();
    const QString folder = CanonicalFolder(path);
    if (folder.isEmpty() || !QFileInfo(path).isFile())
        return nullptr;
    const TConfinement confinement(folder);
    const TQuietXslt quiet;
    xmlDoc* doc = xmlReadFile(QFile::encodeName(path).constData(), nullptr,
                              XSLT_PARSE_OPTIONS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return nullptr;
    xsltStylesheet* style = xsltParseStylesheetDoc(doc);
    if (!style) {
        // A style sheet that failed to parse leaves its document to the caller.
        xmlFreeDoc(doc);
        return nullptr;
    }
    return std::unique_ptr<TXslTemplate>(new TXslTemplate(style, folder));
}

std::optional<QString> TXslTemplate::Apply(xmlDoc* document, const TParameters& parameters) const
{
    const TConfinement confinement(FFolder);
    const TQuietXslt quiet;
    QList<QByteArray> texts;
    for (const auto& [name, value] : parameters)
        texts << name << QByteArray::number(value);
    std::vector<const char*> params;
    for (const QByteArray& text : texts)
        params.push_back(text.constData());
    params.push_back(nullptr);

    const auto policy = TemplatePolicy();
    std::unique_ptr<xsltTransformContext, TTransformContextFree> context(
        xsltNewTransformContext(FStyle, document));
    if (!context)
        return std::nullopt;
    xsltSetCtxtSecurityPrefs(policy.get(), context.get());
    xsltSetTransformErrorFunc(context.get(), nullptr, IgnoreErrors);
    const TXmlDocument result(
        xsltApplyStylesheetUser(FStyle, document, params.data(), nullptr, nullptr, context.get()));
    if (!result || context->state == XSLT_STATE_ERROR || context->state == XSLT_STATE_STOPPED)
        return std::nullopt;

    xmlChar* text = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&text, &length, result.get(), FStyle) != 0)
        return std::nullopt;
    const std::unique_ptr<xmlChar, TXmlFree> owned(text);
    const xmlChar* encoding = nullptr;
    XSLT_GET_IMPORT_PTR(encoding, FStyle, encoding);
    return Decode(text, length, encoding);
}

// ---------------------------------------------------------------------------------------------------
// TDetailsPage

TDetailsPage::TDetailsPage(const QString& templatePath)
    : FTemplatePath(templatePath), FTemplate(TXslTemplate::Load(templatePath))
{}

TDetailsPage::~TDetailsPage() = default;

QString TDetailsPage::TemplateFolder() const { return QFileInfo(FTemplatePath).absolutePath(); }

bool TDetailsPage::ChooseTemplate(const QString& path)
{
    if (path == FTemplatePath)
        return false;
    FTemplatePath = path;
    ReloadTemplate();
    return true;
}

void TDetailsPage::ReloadTemplate()
{
    FTemplate.reset();
    FTemplate = TXslTemplate::Load(FTemplatePath);
}

QString TDetailsPage::ErrorPage() const
{
    const QString reason = QFileInfo::exists(FTemplatePath) ? QStringLiteral("Invalid content.")
                                                            : QStringLiteral("File not found.");
    return QStringLiteral("<HTML><BODY>Error in stylesheet %1.<br>%2</BODY></HTML>")
        .arg(FTemplatePath.toHtmlEscaped(), reason);
}

std::optional<QString> TDetailsPage::Render(TRootItem& root, TDataItem* item, QSize page) const
{
    if (!FTemplate)
        return ErrorPage();
    try {
        const TXmlDocument document = root.WriteXMLDocument(item, FTemplatePath);
        return FTemplate->Apply(document.get(), {{"pageheight", page.height()}, {"pagewidth", page.width()}});
    } catch (const std::exception&) {
        // The page is optional: on any failure the viewer keeps what it shows.
        return std::nullopt;
    }
}

QByteArray ItemXmlText(TRootItem& root, TDataItem* item)
{
    const TXmlDocument document = root.WriteXMLDocument(item);
    return XmlDocumentText(document.get());
}

// ---------------------------------------------------------------------------------------------------
// Links

namespace {

bool IsWindowsPath(const QString& text)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]"));
    return text.startsWith(QLatin1String("\\\\")) || drive.match(text).hasMatch();
}

// Pictures and documents: files the desktop shows rather than runs.
bool IsViewableFile(const QString& path)
{
    static const QStringList viewable = {
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("gif"),
        QStringLiteral("bmp"),  QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("webp"),
        QStringLiteral("pdf"),  QStringLiteral("txt"),  QStringLiteral("rtf"),  QStringLiteral("doc"),
        QStringLiteral("docx"), QStringLiteral("odt"),  QStringLiteral("epub"), QStringLiteral("djvu"),
        QStringLiteral("htm"),  QStringLiteral("html")};
    const QFileInfo info(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
    if (!viewable.contains(info.suffix().toLower()))
        return false;
    // A file marked executable runs when opened, whatever its name says.
    return !info.exists() || (info.isFile() && !info.isExecutable());
}

TLinkDecision LocalFileLink(const QString& path, const QString& baseFolder)
{
    const QString full =
        IsWindowsPath(path) || QDir::isAbsolutePath(path) ? path : QDir(baseFolder).filePath(path);
    const QUrl target = QUrl::fromLocalFile(IsWindowsPath(full) ? full : QDir::cleanPath(full));
    return {IsViewableFile(full) ? TLinkAction::Confirm : TLinkAction::Refuse, target};
}

}  // namespace

TLinkDecision DecideLink(const QString& href, const QString& baseFolder)
{
    const QString text = href.trimmed();
    if (text.isEmpty() || text == QLatin1String("dummy.html"))
        return {TLinkAction::Ignore, {}};
    if (IsWindowsPath(text))
        return LocalFileLink(text, baseFolder);
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto"))
        return {url.isValid() ? TLinkAction::Open : TLinkAction::Refuse, url};
    if (scheme == QLatin1String("file"))
        return LocalFileLink(url.toLocalFile(), baseFolder);
    if (scheme.isEmpty())
        return LocalFileLink(url.path(), baseFolder);
    // Other schemes start whatever program claims them; the user decides, knowing the address.
    return {url.isValid() ? TLinkAction::Confirm : TLinkAction::Refuse, url};
}

QString ConfirmLinkQuestion(const QUrl& target)
{
    const QString name =
        target.isLocalFile() ? QDir::toNativeSeparators(target.toLocalFile()) : target.toString();
    return QStringLiteral("Open \"%1\"?").arg(name);
}

// ---------------------------------------------------------------------------------------------------
// Dropped covers

namespace {

bool SameContent(const QString& a, const QString& b)
{
    QFile first(a);
    QFile second(b);
    if (first.size() != second.size() || !first.open(QIODevice::ReadOnly)
        || !second.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 Block = 1 << 16;
    while (!first.atEnd())
        if (first.read(Block) != second.read(Block))
            return false;
    return true;
}

// "cover (2).jpg", "cover (3).jpg", ... : the first name not taken in `folder`.
QString FreeName(const QString& folder, const QFileInfo& file)
{
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = QDir(folder).filePath(
            QStringLiteral("%1 (%2)%3").arg(file.completeBaseName()).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

// Copies through a temporary file that is renamed into place, so the target is never removed first.
bool CopyFile(const QString& source, const QString& target)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return TAtomicFile::Write(target, file.readAll());
}

}  // namespace

std::optional<QString> CopyCoverToFolder(const QString& source, const QString& folder)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.isFile())
        return std::nullopt;
    QString target = QDir(folder).filePath(sourceInfo.fileName());
    const QFileInfo targetInfo(target);
    if (targetInfo.exists()) {
        if (targetInfo.canonicalFilePath() == sourceInfo.canonicalFilePath() || SameContent(source, target))
            return target;
        const QString freeName = FreeName(folder, sourceInfo);
        const QString question =
            QStringLiteral("The image folder already holds another file named \"%1\". Replace it?\n\n"
                           "No keeps that file and copies the picture as \"%2\".")
                .arg(sourceInfo.fileName(), QFileInfo(freeName).fileName());
        if (Messenger().AskYesNo(question) != TMessageAnswer::Yes)
            target = freeName;
    }
    if (!CopyFile(source, target))
        return std::nullopt;
    return target;
}

bool LinkFrontCover(TDataItem& item, const QString& path)
{
    QImage picture;
    QImage thumbnail;
    if (!MakeThumbnail(path, &picture, &thumbnail, TImageList::ImageSize))
        return false;
    item.SetFrontImage(path);
    item.SetThumbnail(thumbnail);
    return true;
}
