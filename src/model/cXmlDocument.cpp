#include "model/cXmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

void TXmlDocFree::operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }

QByteArray XmlDocumentText(xmlDoc* doc, bool indent)
{
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc, &text, &size, "UTF-8", indent ? 1 : 0);
    QByteArray bytes(reinterpret_cast<const char*>(text), size);
    xmlFree(text);
    // The declaration stays as the document format has always had it; the text is UTF-8 either way.
    bytes.replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?xml version=\"1.0\"?>");
    return bytes;
}

TXmlDocument ParseXmlSafely(const QByteArray& text)
{
    return TXmlDocument(xmlReadMemory(text.constData(), int(text.size()), nullptr, "UTF-8",
                                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}
