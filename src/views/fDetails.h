#pragma once
// The details panel below the item list: the current item rendered through the XSL template, with the
// page's context menu (template choice and reload, copy, saving the page and the item's XML), links
// handed to the desktop, a click on a picture showing it full size, and a picture file dropped on the
// page taken as the item's front cover.

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QTextBrowser;
class QUrl;
class TDataItem;
class TDetailsPage;
class TRootItem;
class TfmFullSizeImage;

class TfmDetails : public QWidget {
    Q_OBJECT

public:
    explicit TfmDetails(const QString& templatePath, QWidget* parent = nullptr);
    ~TfmDetails() override;

    void SetRoot(TRootItem* root);
    // Shows `item` (nothing: the page is hidden); renders unless the panel is collapsed.
    void SetItem(TDataItem* item);
    // While collapsed the panel renders nothing; expanding renders the current item.
    void SetCollapsed(bool collapsed);
    // Renders the current item anew.
    void ShowDetails();

    // The commands without their dialogs. ChooseTemplate answers false, doing nothing, for the template
    // in use; the saves answer whether the file was written.
    bool ChooseTemplate(const QString& path);
    void RefreshTemplate();
    bool SaveAsHtml(const QString& fileName) const;
    bool SaveAsXml(const QString& fileName) const;
    void OpenLink(const QUrl& link);
    void ShowImage(const QString& source);
    // Keeps the first file and offers to link or copy it at `at` (panel coordinates).
    void DropFiles(const QStringList& files, const QPoint& at);
    void LinkDroppedFile();
    void CopyDroppedFile();

    QString TemplatePath() const;
    QString DroppedFile() const { return FDroppedFile; }
    // The "XSL Template for Details View" command, which the main window also puts in its Settings menu.
    QAction* SelectTemplateAction() const { return FSelectTemplate; }
    TfmFullSizeImage* FullSizeImage();

    // Where links go; the desktop by default. Tests record them instead.
    using TUrlOpener = std::function<void(const QUrl&)>;
    void SetUrlOpener(TUrlOpener opener) { FOpenUrl = std::move(opener); }

signals:
    // A dropped picture was handled: the item changed (and needs saving) when `changed` is set; the
    // tree and the list need a refresh either way.
    void CoverDropped(TDataItem* item, bool changed);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void acSelectXslTemplateExecute();
    void acSaveAsHTMLExecute();
    void acSaveAsXMLExecute();
    QString AskSaveFile(const QString& extension, const QString& filter);
    void LinkCover(const QString& path);
    bool IsCollapsed() const;
    QSize PageSize() const;

    std::unique_ptr<TDetailsPage> FPage;
    TRootItem* FRoot = nullptr;
    TDataItem* FItem = nullptr;
    bool FCollapsed = false;
    QString FPageSource;  // the page as the template made it
    QString FDroppedFile;
    QString FLastSaveFolder;
    TUrlOpener FOpenUrl;
    QTextBrowser* htDetails;
    QMenu* pmDetailsView;
    QMenu* pmDroppedFile;
    QAction* FSelectTemplate;
    TfmFullSizeImage* FFullSizeImage = nullptr;
};
