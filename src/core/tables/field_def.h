#pragma once

#include <QList>
#include <QString>

enum class FieldType
{
    String,
    Date,
    Float,
    Boolean,
    Integer
};

struct FieldDef
{
    QString name;
    FieldType type;
    int size;         // characters, for strings
    QString label;    // grid title and mapping-table description
    QString format;   // display format: ",0.00", "0.000000", "hidden" or empty
    bool nullAsFalse; // a null boolean is written as "false"
};

enum class TableKind
{
    FAK,
    POZ,
    ZAM,
    ZPOZ
};

// The fields of each document table in the table's own order.
const QList<FieldDef> &tableFields(TableKind kind);
// "mt_FAK_", "mt_POZ_", "mt_ZAM_", "mt_ZPOZ_".
QString tableName(TableKind kind);
// The decimals a float field keeps when written and shown: six for quantities and rates
// ("0.000000"), two for amounts.
int fieldDecimals(const FieldDef &field);
// The type as the mapping tables show it: "String[60]", "Date", "Float", "Boolean", "Integer".
QString fieldTypeText(const FieldDef &field);
