#include "Version.h"
#include "views/fMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomekeep"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(TOMEKEEP_VERSION));

    TfmMain mainForm;
    mainForm.show();
    return QApplication::exec();
}
