#include "model/cDataText.h"

#include <QCollator>
#include <memory>

namespace {
std::unique_ptr<QCollator> Collator;
QString DateFormatOverride;

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

namespace {
char16_t FoldedAZ(char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c; }
}  // namespace

bool ContainsText(QStringView text, QStringView part, bool caseSensitive)
{
    if (caseSensitive)
        return text.contains(part);
    const qsizetype last = text.size() - part.size();
    for (qsizetype start = 0; start <= last; ++start) {
        qsizetype i = 0;
        while (i < part.size() && FoldedAZ(text[start + i].unicode()) == FoldedAZ(part[i].unicode()))
            ++i;
        if (i == part.size())
            return true;
    }
    return false;
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

QString ShortDateText(const QDate& date)
{
    return DateFormatOverride.isEmpty() ? QLocale().toString(date, QLocale::ShortFormat)
                                        : QLocale().toString(date, DateFormatOverride);
}

QString ShortDateFormatOverride() { return DateFormatOverride; }

void SetShortDateFormatOverride(const QString& format) { DateFormatOverride = format; }
