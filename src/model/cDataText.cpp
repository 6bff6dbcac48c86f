#include "model/cDataText.h"

#include <QCollator>
#include <memory>

namespace {
std::unique_ptr<QCollator> Collator;

QCollator& TextCollator()
{
    if (!Collator) {
        Collator = std::make_unique<QCollator>(QLocale());
        Collator->setCaseSensitivity(Qt::CaseInsensitive);
    }
    return *Collator;
}
}  // namespace

QString FoldAZ(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

QString TrimControls(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= ' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}

int CompareText(const QString& a, const QString& b) { return TextCollator().compare(a, b); }

QCollatorSortKey TextSortKey(const QString& text) { return TextCollator().sortKey(text); }

void ResetTextCollator() { Collator.reset(); }
