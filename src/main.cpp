#include "Version.h"
#include "app/cBookPrefs.h"
#include "views/fMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tomekeep"));
    QApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral(TOMEKEEP_VERSION));

    // The preferences outlive every window and are written back when they go.
    auto prefs = TPrefs::Create<TBookPrefs>();
    SetPrefs(prefs.get());

    TfmMain mainForm;
    mainForm.show();
    return QApplication::exec();
}
