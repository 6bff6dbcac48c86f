#pragma once
// Text rules shared by the data model: letter folding, trimming and the locale's comparison.

#include <QCollatorSortKey>
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
// Forgets the collator so that the next comparison follows the current default locale.
void ResetTextCollator();
