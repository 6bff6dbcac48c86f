#pragma once
// A date known perhaps only to the year or to the month (publication, purchase). The year is an entry
// of the collection's Year pick list, so years group and count like any other pick-list value.

#include <QString>

class TLookupItem;
class TLookupList;
class TValueReader;
class TValueWriter;
struct _xmlNode;
typedef struct _xmlNode xmlNode;

class TPartialDate {
public:
    explicit TPartialDate(TLookupList& yearList) : YearList(&yearList) {}
    // The owner copies with AssignTo, which keeps each date's own list binding.
    TPartialDate(const TPartialDate&) = delete;
    TPartialDate& operator=(const TPartialDate&) = delete;

    TLookupItem* Year = nullptr;  // an entry of YearList, not owned
    qint32 Month = 0;             // 1 to 12; 0 for none
    qint32 Day = 0;               // 1 to 31; 0 for none
    TLookupList* YearList;        // where years are found and created

    void Clear();
    void AssignTo(TPartialDate& other) const;
    bool IsEqual(const TPartialDate& other) const;
    bool IsEmpty() const;
    bool IsComplete() const;
    bool IsValid() const;
    // The day number of the date, missing parts counting as 1; today when there is no such date.
    double AsDate() const;
    QString GetText() const;

    // The file record: year entry ID (-1 for none), month, day.
    void Write(TValueWriter& writer) const;
    void Read(TValueReader& reader);
    void WriteXML(xmlNode* node) const;
    void ReadXML(xmlNode* node, bool overwrite);

private:
    QString YearText() const;
    int YearNumber(int fallback) const;
};
