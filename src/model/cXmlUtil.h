#pragma once
// Small helpers over the libxml2 object model for the collection XML.

#include <QList>
#include <QString>

struct _xmlNode;
typedef struct _xmlNode xmlNode;

// The text of the first element named `name` among the descendants of `node`, in document order,
// decoded as web text (entities and escapes);
// empty when there is none.
QString XmlElementText(xmlNode* node, const char* name);
// The first descendant element named `name`, or nullptr.
xmlNode* XmlFindElement(xmlNode* node, const char* name);
// The child elements of `node` named `name`, in order.
QList<xmlNode*> XmlChildElements(xmlNode* node, const char* name);
// Appends an empty child element.
xmlNode* XmlAddElement(xmlNode* parent, const char* name);
// Appends a child element holding `text`, only when the text is non-empty; characters that XML 1.0
// does not allow are left out.
void XmlAddText(xmlNode* parent, const char* name, const QString& text);
void XmlSetAttribute(xmlNode* node, const char* name, const QString& value);
