#include "views/fMain.h"

TfmMain::TfmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Tomekeep"));
    resize(800, 600);
}
