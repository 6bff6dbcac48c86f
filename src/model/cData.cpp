// Data objects, items, reference and owning lists, thumbnails and the picture helpers.

#include "model/cData.h"

#include "app/cGatherixPrefs.h"
#include "model/cCryptStream.h"
#include "model/cDataText.h"
#include "model/cXmlUtil.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace {

TImageList::TStandardImages StandardImages;

// Without the program's icons the thumbnails still must not start at position 0.
QList<QImage> BlankStandardImages()
{
    QImage blank(TImageList::ImageSize, TImageList::ImageSize, QImage::Format_RGB32);
    blank.fill(Qt::white);
    return QList<QImage>(8, blank);
}

int Sign(qint64 v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// TImageList

void TImageList::SetStandardImages(TStandardImages provider) { StandardImages = std::move(provider); }

int TImageList::Add(const QImage& image)
{
    FImages << image;
    return Count() - 1;
}

void TImageList::Replace(int index, const QImage& image) { FImages[index] = image; }

void TImageList::Reset()
{
    FImages = StandardImages ? StandardImages() : BlankStandardImages();
    if (FImages.isEmpty())
        FImages = BlankStandardImages();
}

// ---------------------------------------------------------------------------------------------------
// TDataObject

TDataObject::TDataObject(TDataObject* parent, TDataObject* container) : Parent(parent), Container(container)
{}

TRootItem* TDataObject::GetRoot() const { return Parent ? Parent->GetRoot() : nullptr; }

QString TDataObject::GetDisplayText() { return QStringLiteral("-"); }

void TDataObject::Write(TValueWriter&) { throw EData(QStringLiteral("Abstract Write")); }

void TDataObject::Read(TValueReader&, int, int) { throw EData(QStringLiteral("Abstract Read")); }

void TDataObject::WriteXML(xmlNode*) { throw EData(QStringLiteral("Abstract WriteXML")); }

void TDataObject::ReadXML(xmlNode*, bool) { throw EData(QStringLiteral("Abstract ReadXML")); }

TTreeNode* TDataObject::AddToTree(TTreeNodes& tree, TTreeNode* parentNode)
{
    return tree.AddNode(parentNode, TreeText(GetDisplayText()), this, GetImageIndex(), GetSelectedIndex());
}

void TDataObject::AddChildrenToTree(TTreeNodes&, TTreeNode*)
{
    throw EData(QStringLiteral("Abstract AddChildrenToTree"));
}

void TDataObject::AddItemsTo(TDataRefList&) {}

QString TDataObject::TreeText(const QString& text)
{
    return text.size() > 253 ? text.left(250) + QStringLiteral("...") : text;
}

// ---------------------------------------------------------------------------------------------------
// TDataItem

TDataItem::TDataItem(TDataObject* parent, TDataObject* container) : TDataObject(parent, container) {}

void TDataItem::Clear()
{
    ID = -1;
    Index = 0;
    CurrentLoan = nullptr;
}

qint32 TDataItem::GetID()
{
    if (ID == -1) {
        TRootItem* root = GetRoot();
        if (!root)
            throw EData(QStringLiteral("Item without a collection"));
        ID = root->NewID();
    }
    return ID;
}

QString TDataItem::GetDisplayText() { return QString::number(GetID()); }

QString TDataItem::GetValueTextByID(int fieldID)
{
    TRootItem* root = GetRoot();
    const TDataField* field = root ? root->FieldByID(fieldID) : nullptr;
    return field ? GetValueAsString(field) : QString();
}

void TDataItem::Write(TValueWriter& writer)
{
    writer.WriteInteger(GetID());
    writer.WriteInteger(Index);
}

void TDataItem::Read(TValueReader& reader, int, int)
{
    ID = reader.ReadInteger();
    Index = reader.ReadInteger();
    if (TRootItem* root = GetRoot())
        root->RaiseNextID(qint64(ID) + 1);
}

std::unique_ptr<TDataItem> TDataItem::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TDataItem>(parent, container);
}

void TDataItem::CopyBaseTo(TDataItem& copy, bool keepID)
{
    if (keepID)
        copy.ID = GetID();
    copy.Index = Index;
    copy.ThumbnailIndex = ThumbnailIndex;
}

std::unique_ptr<TDataItem> TDataItem::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = CreateNew(parent, container);
    CopyBaseTo(*copy, keepID);
    return copy;
}

namespace {
bool IsLoanField(int id) { return id >= fiLoanedTo && id <= fiReturnDate && id != fiLoanItem; }
}  // namespace

QString TDataItem::GetValueAsString(const TDataField* field)
{
    switch (field->ID) {
    case fiID:
        return QString::number(GetID());
    case fiIndex:
        return QString::number(Index);
    default:
        if (IsLoanField(field->ID) && CurrentLoan)
            return CurrentLoan->GetValueAsString(field);
        return {};
    }
}

qint32 TDataItem::GetValueAsInteger(const TDataField* field)
{
    switch (field->ID) {
    case fiID:
        return GetID();
    case fiIndex:
        return Index;
    default:
        return -1;
    }
}

TLookupItem* TDataItem::GetValueAsLookupItem(const TDataField* field, bool inherit)
{
    if (field->ID == fiLoanedTo && CurrentLoan)
        return CurrentLoan->GetValueAsLookupItem(field, inherit);
    return nullptr;
}

double TDataItem::GetValueAsDate(const TDataField* field)
{
    const int id = field->ID;
    if ((id == fiLoanDate || id == fiDueDate || id == fiReturnDate) && CurrentLoan)
        return CurrentLoan->GetValueAsDate(field);
    return -1;
}

int TDataItem::GetValueAsBoolean(const TDataField* field)
{
    if (field->ID == fiOverdue && CurrentLoan)
        return CurrentLoan->GetValueAsBoolean(field);
    return 2;
}

void TDataItem::setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int mode,
                                     TLookupItem* oldEntry)
{
    if (field->ID != fiLoanedTo)
        throw EData(
            QStringLiteral("Invalid field \"%1\" in setValueAsLookupItem").arg(field->GetDisplayNamePlain()));
    if (CurrentLoan && entry)
        CurrentLoan->setValueAsLookupItem(field, entry, mode, oldEntry);
}

TDataItem* TDataItem::ParentItem() const { return dynamic_cast<TDataItem*>(Parent); }

bool TDataItem::HasLookupItem(const TDataField* field, TLookupItem* entry, bool inherit, bool deep)
{
    auto parentAnswers = [&]() -> bool {
        TDataItem* parent = inherit ? ParentItem() : nullptr;
        return parent ? parent->HasLookupItem(field, entry, inherit, deep) : entry == nullptr;
    };
    using TKind = TDataField::TLookupKind;
    if (field->LookupKind == TKind::Credit) {
        TCreditList* credits = GetCreditList(field, false);
        if (credits && !credits->RoleAbsent(field->ID))
            return entry && credits->FindCredit(field->ID, entry);
        return parentAnswers();
    }
    if (field->LookupKind != TKind::Multi)
        return entry == GetValueAsLookupItem(field, inherit);
    TLookupItemRefList* refs = GetLookupRefList(field, false);
    if (refs && !refs->IsEmpty())
        return entry && refs->IndexOf(entry) >= 0;
    return parentAnswers();
}

void TDataItem::ReplaceLookupItem(const TDataField* field, TLookupItem* oldEntry, TLookupItem* newEntry)
{
    using TKind = TDataField::TLookupKind;
    if (field->LookupKind == TKind::None)
        return;
    if (field->LookupKind == TKind::Credit) {
        if (TCreditList* credits = GetCreditList(field, false))
            for (TDataItem* item : *credits) {
                auto* credit = static_cast<TCreditItem*>(item);
                if (credit->Role == field->ID && credit->Person == oldEntry)
                    credit->Person = newEntry;
            }
    } else if (field->LookupKind == TKind::Multi) {
        if (TLookupItemRefList* refs = GetLookupRefList(field, false))
            for (int i = 0; i < refs->Count(); ++i)
                if (refs->Items(i) == oldEntry)
                    refs->Put(i, newEntry);
    } else if (GetValueAsLookupItem(field, false) == oldEntry) {
        setValueAsLookupItem(field, newEntry, smReplace, oldEntry);
    }
}

void TDataItem::CountLookupUse(const TDataField* field, bool deep, int& noneCount, bool inherit)
{
    auto parentCounts = [&] {
        TDataItem* parent = inherit ? ParentItem() : nullptr;
        if (parent)
            parent->CountLookupUse(field, deep, noneCount, inherit);
        else
            ++noneCount;
    };
    using TKind = TDataField::TLookupKind;
    if (field->LookupKind == TKind::Credit) {
        TCreditList* credits = GetCreditList(field, false);
        if (credits && !credits->RoleAbsent(field->ID))
            credits->CountRoleUse(field->ID, noneCount);
        else
            parentCounts();
    } else if (field->LookupKind != TKind::Multi) {
        if (TLookupItem* entry = GetValueAsLookupItem(field, inherit))
            ++entry->UsageCount;
        else
            ++noneCount;
    } else {
        TLookupItemRefList* refs = GetLookupRefList(field, inherit);
        if (refs && !refs->IsEmpty()) {
            int unused = 0;
            refs->IncrementUsage(unused);
        } else {
            parentCounts();
        }
    }
}

bool TDataItem::IsEqual(TDataItem* other) { return other && Index == other->Index; }

bool TDataItem::Inherits(const TDataField* field) const { return field->Inherit && ParentItem(); }

QString TDataItem::InheritString(const TDataField* field, const QString& own)
{
    return own.isEmpty() && Inherits(field) ? ParentItem()->GetValueAsString(field) : own;
}

qint32 TDataItem::InheritInteger(const TDataField* field, qint32 own)
{
    return own == -1 && Inherits(field) ? ParentItem()->GetValueAsInteger(field) : own;
}

TLookupItem* TDataItem::InheritLookupItem(const TDataField* field, TLookupItem* own)
{
    return !own && Inherits(field) ? ParentItem()->GetValueAsLookupItem(field, true) : own;
}

TCreditList* TDataItem::InheritCreditList(const TDataField* field, TCreditList* own)
{
    return (!own || own->IsEmpty()) && Inherits(field) ? ParentItem()->GetCreditList(field, true) : own;
}

TLookupItemRefList* TDataItem::InheritLookupRefList(const TDataField* field, TLookupItemRefList* own)
{
    return (!own || own->IsEmpty()) && Inherits(field) ? ParentItem()->GetLookupRefList(field, true) : own;
}

double TDataItem::InheritDate(const TDataField* field, double own)
{
    return own == -1 && Inherits(field) ? ParentItem()->GetValueAsDate(field) : own;
}

double TDataItem::InheritFloat(const TDataField* field, double own)
{
    return own == -1 && Inherits(field) ? ParentItem()->GetValueAsFloat(field) : own;
}

int TDataItem::InheritBoolean(const TDataField* field, int own)
{
    return own == 2 && Inherits(field) ? ParentItem()->GetValueAsBoolean(field) : own;
}

// ---------------------------------------------------------------------------------------------------
// Thumbnails

namespace {

constexpr int BmpFileHeaderSize = 14;
constexpr int BmpInfoHeaderSize = 40;
// A 32x32 picture needs at most 4 KB plus headers and a palette; anything far larger is not ours.
constexpr qint64 MaxThumbnailBmpSize = 64 * 1024;

bool IsThumbnailSized(const QImage& picture)
{
    return !picture.isNull() && picture.width() == TImageList::ImageSize
           && picture.height() == TImageList::ImageSize;
}

// The 32x32 picture as a complete 24-bit Windows BMP file image; empty on failure.
QByteArray EncodeBmp(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"))
        return {};
    return bytes;
}

// Decodes a BMP file image whose header says it is a 32x32 picture; a null image otherwise.
QImage DecodeThumbnailBmp(QByteArrayView bmp)
{
    if (bmp.size() < BmpFileHeaderSize + BmpInfoHeaderSize)
        return {};
    const auto* p = reinterpret_cast<const uchar*>(bmp.data());
    const qint32 width = qFromLittleEndian<qint32>(p + 18);
    const qint32 height = qFromLittleEndian<qint32>(p + 22);
    if (width != TImageList::ImageSize
        || (height != TImageList::ImageSize && height != -TImageList::ImageSize))
        return {};
    QImage picture;
    picture.loadFromData(bmp, "BMP");
    return IsThumbnailSized(picture) ? picture : QImage();
}

}  // namespace

const TImageList* TDataItem::Images() const
{
    TRootItem* root = GetRoot();
    return root ? &root->LargeImages : nullptr;
}

bool TDataItem::SetThumbnail(const QImage& picture)
{
    TRootItem* root = GetRoot();
    if (root && IsThumbnailSized(picture)) {
        if (ThumbnailIndex == 0) {
            ThumbnailIndex = root->LargeImages.Add(picture);
            return true;
        }
        if (ThumbnailIndex > 0 && ThumbnailIndex < root->LargeImages.Count()) {
            root->LargeImages.Replace(ThumbnailIndex, picture);
            return true;
        }
    }
    ThumbnailIndex = 0;
    return false;
}

bool TDataItem::HasThumbnail() const
{
    const TImageList* images = Images();
    return images && ThumbnailIndex > 0 && ThumbnailIndex < images->Count();
}

void TDataItem::GetThumbnail(QImage* picture) const
{
    if (picture && HasThumbnail())
        *picture = Images()->Image(ThumbnailIndex);
}

void TDataItem::CopyThumbnailTo(TDataItem* other) const
{
    if (!HasThumbnail())
        return;
    other->ThumbnailIndex = 0;
    other->SetThumbnail(Images()->Image(ThumbnailIndex).copy());
}

void TDataItem::WriteThumbnail(TValueWriter& writer) const
{
    // The bitmap is encoded completely before anything is written, so a failure leaves just "false".
    QByteArray bmp;
    if (HasThumbnail()) {
        const QImage& picture = Images()->Image(ThumbnailIndex);
        if (IsThumbnailSized(picture))
            bmp = EncodeBmp(picture);
    }
    writer.WriteBoolean(!bmp.isEmpty());
    writer.WriteRaw(bmp);
}

void TDataItem::ReadThumbnail(TValueReader& reader)
{
    if (!reader.ReadBoolean()) {
        ClearThumbnail();
        return;
    }
    // The bitmap's extent comes from its file header; a picture that does not decode costs only the
    // thumbnail, never the rest of the file.
    const QByteArrayView header = reader.PeekRaw(BmpFileHeaderSize);
    const auto* p = reinterpret_cast<const uchar*>(header.data());
    const quint32 size = qFromLittleEndian<quint32>(p + 2);
    if (p[0] != 'B' || p[1] != 'M' || size < BmpFileHeaderSize || size > reader.Remaining())
        throw EStreamRead("Bad thumbnail bitmap");
    const QImage picture = size <= MaxThumbnailBmpSize ? DecodeThumbnailBmp(reader.PeekRaw(size)) : QImage();
    reader.Skip(size);
    ClearThumbnail();
    if (!picture.isNull())
        SetThumbnail(picture);
}

// ---------------------------------------------------------------------------------------------------
// TDataRefList

void TDataRefList::WriteXML(xmlNode* node, const char* elementName)
{
    for (TDataItem* item : FItems)
        item->WriteXML(XmlAddElement(node, elementName));
}

void TDataRefList::SortWith(const std::function<int(TDataItem*, TDataItem*)>& compare)
{
    std::sort(FItems.begin(), FItems.end(),
              [&](TDataItem* a, TDataItem* b) { return a != b && compare(a, b) < 0; });
    Changed();
}

void TDataRefList::SortByField(const TDataField* field, int direction)
{
    if (SortByValues({{field, direction}}, direction))
        return;
    SortWith([&](TDataItem* a, TDataItem* b) {
        const int result = field->Compare(a, b) * direction;
        return result != 0 ? result : Sign(qint64(a->GetID()) - b->GetID()) * direction;
    });
}

void TDataRefList::SortByFields(const QList<TSortKey>& sortFields)
{
    if (SortByValues(sortFields, 1))
        return;
    SortWith([&](TDataItem* a, TDataItem* b) {
        for (const TSortKey& key : sortFields)
            if (const int result = key.Field->Compare(a, b) * key.Order)
                return result;
        return Sign(qint64(a->GetID()) - b->GetID());
    });
}

bool TDataRefList::SortByValues(const QList<TSortKey>& sortFields, int idOrder)
{
    // Each item's place on every field is worked out once; the comparisons then only compare keys.
    struct TDecorated {
        TDataItem* Item;
        qint64 ID;
        std::vector<TSortValue> Values;
    };
    TSortKeyCache cache;
    std::vector<TDecorated> decorated;
    decorated.reserve(size_t(Count()));
    for (TDataItem* item : FItems) {
        TDecorated entry{item, item->GetID(), std::vector<TSortValue>(size_t(sortFields.size()))};
        for (qsizetype k = 0; k < sortFields.size(); ++k)
            if (!sortFields[k].Field->GetSortValue(item, entry.Values[size_t(k)], cache))
                return false;
        decorated.push_back(std::move(entry));
    }
    std::sort(decorated.begin(), decorated.end(), [&](const TDecorated& a, const TDecorated& b) {
        for (qsizetype k = 0; k < sortFields.size(); ++k)
            if (const int result = TDataField::CompareSortValues(a.Values[size_t(k)], b.Values[size_t(k)]))
                return result * sortFields[k].Order < 0;
        return Sign(a.ID - b.ID) * idOrder < 0;
    });
    for (size_t i = 0; i < decorated.size(); ++i)
        FItems[qsizetype(i)] = decorated[i].Item;
    Changed();
    return true;
}

int TDataRefList::Add(TDataItem* item)
{
    FItems << item;
    Changed();
    return Count() - 1;
}

int TDataRefList::Insert(TDataItem* item, TDataItem* before)
{
    const int position = IndexOf(before);
    if (position < 0)
        return -1;
    FItems.insert(position, item);
    Changed();
    return position;
}

int TDataRefList::Remove(TDataItem* item)
{
    const int position = IndexOf(item);
    if (position >= 0)
        Delete(position);
    return position;
}

void TDataRefList::AddChildrenToTree(TTreeNodes& tree, TTreeNode* node)
{
    for (TDataItem* item : FItems)
        item->AddToTree(tree, node);
    if (node)
        tree.SetHasChildren(node, !FItems.isEmpty());
}

void TDataRefList::AddItemsTo(TDataRefList& list)
{
    for (TDataItem* item : FItems)
        list.Add(item);
}

void TDataRefList::SetCapacity(int n)
{
    if (n <= FItems.size())
        FItems.squeeze();
    else
        FItems.reserve(n);
}

int TDataRefList::IndexOf(const TDataItem* item) const { return int(FItems.indexOf(item)); }

void TDataRefList::Delete(int i)
{
    FItems.removeAt(i);
    Changed();
}

void TDataRefList::Clear()
{
    FItems.clear();
    Changed();
}

void TDataRefList::AddAll(const TDataRefList& other)
{
    for (TDataItem* item : other.FItems)
        Add(item);
}

TDataItem* TDataRefList::FindSame(TDataItem* item) const
{
    for (TDataItem* candidate : FItems)
        if (candidate->SameAs(item))
            return candidate;
    return nullptr;
}

bool TDataRefList::IsEqualList(const TDataRefList& other) const
{
    if (Count() != other.Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!FItems[i]->IsEqual(other.FItems[i]))
            return false;
    return true;
}

void TDataRefList::Put(int i, TDataItem* item)
{
    FItems[i] = item;
    Changed();
}

// ---------------------------------------------------------------------------------------------------
// TDataList

TDataList::~TDataList() { FreeAll(); }

TDataItem* TDataList::ReadItem(TValueReader& reader, int formatVersion, int dataVersion)
{
    TDataItem* item = NewItem();
    if (!item)
        throw EData(QStringLiteral("This list cannot read items"));
    item->Read(reader, formatVersion, dataVersion);
    return item;
}

void TDataList::ReadXML(xmlNode* node, const char* elementName, bool overwrite)
{
    for (xmlNode* child : XmlChildElements(node, elementName))
        if (TDataItem* item = NewItem())
            item->ReadXML(child, overwrite);
}

void TDataList::Write(TValueWriter& writer)
{
    writer.WriteListBegin();
    for (TDataItem* item : FItems)
        item->Write(writer);
    writer.WriteListEnd();
}

void TDataList::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    reader.ReadListBegin();
    while (!reader.EndOfList())
        ReadItem(reader, formatVersion, dataVersion);
    reader.ReadListEnd();
    SetCapacity(Count());
}

void TDataList::FreeAll()
{
    const QList<TDataItem*> items = std::move(FItems);
    FItems.clear();
    Changed();
    qDeleteAll(items);
}

void TDataList::FreeAt(int i)
{
    TDataItem* item = Items(i);
    Delete(i);
    delete item;
}

TDataItem* TDataList::FindByID(qint32 id)
{
    if (id == -1)
        return nullptr;
    // The index holds the first item of each identity in list order, as a linear search would find it;
    // items without an identity get one only when a search has to walk past them.
    if (FIdIndexVersion != Version()) {
        FIdIndex.clear();
        FIdIndex.reserve(Count());
        for (TDataItem* item : FItems)
            if (item->ID != -1 && !FIdIndex.contains(item->ID))
                FIdIndex.insert(item->ID, item);
        FIdIndexVersion = Version();
    }
    TDataItem* hit = FIdIndex.value(id);
    if (hit && hit->ID == id)
        return hit;
    // An item's ID may have changed since the index was built.
    for (TDataItem* item : FItems)
        if (item->GetID() == id)
            return item;
    return nullptr;
}

void TDataList::FixDuplicateIDs()
{
    SortWith([](TDataItem* a, TDataItem* b) { return Sign(qint64(a->GetID()) - b->GetID()); });
    qint32 previous = -2147483647;
    for (TDataItem* item : FItems) {
        if (item->ID == previous)
            item->ID = -1;
        else
            previous = item->ID;
    }
    Changed();
}

void TDataList::CloneAllFrom(const TDataRefList& source, TDataObject* parent, bool keepID,
                             TDataObject* container)
{
    for (TDataItem* item : source)
        Add(item->Clone(parent, container, keepID).release());
}

// ---------------------------------------------------------------------------------------------------
// TMainDataList

int TMainDataList::Insert(TDataItem* item, TDataItem* before)
{
    if (Prefs().AutoIncrementIndex)
        AssignNextIndex(item);
    return TDataList::Insert(item, before);
}

TDataItem* TMainDataList::NewItem()
{
    auto* item = new TDataItem(this, this);
    Add(item);
    return item;
}

void TMainDataList::AssignNextIndex(TDataItem* item)
{
    if (TRootItem* root = GetRoot())
        item->Index = root->NextIndex;
}

// ---------------------------------------------------------------------------------------------------
// Pictures and dates

TResolvedFile ResolveImageFile(const QString& name, const QString& baseFolder)
{
    if (name.isEmpty())
        return {};
    // Windows paths ("X:\...", "X:/...", "\\server\...") count as absolute here too, so that they are
    // never appended to the base folder.
    const bool windowsAbsolute = name.indexOf(QLatin1String(":\\")) == 1
                                 || name.indexOf(QLatin1String(":/")) == 1
                                 || name.startsWith(QLatin1String("\\\\"));
    QString path = name;
    if (!windowsAbsolute && !QFileInfo(name).isAbsolute()) {
        QString folder = baseFolder;
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('/');
        path = folder + name;
    }
    return {QFileInfo(path).isFile(), path};
}

bool MakeThumbnail(const QString& fileName, QImage* picture, QImage* thumbnail, int size)
{
    if (size <= 0 || !QFileInfo(fileName).isFile())
        return false;
    QImage source;
    if (!source.load(fileName) || source.width() <= 0 || source.height() <= 0)
        return false;
    QImage result(size, size, QImage::Format_RGB32);
    result.fill(Qt::white);
    const double ratio = double(source.height()) / source.width();
    QRect target;
    if (source.width() < source.height()) {
        const int width = int(std::nearbyint(size / ratio));
        target = QRect((size - width) / 2, 0, width, size);
    } else {
        const int height = int(std::nearbyint(size * ratio));
        target = QRect(0, (size - height) / 2, size, height);
    }
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, source);
    painter.end();
    if (picture)
        *picture = source;
    if (thumbnail)
        *thumbnail = result;
    return true;
}

namespace {
const QDate DayZero(1899, 12, 30);
}

double DateToDayNumber(const QDate& date) { return date.isValid() ? double(DayZero.daysTo(date)) : 0; }

double DateTimeToDayNumber(const QDateTime& dateTime)
{
    const QTime time = dateTime.time();
    return DateToDayNumber(dateTime.date()) + time.msecsSinceStartOfDay() / 86400000.0;
}

QDate DayNumberToDate(double dayNumber)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
        return {};
    return DayZero.addDays(qint64(std::floor(dayNumber)));
}

QString DayNumberText(double dayNumber)
{
    if (!(dayNumber > 0))
        return {};
    return ShortDateText(DayNumberToDate(dayNumber));
}
