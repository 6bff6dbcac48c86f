#include "app/fAbout.h"

#include "app/cGlobal.h"
#include "app/fFormPlacement.h"
#include "app/fSplash.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QLabel* Link(const QString& html)
{
    auto* label = new QLabel(html);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    return label;
}

}  // namespace

TfmAbout::TfmAbout(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About Quorvane Tomekeep ") + VersionText());

    auto* about = new QWidget;
    auto* aboutLayout = new QVBoxLayout(about);
    auto* logo = new QLabel;
    logo->setObjectName(QStringLiteral("imLogo"));
    logo->setPixmap(TfmSplash::Logo(96));
    logo->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("<h2>Tomekeep</h2>"));
    name->setObjectName(QStringLiteral("laName"));
    auto* version = new QLabel(QStringLiteral("Version ") + VersionText());
    version->setObjectName(QStringLiteral("laVersion"));
    auto* build = new QLabel(QStringLiteral("(Build %1)").arg(BuildText()));
    build->setObjectName(QStringLiteral("laBuild"));
    for (QLabel* label : {name, version, build})
        label->setAlignment(Qt::AlignCenter);
    aboutLayout->addWidget(logo);
    aboutLayout->addWidget(name);
    aboutLayout->addWidget(version);
    aboutLayout->addWidget(build);
    aboutLayout->addWidget(
        Link(QStringLiteral("<a href=\"mailto:support@quorvane.example\">support@quorvane.example</a>")));
    aboutLayout->addWidget(
        Link(QStringLiteral("<a href=\"https://www.quorvane.example/\">www.quorvane.example</a>")));

    auto* products = new QWidget;
    auto* productsLayout = new QVBoxLayout(products);
    productsLayout->addWidget(new QLabel(QStringLiteral("Catalogue programs for collectors:")));
    productsLayout->addWidget(
        Link(QStringLiteral("<a href=\"https://www.quorvane.example/book/\">Tomekeep</a>, "
                            "for your books")));
    productsLayout->addStretch();

    auto* pages = new QTabWidget;
    pages->setObjectName(QStringLiteral("pcAbout"));
    pages->addTab(about, QStringLiteral("About"));
    pages->addTab(products, QStringLiteral("Products"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}

int TfmAbout::Execute(QWidget* owner)
{
    TfmAbout about(owner);
    about.adjustSize();
    CenterOver(&about, owner);
    RestorePlacement(&about);
    const int result = about.exec();
    SavePlacement(&about);
    return result;
}
