#pragma once
// Text rules shared by the data model: letter folding, trimming and the locale's comparison.

#include <QCollatorSortKey>
#include <QDate>
#include <QString>

// Folds only the letters A to Z to lower case; every other character stays as it is.
QString FoldAZ(const QString& text);
// Whether `part` occurs in `text`, with the letters A to Z folded when not case-sensitive.
bool ContainsText(QStringView text, QStringView part, bool caseSensitive);
// Removes spaces and control characters at both ends.
QString TrimControls(const QString& text);
// The system locale's case-insensitive comparison: negative, zero or positive.
int CompareText(const QString& a, const QString& b);
// The key that orders texts as CompareText does; comparing keys is much cheaper than comparing texts.
QCollatorSortKey TextSortKey(const QString& text);
// A date in the short date format in force: the system's, or the one a window put in its place while it
// is open (the filter dialog shows dates year first).
QString ShortDateText(const QDate& date);
QString ShortDateFormatOverride();
// An empty format returns to the system's.
void SetShortDateFormatOverride(const QString& format);
// Forgets the collator so that the next comparison follows the current default locale.
void ResetTextCollator();
