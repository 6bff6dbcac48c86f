#include "app/fSplash.h"

#include "app/cGlobal.h"

#include <QLinearGradient>
#include <QPainter>

TfmSplash::TfmSplash() : QSplashScreen(Picture(), Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("fmSplash"));
    setFixedSize(328, 330);
}

QPixmap TfmSplash::Logo(int size)
{
    QPixmap logo(size, size);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 100.0, size / 100.0);
    // Three book spines on a shelf.
    const QColor colours[] = {QColor(0x8b, 0x2e, 0x2e), QColor(0x2e, 0x5e, 0x8b), QColor(0x3f, 0x7f, 0x3f)};
    const QRectF spines[] = {QRectF(18, 22, 18, 62), QRectF(40, 14, 20, 70), QRectF(64, 28, 16, 56)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(colours[i]);
        painter.setPen(QPen(colours[i].darker(150), 2));
        painter.drawRoundedRect(spines[i], 3, 3);
        painter.setPen(QPen(QColor(0xe8, 0xd0, 0x8a), 2));
        painter.drawLine(QPointF(spines[i].left() + 3, spines[i].top() + 10),
                         QPointF(spines[i].right() - 3, spines[i].top() + 10));
    }
    painter.setBrush(QColor(0x6b, 0x4a, 0x2b));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(10, 84, 80, 8), 2, 2);
    return logo;
}

QPixmap TfmSplash::Picture()
{
    QPixmap picture(328, 330);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, 330);
    background.setColorAt(0, QColor(0xf6, 0xf1, 0xe4));
    background.setColorAt(1, QColor(0xd9, 0xcc, 0xab));
    painter.fillRect(picture.rect(), background);
    painter.setPen(QPen(QColor(0x6b, 0x4a, 0x2b), 2));
    painter.drawRect(picture.rect().adjusted(1, 1, -2, -2));
    painter.drawPixmap(104, 40, Logo(120));
    QFont title = painter.font();
    title.setPointSize(26);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(QColor(0x3b, 0x2a, 0x1a));
    painter.drawText(QRect(0, 180, 328, 50), Qt::AlignCenter, QStringLiteral("Tomekeep"));
    QFont small = painter.font();
    small.setPointSize(10);
    small.setBold(false);
    painter.setFont(small);
    painter.drawText(QRect(0, 228, 328, 24), Qt::AlignCenter,
                     QStringLiteral("Your book collection, catalogued"));
    painter.drawText(QRect(0, 290, 328, 24), Qt::AlignCenter,
                     QStringLiteral("Quorvane  \u00b7  Version %1").arg(VersionText()));
    return picture;
}
