// Loan records: who has which item since when, and for how long.

#include "model/cCryptStream.h"
#include "model/cData.h"
#include "model/cDataText.h"
#include "model/cXmlUtil.h"
#include "platform/Messenger.h"

#include <cmath>

namespace {

template <class T>
int Compare3(T a, T b)
{
    return (a > b) - (a < b);
}

int CompareDays(double a, double b) { return Compare3(std::trunc(a), std::trunc(b)); }

}  // namespace

void TLoanInfo::SetItem(TDataItem* item)
{
    Item = item;
    if (item)
        ItemID = item->GetID();
}

double TLoanInfo::GetDueDate() const { return LoanPeriod > 0 ? std::trunc(LoanDate) + LoanPeriod : 0; }

void TLoanInfo::SetDueDate(double date) { LoanPeriod = qint32(std::trunc(date - LoanDate)); }

bool TLoanInfo::IsOverdue() const
{
    if (ReturnDate != 0 || LoanPeriod < 1)
        return false;
    return DateToDayNumber(Now().date()) > GetDueDate();
}

void TLoanInfo::SetReturnDate(double date)
{
    ReturnDate = date;
    // Only this loan is closed; an item that points to another record keeps it.
    if (date != 0 && Item && Item->CurrentLoan == this)
        Item->CurrentLoan = nullptr;
}

QString TLoanInfo::FieldText(int fieldID)
{
    switch (fieldID) {
    case fiLoanedTo:
        return LoanedTo ? LoanedTo->GetDisplayText() : QString();
    case fiLoanDate:
        return DayNumberText(LoanDate);
    case fiDueDate:
        return DayNumberText(GetDueDate());
    case fiReturnDate:
        return DayNumberText(ReturnDate);
    case fiOverdue:
        return IsOverdue() ? QStringLiteral("True") : QStringLiteral("False");
    case fiLoanItem:
        return Item ? Item->GetItemText() : QString();
    case fiLoanNotes:
        return Notes;
    default:
        return {};
    }
}

QString TLoanInfo::GetValueAsString(const TDataField* field)
{
    if (field->ID >= fiLoanedTo && field->ID <= fiReturnDate)
        return FieldText(field->ID);
    return TDataItem::GetValueAsString(field);
}

double TLoanInfo::GetValueAsDate(const TDataField* field)
{
    switch (field->ID) {
    case fiLoanDate:
        return LoanDate;
    case fiDueDate:
        return GetDueDate();
    case fiReturnDate:
        return ReturnDate;
    default:
        return 0;
    }
}

int TLoanInfo::GetValueAsBoolean(const TDataField* field)
{
    return field->ID == fiOverdue ? int(IsOverdue()) : 2;
}

TLookupItem* TLoanInfo::GetValueAsLookupItem(const TDataField* field, bool)
{
    return field->ID == fiLoanedTo ? LoanedTo : nullptr;
}

void TLoanInfo::setValueAsLookupItem(const TDataField* field, TLookupItem* entry, int, TLookupItem*)
{
    if (field->ID != fiLoanedTo)
        throw EData(
            QStringLiteral("Invalid field \"%1\" in setValueAsLookupItem").arg(field->GetDisplayNamePlain()));
    LoanedTo = entry;
}

bool TLoanInfo::IsEqual(TDataItem* other)
{
    auto* loan = dynamic_cast<TLoanInfo*>(other);
    return loan && TDataItem::IsEqual(other) && loan->ItemID == ItemID && loan->LoanDate == LoanDate
           && loan->ReturnDate == ReturnDate && loan->LoanPeriod == LoanPeriod && loan->LoanedTo == LoanedTo
           && loan->Notes == Notes;
}

std::unique_ptr<TDataItem> TLoanInfo::CreateNew(TDataObject* parent, TDataObject* container) const
{
    return std::make_unique<TLoanInfo>(parent, container);
}

std::unique_ptr<TDataItem> TLoanInfo::Clone(TDataObject* parent, TDataObject* container, bool keepID)
{
    auto copy = TDataItem::Clone(parent, container, keepID);
    auto& loan = static_cast<TLoanInfo&>(*copy);
    loan.ItemID = ItemID;
    loan.SetItem(Item);
    loan.LoanDate = LoanDate;
    loan.ReturnDate = ReturnDate;
    loan.LoanPeriod = LoanPeriod;
    loan.LoanedTo = LoanedTo;
    loan.Notes = Notes;
    return copy;
}

void TLoanInfo::Write(TValueWriter& writer)
{
    TDataItem::Write(writer);
    writer.WriteInteger(Item ? Item->GetID() : ItemID);
    writer.WriteDate(LoanDate);
    writer.WriteDate(ReturnDate);
    writer.WriteInteger(LoanPeriod);
    writer.WriteInteger(LoanedTo ? LoanedTo->GetID() : -1);
    writer.WriteScrambled(Notes);
}

void TLoanInfo::Read(TValueReader& reader, int formatVersion, int dataVersion)
{
    TDataItem::Read(reader, formatVersion, dataVersion);
    ItemID = reader.ReadInteger();
    LoanDate = reader.ReadDate();
    ReturnDate = reader.ReadDate();
    LoanPeriod = reader.ReadInteger();
    const qint32 personID = reader.ReadInteger();
    TRootItem* root = GetRoot();
    LoanedTo = root ? static_cast<TLookupItem*>(root->LoanPersons->FindByID(personID)) : nullptr;
    Notes = reader.ReadScrambled();
}

void TLoanInfo::WriteXML(xmlNode* node)
{
    const std::pair<const char*, int> elements[] = {{"loanedto", fiLoanedTo},   {"loandate", fiLoanDate},
                                                    {"duedate", fiDueDate},     {"returndate", fiReturnDate},
                                                    {"loannotes", fiLoanNotes}, {"overdue", fiOverdue}};
    for (const auto& [name, id] : elements)
        XmlAddText(node, name, FieldText(id));
}

TDataItem* TLoanList::NewItem()
{
    auto* loan = new TLoanInfo(this, this);
    Add(loan);
    return loan;
}

void TLoanList::RemoveLoansOf(TDataItem* item)
{
    for (int i = Count() - 1; i >= 0; --i)
        if (Loan(i)->Item == item)
            FreeAt(i);
}

void TLoanList::ReplaceItem(TDataItem* oldItem, TDataItem* newItem)
{
    for (TDataItem* loan : *this)
        if (static_cast<TLoanInfo*>(loan)->Item == oldItem)
            static_cast<TLoanInfo*>(loan)->SetItem(newItem);
}

void TLoanRefList::SortByLoanField(int key, int direction)
{
    auto text = [](TLoanInfo* loan, int field) {
        if (field == fiLoanItem && !loan->Item)
            return QStringLiteral("???");
        if (field == fiLoanedTo)
            return loan->LoanedTo ? loan->LoanedTo->GetDisplayText() : QString();
        return loan->FieldText(field);
    };
    SortWith([&](TDataItem* a, TDataItem* b) {
        auto* loanA = static_cast<TLoanInfo*>(a);
        auto* loanB = static_cast<TLoanInfo*>(b);
        int result = 0;
        switch (key) {
        case fiLoanDate:
            result = CompareDays(loanA->LoanDate, loanB->LoanDate);
            break;
        case fiDueDate:
            result = CompareDays(loanA->GetDueDate(), loanB->GetDueDate());
            break;
        case fiReturnDate:
            result = CompareDays(loanA->ReturnDate, loanB->ReturnDate);
            break;
        default:
            result = CompareText(text(loanA, key), text(loanB, key));
            break;
        }
        if (result == 0)
            result = Compare3(a->GetID(), b->GetID());
        return result * direction;
    });
}
