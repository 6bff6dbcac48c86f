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
// Appends UTF-8 text with the characters XML reserves replaced by references.
void AppendEscapedXml(QByteArray& out, const char* text, bool attribute);
// Parses untrusted XML: no DTD loading, no external entities, no network; nullptr when not well-formed.
TXmlDocument ParseXmlSafely(const QByteArray& text);
