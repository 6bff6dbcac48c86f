#pragma once
// What the main window does with a filter the filter dialog has edited: the filter is in force exactly
// when it has conditions, and the status bar's filter pane describes it.

#include <QString>

class TFilterFieldRefList;

// Called after the dialog ended with OK.
void ApplyEditedFilter(TFilterFieldRefList& filter);
// "Filter: " and the conditions joined by " AND " or " OR ", or "Filter: [None]" when not in force.
QString FilterPaneText(const TFilterFieldRefList& filter);
