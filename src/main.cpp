#include "Version.h"
#include "app/cBookPrefs.h"
#include "app/cGlobal.h"
#include "app/cInstanceChecker.h"
#include "app/dGlobal.h"
#include "app/fSplash.h"
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

    // A second start hands over to the running program, which comes to the front.
    TInstanceChecker instance(ProductTitle());
    if (!instance.IsFirstInstance()) {
        instance.ActivateRunningInstance();
        return 0;
    }
    SetApplicationTitle(ProductTitle());
    InstallWidgetServices();

    auto splash = std::make_unique<TfmSplash>();
    splash->show();
    QApplication::processEvents();

    const QStringList arguments = QApplication::arguments();
    TfmMain mainForm(arguments.value(1));
    QObject::connect(&instance, &TInstanceChecker::ActivationRequested, &mainForm, &TfmMain::BringToFront);
    splash.reset();
    mainForm.show();
    return QApplication::exec();
}
