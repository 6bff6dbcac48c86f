#pragma once
// The details page of the current item: its collection XML run through the user's XSL template into
// HTML. Templates are users' files and are shared, so they run confined: they read only files in their
// own folder, never the network, and write nothing. Also the rules for what a click on a link in the page
// may open, and for taking a dropped picture as an item's front cover.

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>
#include <utility>

class TDataItem;
class TRootItem;
struct _xmlDoc;
typedef struct _xmlDoc xmlDoc;
struct _xsltStylesheet;
typedef struct _xsltStylesheet xsltStylesheet;

// A loaded XSL template, confined to the folder it lies in.
class TXslTemplate {
public:
    // Nothing when the file is missing, is not XML or is not a style sheet.
    static std::unique_ptr<TXslTemplate> Load(const QString& path);
    ~TXslTemplate();
    TXslTemplate(const TXslTemplate&) = delete;
    TXslTemplate& operator=(const TXslTemplate&) = delete;

    // Numeric parameters, by name.
    using TParameters = QList<std::pair<QByteArray, int>>;
    // The output as text; nothing when the transformation fails.
    std::optional<QString> Apply(xmlDoc* document, const TParameters& parameters = {}) const;

private:
    TXslTemplate(xsltStylesheet* style, const QString& folder);
    xsltStylesheet* FStyle;
    QString FFolder;  // canonical, with a final "/"
};

// The details view's pipeline: the template in use, its error pages and the page of one item.
class TDetailsPage {
public:
    explicit TDetailsPage(const QString& templatePath);
    ~TDetailsPage();

    const QString& TemplatePath() const { return FTemplatePath; }
    // The folder relative pictures and links of the page are found in.
    QString TemplateFolder() const;
    bool HasStyleSheet() const { return FTemplate != nullptr; }
    // Takes another template; false, and nothing done, when `path` is the one in use.
    bool ChooseTemplate(const QString& path);
    // Reads the template file anew, so that edits to it show.
    void ReloadTemplate();
    // The page of `item` for a viewer whose inner size is `page`; the error page when the template did
    // not load; nothing when writing or transforming fails.
    std::optional<QString> Render(TRootItem& root, TDataItem* item, QSize page) const;

private:
    QString ErrorPage() const;

    QString FTemplatePath;
    std::unique_ptr<TXslTemplate> FTemplate;
};

// The collection XML of one item without a style sheet, as "Save as XML" writes it.
QByteArray ItemXmlText(TRootItem& root, TDataItem* item);

// What a click on a link of the page does. Addresses come from downloaded data, so only web and mail
// addresses open directly; a local picture or document is opened after the user agrees; anything that
// could run (programs, scripts, launchers, unknown schemes) is never handed to the desktop.
enum class TLinkAction { Ignore, Open, Confirm, Refuse };
struct TLinkDecision {
    TLinkAction Action = TLinkAction::Ignore;
    QUrl Target;
};
// `href` as the page holds it; relative targets lie in `baseFolder`.
TLinkDecision DecideLink(const QString& href, const QString& baseFolder);
// The question asked before a Confirm target is opened.
QString ConfirmLinkQuestion(const QUrl& target);

// Copies a dropped picture into the image folder and answers the path to link, or nothing when no copy
// was made. Covers from web pages often share names, so an existing file of that name is never replaced
// silently: the same file or an identical copy is just linked, a different one is replaced only when the
// user agrees and otherwise the copy gets a free name ("cover (2).jpg").
std::optional<QString> CopyCoverToFolder(const QString& source, const QString& folder);
// Makes `path` the item's front cover with a fresh thumbnail; false, and the item unchanged, when the
// file is not a picture.
bool LinkFrontCover(TDataItem& item, const QString& path);
