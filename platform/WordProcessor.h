#pragma once

#include <QString>

// The word processor a protocol document is built in. The calls come in the
// order of an export; a call that returns false means the word processor
// cannot go on, and the export ends there.
class WordProcessor
{
public:
    virtual ~WordProcessor() = default;
    // Opens the document template; its heading names the title. False when
    // the template is missing or damaged.
    virtual bool FileOpen(const QString& templatePath, const QString& title) = 0;
    // Inserts text (lines ended by CR LF) at the template's insertion point.
    virtual bool Insert(const QString& text) = 0;
    // Turns the inserted TAB-separated lines into a table of that many
    // columns. A field in double quotes may hold TABs and line breaks; a
    // doubled double quote inside it stands for one.
    virtual bool TextToTable(int numColumns) = 0;
    // Saves the document; a path without a folder goes to the word
    // processor's own documents folder.
    virtual bool FileSaveAs(const QString& path) = 0;
    // Where the last successful FileSaveAs put the document.
    virtual QString SavedPath() const = 0;
    // Shows the saved document to the operator. False when no program
    // showed it.
    virtual bool ShowDocument() = 0;
    // Closes the document without showing it.
    virtual void AppClose() = 0;
};
