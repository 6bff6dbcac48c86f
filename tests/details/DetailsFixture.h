#pragma once
// A book collection with one fully catalogued book (cover picture, credits in several roles, series,
// sections and a loan) whose title holds markup, and a scratch folder for templates and pictures.

#include "book/cBookData.h"
#include "platform/Messenger.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class DetailsTest : public ::testing::Test {
protected:
    TRecordingMessenger Messages;
    QTemporaryDir Dir;
    std::unique_ptr<TBookRoot> Root = TRootItem::New<TBookRoot>();
    TBook* Book = nullptr;

    void SetUp() override
    {
        SetMessenger(&Messages);
        Book = FullBook();
    }
    void TearDown() override { SetMessenger(nullptr); }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    QString Write(const QString& name, const QByteArray& text) const
    {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }

    // A picture `width` wide and `height` high.
    QString Picture(const QString& name, int width, int height, QRgb colour = qRgb(40, 90, 160)) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(image.save(path));
        return path;
    }

    // A template that shows the title and the page size it was given.
    static QByteArray ProbeTemplate(const QByteArray& extra = {})
    {
        return R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html"/>
  <xsl:param name="pagewidth"/><xsl:param name="pageheight"/>
  <xsl:template match="/"><html><body>
    <p>[<xsl:value-of select="//book/mainsection/title"/>]</p>
    <p>size <xsl:value-of select="$pagewidth"/>x<xsl:value-of select="$pageheight"/></p>)"
               + extra + R"(
  </body></html></xsl:template>
</xsl:stylesheet>)";
    }

private:
    TBook* FullBook()
    {
        auto entry = [&](const char* list, const QString& name) { return Root->List(list)->FindOrAdd(name); };
        auto* book = static_cast<TBook*>(Root->Items->NewItem());
        TBookSection& main = book->Main();
        main.Title = "<b>Bold</b> & \"Co\"";
        main.SubTitle = "There and Back Again";
        main.Plot = "A dragon.";
        main.Notes = "Signed";
        main.Rating = 9;
        main.PageCount = 310;
        main.Series = entry("Series", "Middle-earth");
        main.Credits.AddCredit(bfAuthor, Root->LookupListForFieldID(bfAuthor)->FindOrAdd("J.R.R. Tolkien"));
        main.Credits.AddCredit(bfEditor, Root->LookupListForFieldID(bfEditor)->FindOrAdd("Douglas Anderson"));
        main.OriginalTitle = "Orig Title";
        book->FrontCover = Picture("Images/cover.png", 300, 450);
        book->URL = "https://example.org/hobbit";
        book->ISBN = "9780261102217";
        book->Publisher = entry("Publisher", "Allen & Unwin");
        book->PublicationDate.Year = entry("Year", "1995");
        book->Condition = entry("Condition", "Fine");
        book->Location = entry("Location", "Shelf 3");
        book->Genres.Add(entry("Genre", "Fantasy"));
        for (const char* title : {"Chapter One", "Chapter Two"}) {
            auto* section = static_cast<TBookSection*>(book->Sections->NewItem());
            section->Title = title;
            section->Credits.AddCredit(bfAuthor, entry("Author", QStringLiteral("Writer of %1").arg(title)));
        }
        auto* loan = static_cast<TLoanInfo*>(Root->Loans->NewItem());
        loan->SetItem(book);
        book->CurrentLoan = loan;
        loan->LoanedTo = Root->LoanPersons->FindOrAdd("Ann Reader");
        loan->LoanDate = 45000;
        return book;
    }
};
