#include "platform/FileAssociation.h"

#include "platform/AtomicFile.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

const QString Type = QStringLiteral("application/x-tomekeep-book-collection");
const QString Description = QStringLiteral("Book Collection");
const QDateTime LongAgo(QDate(2001, 1, 1), QTime(12, 0), Qt::UTC);

class FileAssociationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data));
    }

    void TearDown() override
    {
        TAtomicFile::SetFaultHookForTesting({});
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static void SetModified(const QString& path, const QDateTime& time)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }

    static QDateTime Modified(const QString& path) { return QFileInfo(path).lastModified(); }

    // The keys of the desktop entry, as written (escapes not undone).
    QMap<QString, QString> Entry() const
    {
        QMap<QString, QString> keys;
        for (const QByteArray& line : Read(m_entry).split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0 && !line.startsWith('#'))
                keys.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
        }
        return keys;
    }

    QTemporaryDir m_dir{qEnvironmentVariable("TOMEKEEP_TEST_TMPDIR") + QStringLiteral("/assoc-XXXXXX")};
    QString m_data = m_dir.filePath(QStringLiteral("data"));
    QString m_entry = m_data + QStringLiteral("/applications/tomekeep.desktop");
    QString m_package = m_data + QStringLiteral("/mime/packages/quorvane-tomekeep.xml");
    QByteArray m_savedDataHome = qgetenv("XDG_DATA_HOME");
};

TEST_F(FileAssociationTest, FirstRegistrationDeclaresTheTypeAndTheProgramThatOpensIt)
{
    RegisterFileType(QStringLiteral("/opt/tomekeep/tomekeep"), QStringLiteral("tmk"), Description);

    const auto entry = Entry();
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Name")), QStringLiteral("Tomekeep"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("/opt/tomekeep/tomekeep %f"));
    EXPECT_EQ(entry.value(QStringLiteral("TryExec")), QStringLiteral("/opt/tomekeep/tomekeep"));
    EXPECT_EQ(entry.value(QStringLiteral("MimeType")), Type + u';');
    EXPECT_EQ(entry.value(QStringLiteral("Categories")), QStringLiteral("Office;"));

    const QString package = QString::fromUtf8(Read(m_package));
    EXPECT_TRUE(package.contains(QStringLiteral("<mime-type type=\"%1\">").arg(Type)))
        << package.toStdString();
    EXPECT_TRUE(package.contains(QStringLiteral("<comment>Book Collection</comment>")));
    EXPECT_TRUE(package.contains(QStringLiteral("<glob pattern=\"*.tmk\"/>")));

    // The cache tool accepting the package shows it is well formed.
    if (QStandardPaths::findExecutable(QStringLiteral("update-mime-database")).isEmpty())
        return;
    const QByteArray globs = Read(m_data + QStringLiteral("/mime/globs2"));
    EXPECT_TRUE(globs.contains((u':' + Type + QStringLiteral(":*.tmk\n")).toUtf8())) << globs.toStdString();
}

TEST_F(FileAssociationTest, ExecLineQuotesTheProgramPathForTheDesktop)
{
    // What the file holds: the Exec quoting, then the backslash escape of every string value.
    const struct {
        const char* path;
        const char* exec;
    } cases[] = {
        {"/opt/tomekeep/tomekeep", "/opt/tomekeep/tomekeep %f"},
        {"/home/ann/My Books/tomekeep", R"("/home/ann/My Books/tomekeep" %f)"},
        {R"(/srv/it's "$5"/tk)", R"("/srv/it's \\"\\$5\\"/tk" %f)"},
        {R"(/srv/back\slash/tk)", R"("/srv/back\\\\slash/tk" %f)"},
        {"/srv/100%/tk", "/srv/100%%/tk %f"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        RegisterFileType(QString::fromUtf8(c.path), QStringLiteral("tmk"), Description);
        EXPECT_EQ(Entry().value(QStringLiteral("Exec")), QString::fromUtf8(c.exec));
    }
}

TEST_F(FileAssociationTest, FilesAreRewrittenOnlyWhenTheirContentChanges)
{
    RegisterFileType(QStringLiteral("/opt/a/tomekeep"), QStringLiteral(".tmk"), Description);
    const QByteArray entry = Read(m_entry);
    const QByteArray package = Read(m_package);
    ASSERT_FALSE(entry.isEmpty());
    ASSERT_FALSE(package.isEmpty());
    SetModified(m_entry, LongAgo);
    SetModified(m_package, LongAgo);
    const QString cache = m_data + QStringLiteral("/mime/mime.cache");
    const QDateTime cacheTime = Modified(cache);

    RegisterFileType(QStringLiteral("/opt/a/tomekeep"), QStringLiteral(".tmk"), Description);
    EXPECT_EQ(Modified(m_entry), LongAgo);
    EXPECT_EQ(Modified(m_package), LongAgo);
    EXPECT_EQ(Read(m_entry), entry);
    EXPECT_EQ(Modified(cache), cacheTime);  // nothing new for the cache tool either

    RegisterFileType(QStringLiteral("/opt/moved here/tomekeep"), QStringLiteral(".tmk"), Description);
    EXPECT_EQ(Entry().value(QStringLiteral("Exec")), QStringLiteral("\"/opt/moved here/tomekeep\" %f"));
    EXPECT_EQ(Modified(m_package), LongAgo);
    EXPECT_EQ(Read(m_package), package);
}

TEST_F(FileAssociationTest, OtherProgramsFilesAndAForeignEntryAtOurNameAreLeftAlone)
{
    const QString otherEntry = m_data + QStringLiteral("/applications/viewer.desktop");
    const QString otherPackage = m_data + QStringLiteral("/mime/packages/viewer.xml");
    const QByteArray viewer = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=viewer %f\n"
                              "MimeType=application/x-viewer;\n";
    const QByteArray viewerType = "<?xml version=\"1.0\"?>\n<mime-info "
                                  "xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                                  "<mime-type type=\"application/x-viewer\"><glob pattern=\"*.tmk\"/>"
                                  "</mime-type></mime-info>\n";
    // Made by hand, say to start the program through a wrapper: not ours to replace.
    const QByteArray handMade = "[Desktop Entry]\nType=Application\nName=Tomekeep\nExec=run-tomekeep %f\n";
    Write(otherEntry, viewer);
    Write(otherPackage, viewerType);
    Write(m_entry, handMade);

    RegisterFileType(QStringLiteral("/opt/tomekeep/tomekeep"), QStringLiteral("tmk"), Description);

    EXPECT_EQ(Read(otherEntry), viewer);
    EXPECT_EQ(Read(otherPackage), viewerType);
    EXPECT_EQ(Read(m_entry), handMade);
    EXPECT_TRUE(Read(m_package).contains("*.tmk"));
    EXPECT_EQ(
        QDir(m_data + QStringLiteral("/applications")).entryList({QStringLiteral("*.desktop")}, QDir::Files),
        QStringList({QStringLiteral("tomekeep.desktop"), QStringLiteral("viewer.desktop")}));
}

TEST_F(FileAssociationTest, FailuresAreSilentAndKeepTheOldFiles)
{
    // The data folder cannot be made: its parent is a plain file.
    const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
    Write(blocker, "x");
    qputenv("XDG_DATA_HOME", QFile::encodeName(blocker + QStringLiteral("/data")));
    EXPECT_NO_THROW(
        RegisterFileType(QStringLiteral("/opt/tomekeep/tomekeep"), QStringLiteral("tmk"), Description));
    EXPECT_TRUE(QFileInfo(blocker).isFile());

    // Every write fails (a full disk, a read-only folder): the registered entry stays as it was.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data));
    RegisterFileType(QStringLiteral("/opt/tomekeep/tomekeep"), QStringLiteral("tmk"), Description);
    const QByteArray entry = Read(m_entry);
    TAtomicFile::SetFaultHookForTesting([](qint64) { return false; });
    EXPECT_NO_THROW(RegisterFileType(QStringLiteral("/opt/moved/tomekeep"), QStringLiteral("tmk"),
                                     QStringLiteral("Other Collection")));
    EXPECT_EQ(Read(m_entry), entry);
    EXPECT_EQ(
        QDir(m_data + QStringLiteral("/applications")).entryList({QStringLiteral("*.desktop")}, QDir::Files),
        QStringList(QStringLiteral("tomekeep.desktop")));
}

TEST_F(FileAssociationTest, ExtensionIsNormalizedAndAnEmptyOneRegistersNothing)
{
    const struct {
        const char* extension;
        const char* normalized;
        const char* glob;  // nullptr: no package is written
    } cases[] = {
        {"tmk", ".tmk", "*.tmk"},   {".tmk", ".tmk", "*.tmk"},
        {"..tmk", ".tmk", "*.tmk"}, {"a.b.tmk", ".b.tmk", "*.b.tmk"},
        {"", ".", nullptr},         {"tmk.", ".", nullptr},
        {"*", ".*", nullptr},       {"a/b", ".a/b", nullptr},
    };
    TAssociate associate;
    associate.SetAppKey(QStringLiteral("Tomekeep"));
    associate.SetDescription(Description);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.extension);
        const QString extension = QString::fromUtf8(c.extension);
        EXPECT_EQ(TAssociate::NormalizeExtension(extension), QString::fromUtf8(c.normalized));
        QFile::remove(m_package);
        associate.RegisterExtension(extension);
        if (c.glob)
            EXPECT_TRUE(Read(m_package).contains(QByteArray("<glob pattern=\"") + c.glob + "\"/>"));
        else
            EXPECT_FALSE(QFile::exists(m_package));
    }
}

}  // namespace
