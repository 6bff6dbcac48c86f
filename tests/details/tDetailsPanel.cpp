// The details panel and the full-size image window, driven as the main window will drive them.

#include "DetailsFixture.h"
#include "views/fDetails.h"
#include "views/fFullSizeImage.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTextBrowser>

namespace {

QString PageText(TfmDetails& panel) { return panel.findChild<QTextBrowser*>("htDetails")->toPlainText(); }

}  // namespace

class DetailsPanelTest : public DetailsTest {
protected:
    QList<QUrl> Opened;
    std::unique_ptr<TfmDetails> Panel;

    void Open(const QString& templatePath)
    {
        Panel = std::make_unique<TfmDetails>(templatePath);
        Panel->SetUrlOpener([this](const QUrl& url) { Opened << url; });
        Panel->resize(400, 300);
        Panel->show();
        Panel->SetRoot(Root.get());
    }
};

TEST_F(DetailsPanelTest, ACollapsedPanelRendersNothingUntilExpanded)
{
    Open(Write("t.xsl", ProbeTemplate()));
    Panel->SetCollapsed(true);
    Panel->SetItem(Book);
    EXPECT_TRUE(PageText(*Panel).isEmpty());
    Panel->SetCollapsed(false);
    EXPECT_TRUE(PageText(*Panel).contains("[<b>Bold</b> & \"Co\"]"));
}

TEST_F(DetailsPanelTest, ResizingRendersWithTheNewPageSize)
{
    Open(Write("t.xsl", ProbeTemplate()));
    Panel->SetItem(Book);
    const QString before = PageText(*Panel);
    Panel->resize(500, 350);
    QApplication::processEvents();
    EXPECT_NE(PageText(*Panel), before);
    EXPECT_TRUE(PageText(*Panel).contains(QRegularExpression("size 4[89]\\dx3[34]\\d")))
        << PageText(*Panel).toStdString();
}

TEST_F(DetailsPanelTest, TemplateCommandsShowTheErrorPagesAndSkipTheSameTemplate)
{
    const QString path = Write("t.xsl", ProbeTemplate());
    Open(path);
    Panel->SetItem(Book);
    Write("t.xsl", ProbeTemplate("<p>edited</p>"));
    EXPECT_FALSE(Panel->ChooseTemplate(path));
    EXPECT_FALSE(PageText(*Panel).contains("edited"));

    Write("t.xsl", "not a style sheet");
    Panel->RefreshTemplate();
    EXPECT_EQ(PageText(*Panel), QStringLiteral("Error in stylesheet %1.\nInvalid content.").arg(path));
    QFile::remove(path);
    Panel->RefreshTemplate();
    EXPECT_EQ(PageText(*Panel), QStringLiteral("Error in stylesheet %1.\nFile not found.").arg(path));
}

TEST_F(DetailsPanelTest, LinksFollowTheLinkRules)
{
    Open(Write("t.xsl", ProbeTemplate()));
    Panel->OpenLink(QUrl("dummy.html"));
    EXPECT_TRUE(Opened.isEmpty());
    EXPECT_TRUE(Messages.Questions.isEmpty() && Messages.Errors.isEmpty());

    Panel->OpenLink(QUrl("https://example.org/"));
    EXPECT_EQ(Opened, QList<QUrl>{QUrl("https://example.org/")});

    Panel->OpenLink(QUrl::fromLocalFile(Path("notes.pdf")));  // asked, answered No
    EXPECT_EQ(Messages.Questions.size(), 1);
    Messages.Answers.push_back(TMessageAnswer::Yes);
    Panel->OpenLink(QUrl::fromLocalFile(Path("notes.pdf")));
    EXPECT_EQ(Opened.size(), 2);

    Panel->OpenLink(QUrl("file:///tmp/setup.exe"));
    EXPECT_EQ(Opened.size(), 2);
    EXPECT_EQ(Messages.Errors.size(), 1);
}

TEST_F(DetailsPanelTest, ADroppedPictureBecomesTheFrontCoverWithoutSaving)
{
    Open(Write("t.xsl", ProbeTemplate()));
    Panel->SetItem(Book);
    QList<std::pair<TDataItem*, bool>> reports;
    QObject::connect(Panel.get(), &TfmDetails::CoverDropped,
                     [&](TDataItem* item, bool changed) { reports << std::make_pair(item, changed); });

    const QString text = Write("notes.txt", "no picture");
    Panel->DropFiles({text}, {5, 5});
    Panel->LinkDroppedFile();
    EXPECT_NE(Book->GetFrontImage(), text);
    EXPECT_TRUE(Panel->DroppedFile().isEmpty());

    const QString picture = Picture("drop.png", 40, 60);
    Panel->DropFiles({picture, text}, {5, 5});
    EXPECT_EQ(Panel->DroppedFile(), picture);
    Panel->LinkDroppedFile();
    EXPECT_EQ(Book->GetFrontImage(), picture);
    EXPECT_EQ(reports, (QList<std::pair<TDataItem*, bool>>{{Book, false}, {Book, true}}));
}

TEST_F(DetailsPanelTest, SavingWritesThePageAndTheItemXml)
{
    Open(Write("t.xsl", ProbeTemplate()));
    Panel->SetItem(Book);
    ASSERT_TRUE(Panel->SaveAsHtml(Path("page.html")));
    ASSERT_TRUE(Panel->SaveAsXml(Path("item.xml")));
    QFile html(Path("page.html"));
    QFile xml(Path("item.xml"));
    ASSERT_TRUE(html.open(QIODevice::ReadOnly) && xml.open(QIODevice::ReadOnly));
    EXPECT_TRUE(html.readAll().contains("[&lt;b&gt;Bold&lt;/b&gt;"));
    const QByteArray xmlText = xml.readAll();
    EXPECT_TRUE(xmlText.contains("<bookinfo>") && !xmlText.contains("xml-stylesheet"));
}

TEST_F(DetailsPanelTest, TheFullSizeWindowShowsPathThenHeightByWidth)
{
    const QString picture = Picture("tall.png", 300, 450);
    TfmFullSizeImage window;
    window.resize(2000, 600);
    window.show();
    window.SetPicture(picture);
    EXPECT_EQ(window.StatusText(), picture + " (450x300)");

    window.resize(200, 300);
    QApplication::processEvents();
    EXPECT_TRUE(window.StatusText().contains(QChar(0x2026))) << window.StatusText().toStdString();
    EXPECT_TRUE(window.StatusText().endsWith(" (450x300)"));

    window.hide();
    EXPECT_TRUE(window.Picture().isEmpty());
    window.show();
    window.SetPicture(Path("missing.png"));
    EXPECT_TRUE(window.Picture().isEmpty());
    ASSERT_EQ(Messages.Errors.size(), 1);
    EXPECT_EQ(Messages.Errors[0],
              QStringLiteral("Image file %1 cannot be found; please verify its file path and "
                             "name.")
                  .arg(Path("missing.png")));
}

TEST(FullSizeImage, ThePictureFitsTheFreeAreaKeepingItsShape)
{
    const struct {
        QSize picture, area, fitted;
    } cases[] = {
        {{300, 450}, {202, 602}, {200, 300}},  // width decides
        {{300, 450}, {602, 302}, {200, 300}},  // height decides
        {{400, 400}, {102, 102}, {100, 100}},  // square
        {{0, 0}, {100, 100}, {0, 0}},          // no picture
    };
    for (const auto& c : cases)
        EXPECT_EQ(TfmFullSizeImage::FitSize(c.picture, c.area), c.fitted);
}
