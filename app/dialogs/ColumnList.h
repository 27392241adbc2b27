#pragma once

class CHeaderManager;
class QTreeWidget;

// The lists that let a user pick one of the chronology's columns show a row
// per column: its library's title (or, untitled, its file name; the year
// column by its kind) and its kind, the name taking the spare width.
class CColumnList
{
public:
    static void Fill(QTreeWidget* list, const CHeaderManager& columns);
};
