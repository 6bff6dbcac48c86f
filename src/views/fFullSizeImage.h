#pragma once
// The full-size image window: a picture clicked in the details page, fitted into a sizable tool window
// with its path and size in the status bar. It is hidden rather than freed, and holds no picture while
// hidden.

#include <QImage>
#include <QString>
#include <QWidget>

class QLabel;
class QStatusBar;

class TfmFullSizeImage : public QWidget {
    Q_OBJECT

public:
    explicit TfmFullSizeImage(QWidget* parent = nullptr);

    // Loads the picture at `path`; an empty path releases it. A file that cannot be read is reported.
    void SetPicture(const QString& path);
    QString Picture() const { return FPath; }
    QString StatusText() const;
    // The client area takes the picture's size, and the picture its natural size.
    void SizeWindowToPicture();

    // The rectangle a picture of `picture` size takes in a free area of `area` (a frame of one pixel).
    static QSize FitSize(QSize picture, QSize area);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FitImage();
    void UpdateStatus();

    QString FPath;
    QImage FImage;
    QWidget* pnImage;
    QLabel* imImage;
    QStatusBar* sbImage;
};
