#pragma once
// ISBN texts as typed, scanned or found online, brought to one form for storing and comparing.

#include <QString>

// The text with only its digits and check letters left, "x" written as "X": "0-306-40615-x" gives
// "030640615X". Only ASCII digits count; the length is not checked.
QString NormalizeIsbn(const QString& text);
