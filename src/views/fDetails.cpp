#include "views/fDetails.h"

#include "app/cGatherixPrefs.h"
#include "model/cData.h"
#include "platform/AtomicFile.h"
#include "platform/Messenger.h"
#include "views/cDetails.h"
#include "views/fFullSizeImage.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// The viewer: never follows links itself, reports clicks on pictures and accepts dropped files.
class THtmlView : public QTextBrowser {
public:
    std::function<void(const QString& source)> OnImageClick;
    std::function<void(const QStringList& files, const QPoint& at)> OnDrop;

    explicit THtmlView(QWidget* parent) : QTextBrowser(parent)
    {
        setOpenLinks(false);
        setOpenExternalLinks(false);
        setAcceptDrops(true);
        setContextMenuPolicy(Qt::CustomContextMenu);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QTextBrowser::mouseReleaseEvent(event);
        if (event->button() != Qt::LeftButton || textCursor().hasSelection())
            return;
        const QString source = ImageAt(event->position().toPoint());
        if (!source.isEmpty() && OnImageClick)
            OnImageClick(source);
    }

    void dragEnterEvent(QDragEnterEvent* event) override { AcceptFiles(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { AcceptFiles(event); }
    void dropEvent(QDropEvent* event) override
    {
        const QStringList files = LocalFiles(event->mimeData());
        if (files.isEmpty())
            return;
        event->acceptProposedAction();
        if (OnDrop)
            OnDrop(files, mapToParent(event->position().toPoint()));
    }

private:
    static QStringList LocalFiles(const QMimeData* data)
    {
        QStringList files;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files << url.toLocalFile();
        return files;
    }

    void AcceptFiles(QDropEvent* event)
    {
        const bool copyOrLink = event->possibleActions() & (Qt::CopyAction | Qt::LinkAction);
        if (copyOrLink && !LocalFiles(event->mimeData()).isEmpty())
            event->acceptProposedAction();
        else
            event->ignore();
    }

    // The source of the picture under `at` (viewport coordinates), or nothing.
    QString ImageAt(const QPoint& at) const
    {
        const QPointF point = at + QPointF(horizontalScrollBar()->value(), verticalScrollBar()->value());
        const int position = document()->documentLayout()->hitTest(point, Qt::ExactHit);
        if (position < 0)
            return {};
        QTextCursor cursor(document());
        cursor.setPosition(position);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        const QTextCharFormat format = cursor.charFormat();
        return format.isImageFormat() ? format.toImageFormat().name() : QString();
    }
};

QAction* NewAction(QObject* owner, const char* name, const QString& text, const QString& hint)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QLatin1String(name));
    action->setStatusTip(hint);
    action->setToolTip(hint);
    return action;
}

}  // namespace

TfmDetails::TfmDetails(const QString& templatePath, QWidget* parent)
    : QWidget(parent), FPage(std::make_unique<TDetailsPage>(templatePath)),
      FOpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("pnDetails"));
    auto* view = new THtmlView(this);
    htDetails = view;
    htDetails->setObjectName(QStringLiteral("htDetails"));
    htDetails->setSearchPaths({FPage->TemplateFolder()});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(htDetails);

    view->OnImageClick = [this](const QString& source) { ShowImage(source); };
    view->OnDrop = [this](const QStringList& files, const QPoint& at) { DropFiles(files, at); };
    connect(htDetails, &QTextBrowser::anchorClicked, this, &TfmDetails::OpenLink);
    CreateActions();
}

TfmDetails::~TfmDetails() = default;

void TfmDetails::CreateActions()
{
    FSelectTemplate =
        NewAction(this, "acSelectXslTemplate", QStringLiteral("&XSL Template for Details View..."),
                  QStringLiteral("Select XSL Template for Details View"));
    connect(FSelectTemplate, &QAction::triggered, this, &TfmDetails::acSelectXslTemplateExecute);
    auto* refresh = NewAction(this, "acRefreshTemplate", QStringLiteral("&Refresh Template"),
                              QStringLiteral("Refresh XSL Template"));
    connect(refresh, &QAction::triggered, this, &TfmDetails::RefreshTemplate);
    auto* copy = NewAction(this, "acCopyText", QStringLiteral("&Copy"), QStringLiteral("Copy Selected Text"));
    connect(copy, &QAction::triggered, htDetails, &QTextBrowser::copy);
    // Printing the page belongs to the print commands; the entry stays hidden until they exist.
    auto* print = NewAction(this, "acPrint", QStringLiteral("&Print..."), QStringLiteral("Print"));
    print->setVisible(false);
    auto* saveHtml = NewAction(this, "acSaveAsHTML", QStringLiteral("Save as &HTML..."),
                               QStringLiteral("Save Details as HTML"));
    connect(saveHtml, &QAction::triggered, this, &TfmDetails::acSaveAsHTMLExecute);
    auto* saveXml = NewAction(this, "acSaveAsXML", QStringLiteral("Save as X&ML..."),
                              QStringLiteral("Save Details as XML"));
    connect(saveXml, &QAction::triggered, this, &TfmDetails::acSaveAsXMLExecute);

    pmDetailsView = new QMenu(this);
    pmDetailsView->setObjectName(QStringLiteral("pmDetailsView"));
    pmDetailsView->addActions({FSelectTemplate, refresh});
    pmDetailsView->addSeparator();
    pmDetailsView->addActions({copy, print});
    pmDetailsView->addSeparator();
    pmDetailsView->addActions({saveHtml, saveXml});
    connect(htDetails, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmDetailsView->popup(htDetails->mapToGlobal(at)); });

    pmDroppedFile = new QMenu(this);
    pmDroppedFile->setObjectName(QStringLiteral("pmDroppedFile"));
    QAction* link = pmDroppedFile->addAction(QStringLiteral("Link to dropped file"));
    link->setObjectName(QStringLiteral("miLinkDroppedFile"));
    connect(link, &QAction::triggered, this, &TfmDetails::LinkDroppedFile);
    QAction* copyFile =
        pmDroppedFile->addAction(QStringLiteral("Copy dropped file to default image folder, then link"));
    copyFile->setObjectName(QStringLiteral("miCopyDroppedFile"));
    connect(copyFile, &QAction::triggered, this, &TfmDetails::CopyDroppedFile);
}

// ---------------------------------------------------------------------------------------------------
// Rendering

void TfmDetails::SetRoot(TRootItem* root)
{
    FRoot = root;
    FItem = nullptr;
}

void TfmDetails::SetItem(TDataItem* item)
{
    FItem = item;
    ShowDetails();
}

void TfmDetails::SetCollapsed(bool collapsed)
{
    FCollapsed = collapsed;
    ShowDetails();
}

bool TfmDetails::IsCollapsed() const { return FCollapsed || !isVisible() || height() <= 0 || width() <= 0; }

QSize TfmDetails::PageSize() const
{
    const int margin = htDetails->frameWidth() + int(htDetails->document()->documentMargin());
    return {width() - 2 * margin, height() - 2 * margin};
}

void TfmDetails::ShowDetails()
{
    if (IsCollapsed())
        return;
    if (!FRoot || !FItem) {
        htDetails->hide();
        return;
    }
    const std::optional<QString> page = FPage->Render(*FRoot, FItem, PageSize());
    if (!page)
        return;
    FPageSource = *page;
    htDetails->setSearchPaths({FPage->TemplateFolder()});
    htDetails->setHtml(FPageSource);
    htDetails->show();
}

void TfmDetails::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ShowDetails();
}

void TfmDetails::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ShowDetails();
}

// ---------------------------------------------------------------------------------------------------
// Template commands

QString TfmDetails::TemplatePath() const { return FPage->TemplatePath(); }

bool TfmDetails::ChooseTemplate(const QString& path)
{
    if (!FPage->ChooseTemplate(path))
        return false;
    Prefs().DetailsTemplate = path;
    ShowDetails();
    return true;
}

void TfmDetails::RefreshTemplate()
{
    FPage->ReloadTemplate();
    ShowDetails();
}

void TfmDetails::acSelectXslTemplateExecute()
{
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Select XSL Template"), FPage->TemplatePath(),
                                     QStringLiteral("XSL templates (*.xsl)"));
    if (!path.isEmpty())
        ChooseTemplate(path);
}

// ---------------------------------------------------------------------------------------------------
// Saving

bool TfmDetails::SaveAsHtml(const QString& fileName) const
{
    return !FPageSource.isEmpty() && TAtomicFile::Write(fileName, FPageSource.toUtf8());
}

bool TfmDetails::SaveAsXml(const QString& fileName) const
{
    if (!FRoot || !FItem)
        return false;
    try {
        return TAtomicFile::Write(fileName, ItemXmlText(*FRoot, FItem));
    } catch (const std::exception&) {
        return false;
    }
}

QString TfmDetails::AskSaveFile(const QString& extension, const QString& filter)
{
    QFileDialog dialog(this, QStringLiteral("Save Details"), FLastSaveFolder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString fileName = dialog.selectedFiles().constFirst();
    FLastSaveFolder = QFileInfo(fileName).absolutePath();
    return fileName;
}

void TfmDetails::acSaveAsHTMLExecute()
{
    const QString fileName = AskSaveFile(QStringLiteral("html"), QStringLiteral("HTML files (*.htm *.html)"));
    if (!fileName.isEmpty() && !SaveAsHtml(fileName))
        Messenger().ShowError(QStringLiteral("Cannot write %1.").arg(fileName));
}

void TfmDetails::acSaveAsXMLExecute()
{
    const QString fileName = AskSaveFile(QStringLiteral("xml"), QStringLiteral("XML files (*.xml)"));
    if (!fileName.isEmpty() && !SaveAsXml(fileName))
        Messenger().ShowError(QStringLiteral("Cannot write %1.").arg(fileName));
}

// ---------------------------------------------------------------------------------------------------
// Links and pictures

void TfmDetails::OpenLink(const QUrl& link)
{
    const TLinkDecision decision = DecideLink(link.toString(), FPage->TemplateFolder());
    switch (decision.Action) {
    case TLinkAction::Ignore:
        return;
    case TLinkAction::Open:
        FOpenUrl(decision.Target);
        return;
    case TLinkAction::Confirm:
        if (Messenger().AskYesNo(ConfirmLinkQuestion(decision.Target)) == TMessageAnswer::Yes)
            FOpenUrl(decision.Target);
        return;
    case TLinkAction::Refuse:
        Messenger().ShowError(
            QStringLiteral("\"%1\" is not opened: it could start a program.").arg(link.toString()));
        return;
    }
}

TfmFullSizeImage* TfmDetails::FullSizeImage()
{
    if (!FFullSizeImage)
        FFullSizeImage = new TfmFullSizeImage(this);
    return FFullSizeImage;
}

void TfmDetails::ShowImage(const QString& source)
{
    const QUrl url(source);
    QString path = url.isLocalFile() ? url.toLocalFile() : source;
    if (QDir::isRelativePath(path))
        path = QDir(FPage->TemplateFolder()).filePath(path);
    TfmFullSizeImage* window = FullSizeImage();
    window->SetPicture(path);
    window->show();
    window->raise();
}

// ---------------------------------------------------------------------------------------------------
// Dropped covers

void TfmDetails::DropFiles(const QStringList& files, const QPoint& at)
{
    if (files.isEmpty())
        return;
    FDroppedFile = files.constFirst();
    pmDroppedFile->popup(mapToGlobal(at));
}

void TfmDetails::LinkCover(const QString& path)
{
    const bool changed = LinkFrontCover(*FItem, path);
    FDroppedFile.clear();
    emit CoverDropped(FItem, changed);
}

void TfmDetails::LinkDroppedFile()
{
    if (FItem && !FDroppedFile.isEmpty())
        LinkCover(FDroppedFile);
}

void TfmDetails::CopyDroppedFile()
{
    if (!FItem || FDroppedFile.isEmpty())
        return;
    if (const std::optional<QString> copy = CopyCoverToFolder(FDroppedFile, Prefs().ImageBaseFolder))
        LinkCover(*copy);
}
