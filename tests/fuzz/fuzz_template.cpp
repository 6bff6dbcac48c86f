// Loads arbitrary bytes as a details template and, when they make a style sheet, applies it to a book,
// as a template shared by another user reaches the details view. Besides never crashing, a template must
// not leave a file behind in its folder or beside it.

#include "book/cBookData.h"
#include "views/cDetails.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct TFixture {
    QTemporaryDir Dir;
    std::unique_ptr<TBookRoot> Root = TRootItem::New<TBookRoot>();
    TBook* Book = nullptr;

    TFixture()
    {
        Book = static_cast<TBook*>(Root->Items->NewItem());
        Book->Main().Title = QStringLiteral("<b>Title</b> & more");
        Book->Main().Credits.AddCredit(bfAuthor,
                                       Root->LookupListForFieldID(bfAuthor)->FindOrAdd("A. Writer"));
        Book->Sections->NewItem();
        QDir(Dir.path()).mkdir(QStringLiteral("tpl"));
        QFile neighbour(Dir.filePath(QStringLiteral("tpl/x.xml")));
        if (neighbour.open(QIODevice::WriteOnly))
            neighbour.write("<x>neighbour</x>");
    }
};

TFixture& Fixture()
{
    static int argc = 1;
    static char name[] = "fuzz_template";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static TFixture fixture;
    return fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TFixture& fixture = Fixture();
    const QString path = fixture.Dir.filePath(QStringLiteral("tpl/t.xsl"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const TDetailsPage page(path);
    page.Render(*fixture.Root, fixture.Book, {640, 480});
    const QStringList left = QDir(fixture.Dir.filePath(QStringLiteral("tpl"))).entryList(QDir::Files);
    if (left.size() != 2 || QDir(fixture.Dir.path()).entryList(QDir::Files).size() != 0)
        std::abort();  // the template wrote a file
    return 0;
}
