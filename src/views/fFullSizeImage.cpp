#include "views/fFullSizeImage.h"

#include "app/fFormPlacement.h"
#include "platform/Messenger.h"

#include <QAction>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QStatusBar>
#include <QVBoxLayout>

TfmFullSizeImage::TfmFullSizeImage(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("fmFullSizeImage"));
    setWindowTitle(QStringLiteral("Image"));
    resize(350, 480);

    pnImage = new QWidget(this);
    pnImage->setObjectName(QStringLiteral("pnImage"));
    pnImage->installEventFilter(this);
    imImage = new QLabel(pnImage);
    imImage->setObjectName(QStringLiteral("imImage"));
    imImage->setScaledContents(true);
    sbImage = new QStatusBar(this);
    sbImage->setObjectName(QStringLiteral("sbImage"));
    sbImage->setSizeGripEnabled(false);
    sbImage->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnImage, 1);
    layout->addWidget(sbImage);

    auto* sizeToPicture = new QAction(QStringLiteral("Size Window To Picture"), this);
    sizeToPicture->setObjectName(QStringLiteral("acSizeToPicture"));
    sizeToPicture->setShortcut(Qt::Key_F5);
    connect(sizeToPicture, &QAction::triggered, this, &TfmFullSizeImage::SizeWindowToPicture);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    auto* close = new QAction(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("acClose"));
    close->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F4), QKeySequence(Qt::Key_Escape)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addActions({sizeToPicture, separator, close});
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TfmFullSizeImage::SetPicture(const QString& path)
{
    FPath = path;
    FImage = QImage();
    if (!path.isEmpty() && !FImage.load(path)) {
        Messenger().ShowError(
            QStringLiteral("Image file %1 cannot be found; please verify its file path and name.").arg(path));
        FPath.clear();
    }
    imImage->setPixmap(FImage.isNull() ? QPixmap() : QPixmap::fromImage(FImage));
    UpdateStatus();
    FitImage();
}

QString TfmFullSizeImage::StatusText() const { return sbImage->currentMessage(); }

QSize TfmFullSizeImage::FitSize(QSize picture, QSize area)
{
    const qint64 w = area.width() - 2;
    const qint64 h = area.height() - 2;
    if (picture.isEmpty() || w <= 0 || h <= 0)
        return {0, 0};
    if (w * picture.height() < picture.width() * h)
        return QSize(int(w), int(picture.height() * w / picture.width()));
    return QSize(int(picture.width() * h / picture.height()), int(h));
}

void TfmFullSizeImage::SizeWindowToPicture()
{
    if (FImage.isNull())
        return;
    // The panel keeps its one-pixel frame around the picture, so the refit keeps the natural size.
    resize(FImage.width() + 2, FImage.height() + 2 + sbImage->sizeHint().height());
    imImage->setGeometry(1, 1, FImage.width(), FImage.height());
}

void TfmFullSizeImage::FitImage()
{
    if (FImage.isNull() || !imImage->isVisible())
        return;
    const QSize size = FitSize(FImage.size(), pnImage->size());
    imImage->setGeometry((pnImage->width() - size.width()) / 2, (pnImage->height() - size.height()) / 2,
                         size.width(), size.height());
}

void TfmFullSizeImage::UpdateStatus()
{
    if (FImage.isNull()) {
        sbImage->clearMessage();
        return;
    }
    // Height first, then width: the order the status bar has always shown.
    const QString size = QStringLiteral(" (%1x%2)").arg(FImage.height()).arg(FImage.width());
    const QFontMetrics metrics(sbImage->font());
    const int room = sbImage->width() - 12 - metrics.horizontalAdvance(size);
    sbImage->showMessage(metrics.elidedText(FPath, Qt::ElideMiddle, qMax(room, 0)) + size);
}

void TfmFullSizeImage::showEvent(QShowEvent* event)
{
    RestorePlacement(this);
    QWidget::showEvent(event);
    FitImage();
}

void TfmFullSizeImage::hideEvent(QHideEvent* event)
{
    SavePlacement(this);
    SetPicture(QString());
    QWidget::hideEvent(event);
}

bool TfmFullSizeImage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == pnImage)
            FitImage();
        else if (watched == sbImage)
            UpdateStatus();
    }
    return QWidget::eventFilter(watched, event);
}
