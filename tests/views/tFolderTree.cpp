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

    void SetUp() override { Build(); }

    // A fresh collection and grouping, for tables whose cases change the books.
    void Build()
    {
        Folders.reset();
        Root = TRootItem::New<TBookRoot>();
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

    // The node at the end of a path of captions below the collection node, opening the way there.
    TTreeNode* Path(const QStringList& captions) const
    {
        TTreeNode* node = Folders->RootNode;
        for (const QString& caption : captions) {
            Folders->ExpandNode(node);
            node = Child(node, caption);
            if (!node)
                return nullptr;
        }
        return node;
    }

    // Shows a folder, selects the rows with these texts and drops them on `target`, as from the list.
    bool DropRows(const QStringList& from, const QStringList& rows, const QStringList& target)
    {
        Click(Path(from));
        Folders->List.Selection().clearSelection();
        for (const QString& row : rows)
            Folders->List.Selection().select(Folders->List.index(int(ListTexts().indexOf(row)), 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        TDataRefList items;
        Folders->DroppedItems(items, false);
        EXPECT_EQ(items.Count(), rows.size()) << rows.join(", ").toStdString();
        return Folders->DropOnNode(items, Path(target));
    }

    TBook* Book(const QString& title) const
    {
        for (TDataItem* item : *Root->Items)
            if (static_cast<TBook*>(item)->Main().Title == title)
                return static_cast<TBook*>(item);
        return nullptr;
    }

    QString Value(TDataItem* item, int field) const { return item->GetValueAsString(Field(field)); }
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

TEST_F(FolderTreeTest, DroppingABookOnAFolderOfTheSameLevelReplacesItsValue)
{
    const struct {
        int Preset;  // 0 Author, 1 Genre
        const char* From;
        const char* Title;
        const char* Onto;
        int Field;
        const char* Expected;
    } cases[] = {{0, "Adams", "Zebra", "Brown", bfAuthor, "Brown"},
                 {0, "Adams", "Zebra", "[None]", bfAuthor, ""},
                 {0, "[None]", "Mango", "Adams", bfAuthor, "Adams"},
                 {1, "Fantasy", "Zebra", "Crime", bfGenre, "Crime"},
                 {1, "Fantasy", "Zebra", "[None]", bfGenre, ""}};
    for (const auto& c : cases) {
        Build();
        Folders->ShowEmptyFolders = true;  // every value and "[None]" have a folder to drop on
        Group(c.Preset);
        const QString label = QStringLiteral("%1 -> %2").arg(c.From, c.Onto);
        ASSERT_TRUE(DropRows({c.From}, {c.Title}, {c.Onto})) << label.toStdString();
        EXPECT_EQ(Value(Book(c.Title), c.Field), c.Expected) << label.toStdString();
        // The folders agree: after the rebuild the book sits in the target folder only.
        Folders->ResetView();
        Click(Path({c.Onto}));
        EXPECT_TRUE(ListTexts().contains(c.Title)) << label.toStdString();
        Click(Path({c.From}));
        EXPECT_FALSE(ListTexts().contains(c.Title)) << label.toStdString();
    }
}

TEST_F(FolderTreeTest, DropsThatChangeNothingLeaveTheBooksAsTheyWere)
{
    TBook* duo = AddBook("Duo", "Adams", "Crime");
    duo->Main().Credits.AddCredit(bfAuthor, Root->List("Author")->FindOrAdd("Brown"));
    Group(0);
    // Duo already has Brown: only Zebra changes, and Duo keeps Adams as well.
    EXPECT_TRUE(DropRows({"Adams"}, {"Duo", "Zebra"}, {"Brown"}));
    EXPECT_EQ(Value(duo, bfAuthor), "Adams; Brown");
    EXPECT_EQ(Value(Book("Zebra"), bfAuthor), "Brown");

    EXPECT_FALSE(DropRows({"Brown"}, {"Duo"}, {"Brown"}));  // its own folder
    EXPECT_FALSE(DropRows({"Adams"}, {"Duo"}, {"Brown"}));  // carries the value already
    // Not a folder: the collection node and a book node take nothing.
    Folders->ResetView();
    TDataRefList apple;
    apple.Add(Book("apple"));
    Click(Path({"Adams"}));
    EXPECT_FALSE(Folders->DropOnNode(apple, Folders->RootNode));
    EXPECT_FALSE(Folders->DropOnNode(apple, Path({"Brown", "Abacus - Brown"})));
    EXPECT_EQ(Value(Book("apple"), bfAuthor), "Adams");
    EXPECT_EQ(Value(duo, bfAuthor), "Adams; Brown");
}

TEST_F(FolderTreeTest, ATwoLevelDropChangesEachLevelThatDiffers)
{
    const struct {
        int Preset;  // 5 Genre / Author, 4 Publisher / Author
        QStringList From;
        QStringList Onto;
        const char* First;
        const char* Second;
    } cases[] = {
        {5, {"Fantasy", "Adams", "Zebra - Adams"}, {"Crime", "Brown"}, "Crime", "Brown"},
        {5, {"Fantasy", "Adams", "Zebra - Adams"}, {"Crime", "Adams"}, "Crime", "Adams"},
        {5, {"Fantasy", "Adams", "Zebra - Adams"}, {"Fantasy", "[None]"}, "Fantasy", ""},
        // A first-level folder: the deeper level keeps its value.
        {5, {"Fantasy", "Adams", "Zebra - Adams"}, {"Crime"}, "Crime", "Adams"},
        {4, {"[None]", "Adams", "Zebra - Adams"}, {"Penguin", "Brown"}, "Penguin", "Brown"},
    };
    for (const auto& c : cases) {
        Build();
        Root->List("Publisher")->FindOrAdd("Penguin");
        Folders->ShowEmptyFolders = true;
        Group(c.Preset);
        const std::string label = c.Onto.join(" / ").toStdString();
        // Dragged from the tree: the selected book node is what is dropped.
        TTreeNode* from = Path(c.From);
        ASSERT_TRUE(from) << label;
        Click(from);
        TDataRefList items;
        Folders->DroppedItems(items, true);
        ASSERT_EQ(items.Count(), 1);
        EXPECT_TRUE(Folders->DropOnNode(items, Path(c.Onto))) << label;
        TGroupFieldRefList& groups = Folders->GroupFields();
        EXPECT_EQ(Value(items.Items(0), groups.Ref(0)->Field->ID), c.First) << label;
        EXPECT_EQ(Value(items.Items(0), groups.Ref(1)->Field->ID), c.Second) << label;
    }
}

TEST_F(FolderTreeTest, InTheContentsViewASectionChangesItsOwnValuesAndItsBooksBookValues)
{
    TBook* zebra = Book("Zebra");
    auto* story = static_cast<TSection*>(zebra->Sections->NewItem());
    story->Title = "Story";      // no author of its own: Adams, from its book
    Folders->SectionPreset = 0;  // Author
    Folders->SetViewMode(vmChild);
    Folders->ResetView();
    EXPECT_TRUE(DropRows({"Adams"}, {"Story"}, {"Brown"}));
    EXPECT_EQ(Value(story, bfAuthor), "Brown");
    EXPECT_EQ(Value(zebra, bfAuthor), "Adams");

    // Sections have no genre: the genre is their book's.
    Folders->SectionPreset = 1;  // Genre
    Folders->SetViewMode(vmChild);
    Folders->ResetView();
    EXPECT_TRUE(DropRows({"Fantasy"}, {"Story"}, {"Crime"}));
    EXPECT_EQ(Value(zebra, bfGenre), "Crime");
    Folders->ResetView();
    Click(Path({"Crime"}));
    EXPECT_TRUE(ListTexts().contains("Story"));
}

TEST_F(FolderTreeTest, BooksAndContentsViewSectionsMayBeDroppedOnFoldersOnly)
{
    TBook* zebra = Book("Zebra");
    auto* story = static_cast<TSection*>(zebra->Sections->NewItem());
    Group(0);
    TTreeNode* adams = Path({"Adams"});
    TTreeNode* none = Path({"[None]"});
    TTreeNode* bookNode = Path({"Adams", "Zebra - Adams"});
    ASSERT_TRUE(adams && none && bookNode);
    TTreeNode* root = Folders->RootNode;
    const struct {
        int Mode;
        TDataObject* Object;
        TTreeNode* Target;
        bool Drag, Drop;
    } cases[] = {
        {vmMain, zebra, adams, true, true},     {vmMain, zebra, none, true, true},
        {vmMain, zebra, root, true, false},     {vmMain, zebra, bookNode, true, false},
        {vmMain, story, adams, false, false},   {vmMain, adams->Data, none, false, false},
        {vmMain, nullptr, adams, false, false}, {vmChild, story, adams, true, true},
        {vmChild, story, none, true, true},     {vmChild, story, root, true, false},
        {vmChild, zebra, adams, true, true},    {vmChild, &zebra->Main(), adams, true, true},
    };
    TFolderTree plain(*Root);  // the generic layer drags nothing
    for (const auto& c : cases) {
        const int index = int(&c - cases);
        Folders->ViewMode = plain.ViewMode = c.Mode;
        EXPECT_EQ(Folders->CanDrag(c.Object), c.Drag) << index;
        EXPECT_EQ(Folders->CanDrop(c.Object, c.Target), c.Drop) << index;
        EXPECT_FALSE(plain.CanDrag(c.Object)) << index;
        EXPECT_FALSE(plain.CanDrop(c.Object, c.Target)) << index;
    }
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
