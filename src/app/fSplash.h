#pragma once
// The picture shown while the program starts and loads its collection.

#include <QPixmap>
#include <QSplashScreen>

class TfmSplash : public QSplashScreen {
    Q_OBJECT

public:
    TfmSplash();
    // The product logo, drawn at `size` pixels square.
    static QPixmap Logo(int size);

private:
    static QPixmap Picture();
};
