#pragma once
// The online query engine: looking up books on web sites through the parse scripts. For now it holds
// the decoding of the texts those scripts hand back.

#include <QString>

// Decodes a text value of a parsed web page. Entity passes come first: each replaces every "&amp;",
// "&lt;", "&gt;", "&quot;" and "&nbsp;", then the first "&#n;", and they repeat while a pass finds an
// "&#". Then "%xx" passes, each replacing the first "%" and the two characters after it (a space when
// those are no hexadecimal byte), until no "%" is left. Every pass starts again at the front, so a
// decoded "&" or "%" takes part in the passes that follow; scripts and stored data rely on these
// results. The work stays linear in the length of the text.
// "&#n;" gives the Windows-1252 character for n up to 255 and the Unicode character above; "%xx" a
// Windows-1252 character. Characters that XML does not allow are dropped, from the input as well.
// An "&#" without a ";" after it stops decoding: the text comes back as the entity passes so far left
// it, "%" escapes included, and *complete (when given) is set false so the caller can report it.
QString DecodeWebText(const QString& text, bool* complete = nullptr);
