// The main() of every test executable. Makes each run hermetic: fixed locale and time zone, offscreen
// platform, and settings and user folders inside a fresh temporary folder. Test folders that may use
// widgets are built with TOMEKEEP_TEST_GUI and get a QApplication; the others a QCoreApplication.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtGlobal>
#include <cstdio>
#include <ctime>

#ifdef TOMEKEEP_TEST_GUI
#include <QApplication>
using TTestApplication = QApplication;
#else
#include <QCoreApplication>
using TTestApplication = QCoreApplication;
#endif

namespace {

void SetIfUnset(const char* name, const QByteArray& value)
{
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, value);
}

}  // namespace

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);

    // Tests pin the time zone and the character set; set before Qt or the C library reads them.
    qputenv("TZ", "UTC");
    ::tzset();
    qputenv("LC_ALL", "C.UTF-8");
    SetIfUnset("QT_QPA_PLATFORM", "offscreen");
#ifdef TOMEKEEP_TESTDATA_DIR
    SetIfUnset("TOMEKEEP_TESTDATA", TOMEKEEP_TESTDATA_DIR);
#endif

    // Everything the code under test writes for "the user" lands in this folder, removed at the end.
    QTemporaryDir home;
    if (!home.isValid()) {
        fprintf(stderr, "TestMain: cannot create a temporary folder: %s\n", qPrintable(home.errorString()));
        return 2;
    }
    const QString root = home.path();
    for (const char* sub : {"config", "data", "cache", "runtime"})
        QDir(root).mkpath(QLatin1String(sub));
    QFile::setPermissions(root + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("TOMEKEEP_TEST_TMPDIR", QFile::encodeName(root));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    SetIfUnset("XDG_RUNTIME_DIR", QFile::encodeName(root + QStringLiteral("/runtime")));
    SetIfUnset("TOMEKEEP_SETTINGS", QFile::encodeName(root + QStringLiteral("/settings.reg")));

    TTestApplication app(argc, argv);
    TTestApplication::setApplicationName(QStringLiteral("Tomekeep"));
    TTestApplication::setOrganizationName(QStringLiteral("Quorvane"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    return RUN_ALL_TESTS();
}
