#include "model/cXmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

void TXmlDocFree::operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }

namespace {

// Writes the tree straight into one buffer: the documents of large collections are hundreds of
// megabytes, and libxml2's own writer copies them several times over.
class TXmlTextWriter {
public:
    TXmlTextWriter(QByteArray& out, bool indent) : Out(out), Indent(indent) {}

    void Document(xmlDoc* doc)
    {
        Out += "<?xml version=\"1.0\"?>\n";
        for (xmlNode* node = doc->children; node; node = node->next) {
            if (node->type == XML_PI_NODE)
                Out += "<?" + Text(node->name) + ' ' + Text(node->content) + "?>";
            else if (node->type == XML_DTD_NODE)
                Out += "<!DOCTYPE " + Text(node->name) + '>';
            else if (node->type == XML_ELEMENT_NODE)
                Element(node, 0);
            else
                continue;
            Out += '\n';
        }
    }

    void Element(xmlNode* node, int depth)
    {
        Out += '<';
        Out += reinterpret_cast<const char*>(node->name);
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            Out += ' ';
            Out += reinterpret_cast<const char*>(attribute->name);
            Out += "=\"";
            if (attribute->children)
                Escaped(attribute->children->content, true);
            Out += '"';
        }
        if (!node->children) {
            Out += "/>";
            return;
        }
        Out += '>';
        const bool layout = Indent && OnlyElements(node);
        for (xmlNode* child = node->children; child; child = child->next) {
            if (layout)
                NewLine(depth + 1);
            if (child->type == XML_ELEMENT_NODE)
                Element(child, depth + 1);
            else if (child->type == XML_TEXT_NODE)
                Escaped(child->content, false);
        }
        if (layout)
            NewLine(depth);
        Out += "</";
        Out += reinterpret_cast<const char*>(node->name);
        Out += '>';
    }

    void NewLine(int depth)
    {
        Out += '\n';
        Out.append(2 * depth, ' ');
    }

private:
    static QByteArray Text(const xmlChar* text) { return QByteArray(reinterpret_cast<const char*>(text)); }

    void Escaped(const xmlChar* text, bool attribute)
    {
        AppendEscapedXml(Out, reinterpret_cast<const char*>(text), attribute);
    }

    static bool OnlyElements(const xmlNode* node)
    {
        for (const xmlNode* child = node->children; child; child = child->next)
            if (child->type != XML_ELEMENT_NODE)
                return false;
        return true;
    }

    QByteArray& Out;
    bool Indent;
};

}  // namespace

void AppendEscapedXml(QByteArray& out, const char* text, bool attribute)
{
    const char* run = text;
    for (const char* p = run; p && *p; ++p) {
        const char* entity = nullptr;
        switch (*p) {
        case '&':
            entity = "&amp;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        case '\r':
            entity = "&#13;";
            break;
        case '"':
            entity = attribute ? "&quot;" : nullptr;
            break;
        default:
            break;
        }
        if (!entity)
            continue;
        out.append(run, p - run);
        out += entity;
        run = p + 1;
    }
    if (run)
        out.append(run);
}

QByteArray XmlDocumentText(xmlDoc* doc, bool indent)
{
    QByteArray text;
    TXmlTextWriter(text, indent).Document(doc);
    return text;
}

TXmlDocument ParseXmlSafely(const QByteArray& text)
{
    return TXmlDocument(xmlReadMemory(text.constData(), int(text.size()), nullptr, "UTF-8",
                                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}
