#pragma once

#include "import/import_format.h"
#include "import/sep_parser.h"

#include <QString>
#include <vector>

class DocumentTable;
class MappingGrid;
class UserPort;

// FirstNumber: the value of the first run of decimal digits; -1 when there is none or it
// does not fit 32 bits.
int FirstNumber(QStringView text);

// The record resolver: one input line and the mapping table of its kind give one new record.
// The mapping table and the substitution table are compiled once per pass; each line then
// costs one split and one walk over the compiled rows.
class RecordResolver
{
public:
    RecordResolver(const MappingGrid &map, DocumentTable &table, const QString &kindName,
                   const MappingGrid &substitutions, UserPort *port);

    // True when a record was added and posted; false for an empty line, an ABORT condition,
    // or an error (already shown to the user).
    bool importRecordLine(const QString &line, const ImportFormat &format);

    // The parts of one mapping row, exposed for tests of the expression language.
    struct Condition
    {
        bool empty = true;
        bool syntaxError = false;
        bool negate = false;
        int nr = -1;
        QString value;
        QString action;
        static Condition parse(const QString &text);
    };
    struct Reference
    {
        enum Kind
        {
            Entry,
            Field,
            FieldEntry,
            FieldList
        } kind = Entry;
        QString before; // literal text before the reference
        int nn = -1;
        QString list;
    };
    struct Expression
    {
        bool empty = true;
        bool syntaxError = false;
        std::vector<Reference> references;
        QString after;
        static Expression parse(const QString &text);
    };
    // ExpandDefault of an expression against a split line; false for a syntax error, an
    // empty result in *ignore.
    bool ExpandDefault(const Expression &expression, FieldSplitter &parser, bool *ignore) const;
    QString entry(int k) const;
    // The texts longer than their field, cut: how many, and the first of them named.
    int cutCount() const { return m_cutCount; }
    // The records this resolver added.
    int records() const { return m_records; }
    const QStringList &cutNotes() const { return m_cut; }

private:
    static constexpr int kCutNotes = 20;
    struct Row
    {
        QString name;
        int field = -1;
        int n = 0;
        QString ifText;
        QString defText;
        Condition condition;
        Expression expression;
    };

    DocumentTable &m_table;
    QString m_kindName;
    QStringList m_cut;
    int m_cutCount = 0;
    int m_records = 0; // records added so far
    UserPort *m_port;
    std::vector<Row> m_rows;
    QStringList m_entries;
    FieldSplitter m_parser;
};
