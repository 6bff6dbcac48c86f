#include "views/cFilterBaseNew.h"

#include "model/cData_FieldRefs.h"

void ApplyEditedFilter(TFilterFieldRefList& filter) { filter.Enabled = !filter.IsEmpty(); }

QString FilterPaneText(const TFilterFieldRefList& filter)
{
    return QStringLiteral("Filter: ")
           + (filter.IsActive() ? filter.GetDescription() : QStringLiteral("[None]"));
}
