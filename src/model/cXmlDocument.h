#pragma once
// An owned libxml2 document and its serialisation as UTF-8 text.

#include <QByteArray>
#include <memory>

struct _xmlDoc;
typedef struct _xmlDoc xmlDoc;

struct TXmlDocFree {
    void operator()(xmlDoc* doc) const;
};
using TXmlDocument = std::unique_ptr<xmlDoc, TXmlDocFree>;

// The document as UTF-8 text, starting with the declaration <?xml version="1.0"?>.
QByteArray XmlDocumentText(xmlDoc* doc, bool indent = true);
struct _xmlNode;
typedef struct _xmlNode xmlNode;
// Appends one element as it stands at `depth` in a document written by XmlDocumentText (a new line
// and its indentation first when indenting).
void AppendXmlElementText(QByteArray& out, xmlNode* element, int depth, bool indent);
// Parses untrusted XML: no DTD loading, no external entities, no network; nullptr when not well-formed.
TXmlDocument ParseXmlSafely(const QByteArray& text);
