#pragma once
// The main window of a book-like collection: a book view and a contents view with their own field
// lists and presets, thumbnails in icon view.

#include "views/fMainBase.h"

class TBookFolderTree;

class TfmMainBaseBook : public TfmMainBase {
    Q_OBJECT

public:
    TBookFolderTree& BookFolders() const;
    // Switches between the book view (2) and the contents view (3), each with its own grouping.
    void SetViewMode(int mode);

protected:
    explicit TfmMainBaseBook(QWidget* parent = nullptr);

    std::unique_ptr<TFolderTree> CreateFolderTree(TRootItem& root) override;
    QList<TStoredList> StoredFieldLists() override;
    void LoadSettings() override;
    void SaveSettings() override;
    void PresetChanged() override;
    // A preset per view mode instead of the one of the base layer.
    QString PresetSettingName() const override { return {}; }

    QAction* acItemView = nullptr;
    QAction* acSectionView = nullptr;
};
