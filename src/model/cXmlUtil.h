#pragma once
// Small helpers over the libxml2 object model for the collection XML.

#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

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

// Writes elements as text at once instead of building a tree. The nodes it hands out are stand-ins that
// XmlAddElement, XmlAddText and XmlSetAttribute recognise; elements must come in document order (a node
// is not written to after a later sibling of it or of an ancestor has started), as every writer here
// does. The text is the same as XmlDocumentText gives for the same elements.
class TXmlTextStream {
public:
    TXmlTextStream(QByteArray& out, bool indent);
    ~TXmlTextStream();
    TXmlTextStream(const TXmlTextStream&) = delete;
    TXmlTextStream& operator=(const TXmlTextStream&) = delete;

    // Opens an element at `depth` below the document; `name` must outlive the element.
    xmlNode* Open(const char* name, int depth);
    // Closes every open element.
    void Close();

    static TXmlTextStream* Of(const xmlNode* node);
    xmlNode* AddElement(xmlNode* parent, const char* name);
    void AddText(xmlNode* parent, const char* name, const QString& text);
    void SetAttribute(xmlNode* node, const char* name, const QString& value);

private:
    struct TOpen {
        xmlNode* Node;
        bool HasChildren;
    };
    xmlNode* Start(const char* name, int depth);
    // Closes the elements opened inside `parent` and marks it as having children.
    void EnterParent(xmlNode* parent);
    void CloseTop();
    void NewLine(int depth);

    QByteArray& FOut;
    bool FIndent;
    std::vector<TOpen> FOpen;
    std::vector<xmlNode*> FFree;
    std::vector<xmlNode*> FAll;
    struct _xmlDoc* FDoc;
};
