// The main window's details panel and filter commands, driven offscreen by the components' names:
// the page follows the list selection unless the panel is collapsed, and the filter narrows the list.

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "book/cBookData.h"
#include "platform/Messenger.h"
#include "platform/SettingsStore.h"
#include "views/fFilterBaseNew.h"
#include "views/fMain.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTreeView>
#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out);

namespace {

class DetailsAndFilterTest : public ::testing::Test {
protected:
    TRecordingMessenger Messages;
    QTemporaryDir Dir;
    QString SavedTemplate = Prefs().DetailsTemplate;
    std::unique_ptr<TfmMain> Form;

    void SetUp() override
    {
        SetMessenger(&Messages);
        // A shown window never looks for a newer version by itself here.
        Prefs().NrDaysBetweenUpdateChecks = -1;
        Prefs().CurrentDatabase.clear();
        Prefs().DataFolder = Dir.path() + QLatin1Char('/');
        for (const char* section : {"fmMain", "fmMain\\pnInfo", "ItemFilterFields"})
            Prefs().Settings().EraseSection(QLatin1String(section));
        Prefs().DetailsTemplate = WriteTemplate();
    }
    void TearDown() override
    {
        Form.reset();
        TfmFilterBaseNew::SetTestHook({});
        Prefs().DetailsTemplate = SavedTemplate;
        SetMessenger(nullptr);
    }

    // A template that shows nothing but the book's title in brackets.
    QString WriteTemplate() const
    {
        QFile file(Dir.filePath("probe.xsl"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html"/>
  <xsl:template match="/"><html><body>
    <p>[<xsl:value-of select="//book/mainsection/title"/>]</p>
  </body></html></xsl:template>
</xsl:stylesheet>)");
        return file.fileName();
    }

    // Opens a collection of three books, "Title A" to "Title C".
    void Open()
    {
        auto root = TRootItem::New<TBookRoot>();
        for (QChar letter : QStringLiteral("ABC"))
            static_cast<TBook*>(root->Items->NewItem())->Main().Title = QStringLiteral("Title ") + letter;
        const QString file = Dir.filePath("books.tmk");
        ASSERT_TRUE(root->SaveToFile(file));
        Form = std::make_unique<TfmMain>(file);
        Form->show();
    }

    template <class T>
    T* Find(const char* name) const
    {
        T* widget = Form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QString PageText() const { return Find<QTextBrowser>("htDetails")->toPlainText().trimmed(); }
    QString Pane(const char* name) const { return Find<QLabel>(name)->text(); }

    // Selects a row of the list as a click does and answers its title.
    QString SelectRow(int row) const
    {
        auto* list = Find<QTreeView>("lvMain");
        const QModelIndex index = list->model()->index(row, 0);
        list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                           | QItemSelectionModel::Rows);
        return index.data().toString();
    }

    // Drags the handle between the list and the details panel by `dy` pixels.
    void DragDetailsHandle(int dy) const
    {
        QWidget* handle = Find<QSplitter>("pnRight")->handle(1);
        const QPoint from = handle->rect().center();
        auto send = [handle](QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, handle->mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, {});
            QApplication::sendEvent(handle, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, from + QPoint(0, dy), Qt::LeftButton);
        send(QEvent::MouseButtonRelease, from + QPoint(0, dy), {});
    }

    // Runs "Set Filter..." with `edit` doing the user's part before OK.
    void SetFilter(const std::function<void(TfmFilterBaseNew&)>& edit) const
    {
        TfmFilterBaseNew::SetTestHook([edit](TfmFilterBaseNew& dialog) {
            edit(dialog);
            dialog.findChild<QPushButton*>(QStringLiteral("btOK"))->click();
        });
        Find<QAction>("acEditFilter")->trigger();
    }
};

void AddTitleCondition(TfmFilterBaseNew& dialog, const QString& text)
{
    for (QAction* category : dialog.findChild<QMenu*>(QStringLiteral("pmFields"))->actions())
        for (QAction* entry : category->menu()->actions())
            if (entry->data().toInt() == bfTitle) {
                entry->trigger();
                auto* grid = dialog.findChild<QTableWidget*>(QStringLiteral("sgFilter"));
                qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()))->setText(text);
                return;
            }
    ADD_FAILURE() << "no Title entry in the field menu";
}

}  // namespace

TEST_F(DetailsAndFilterTest, TheSelectedBookIsRenderedUnlessThePanelIsCollapsed)
{
    Open();
    for (int row : {1, 2}) {
        const QString title = SelectRow(row);
        EXPECT_EQ(PageText(), QStringLiteral("[%1]").arg(title));
    }
    Form.reset();

    // Closed in the settings: the panel stays collapsed and a new selection renders nothing.
    Prefs().Settings().WriteBool(QStringLiteral("fmMain\\pnInfo"), QStringLiteral("Closed"), true);
    Open();
    const QString title = SelectRow(1);
    EXPECT_EQ(Find<QSplitter>("pnRight")->sizes().value(1), 0);
    EXPECT_TRUE(PageText().isEmpty());
    DragDetailsHandle(-150);
    ASSERT_GT(Find<QSplitter>("pnRight")->sizes().value(1), 0);
    EXPECT_EQ(PageText(), QStringLiteral("[%1]").arg(title));
}

TEST_F(DetailsAndFilterTest, AFilterWithConditionsNarrowsTheListAndAnEmptyOneSwitchesOff)
{
    Open();
    auto* onOff = Find<QAction>("acEnableFilter");
    EXPECT_FALSE(onOff->isEnabled());
    EXPECT_EQ(Pane("pnFilter"), "Filter: [None]");

    SetFilter([](TfmFilterBaseNew& dialog) { AddTitleCondition(dialog, QStringLiteral("Title B")); });
    EXPECT_EQ(Pane("pnCount"), "1 Book");
    EXPECT_TRUE(Pane("pnFilter").startsWith("Filter: (\"Title B\" in ")) << Pane("pnFilter").toStdString();
    EXPECT_TRUE(onOff->isEnabled());
    EXPECT_TRUE(onOff->isChecked());

    // Off and on again keep the conditions.
    onOff->trigger();
    EXPECT_EQ(Pane("pnCount"), "3 Books");
    EXPECT_EQ(Pane("pnFilter"), "Filter: [None]");
    onOff->trigger();
    EXPECT_EQ(Pane("pnCount"), "1 Book");

    SetFilter([](TfmFilterBaseNew& dialog) {
        dialog.findChild<QPushButton*>(QStringLiteral("btClearFilter"))->click();
    });
    EXPECT_EQ(Pane("pnCount"), "3 Books");
    EXPECT_EQ(Pane("pnFilter"), "Filter: [None]");
    EXPECT_FALSE(onOff->isEnabled());
    EXPECT_FALSE(onOff->isChecked());
}
