#include "model/cXmlUtil.h"

#include "online/cOnlineQueryBase.h"

#include <libxml/tree.h>

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
    return xmlNewChild(parent, nullptr, BAD_CAST name, nullptr);
}

void XmlAddText(xmlNode* parent, const char* name, const QString& text)
{
    if (text.isEmpty())
        return;
    xmlNode* element = XmlAddElement(parent, name);
    xmlNodeAddContent(element, BAD_CAST XmlSafeText(text).toUtf8().constData());
}

void XmlSetAttribute(xmlNode* node, const char* name, const QString& value)
{
    xmlSetProp(node, BAD_CAST name, BAD_CAST XmlSafeText(value).toUtf8().constData());
}

QString XmlSafeText(const QString& text)
{
    bool clean = true;
    for (char32_t c : text.toUcs4())
        clean = clean && AllowedInXml(c);
    if (clean)
        return text;
    QList<char32_t> kept;
    for (char32_t c : text.toUcs4())
        if (AllowedInXml(c))
            kept << c;
    return QString::fromUcs4(kept.constData(), kept.size());
}
