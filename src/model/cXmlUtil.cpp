#include "model/cXmlUtil.h"

#include "model/cXmlDocument.h"
#include "online/cOnlineQueryBase.h"

#include <libxml/tree.h>

#include <string>

namespace {

bool IsNamed(const xmlNode* node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name);
}

xmlNode* FindDescendant(xmlNode* node, const char* name)
{
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next) {
        if (IsNamed(child, name))
            return child;
        if (xmlNode* found = FindDescendant(child, name))
            return found;
    }
    return nullptr;
}

bool AllowedInXml(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
           || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

xmlNode* XmlFindElement(xmlNode* node, const char* name) { return FindDescendant(node, name); }

QList<xmlNode*> XmlChildElements(xmlNode* node, const char* name)
{
    QList<xmlNode*> elements;
    for (xmlNode* child = node ? node->children : nullptr; child; child = child->next)
        if (IsNamed(child, name))
            elements << child;
    return elements;
}

QString XmlElementText(xmlNode* node, const char* name)
{
    xmlNode* element = FindDescendant(node, name);
    if (!element)
        return {};
    xmlChar* content = xmlNodeGetContent(element);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(content));
    xmlFree(content);
    return DecodeWebText(text);
}

xmlNode* XmlAddElement(xmlNode* parent, const char* name)
{
    if (TXmlTextStream* stream = TXmlTextStream::Of(parent))
        return stream->AddElement(parent, name);
    // Documents that carry a dictionary share their element names instead of copying each one.
    return xmlAddChild(parent, xmlNewDocNode(parent->doc, nullptr, BAD_CAST name, nullptr));
}

namespace {

// The text as UTF-8 without the characters XML does not allow, in a buffer reused between calls.
const std::string& XmlUtf8(const QString& text)
{
    static std::string buffer;
    buffer.clear();
    buffer.reserve(size_t(text.size()) * 3);
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (p < end) {
        char32_t c = p->unicode();
        ++p;
        if (QChar::isHighSurrogate(c) && p < end && p->isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), p->unicode());
            ++p;
        }
        if (!AllowedInXml(c))
            continue;
        if (c < 0x80) {
            buffer += char(c);
        } else if (c < 0x800) {
            buffer += char(0xC0 | (c >> 6));
            buffer += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            buffer += char(0xE0 | (c >> 12));
            buffer += char(0x80 | ((c >> 6) & 0x3F));
            buffer += char(0x80 | (c & 0x3F));
        } else {
            buffer += char(0xF0 | (c >> 18));
            buffer += char(0x80 | ((c >> 12) & 0x3F));
            buffer += char(0x80 | ((c >> 6) & 0x3F));
            buffer += char(0x80 | (c & 0x3F));
        }
    }
    return buffer;
}

}  // namespace

void XmlAddText(xmlNode* parent, const char* name, const QString& text)
{
    if (text.isEmpty())
        return;
    if (TXmlTextStream* stream = TXmlTextStream::Of(parent))
        return stream->AddText(parent, name, text);
    xmlNode* element = XmlAddElement(parent, name);
    const std::string& utf8 = XmlUtf8(text);
    xmlAddChild(element, xmlNewDocTextLen(parent->doc, BAD_CAST utf8.data(), int(utf8.size())));
}

void XmlSetAttribute(xmlNode* node, const char* name, const QString& value)
{
    if (TXmlTextStream* stream = TXmlTextStream::Of(node))
        return stream->SetAttribute(node, name, value);
    xmlSetProp(node, BAD_CAST name, BAD_CAST XmlUtf8(value).c_str());
}

// ---------------------------------------------------------------------------------------------------
// TXmlTextStream

namespace {
char StreamMarker;
}

TXmlTextStream::TXmlTextStream(QByteArray& out, bool indent) : FOut(out), FIndent(indent), FDoc(new xmlDoc{})
{
    FDoc->_private = this;
    FDoc->psvi = &StreamMarker;
}

TXmlTextStream::~TXmlTextStream()
{
    Close();
    for (xmlNode* node : FAll)
        delete node;
    delete FDoc;
}

TXmlTextStream* TXmlTextStream::Of(const xmlNode* node)
{
    return node && node->doc && node->doc->psvi == &StreamMarker
               ? static_cast<TXmlTextStream*>(node->doc->_private)
               : nullptr;
}

xmlNode* TXmlTextStream::Start(const char* name, int depth)
{
    xmlNode* node = nullptr;
    if (FFree.empty()) {
        node = new xmlNode{};
        FAll.push_back(node);
    } else {
        node = FFree.back();
        FFree.pop_back();
    }
    node->doc = FDoc;
    node->name = BAD_CAST name;
    node->extra = static_cast<unsigned short>(depth);
    if (FIndent)
        NewLine(depth);
    FOut += '<';
    FOut += name;
    FOpen.push_back({node, false});
    return node;
}

xmlNode* TXmlTextStream::Open(const char* name, int depth) { return Start(name, depth); }

void TXmlTextStream::Close()
{
    while (!FOpen.empty())
        CloseTop();
}

void TXmlTextStream::NewLine(int depth)
{
    FOut += '\n';
    FOut.append(2 * depth, ' ');
}

void TXmlTextStream::CloseTop()
{
    const TOpen top = FOpen.back();
    FOpen.pop_back();
    if (!top.HasChildren) {
        FOut += "/>";
    } else {
        if (FIndent)
            NewLine(top.Node->extra);
        FOut += "</";
        FOut += reinterpret_cast<const char*>(top.Node->name);
        FOut += '>';
    }
    FFree.push_back(top.Node);
}

void TXmlTextStream::EnterParent(xmlNode* parent)
{
    while (!FOpen.empty() && FOpen.back().Node != parent)
        CloseTop();
    if (!FOpen.empty() && !FOpen.back().HasChildren) {
        FOpen.back().HasChildren = true;
        FOut += '>';
    }
}

xmlNode* TXmlTextStream::AddElement(xmlNode* parent, const char* name)
{
    EnterParent(parent);
    return Start(name, parent->extra + 1);
}

void TXmlTextStream::AddText(xmlNode* parent, const char* name, const QString& text)
{
    EnterParent(parent);
    if (FIndent)
        NewLine(parent->extra + 1);
    FOut += '<';
    FOut += name;
    FOut += '>';
    AppendEscapedXml(FOut, XmlUtf8(text).c_str(), false);
    FOut += "</";
    FOut += name;
    FOut += '>';
}

void TXmlTextStream::SetAttribute(xmlNode* node, const char* name, const QString& value)
{
    FOut += ' ';
    FOut += name;
    FOut += "=\"";
    AppendEscapedXml(FOut, XmlUtf8(value).c_str(), true);
    FOut += '"';
    (void)node;
}
