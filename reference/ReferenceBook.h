#pragma once

#include <QString>

class DataSource;
class Field;
class QueryDataset;

// The three reference books (categories, development years, IDE versions)
// share one list window and one editor; these describe what sets them apart.

// What a list window says. Captions are given where the books differ.
struct ReferenceListTexts
{
    QString noRowsToEditCaption;
    QString noRowsToEdit;
    QString noRowsToDelete;
    QString inUseCaption;
    QString inUse;
    QString deleteQuestion; // %1 stands for the entry's name
};

// What an editor says.
struct ReferenceEditTexts
{
    QString label;
    QString saveButton;
    QString emptyName;
    QString notUnique;
};

// Where a book lives in the data module; known once Dm exists.
struct ReferenceBookData
{
    DataSource *source = nullptr;
    Field *key = nullptr;
    Field *name = nullptr;
    QueryDataset *usage = nullptr;  // the projects that refer to one entry
    QString usageParameter;
    Field *projectReference = nullptr; // the project's field that refers to the book
};
