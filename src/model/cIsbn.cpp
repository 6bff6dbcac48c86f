#include "model/cIsbn.h"

QString NormalizeIsbn(const QString& text)
{
    QString isbn;
    isbn.reserve(text.size());
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9')
            isbn += c;
        else if (c == u'X' || c == u'x')
            isbn += u'X';
    }
    return isbn;
}
