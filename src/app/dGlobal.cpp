#include "app/dGlobal.h"

#include "app/cGatherixPrefs.h"
#include "app/cGlobal.h"
#include "model/cData.h"
#include "platform/Messenger.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPainter>
#include <QStandardPaths>
#include <QStyle>

namespace {

struct TPictureName {
    const char* Theme;
    QStyle::StandardPixmap Fallback;
};

// Indexes 2..14 of the small list; 0 and 1 are the sort arrows, drawn here.
constexpr int FirstPicture = 2;
const TPictureName Pictures[TdmGlobal::SmallCount - FirstPicture] = {
    {"folder", QStyle::SP_DirClosedIcon},
    {"folder-open", QStyle::SP_DirOpenIcon},
    {"drive-harddisk", QStyle::SP_DriveHDIcon},
    {"folder-templates", QStyle::SP_DirIcon},
    {"folder-templates", QStyle::SP_DirOpenIcon},
    {"x-office-address-book", QStyle::SP_FileIcon},
    {"x-office-address-book", QStyle::SP_FileIcon},
    {"folder-documents", QStyle::SP_DirLinkIcon},
    {"folder-documents", QStyle::SP_DirLinkOpenIcon},
    {"folder-saved-search", QStyle::SP_DirLinkIcon},
    {"folder-saved-search", QStyle::SP_DirLinkOpenIcon},
    {"text-x-generic", QStyle::SP_FileLinkIcon},
    {"text-x-generic", QStyle::SP_FileLinkIcon},
};

// The desktop's theme, or the theme the build installs when the platform names none (a platform
// without a desktop does not even know where themes live).
void ChooseTheme()
{
    static bool chosen = false;
    if (chosen)
        return;
    chosen = true;
    if (QIcon::hasThemeIcon(QStringLiteral("folder")))
        return;
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths()
                               + QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                           QStringLiteral("icons"),
                                                           QStandardPaths::LocateDirectory));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
}

// The full-colour picture of the theme, else its symbolic one.
QIcon Themed(const QString& name)
{
    ChooseTheme();
    const QIcon icon = QIcon::fromTheme(name);
    return icon.isNull() ? QIcon::fromTheme(name + QStringLiteral("-symbolic")) : icon;
}

QIcon Picture(const TPictureName& name)
{
    const QIcon themed = Themed(QLatin1String(name.Theme));
    return themed.isNull() ? QApplication::style()->standardIcon(name.Fallback) : themed;
}

// The small arrow beside a sorted column's caption, in the palette's text colour.
QIcon SortArrow(bool ascending)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour = QApplication::palette().color(QPalette::WindowText);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const QPolygonF triangle = ascending ? QPolygonF({QPointF(4, 10), QPointF(12, 10), QPointF(8, 5)})
                                         : QPolygonF({QPointF(4, 6), QPointF(12, 6), QPointF(8, 11)});
    painter.drawPolygon(triangle);
    return QIcon(pixmap);
}

// The filter command's picture for themes that have none: a funnel.
QIcon Funnel()
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        painter.setPen(QPen(QColor(0x2e, 0x34, 0x36), 1));
        painter.setBrush(QColor(0x72, 0x9f, 0xcf));
        painter.drawPolygon(QPolygonF({QPointF(1.5, 2.5), QPointF(14.5, 2.5), QPointF(9.5, 8.5),
                                       QPointF(9.5, 14), QPointF(6.5, 12.5), QPointF(6.5, 8.5)}));
        icon.addPixmap(pixmap);
    }
    return icon;
}

// A small coloured mark beside a book node: in the collection or not.
QIcon StateMark(const QColor& colour)
{
    QPixmap pixmap(9, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.setPen(colour.darker());
    painter.drawEllipse(QRectF(1, 5, 6, 6));
    return QIcon(pixmap);
}

class TWidgetMessenger : public TMessenger {
public:
    void ShowInfo(const QString& text) override
    {
        QMessageBox::information(Owner(), ApplicationTitle(), Plain(text));
    }
    void ShowError(const QString& text) override
    {
        QMessageBox::critical(Owner(), ApplicationTitle(), Plain(text));
    }
    TMessageAnswer AskYesNo(const QString& text) override
    {
        return Answer(QMessageBox::question(Owner(), ApplicationTitle(), Plain(text),
                                            QMessageBox::Yes | QMessageBox::No));
    }
    TMessageAnswer AskYesNoCancel(const QString& text) override
    {
        return Answer(QMessageBox::question(Owner(), ApplicationTitle(), Plain(text),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));
    }

private:
    static QWidget* Owner() { return QApplication::activeWindow(); }
    static QString Plain(const QString& text)
    {
        return QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    }
    static TMessageAnswer Answer(QMessageBox::StandardButton button)
    {
        switch (button) {
        case QMessageBox::Yes:
            return TMessageAnswer::Yes;
        case QMessageBox::No:
            return TMessageAnswer::No;
        default:
            return TMessageAnswer::Cancel;
        }
    }
};

class TWidgetFileDialogs : public TFileDialogs {
public:
    QString OpenFile(const QString& title, const QString& folder, const QString& filter) override
    {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, Filters(filter));
    }
    QString SaveFile(const QString& title, const QString& folder, const QString& filter,
                     const QString& defaultSuffix) override
    {
        QFileDialog dialog(QApplication::activeWindow(), title, folder, Filters(filter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(defaultSuffix);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    }

private:
    static QString Filters(const QString& filter) { return filter + QStringLiteral(";;All Files (*)"); }
};

}  // namespace

TdmGlobal::TdmGlobal()
{
    FSmall << SortArrow(true) << SortArrow(false);
    for (const TPictureName& name : Pictures)
        FSmall << Picture(name);
    FState << QIcon() << StateMark(QColor(0x3a, 0x9a, 0x3a)) << StateMark(QColor(0xc0, 0xc0, 0xc0));
    QDir().mkpath(Prefs().DataFolder);
    QDir().mkpath(Prefs().ImageBaseFolder);
}

QIcon TdmGlobal::SmallIcon(int index) const
{
    return index >= 0 && index < FSmall.size() ? FSmall[index] : QIcon();
}

QIcon TdmGlobal::TreeIcon(int image, int selectedImage, int state)
{
    const quint64 key =
        (quint64(quint16(image)) << 32) | (quint64(quint16(selectedImage)) << 16) | quint16(state);
    auto found = FTreeIcons.constFind(key);
    if (found != FTreeIcons.constEnd())
        return *found;
    QIcon icon;
    const QIcon mark = state > 0 && state < FState.size() ? FState[state] : QIcon();
    for (auto [index, mode] : {std::pair{image, QIcon::Normal}, std::pair{selectedImage, QIcon::Selected}}) {
        QPixmap pixmap(mark.isNull() ? 16 : 25, 16);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        int x = 0;
        if (!mark.isNull()) {
            mark.paint(&painter, QRect(0, 0, 9, 16));
            x = 9;
        }
        SmallIcon(index).paint(&painter, QRect(x, 0, 16, 16));
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return *FTreeIcons.insert(key, icon);
}

QIcon TdmGlobal::ActionIcon(const QString& themeName)
{
    const QIcon themed = Themed(themeName);
    if (themed.isNull() && themeName == QLatin1String("view-filter"))
        return Funnel();
    return themed;
}

QList<QImage> TdmGlobal::StandardLargeImages()
{
    QList<QImage> images;
    // An item's large index is half its small index less one: folder, "[None]", book, series, section.
    for (int index : {2, 5, 7, 9, 11, 13})
        images << Picture(Pictures[index - FirstPicture]).pixmap(TImageList::ImageSize).toImage();
    return images;
}

void TdmGlobal::InstallStandardImages() { TImageList::SetStandardImages(&TdmGlobal::StandardLargeImages); }

void InstallWidgetServices()
{
    static TWidgetMessenger messenger;
    static TWidgetFileDialogs dialogs;
    SetMessenger(&messenger);
    SetFileDialogs(&dialogs);
    TBusyCursor::SetHook([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
}
