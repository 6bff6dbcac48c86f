#pragma once
// The program's shared pictures: the 16x16, 32x32 and state image lists whose index numbers the views
// use, and the command icons, taken from the desktop's icon theme with Qt's standard pixmaps where the
// theme has none. Also the widget side of the core's message boxes, busy cursor and file dialogs.

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QList>

class TdmGlobal {
public:
    // Small image indexes: 0/1 sort arrows, 2/3 folder, 4 collection, 5/6 "[None]", 7/8 book,
    // 9..12 series, 13/14 section.
    static constexpr int SmallCount = 15;
    // Creates the folders the collections and their pictures are kept in.
    TdmGlobal();

    QIcon SmallIcon(int index) const;
    // A tree node's picture: its image, another when selected, and the in-collection mark.
    QIcon TreeIcon(int image, int selectedImage, int state);
    // A command's icon by its theme name.
    static QIcon ActionIcon(const QString& themeName);
    // The standard 32x32 pictures every collection's image list starts with.
    static QList<QImage> StandardLargeImages();
    // Hands the standard large pictures to the data model; call before a collection is made.
    static void InstallStandardImages();

private:
    QList<QIcon> FSmall;
    QList<QIcon> FState;
    QHash<quint64, QIcon> FTreeIcons;
};

// Real message boxes captioned with the application title, the wait cursor and file dialogs for the core.
void InstallWidgetServices();
