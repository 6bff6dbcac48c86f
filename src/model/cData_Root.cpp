// The collection root: identities, pick lists, loans, thumbnails and the collection file.

#include "app/cGatherixPrefs.h"
#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cXmlUtil.h"
#include "platform/AtomicFile.h"
#include "platform/Messenger.h"

#include <libxml/tree.h>

// After tree.h, which brings the types it uses.
#include <libxml/dict.h>

#include <QFile>
#include <QFileInfo>
#include <limits>

namespace {
const QString FamilySignature = QStringLiteral("Quorvane");
}

TRootItem::TRootItem()
    : Loans(std::make_unique<TLoanList>(this, this)),
      LoanPersons(std::make_unique<TPersonLookupList>(this, this))
{}

TRootItem::~TRootItem()
{
    // Items refer to entries and loans; free them first so nothing outlives what it points at.
    if (Items)
        Items->FreeAll();
    Loans->FreeAll();
}

void TRootItem::Setup()
{
    Items = CreateItems();
    MetaInfo = CreateMetaInfo();
    Defaults = CreateDefaults();
    FillDefaultLookups();
    LargeImages.Reset();
}

std::unique_ptr<TMainDataList> TRootItem::CreateItems()
{
    return std::make_unique<TMainDataList>(this, this);
}

std::unique_ptr<TMetaInfo> TRootItem::CreateMetaInfo()
{
    auto meta = std::make_unique<TMetaInfo>(this);
    meta->DefineFields();
    meta->AddLoanFields();
    return meta;
}

std::unique_ptr<TFieldDefaults> TRootItem::CreateDefaults() { return std::make_unique<TFieldDefaults>(); }

QString TRootItem::FileFilterCaption() const
{
    return QStringLiteral("Collections (*.%1)").arg(FileExtension());
}

QString TRootItem::GetDisplayText()
{
    return FileName.isEmpty() ? QStringLiteral("[New Collection]") : QFileInfo(FileName).fileName();
}

void TRootItem::FillDefaultLookups()
{
    for (TDataItem* row : MetaInfo->LookupLists)
        static_cast<TLookupListInfo*>(row)->List->FillDefaults();
}

void TRootItem::Clear()
{
    FileName.clear();
    NextID = 0;
    NextIndex = 1;
    Items->FreeAll();
    LargeImages.Reset();
    Loans->FreeAll();
    for (TDataItem* row : MetaInfo->LookupLists)
        static_cast<TLookupListInfo*>(row)->List->Reset();
}

qint32 TRootItem::NewID() { return NextID++; }

void TRootItem::RaiseNextID(qint64 n)
{
    n = std::min<qint64>(n, std::numeric_limits<qint32>::max());
    if (n > NextID)
        NextID = qint32(n);
}

void TRootItem::IncNextIndex()
{
    if (Prefs().AutoIncrementIndex)
        ++NextIndex;
}

void TRootItem::Renumber()
{
    for (int i = 0; i < Items->Count(); ++i)
        Items->Items(i)->Index = i + 1;
    NextIndex = Items->Count() + 1;
}

void TRootItem::ReloadThumbnails()
{
    for (TDataItem* item : *Items) {
        QImage thumbnail;
        const TResolvedFile file = ResolveImageFile(item->GetFrontImage(), Prefs().ImageBaseFolder);
        if (file.Exists && MakeThumbnail(file.Path, nullptr, &thumbnail, TImageList::ImageSize))
            item->SetThumbnail(thumbnail);
        else
            item->ClearThumbnail();
    }
}

TLookupList* TRootItem::LookupListForField(const TDataField* field) const
{
    return field ? LookupListForFieldID(field->ID) : nullptr;
}

TLookupList* TRootItem::LookupListForFieldID(int id) const
{
    const TLookupListInfo* row = MetaInfo->LookupLists.FindByFieldID(id);
    return row ? row->List : nullptr;
}

void TRootItem::CountUsage(const TDataField* field, const TItemFilter& filter, int& noneCount,
                           const TItemFilter& filter2)
{
    if (TLookupList* list = LookupListForField(field))
        list->ClearUsage();
    noneCount = 0;
    for (TDataItem* item : *Items)
        if ((!filter || filter(item)) && (!filter2 || filter2(item)))
            item->CountLookupUse(field, false, noneCount, true);
}

void TRootItem::CountUsageAll(const TLookupListInfo& info)
{
    info.List->ClearUsage();
    int scratch = 0;
    for (int id : info.FieldIDs)
        if (const TDataField* field = FieldByID(id))
            for (TDataItem* item : *Items)
                item->CountLookupUse(field, true, scratch, false);
}

void TRootItem::LinkLoans()
{
    for (int i = 0; i < Loans->Count();) {
        TLoanInfo* loan = Loans->Loan(i);
        TDataItem* item = Items->FindByID(loan->ItemID);
        if (!item) {
            Loans->FreeAt(i);
            continue;
        }
        loan->Item = item;
        if (loan->ReturnDate == 0)
            item->CurrentLoan = loan;
        ++i;
    }
}

void TRootItem::ReplaceLookupReferences(const TDataField* field, TLookupItem* oldEntry, TLookupItem* newEntry)
{
    for (TDataItem* item : *Items)
        item->ReplaceLookupItem(field, oldEntry, newEntry);
    if (field->ID == fiLoanedTo)
        for (TDataItem* loan : *Loans)
            if (static_cast<TLoanInfo*>(loan)->LoanedTo == oldEntry)
                static_cast<TLoanInfo*>(loan)->LoanedTo = newEntry;
}

// ---------------------------------------------------------------------------------------------------
// The collection XML

TXmlDocument TRootItem::WriteXMLDocument(TDataObject* itemOrList, const QString& styleSheet)
{
    const QByteArray item = XMLItemElement().toUtf8();
    TXmlDocument document(xmlNewDoc(BAD_CAST "1.0"));
    xmlDoc* doc = document.get();
    doc->dict = xmlDictCreate();
    if (!styleSheet.isEmpty()) {
        const QByteArray data = QStringLiteral("type=\"text/xsl\" href=\"%1\"").arg(styleSheet).toUtf8();
        xmlAddChild(reinterpret_cast<xmlNode*>(doc),
                    xmlNewDocPI(doc, BAD_CAST "xml-stylesheet", BAD_CAST data.constData()));
    }
    xmlCreateIntSubset(doc, BAD_CAST(item + "info").constData(), nullptr, nullptr);
    xmlNode* info = xmlNewDocNode(doc, nullptr, BAD_CAST(item + "info").constData(), nullptr);
    xmlDocSetRootElement(doc, info);
    MetaInfo->Fields.WriteXML(XmlAddElement(info, (item + "metadata").constData()), "field");
    xmlNode* list = XmlAddElement(info, (item + "list").constData());
    if (auto* single = dynamic_cast<TDataItem*>(itemOrList))
        single->WriteXML(XmlAddElement(list, item.constData()));
    else if (auto* items = dynamic_cast<TDataRefList*>(itemOrList))
        items->WriteXML(list, item.constData());
    return document;
}

QByteArray TRootItem::WriteXMLText(TDataObject* itemOrList, const QString& styleSheet, bool indent)
{
    TDataRefList items;
    if (auto* single = dynamic_cast<TDataItem*>(itemOrList))
        items.Add(single);
    else if (auto* list = dynamic_cast<TDataRefList*>(itemOrList))
        items.AddAll(*list);
    TDataRefList none;
    const QByteArray frame = XmlDocumentText(WriteXMLDocument(&none, styleSheet).get(), indent);
    const QByteArray item = XMLItemElement().toUtf8();
    const QByteArray emptyList = "<" + item + "list/>";
    const qsizetype at = frame.indexOf(emptyList);
    if (items.IsEmpty() || at < 0)
        return frame;
    QByteArray text = frame.left(at) + "<" + item + "list>";
    text.reserve(frame.size() + qsizetype(items.Count()) * 4096);
    // Straight to text, without a tree: the same text as the whole tree's, at a fraction of the cost.
    {
        TXmlTextStream stream(text, indent);
        for (TDataItem* each : items) {
            each->WriteXML(stream.Open(item.constData(), 2));
            stream.Close();
        }
    }
    if (indent)
        text += "\n  ";
    text += "</" + item + "list>" + frame.mid(at + emptyList.size());
    return text;
}

// ---------------------------------------------------------------------------------------------------
// Merging another collection

bool TRootItem::ImportCollection(const QString&)
{
    throw EData(QStringLiteral("This collection type cannot import other collections"));
}

void TRootItem::MergeLookups(TRootItem& other)
{
    const int rows = std::min(MetaInfo->LookupLists.Count(), other.MetaInfo->LookupLists.Count());
    for (int i = 0; i < rows; ++i)
        MetaInfo->LookupLists.Row(i)->List->MergeFrom(*other.MetaInfo->LookupLists.Row(i), other);
}

void TRootItem::ImportItems(TRootItem& other)
{
    int position = 0;
    while (position < other.Items->Count()) {
        TDataItem* item = other.Items->Items(position);
        if (Items->FindSame(item))
            ++position;
        else
            MoveItem(other, item, position);
    }
}

void TRootItem::MoveItem(TRootItem& other, TDataItem* item, int position)
{
    Items->Add(item);
    item->Parent = Items.get();
    item->Container = Items.get();
    other.Items->Delete(position);
    // Loan records stay with the other collection, and its identities may already be in use here.
    item->CurrentLoan = nullptr;
    item->ID = -1;
}

// ---------------------------------------------------------------------------------------------------
// The collection file

void TRootItem::ReadLookupLists(TValueReader& reader, int formatVersion, int dataVersion)
{
    for (TDataItem* row : MetaInfo->LookupLists)
        static_cast<TLookupListInfo*>(row)->List->Read(reader, formatVersion, dataVersion);
}

void TRootItem::WriteLookupLists(TValueWriter& writer)
{
    for (TDataItem* row : MetaInfo->LookupLists)
        static_cast<TLookupListInfo*>(row)->List->Write(writer);
}

void TRootItem::ReadLegacyBlock(TValueReader& reader, int formatVersion)
{
    // The block carries nothing for the collection; whatever it holds is skipped.
    try {
        reader.ReadDate();
        reader.ReadListBegin();
        while (!reader.EndOfList()) {
            reader.ReadScrambled();
            reader.ReadInteger();
            if (formatVersion >= 110)
                reader.ReadInteger();
        }
        reader.ReadListEnd();
    } catch (const EStreamRead&) {
    }
}

void TRootItem::LoadFromStream(TValueReader& reader, bool& converted)
{
    try {
        // A file that does not even hold the signature is some other file, not a damaged collection.
        QString signature;
        try {
            signature = reader.ReadText();
        } catch (const EStreamRead&) {
        }
        if (signature != FamilySignature)
            throw EData(QStringLiteral("This is not a Quorvane database"));
        const QString typeName = reader.ReadText();
        if (typeName != TypeName())
            throw EData(
                QStringLiteral("This is not a %1 database, please use Quorvane %2 to open this database")
                    .arg(TypeName(), typeName));
        const int formatVersion = reader.ReadInteger();
        const int dataVersion = reader.ReadInteger();
        converted = formatVersion < FormatVersion || dataVersion < DataVersion();
        reader.SetFormatVersion(formatVersion);
        if (formatVersion < 110)
            NextID = reader.ReadInteger();
        MetaInfo->ReadFieldNames(reader, formatVersion, dataVersion);
        ReadLookupLists(reader, formatVersion, dataVersion);
        if (formatVersion < 130)
            ReadLegacyBlock(reader, formatVersion);
        Items->Read(reader, formatVersion, dataVersion);
        ReadExtra(reader, formatVersion, dataVersion);
        AfterLoad(formatVersion, dataVersion);
        // A stored counter never lowers the one rebuilt from the IDs read.
        if (formatVersion >= 110 && formatVersion < 130)
            RaiseNextID(reader.ReadInteger());
        if (formatVersion >= 110)
            NextIndex = reader.ReadInteger();
        if (formatVersion >= 130) {
            Loans->Read(reader, formatVersion, dataVersion);
            LinkLoans();
        }
        Items->SetCapacity(Items->Count());
    } catch (const EStreamRead&) {
        throw EDataRead();
    }
}

bool TRootItem::LoadFromFile(const QString& fileName)
{
    Clear();
    if (!QFileInfo::exists(fileName))
        return false;
    TBusyCursor busy;
    FileDate = QFileInfo(fileName).lastModified();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Messenger().ShowInfo(QStringLiteral("The file \"%1\" was not found").arg(fileName));
        Clear();
        return false;
    }
    FileName = fileName;
    const QByteArray bytes = file.readAll();
    file.close();
    try {
        TValueReader reader(bytes);
        bool converted = false;
        LoadFromStream(reader, converted);
        if (converted) {
            FileName.clear();
            Messenger().ShowInfo(
                QStringLiteral(
                    "The collection \"%1\" was created with an older version of %2.\r\nChoose \"File | "
                    "Save\" from the menu to save the converted collection to a NEW file.\r\n(NOTE: The "
                    "converted collection can NOT be opened in older versions of %3)")
                    .arg(fileName, ProductName(), ProductName()));
        }
        return true;
    } catch (const EDataRead&) {
        FileName.clear();
        const QString count = QString::number(Items->Count());
        Messenger().ShowError(
            QStringLiteral(
                "Error reading from file %1.\r\n%2 items have been recovered from the corrupted file.\r\n"
                "Choose \"File | Save\" from the menu to save the %3 remaining items as a new file.")
                .arg(fileName, count, count));
        return true;
    } catch (const std::exception& error) {
        Messenger().ShowError(QString::fromStdString(error.what()));
        Clear();
        return false;
    }
}

void TRootItem::Write(TValueWriter& writer)
{
    try {
        writer.WriteText(FamilySignature);
        writer.WriteText(TypeName());
        writer.WriteInteger(FormatVersion);
        writer.WriteInteger(DataVersion());
        MetaInfo->WriteFieldNames(writer);
        WriteLookupLists(writer);
        Items->Write(writer);
        WriteExtra(writer);
        writer.WriteInteger(NextIndex);
        Loans->Write(writer);
    } catch (const EStreamWrite&) {
        throw EDataWrite();
    }
}

QByteArray TRootItem::SaveToBytes()
{
    QByteArray bytes;
    TValueWriter writer(bytes);
    Write(writer);
    return bytes;
}

bool TRootItem::SaveToFile(const QString& fileName)
{
    TBusyCursor busy;
    try {
        // The new file is complete in memory and replaces the old one only once it is safely on disk.
        const QByteArray bytes = SaveToBytes();
        if (!TAtomicFile::Write(fileName, bytes))
            throw EDataWrite();
        FileName = fileName;
        FileDate = Now();
        return true;
    } catch (const EDataWrite&) {
        Messenger().ShowError(
            QStringLiteral(
                "Error writing to file %1.\r\nThis is probably caused by a diskspace problem.\r\nChoose "
                "\"File | Save As\" from the menu to save your data to a different location.")
                .arg(fileName));
    } catch (const std::exception& error) {
        Messenger().ShowError(QString::fromStdString(error.what()));
    }
    return false;
}
