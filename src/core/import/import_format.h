#pragma once

#include <QChar>
#include <QString>

class Controls;
class DocumentTable;
class FieldSplitter;

// The import format of page "Ogóle ustawienia pliku importu", read afresh for every line.
struct ImportFormat
{
    QChar separator;     // SeparatorChar: TAB, "|", ";", "," or code 0 when no item is chosen
    QChar decimal;       // DecimalChar: "," for item 0, "." otherwise
    int dateFormat = -1; // DateFormatIndex: 0..3, or -1 (detect)
    QString trueWords;
    QString falseWords;
    bool floatZeroNull = false;

    static ImportFormat fromControls(const Controls &controls);
};

// Stores input field n (-1: the computed default) into a table field of the pending record,
// by the field's type. Throws ImportError for a date that cannot be read.
// True when a text was longer than its field (and was cut to it).
bool AssignField(const FieldSplitter &parser, int n, DocumentTable &table, int field, const ImportFormat &format);
