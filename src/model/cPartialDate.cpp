#include "model/cPartialDate.h"

#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cDataText.h"
#include "model/cXmlUtil.h"
#include "platform/Messenger.h"

#include <QDate>
#include <QLocale>

namespace {

// Day numbers cover the years 1 to 9999; outside them there is no date to speak of.
QDate CalendarDate(int year, int month, int day)
{
    if (year < 1 || year > 9999)
        return {};
    return QDate(year, month, day);  // invalid when the month or the day does not exist
}

// Documents may hold anything; a number outside 1 to max counts as missing.
qint32 XmlNumber(xmlNode* node, const char* name, int max)
{
    bool ok = false;
    const int number = XmlElementText(node, name).toInt(&ok);
    return ok && number >= 1 && number <= max ? number : 0;
}

}  // namespace

void TPartialDate::Clear()
{
    Year = nullptr;
    Month = 0;
    Day = 0;
}

void TPartialDate::AssignTo(TPartialDate& other) const
{
    other.Year = Year;
    other.Month = Month;
    other.Day = Day;
}

bool TPartialDate::IsEqual(const TPartialDate& other) const
{
    return Year == other.Year && Month == other.Month && Day == other.Day;
}

bool TPartialDate::IsEmpty() const { return !Year && Month == 0 && Day == 0; }

bool TPartialDate::IsComplete() const { return Year && Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31; }

bool TPartialDate::IsValid() const { return CalendarDate(YearNumber(0), Month, Day).isValid(); }

double TPartialDate::AsDate() const
{
    QDate date = CalendarDate(YearNumber(1), Month == 0 ? 1 : Month, Day == 0 ? 1 : Day);
    if (!date.isValid())
        date = Now().date();
    return DateToDayNumber(date);
}

QString TPartialDate::GetText() const
{
    if (IsEmpty())
        return {};
    if (IsComplete()) {
        const QDate date = CalendarDate(YearNumber(0), Month, Day);
        // Formatted directly: dates before the day-number origin are real dates too.
        return date.isValid() ? ShortDateText(date) : QStringLiteral("[Invalid]");
    }
    if (!Year)
        return {};
    if (Month < 1 || Month > 12)
        return YearText();
    return QStringLiteral("%1 %2").arg(QLocale().monthName(Month, QLocale::LongFormat), YearText());
}

void TPartialDate::Write(TValueWriter& writer) const
{
    writer.WriteInteger(Year ? Year->GetID() : -1);
    writer.WriteInteger(Month);
    writer.WriteInteger(Day);
}

void TPartialDate::Read(TValueReader& reader)
{
    Year = static_cast<TLookupItem*>(YearList->FindByID(reader.ReadInteger()));
    Month = reader.ReadInteger();
    Day = reader.ReadInteger();
}

void TPartialDate::WriteXML(xmlNode* node) const
{
    XmlAddText(node, "year", YearText());
    if (Month != 0)
        XmlAddText(node, "month", QString::number(Month));
    if (Day != 0)
        XmlAddText(node, "day", QString::number(Day));
    XmlAddText(node, "date", GetText());
}

void TPartialDate::ReadXML(xmlNode* node, bool overwrite)
{
    if (!Year || overwrite)
        Year = YearList->FindOrAdd(XmlElementText(node, "year"));
    if (Month == 0 || overwrite)
        Month = XmlNumber(node, "month", 12);
    if (Day == 0 || overwrite)
        Day = XmlNumber(node, "day", 31);
}

QString TPartialDate::YearText() const { return Year ? Year->DisplayName : QString(); }

// The year entry's text may be anything ("circa 1990"), so it is read, never cached.
int TPartialDate::YearNumber(int fallback) const
{
    bool ok = false;
    const int number = YearText().toInt(&ok);
    return ok ? number : fallback;
}
