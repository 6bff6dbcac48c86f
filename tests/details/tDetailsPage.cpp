// The details page pipeline: template loading and its error pages, parameters, escaping, the confinement
// of templates to their folder, the shipped templates, link decisions and copying dropped covers.

#include "DetailsFixture.h"
#include "views/cDetails.h"

#include <QDir>

namespace {

QString Page(TDetailsPage& page, TRootItem& root, TDataItem* item, QSize size = {321, 123})
{
    return page.Render(root, item, size).value_or(QStringLiteral("<render failed>"));
}

}  // namespace

TEST_F(DetailsTest, TheTemplateGetsThePageSizeAndItemTextStaysText)
{
    TDetailsPage page(Write("t.xsl", ProbeTemplate()));
    const QString html = Page(page, *Root, Book);
    EXPECT_TRUE(html.contains("size 321x123")) << html.toStdString();
    EXPECT_TRUE(html.contains("[&lt;b&gt;Bold&lt;/b&gt; &amp; \"Co\"]")) << html.toStdString();
}

TEST_F(DetailsTest, ATemplateThatDoesNotLoadGivesTheErrorPage)
{
    const struct {
        const char* name;
        QByteArray text;  // empty: no such file
        const char* reason;
    } cases[] = {
        {"missing.xsl", {}, "File not found."},
        {"text.xsl", "this is not XML <", "Invalid content."},
        {"plain.xsl", "<html><body>not a style sheet</body></html>", "Invalid content."},
        {"broken.xsl",
         R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
              <xsl:template match="/"><xsl:value-of select="(("/></xsl:template></xsl:stylesheet>)",
         "Invalid content."},
    };
    for (const auto& c : cases) {
        const QString path = c.text.isEmpty() ? Path(c.name) : Write(c.name, c.text);
        TDetailsPage page(path);
        EXPECT_FALSE(page.HasStyleSheet()) << c.name;
        EXPECT_EQ(
            Page(page, *Root, Book),
            QStringLiteral("<HTML><BODY>Error in stylesheet %1.<br>%2</BODY></HTML>").arg(path, c.reason))
            << c.name;
    }
}

TEST_F(DetailsTest, ChoosingTheSameTemplateDoesNothingAndReloadReadsItAnew)
{
    const QString path = Write("t.xsl", ProbeTemplate());
    TDetailsPage page(path);
    Write("t.xsl", ProbeTemplate("<p>edited</p>"));
    EXPECT_FALSE(page.ChooseTemplate(path));
    EXPECT_FALSE(Page(page, *Root, Book).contains("edited"));
    page.ReloadTemplate();
    EXPECT_TRUE(Page(page, *Root, Book).contains("edited"));

    QFile::remove(path);
    page.ReloadTemplate();
    EXPECT_TRUE(Page(page, *Root, Book).contains("File not found."));
    EXPECT_TRUE(page.ChooseTemplate(Write("other.xsl", ProbeTemplate())));
    EXPECT_TRUE(Page(page, *Root, Book).contains("size 321x123"));
}

// Templates are shared between users: they may read their own folder and nothing else, and write nothing.
TEST_F(DetailsTest, TemplatesReadOnlyTheirOwnFolderAndWriteNothing)
{
    Write("secret.xml", "<secret>outside</secret>");
    Write("tpl/inside.xml", "<inside>beside the template</inside>");
    const QByteArray written = QFile::encodeName(Path("written.txt"));
    const struct {
        const char* name;
        QByteArray extra;
        const char* mustShow;     // or nullptr
        const char* mustNotShow;  // or nullptr
    } cases[] = {
        {"own folder", R"(<p><xsl:value-of select="document('inside.xml')/inside"/></p>)",
         "beside the template", nullptr},
        {"parent folder", R"(<p><xsl:value-of select="document('../secret.xml')/secret"/></p>)", nullptr,
         "outside"},
        {"file URL",
         "<p><xsl:value-of select=\"document('file://" + QFile::encodeName(Path("secret.xml"))
             + "')/secret\"/></p>",
         nullptr, "outside"},
        {"network", R"(<p><xsl:value-of select="document('http://127.0.0.1:9/x.xml')/x"/></p>)", nullptr,
         nullptr},
        {"xsl:document", R"(<xsl:document href=")" + written + R"(" method="text">x</xsl:document>)", nullptr,
         nullptr},
    };
    for (const auto& c : cases) {
        TDetailsPage page(Write("tpl/t.xsl", ProbeTemplate(c.extra)));
        const QString html = page.Render(*Root, Book, {10, 10}).value_or(QString());
        if (c.mustShow) {
            EXPECT_TRUE(html.contains(c.mustShow)) << c.name << ": " << html.toStdString();
        }
        if (c.mustNotShow) {
            EXPECT_FALSE(html.contains(c.mustNotShow)) << c.name;
        }
        EXPECT_FALSE(QFile::exists(Path("written.txt"))) << c.name;
    }
}

TEST_F(DetailsTest, ImportsAndEntitiesFromOutsideTheFolderAreRefused)
{
    Write("secret.txt", "outside");
    Write("outside.xsl", ProbeTemplate());
    const QByteArray entity = R"(<?xml version="1.0"?>
<!DOCTYPE xsl:stylesheet [<!ENTITY s SYSTEM ")"
                              + QFile::encodeName(Path("secret.txt")) + R"(">]>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:template match="/"><p>&s;</p></xsl:template>
</xsl:stylesheet>)";
    TDetailsPage withEntity(Write("tpl/entity.xsl", entity));
    EXPECT_FALSE(Page(withEntity, *Root, Book).contains("outside"));

    TDetailsPage withImport(Write("tpl/import.xsl", R"(<xsl:stylesheet version="1.0"
        xmlns:xsl="http://www.w3.org/1999/XSL/Transform"><xsl:import href="../outside.xsl"/></xsl:stylesheet>)"));
    EXPECT_FALSE(withImport.HasStyleSheet());
}

TEST_F(DetailsTest, TheShippedTemplatesShowTheWholeBook)
{
    const QDir templates(QStringLiteral(TOMEKEEP_RESOURCES_DIR "/Templates"));
    const QStringList names = templates.entryList({QStringLiteral("*.xsl")}, QDir::Files);
    ASSERT_GE(names.size(), 3);
    for (const QString& name : names) {
        TDetailsPage page(templates.filePath(name));
        ASSERT_TRUE(page.HasStyleSheet()) << name.toStdString();
        const QString html = Page(page, *Root, Book, {600, 400});
        for (const char* text :
             {"&lt;b&gt;Bold&lt;/b&gt; &amp;", "There and Back Again", "J.R.R. Tolkien", "Douglas Anderson",
              "Middle-earth", "Allen &amp; Unwin", "1995", "9780261102217", "Fine", "Shelf 3", "Fantasy",
              "Orig Title", "Chapter Two", "Writer of Chapter One", "Ann Reader", "Signed", "A dragon.",
              "cover.png", "https://example.org/hobbit"})
            EXPECT_TRUE(html.contains(QLatin1String(text))) << name.toStdString() << " lacks " << text;
        EXPECT_FALSE(html.contains("<b>Bold</b>")) << name.toStdString();
    }
}

TEST_F(DetailsTest, LinksOpenDirectlyOnlyForWebAndMail)
{
    const QString base = Dir.path();
    Write("run.sh", "#!/bin/sh\n");
    QFile::setPermissions(Path("run.sh"), QFile::ReadOwner | QFile::ExeOwner);
    Write("notes.pdf", "%PDF");
    Write("trap.pdf", "%PDF");
    QFile::setPermissions(Path("trap.pdf"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const struct {
        QString href;
        TLinkAction action;
    } cases[] = {
        {"dummy.html", TLinkAction::Ignore},
        {"https://example.org/a?b=1#c", TLinkAction::Open},
        {"HTTP://example.org/", TLinkAction::Open},
        {"mailto:someone@example.org", TLinkAction::Open},
        {"notes.pdf", TLinkAction::Confirm},
        {"file://" + Path("notes.pdf"), TLinkAction::Confirm},
        {Path("cover.JPG"), TLinkAction::Confirm},
        {"ftp://example.org/file", TLinkAction::Confirm},
        {"run.sh", TLinkAction::Refuse},
        {"trap.pdf", TLinkAction::Refuse},
        {"file:///usr/share/applications/x.desktop", TLinkAction::Refuse},
        {"\\\\server\\share\\setup.exe", TLinkAction::Refuse},
        {"C:\\Windows\\evil.hta", TLinkAction::Refuse},
        {"/bin/sh", TLinkAction::Refuse},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideLink(c.href, base).Action, c.action) << c.href.toStdString();
    EXPECT_EQ(DecideLink("notes.pdf", base).Target, QUrl::fromLocalFile(Path("notes.pdf")));
}

TEST_F(DetailsTest, ACopiedCoverNeverSilentlyReplacesAnotherPicture)
{
    const QString folder = Path("Images");
    const QString existing = Picture("Images/cover.jpg", 10, 10, qRgb(1, 2, 3));
    const QByteArray before = [&] {
        QFile f(existing);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const QString other = Picture("Downloads/cover.jpg", 20, 20, qRgb(200, 0, 0));
    const QString same = Picture("Same/cover.jpg", 10, 10, qRgb(1, 2, 3));
    const QString fresh = Picture("Downloads/new.jpg", 5, 5);

    EXPECT_EQ(CopyCoverToFolder(existing, folder), existing);  // already there: linked, not copied
    EXPECT_EQ(CopyCoverToFolder(same, folder), existing);      // identical: linked to the copy there
    EXPECT_EQ(CopyCoverToFolder(fresh, folder), QDir(folder).filePath("new.jpg"));
    EXPECT_TRUE(Messages.Questions.isEmpty());

    // A different picture of that name: "No" (the default) keeps the old one and copies under a free name.
    EXPECT_EQ(CopyCoverToFolder(other, folder), QDir(folder).filePath("cover (2).jpg"));
    ASSERT_EQ(Messages.Questions.size(), 1);
    EXPECT_TRUE(Messages.Questions[0].contains("cover (2).jpg"));
    QFile kept(existing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);

    Messages.Answers.push_back(TMessageAnswer::Yes);
    EXPECT_EQ(CopyCoverToFolder(other, folder), existing);
    EXPECT_EQ(QImage(existing).size(), QSize(20, 20));
}

TEST_F(DetailsTest, LinkingACoverSetsPictureAndThumbnailOnlyForPictures)
{
    const QString picture = Picture("p.png", 64, 32);
    const QString text = Write("p.txt", "not a picture");
    EXPECT_FALSE(LinkFrontCover(*Book, text));
    EXPECT_NE(Book->GetFrontImage(), text);
    EXPECT_TRUE(LinkFrontCover(*Book, picture));
    EXPECT_EQ(Book->GetFrontImage(), picture);
    EXPECT_TRUE(Book->HasThumbnail());
}

TEST_F(DetailsTest, SavedXmlIsTheItemsCollectionXmlWithoutStyleSheet)
{
    const QByteArray xml = ItemXmlText(*Root, Book);
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\"?>\n<!DOCTYPE bookinfo>"));
    EXPECT_TRUE(xml.contains("&lt;b&gt;Bold&lt;/b&gt;"));
}
