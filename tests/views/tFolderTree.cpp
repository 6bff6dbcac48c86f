// Grouping, the folder tree, the current list, sorting, type-ahead, snapshot and restore, without widgets.

#include "app/cGlobal.h"
#include "book/cBookData.h"
#include "platform/Messenger.h"
#include "views/cFolderTree.h"

#include <gtest/gtest.h>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

class FolderTreeTest : public ::testing::Test {
protected:
    std::unique_ptr<TBookRoot> Root = TRootItem::New<TBookRoot>();
    std::unique_ptr<TBookFolderTree> Folders;

    void SetUp() override
    {
        // Authors: Adams (2 books), Brown, none; genres Fantasy / Crime.
        AddBook("Zebra", "Adams", "Fantasy");
        AddBook("apple", "Adams", "Crime");
        AddBook("Abacus", "Brown", "Fantasy");
        AddBook("Mango", QString(), "Fantasy");
        Folders = std::make_unique<TBookFolderTree>(*Root);
        Folders->ItemSortFields.AddField(Field(bfTitle), 1);
        Folders->ItemColumnFields.AddField(Field(bfTitle), 120);
        Folders->ItemColumnFields.AddField(Field(bfAuthor), 90);
    }

    TDataField* Field(int id) const { return Root->FieldByID(id); }

    TBook* AddBook(const QString& title, const QString& author, const QString& genre)
    {
        auto* book = static_cast<TBook*>(Root->Items->NewItem());
        book->Main().Title = title;
        if (!author.isEmpty())
            book->Main().Credits.AddCredit(bfAuthor, Root->List("Author")->FindOrAdd(author));
        if (!genre.isEmpty())
            book->Genres.Add(Root->List("Genre")->FindOrAdd(genre));
        return book;
    }

    void Group(int preset)
    {
        Folders->CurrentPreset = preset;
        Folders->ApplyPreset(preset);
        Folders->BuildColumns();
        Folders->ResetView();
    }

    static QStringList Captions(const TTreeNode* node)
    {
        QStringList captions;
        for (const auto& child : node->Children)
            captions << child->Text;
        return captions;
    }

    QStringList ListTexts() const
    {
        QStringList texts;
        // Books by title; folders and sections by their own text.
        for (TDataItem* item : Folders->CurrentList)
            texts << (dynamic_cast<TBook*>(item) ? static_cast<TBook*>(item)->Main().Title
                                                 : item->GetDisplayText());
        return texts;
    }

    TTreeNode* Child(const TTreeNode* node, const QString& caption) const
    {
        for (const auto& child : node->Children)
            if (child->Text == caption)
                return child.get();
        return nullptr;
    }

    // Selects a node as a click would: the list is filled for it and its first row selected.
    void Click(TTreeNode* node) { Folders->SelectNode(node); }
};

TEST_F(FolderTreeTest, NoneFolderComesFirstInTheTreeAndTakesPartInTheListSort)
{
    Group(0);  // Author
    EXPECT_EQ(Captions(Folders->RootNode), (QStringList{"[None]", "Adams", "Brown"}));
    EXPECT_EQ(Folders->ListKind(), lkFolders);
    EXPECT_EQ(ListTexts(), (QStringList{"[None]", "Adams", "Brown"}));
    EXPECT_EQ(Folders->CountText(), "3 Author items");

    // Reversed folder order: the tree keeps "[None]" first, the list sorts it by its name.
    Folders->HeaderClicked(0);
    EXPECT_EQ(ListTexts(), (QStringList{"Brown", "Adams", "[None]"}));
    Folders->ResetView();
    EXPECT_EQ(Captions(Folders->RootNode), (QStringList{"[None]", "Brown", "Adams"}));
}

TEST_F(FolderTreeTest, EmptyFoldersAppearOnlyWhenAsked)
{
    Root->List("Author")->FindOrAdd("Unused");
    AddBook("Solo", "Adams", QString());
    Root->Items->FreeAt(3);  // Mango: no author left without a value
    Group(0);
    EXPECT_EQ(Captions(Folders->RootNode), (QStringList{"Adams", "Brown"}));
    Folders->ShowEmptyFolders = true;
    Folders->ResetView();
    EXPECT_EQ(Captions(Folders->RootNode), (QStringList{"[None]", "Adams", "Brown", "Unused"}));
}

TEST_F(FolderTreeTest, FoldersListTheItemsOfTheirPath)
{
    Group(5);  // Genre / Author
    TTreeNode* fantasy = Child(Folders->RootNode, "Fantasy");
    ASSERT_TRUE(fantasy);
    Click(fantasy);
    EXPECT_EQ(ListTexts(), (QStringList{"[None]", "Adams", "Brown"}));
    ASSERT_TRUE(Folders->ExpandNode(fantasy));
    Click(Child(fantasy, "Adams"));
    EXPECT_EQ(Folders->ListKind(), lkMainItems);
    EXPECT_EQ(ListTexts(), (QStringList{"Zebra"}));
    Click(Child(fantasy, "[None]"));
    EXPECT_EQ(ListTexts(), (QStringList{"Mango"}));
    EXPECT_EQ(Folders->CountText(), "1 Book");
    EXPECT_EQ(Folders->SelectionText(), "Selected: 1 Book");
}

TEST_F(FolderTreeTest, PresetsBeyondTheListAndNoFoldersListAllBooks)
{
    for (int preset : {-1, 7}) {
        Group(preset);
        EXPECT_EQ(Folders->GroupFields().Count(), 0) << preset;
        EXPECT_EQ(Folders->FolderLabel(), "No Folders");
        EXPECT_EQ(Folders->ListKind(), lkMainItems);
        EXPECT_EQ(ListTexts(), (QStringList{"Abacus", "apple", "Mango", "Zebra"}));
        // The collection node expands to the books themselves, which do not expand.
        ASSERT_EQ(Folders->RootNode->ChildCount(), 4);
        EXPECT_FALSE(Folders->RootNode->Child(0)->HasChildren);
    }
    EXPECT_EQ(Folders->PresetCaption(4), "Publisher / Author");
}

TEST_F(FolderTreeTest, ContentsViewWithoutFoldersHasNoTreeAndListsSections)
{
    auto* book = static_cast<TBook*>(Root->Items->Items(0));
    static_cast<TSection*>(book->Sections->NewItem())->Title = "Story";
    Folders->SectionPreset = -1;
    Folders->SetViewMode(vmChild);
    Folders->ResetView();
    EXPECT_FALSE(Folders->CanHaveChildren(Folders->RootNode));
    EXPECT_EQ(Folders->ListKind(), lkChildItems);
    // The book with a section lists that section; the others their main section.
    EXPECT_EQ(Folders->CurrentList.Count(), 4);
    EXPECT_TRUE(ListTexts().contains("Story"));
    EXPECT_EQ(Folders->CountText(), "4 Stories/Articles");

    // Each view keeps its own grouping.
    Folders->SectionPreset = 1;
    Folders->SetViewMode(vmChild);
    EXPECT_EQ(Folders->FolderLabel(), "Genre");
    Folders->SetViewMode(vmMain);
    EXPECT_EQ(Folders->FolderLabel(), "No Folders");
}

TEST_F(FolderTreeTest, ABookNodeListsItsSections)
{
    auto* book = static_cast<TBook*>(Root->Items->Items(0));
    static_cast<TSection*>(book->Sections->NewItem())->Title = "First story";
    Group(-1);
    TTreeNode* node = Child(Folders->RootNode, "Zebra - Adams");
    ASSERT_TRUE(node);
    Click(node);
    EXPECT_EQ(Folders->ListKind(), lkChildItems);
    EXPECT_EQ(ListTexts(), (QStringList{"First story"}));
    EXPECT_EQ(Folders->CurrentItem(), book);
}

TEST_F(FolderTreeTest, HeaderClicksSortReverseAndReplaceTheSortOrder)
{
    Group(-1);
    Folders->ItemSortFields.AddField(Field(bfAuthor), 1);  // two fields: the first click replaces them
    bool ascending = false;
    Folders->HeaderClicked(0);
    EXPECT_EQ(Folders->ItemSortFields.Count(), 1);
    EXPECT_EQ(ListTexts(), (QStringList{"Abacus", "apple", "Mango", "Zebra"}));
    EXPECT_EQ(Folders->SortIndicatorColumn(&ascending), 0);
    EXPECT_TRUE(ascending);
    EXPECT_EQ(Folders->List.FirstSelectedRow(), 0);

    Folders->HeaderClicked(0);
    EXPECT_EQ(ListTexts(), (QStringList{"Zebra", "Mango", "apple", "Abacus"}));
    EXPECT_EQ(Folders->SortIndicatorColumn(&ascending), 0);
    EXPECT_FALSE(ascending);

    Folders->HeaderClicked(1);
    EXPECT_EQ(ListTexts().first(), "Mango");  // no author sorts first
    EXPECT_EQ(Folders->SortIndicatorColumn(&ascending), 1);
    EXPECT_TRUE(ascending);
}

TEST_F(FolderTreeTest, TypeAheadFindsTheFirstKeyThatBeginsWithTheText)
{
    Group(-1);
    const struct {
        const char* Typed;
        int Row;
    } cases[] = {{"a", 0}, {"AP", 1}, {"ab", 0}, {"m", 2}, {"zz", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(Folders->FindRow(c.Typed), c.Row) << c.Typed;
    Folders->ItemSortFields.FreeAll();
    EXPECT_EQ(Folders->FindRow("a"), -1);
}

TEST_F(FolderTreeTest, RestoreKeepsTheOpenFolderAndTheSelectedRowAfterARebuild)
{
    Group(0);
    TTreeNode* adams = Child(Folders->RootNode, "Adams");
    Click(adams);
    Folders->List.SelectRow(1);  // "Zebra"
    TDataItem* zebra = Folders->CurrentList.Items(1);
    Folders->SnapshotState(0);
    AddBook("Aardvark", "Adams", QString());  // sorts first: the row index changes
    Folders->RebuildTree();
    Folders->RestoreState(nullptr, true);
    ASSERT_TRUE(Folders->SelectedNode());
    EXPECT_EQ(Folders->SelectedNode()->Text, "Adams");
    EXPECT_EQ(Folders->List.RowObject(Folders->List.FirstSelectedRow()), zebra);
}

TEST_F(FolderTreeTest, RestoreFallsBackToTheSiblingOfAVanishedFolder)
{
    Group(0);
    Click(Child(Folders->RootNode, "Brown"));
    Folders->SnapshotState(-1);
    Root->Items->FreeAt(2);  // Abacus, Brown's only book
    Folders->RebuildTree();
    Folders->RestoreState(nullptr, true);
    // Brown was the third folder; now the last one ("Adams") takes its place.
    ASSERT_TRUE(Folders->SelectedNode());
    EXPECT_EQ(Folders->SelectedNode()->Text, "Adams");
}

TEST_F(FolderTreeTest, RestoreWithAnEditedBookOpensItsNewFolders)
{
    Group(5);                                                  // Genre / Author
    auto* apple = static_cast<TBook*>(Root->Items->Items(1));  // Crime / Adams
    Click(Child(Folders->RootNode, "Crime"));
    Folders->SnapshotState(-1);
    apple->Genres.Clear();
    apple->Genres.Add(Root->List("Genre")->FindOrAdd("Fantasy"));
    Folders->RebuildTree();
    Folders->RestoreState(apple, true);
    TTreeNode* selected = Folders->SelectedNode();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->Text, "Adams");
    EXPECT_EQ(selected->Parent->Text, "Fantasy");
    EXPECT_TRUE(selected->Parent->Expanded);
    EXPECT_EQ(Folders->List.RowObject(Folders->List.FirstSelectedRow()), apple);
}

TEST_F(FolderTreeTest, GoUpAndOpenFocusedInTreeWalkTheTree)
{
    Group(0);
    Folders->List.SelectRow(2);  // "Brown" in the folder list
    Folders->OpenFocusedInTree();
    ASSERT_TRUE(Folders->SelectedNode());
    EXPECT_EQ(Folders->SelectedNode()->Text, "Brown");
    EXPECT_EQ(ListTexts(), (QStringList{"Abacus"}));
    Folders->GoUp();
    EXPECT_EQ(Folders->SelectedNode(), Folders->RootNode);
    Folders->GoUp();
    EXPECT_EQ(Folders->SelectedNode(), Folders->RootNode);
}

TEST_F(FolderTreeTest, SelectingAfterARefillPrefersTheIndexThenTheTopRow)
{
    Group(-1);
    const struct {
        int Index, Top, Selected;
    } cases[] = {{2, -1, 2}, {-1, 3, 3}, {9, 0, 0}, {-1, -1, 0}};
    for (const auto& c : cases) {
        Folders->SelectListEntry(c.Index, c.Top);
        EXPECT_EQ(Folders->List.FirstSelectedRow(), c.Selected) << c.Index << " " << c.Top;
    }
}

TEST_F(FolderTreeTest, SavedColumnsFollowTheViewOrderAndWidths)
{
    Group(-1);
    Folders->List.SetColumnWidth(1, 55);
    Folders->List.SetViewOrder({1, 0});
    Folders->SaveColumns();
    ASSERT_EQ(Folders->ItemColumnFields.Count(), 2);
    EXPECT_EQ(Folders->ItemColumnFields.Column(0)->Field->ID, bfAuthor);
    EXPECT_EQ(Folders->ItemColumnFields.Column(0)->Width, 55);
}

TEST(GlobalTexts, PluralAndVersionTexts)
{
    const struct {
        const char* Word;
        const char* Plural;
    } words[] = {{"Book", "Books"}, {"Series", "Serieses"}, {"Match", "Matches"}, {"Story", "Stories"}};
    for (const auto& w : words)
        EXPECT_EQ(PluralOf(w.Word), w.Plural);
    EXPECT_EQ(CountOf(1, "Book"), "1 Book");
    EXPECT_EQ(CountOf(0, "Book"), "0 Books");

    EXPECT_EQ(FormatVersion(1, 1, 0, 6).Version, "1.1");
    EXPECT_EQ(FormatVersion(1, 1, 0, 6).Build, "6");
    EXPECT_EQ(FormatVersion(1, 2, 3, 4).Version, "1.2.3");
}

}  // namespace
