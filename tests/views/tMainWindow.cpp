// The main window driven offscreen by its components' names: opening, saving and closing collections,
// the grouping settings, header clicks, type-ahead; and the single-instance hand-over.

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "app/cInstanceChecker.h"
#include "app/cInternetConnection.h"
#include "book/cBookData.h"
#include "online/LoopbackServer.h"
#include "platform/Messenger.h"
#include "platform/SettingsStore.h"
#include "views/cFolderTree.h"
#include "views/fFolderTreeView.h"
#include "views/fMain.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out);

namespace {

// The window with its drop handler in reach: offscreen no real drag reaches the tree.
class TDropWindow : public TfmMain {
public:
    using TfmMain::TfmMain;
    using TfmMainBase::DropOnFolder;
};

TTreeNode* TopFolder(TFolderTree& folders, const QString& caption)
{
    for (const auto& child : folders.RootNode->Children)
        if (child->Text == caption)
            return child.get();
    return nullptr;
}

class MainWindowTest : public ::testing::Test {
protected:
    TRecordingMessenger Messages;
    TQueuedFileDialogs Dialogs;
    QTemporaryDir Dir;

    void SetUp() override
    {
        SetMessenger(&Messages);
        SetFileDialogs(&Dialogs);
        // A shown window never looks for a newer version by itself here.
        Prefs().NrDaysBetweenUpdateChecks = -1;
        Prefs().CurrentDatabase.clear();
        Prefs().DataFolder = Dir.path() + QLatin1Char('/');
        Prefs().Settings().EraseSection(QStringLiteral("fmMain"));
    }
    void TearDown() override
    {
        SetFileDialogs(nullptr);
        SetMessenger(nullptr);
    }

    // A collection file with `count` books by two authors, one book without an author.
    QString MakeFile(const QString& name, int count = 3)
    {
        auto root = TRootItem::New<TBookRoot>();
        for (int i = 0; i < count; ++i) {
            auto* book = static_cast<TBook*>(root->Items->NewItem());
            book->Main().Title = QStringLiteral("Title %1").arg(QChar('A' + i));
            if (i > 0)
                book->Main().Credits.AddCredit(bfAuthor,
                                               root->List("Author")->FindOrAdd(i % 2 ? "Odd" : "Even"));
        }
        const QString file = Dir.filePath(name);
        EXPECT_TRUE(root->SaveToFile(file));
        return file;
    }

    static int BooksIn(const QString& file)
    {
        auto root = TRootItem::New<TBookRoot>();
        return root->LoadFromFile(file) ? root->Items->Count() : -1;
    }

    static std::unique_ptr<TfmMain> Open(const QString& file)
    {
        auto form = std::make_unique<TfmMain>(file);
        form->show();
        return form;
    }

    static void Click(QWidget* widget, const QPoint& at)
    {
        const QPointF global = widget->mapToGlobal(QPointF(at));
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {});
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, {}, {});
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }

    static void Type(QWidget* widget, const QString& text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, {}, QString(c));
            QApplication::sendEvent(widget, &press);
        }
    }

    template <class T>
    static T* Find(QWidget& form, const char* name)
    {
        return form.findChild<T*>(QLatin1String(name));
    }
};

TEST_F(MainWindowTest, TheCloseQuestionOfANeverSavedCollection)
{
    const QString saved = Dir.filePath("saved.tmk");
    const struct {
        TMessageAnswer Answer;
        QString Chosen;  // the file the save dialog returns
        bool Closes;
    } cases[] = {{TMessageAnswer::Cancel, {}, false},
                 {TMessageAnswer::Yes, {}, false},
                 {TMessageAnswer::No, {}, true},
                 {TMessageAnswer::Yes, saved, true}};
    for (const auto& c : cases) {
        auto form = Open(QString());
        static_cast<TBook*>(form->Root().Items->NewItem())->Main().Title = "Unsaved";
        Messages.Reset();
        Messages.Answers = {c.Answer};
        Dialogs.Answers = QStringList{c.Chosen};
        EXPECT_EQ(form->close(), c.Closes) << int(c.Answer) << c.Chosen.toStdString();
        EXPECT_EQ(Messages.Questions,
                  QStringList{"This collection has not been saved yet. Do you want to save it now?"});
        EXPECT_EQ(QFile::exists(saved), !c.Chosen.isEmpty());
    }
    EXPECT_EQ(BooksIn(saved), 1);
    EXPECT_EQ(Prefs().CurrentDatabase, saved);
}

TEST_F(MainWindowTest, ClosingSavesChangesButNeverTheDemoOpenedByItsName)
{
    // The demo opened as "Data/demo.tmk" stays as it is; opened by another path, or any other
    // collection, is saved.
    const QString other = MakeFile("other.tmk");
    QDir(Dir.path()).mkpath("Data");
    const QString demo = Dir.filePath("Data/demo.tmk");
    ASSERT_TRUE(QFile::copy(other, demo));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    const struct {
        QString Opened;
        QString File;
        int Books;
    } cases[] = {{"Data/demo.tmk", demo, 3}, {demo, demo, 4}, {other, other, 4}};
    for (const auto& c : cases) {
        auto form = Open(c.Opened);
        form->Root().Items->NewItem();
        EXPECT_TRUE(form->close());
        EXPECT_EQ(BooksIn(c.File), c.Books) << c.Opened.toStdString();
    }
    QDir::setCurrent(previous);
    EXPECT_TRUE(Messages.Questions.isEmpty());
}

TEST_F(MainWindowTest, AFailedSaveOnCloseKeepsTheWindowAndAsks)
{
    const QString file = MakeFile("books.tmk");
    auto form = Open(file);
    // The file's folder is gone: saving cannot succeed.
    form->Root().FileName = Dir.filePath("gone/books.tmk");
    Messages.Answers = {TMessageAnswer::Cancel};
    EXPECT_FALSE(form->close());
    ASSERT_EQ(Messages.Questions.size(), 1);
    Messages.Answers = {TMessageAnswer::No};
    EXPECT_TRUE(form->close());
}

TEST_F(MainWindowTest, AFailedOpenKeepsThePreviousCollection)
{
    const QString good = MakeFile("good.tmk");
    QFile broken(Dir.filePath("broken.tmk"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a collection");
    broken.close();
    auto form = Open(good);
    ASSERT_EQ(Prefs().CurrentDatabase, good);
    Dialogs.Answers = {broken.fileName()};
    Find<QAction>(*form, "acOpen")->trigger();
    EXPECT_EQ(form->Root().FileName, good);
    EXPECT_EQ(form->Root().Items->Count(), 3);
    EXPECT_EQ(Prefs().CurrentDatabase, good);
    EXPECT_EQ(Find<QLabel>(*form, "pnCount")->text(), "3 Books");
    EXPECT_TRUE(form->windowTitle().endsWith(" - good.tmk"));
}

TEST_F(MainWindowTest, AnUnreadableStartFileStartsEmptyAndIsForgotten)
{
    Prefs().CurrentDatabase = MakeFile("last.tmk");
    auto form = Open(Dir.filePath("missing.tmk"));
    EXPECT_EQ(form->Root().Items->Count(), 0);
    EXPECT_TRUE(Prefs().CurrentDatabase.isEmpty());
    EXPECT_EQ(Find<QLabel>(*form, "pnCount")->text(), "0 Books");
    EXPECT_EQ(Find<QLabel>(*form, "pnSelection")->text(), "Selected: 0 Books");
}

TEST_F(MainWindowTest, NewAndOpenDoWhatClosingDoesFirst)
{
    auto form = Open(QString());
    form->Root().Items->NewItem();
    // An unsaved collection with a book is not dropped without a question.
    Messages.Answers = {TMessageAnswer::Cancel};
    Find<QAction>(*form, "acNew")->trigger();
    EXPECT_EQ(form->Root().Items->Count(), 1);
    EXPECT_EQ(Messages.Questions.size(), 1);

    // A collection with a file is saved before another one is opened, without a question.
    const QString first = MakeFile("first.tmk");
    const QString second = MakeFile("second.tmk", 1);
    Messages.Reset();
    Dialogs.Answers = {first, second};
    Messages.Answers = {TMessageAnswer::No};
    Find<QAction>(*form, "acOpen")->trigger();
    form->Root().Items->NewItem();
    Find<QAction>(*form, "acOpen")->trigger();
    EXPECT_EQ(Messages.Questions.size(), 1);
    EXPECT_EQ(BooksIn(first), 4);
    EXPECT_EQ(form->Root().Items->Count(), 1);
}

TEST_F(MainWindowTest, AStoredPresetBeyondThePresetsShowsNoFolders)
{
    Prefs().Settings().WriteInteger("fmMain", "BookGroupFieldPreset", 7);
    auto form = Open(MakeFile("books.tmk"));
    EXPECT_EQ(Find<QToolButton>(*form, "laTreeFolders")->text(), "No Folders");
    for (QMenu* menu : form->findChildren<QMenu*>())
        for (QAction* entry : menu->actions())
            EXPECT_FALSE(entry->isCheckable() && entry->isChecked() && entry->data().isValid())
                << entry->text().toStdString();
    EXPECT_EQ(Find<QLabel>(*form, "pnCount")->text(), "3 Books");

    // Choosing the Author preset puts "[None]" first in the tree.
    for (QAction* entry : Find<QMenu>(*form, "pmFolders")->actions())
        if (entry->text() == "Author") {
            entry->trigger();
            break;
        }
    auto* tree = Find<QTreeView>(*form, "tvMain");
    const QModelIndex collection = tree->model()->index(0, 0);
    EXPECT_EQ(tree->model()->index(0, 0, collection).data().toString(), "[None]");
}

TEST_F(MainWindowTest, ContentsViewWithoutFoldersHidesTheFolderPane)
{
    Prefs().Settings().WriteInteger("fmMain", "SectionGroupFieldPreset", -1);
    auto form = Open(MakeFile("books.tmk"));
    auto* pane = Find<QWidget>(*form, "pnTree");
    EXPECT_TRUE(pane->isVisible());
    Find<QAction>(*form, "acSectionView")->trigger();
    EXPECT_FALSE(pane->isVisible());
    EXPECT_EQ(Find<QLabel>(*form, "pnCount")->text(), "3 Stories/Articles");
    Find<QAction>(*form, "acItemView")->trigger();
    EXPECT_TRUE(pane->isVisible());

    // Closed in contents view, the hidden pane is not stored as collapsed.
    Find<QAction>(*form, "acSectionView")->trigger();
    ASSERT_TRUE(form->close());
    form = Open(MakeFile("books.tmk"));
    EXPECT_GT(Find<QSplitter>(*form, "pnExplorer")->sizes().value(0), 0);
}

TEST_F(MainWindowTest, HeaderClicksSortAndTypingSearches)
{
    auto form = Open(MakeFile("books.tmk"));
    auto* list = Find<QTreeView>(*form, "lvMain");
    QHeaderView* header = list->header();
    auto title = [&](int row) { return list->model()->index(row, 0).data().toString(); };
    auto click = [&](int column) {
        Click(header->viewport(), QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    // The sorted column carries an arrow picture; the others none.
    auto arrow = [&](int column) {
        return list->model()->headerData(column, Qt::Horizontal, Qt::DecorationRole).value<QIcon>();
    };
    click(0);
    EXPECT_EQ(title(0), "Title A");
    const QIcon ascending = arrow(0);
    EXPECT_FALSE(ascending.isNull());
    EXPECT_TRUE(arrow(1).isNull());
    click(0);
    EXPECT_EQ(title(0), "Title C");
    EXPECT_FALSE(arrow(0).isNull());
    EXPECT_NE(arrow(0).cacheKey(), ascending.cacheKey());

    list->setFocus();
    Type(list, "title b");
    EXPECT_EQ(Find<QLabel>(*form, "pnSearch")->text(), "title b");
    EXPECT_EQ(list->selectionModel()->selectedRows().value(0).row(), 1);

    click(1);
    EXPECT_TRUE(arrow(0).isNull());
    EXPECT_EQ(arrow(1).cacheKey(), ascending.cacheKey());
}

TEST_F(MainWindowTest, DroppingABookOnAnAuthorFolderSavesItAndRebuildsTheTree)
{
    Prefs().Settings().WriteInteger("fmMain", "BookGroupFieldPreset", 0);  // Author
    const QString file = MakeFile("books.tmk");
    TDropWindow form(file);
    form.show();
    TFolderTree& folders = form.Folders();
    folders.SelectNode(TopFolder(folders, "Odd"));  // lists "Title B" and selects it
    TTreeNode* even = TopFolder(folders, "Even");
    ASSERT_TRUE(even);
    auto authorOfB = [&] {
        auto root = TRootItem::New<TBookRoot>();
        EXPECT_TRUE(root->LoadFromFile(file));
        for (TDataItem* item : *root->Items)
            if (static_cast<TBook*>(item)->Main().Title == "Title B")
                return item->GetValueAsString(root->FieldByID(bfAuthor));
        return QStringLiteral("missing");
    };

    ASSERT_EQ(authorOfB(), "Odd");
    form.DropOnFolder(even, false);
    EXPECT_EQ(authorOfB(), "Even");
    // "Odd" lost its only book; the selection falls back on the folder now in its place.
    ASSERT_TRUE(folders.SelectedNode());
    EXPECT_EQ(folders.SelectedNode()->Text, "Even");
    EXPECT_FALSE(TopFolder(folders, "Odd"));
    EXPECT_EQ(Find<QLabel>(form, "pnCount")->text(), "2 Books");
}

TEST_F(MainWindowTest, ABookRowStartsADragAfterFivePixelsAFolderRowNever)
{
    Prefs().Settings().WriteInteger("fmMain", "BookGroupFieldPreset", 0);  // Author
    auto form = Open(MakeFile("books.tmk"));
    TFolderTree& folders = form->Folders();
    auto* list = Find<QTreeView>(*form, "lvMain");
    QWidget* viewport = list->viewport();
    // Presses the first row and moves by `distance` pixels with the button held; the drag it made.
    auto dragFirstRow = [&](int distance) -> QDrag* {
        const QPointF at = list->visualRect(list->model()->index(0, 0)).center();
        const QPointF to = at + QPointF(distance, 0);
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, {});
        QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &press);
        QApplication::sendEvent(viewport, &move);
        QDrag* drag = list->findChild<QDrag*>(QString(), Qt::FindDirectChildrenOnly);
        QMouseEvent release(QEvent::MouseButtonRelease, to, viewport->mapToGlobal(to), Qt::LeftButton,
                            Qt::NoButton, {});
        QApplication::sendEvent(viewport, &release);
        return drag;
    };
    ASSERT_EQ(folders.ListKind(), lkFolders);
    EXPECT_FALSE(dragFirstRow(8));

    folders.SelectNode(TopFolder(folders, "Odd"));
    ASSERT_EQ(folders.ListKind(), lkMainItems);
    EXPECT_FALSE(dragFirstRow(4));
    QDrag* drag = dragFirstRow(5);
    ASSERT_TRUE(drag);
    EXPECT_TRUE(drag->mimeData()->hasFormat(ItemDragMimeType));
    EXPECT_LE(drag->pixmap().width(), 1);  // no picture of the rows
    EXPECT_EQ(folders.DraggedObject(false), folders.CurrentList.Items(0));
}

TEST_F(MainWindowTest, ColumnsTakeTheirStoredWidthsWhenTheListChangesKind)
{
    Prefs().Settings().WriteInteger("fmMain", "BookGroupFieldPreset", 0);  // Author
    auto form = Open(MakeFile("books.tmk"));
    TFolderTree& folders = form->Folders();
    auto* list = Find<QTreeView>(*form, "lvMain");
    QHeaderView* header = list->header();
    ASSERT_EQ(folders.ListKind(), lkFolders);
    EXPECT_EQ(header->sectionSize(0), list->width() - 30);

    folders.SelectNode(TopFolder(folders, "Odd"));
    ASSERT_EQ(folders.ListKind(), lkMainItems);
    ASSERT_EQ(header->count(), folders.ItemColumnFields.Count());
    for (int i = 0; i < header->count(); ++i)
        EXPECT_EQ(header->sectionSize(i), folders.ItemColumnFields.Column(i)->Width) << "column " << i;
}

TEST_F(MainWindowTest, PressingOneOfSeveralSelectedRowsKeepsThemAllForTheDrag)
{
    Prefs().Settings().WriteInteger("fmMain", "BookGroupFieldPreset", -1);
    auto form = Open(MakeFile("books.tmk"));
    TFolderTree& folders = form->Folders();
    auto* list = Find<QTreeView>(*form, "lvMain");
    list->selectAll();
    QWidget* viewport = list->viewport();
    const QPointF at = list->visualRect(list->model()->index(1, 0)).center();
    const QPointF to = at + QPointF(0, 6);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      {});
    QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &move);
    TDataRefList dropped;
    folders.DroppedItems(dropped, false);
    EXPECT_EQ(dropped.Count(), 3);

    // A plain click on one of them still selects just that row.
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, {});
    list->selectAll();
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
}

TEST_F(MainWindowTest, AShownWindowLooksForANewerVersionOnceAtTheFirstIdleMoment)
{
    TLoopbackServer server;
    server.On("/versioninfo.txt", {200, "LatestVersion=99.0\r\nLatestBuild=1\r\n"});
    Prefs().Settings().WriteString("Update", "VersionInfoURL", server.BaseURL() + "/versioninfo.txt");
    Prefs().NrDaysBetweenUpdateChecks = 0;
    Prefs().LastUpdateCheck = 0;

    auto form = Open(MakeFile("books.tmk"));
    EXPECT_TRUE(Messages.Questions.isEmpty()) << "the check waits until the window is idle";
    const QDeadlineTimer deadline(10000);
    while (Messages.Questions.isEmpty() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(Messages.Questions, QStringList{NewVersionQuestion()});
    EXPECT_EQ(server.Targets.size(), 1);
    EXPECT_GT(Prefs().LastUpdateCheck, 0);

    form->hide();
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(server.Targets.size(), 1) << "showing the window again does not check again";

    Prefs().Settings().EraseSection("Update");
}

TEST_F(MainWindowTest, ClosingDuringTheUpdateCheckStopsItWithoutAQuestion)
{
    TLoopbackServer server;
    server.On("/versioninfo.txt", {200, "", true});  // never answers
    Prefs().Settings().WriteString("Update", "VersionInfoURL", server.BaseURL() + "/versioninfo.txt");
    Prefs().NrDaysBetweenUpdateChecks = 0;
    Prefs().LastUpdateCheck = 0;

    auto form = Open(MakeFile("books.tmk"));
    QTimer::singleShot(300, form.get(), [&form] { form->close(); });
    QElapsedTimer clock;
    clock.start();
    while (form->isVisible() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(server.Targets.size(), 1);
    EXPECT_LT(clock.elapsed(), 5000) << "the request is stopped, not waited for";
    EXPECT_TRUE(Messages.Questions.isEmpty());
    EXPECT_EQ(Prefs().LastUpdateCheck, 0);
    Prefs().Settings().EraseSection("Update");
}

TEST(InstanceChecker, ASecondStartRaisesTheFirstAndEnds)
{
    const QString name = QStringLiteral("Tomekeep test %1").arg(QCoreApplication::applicationPid());
    TInstanceChecker first(name);
    ASSERT_TRUE(first.IsFirstInstance());
    bool raised = false;
    QObject::connect(&first, &TInstanceChecker::ActivationRequested, [&] { raised = true; });
    TInstanceChecker second(name);
    EXPECT_FALSE(second.IsFirstInstance());
    EXPECT_TRUE(second.ActivateRunningInstance());
    const QDeadlineTimer deadline(2000);
    while (!raised && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(raised);
}

}  // namespace
