#pragma once

#include <QByteArray>
#include <libxml/tree.h>
#include <vector>

class DocumentTable;
struct FieldDef;

// A float field's text: amounts with two decimals; quantities and rates with the decimals they
// have, two at least and six at most (the schema's TIlosciJPK and TProcentowy), so that 2.561
// pieces stay 2.561.
bool appendFieldFloat(QByteArray &out, double value, const FieldDef &field);

// A simple record (an element whose filled copy holds only elements with text) written from
// its precompiled form: the bytes libxml2 writes around each child, worked out once by writing
// one copy whose children hold marker texts. Each record then costs its values' text only,
// and comes out byte for byte as writing a filled copy would.
class RecordForm
{
public:
    // Builds the form of templ's copies as written at depth with format; usable() is false
    // when the template is not simple enough and copies must be written node by node.
    RecordForm(xmlNode *templ, xmlNode *parent, const std::vector<int> &plan, xmlDoc *doc, int depth, int format);

    bool usable() const { return m_usable; }

    // The record of row into out; false when no child has a value (the copy would be empty
    // and is written node by node).
    bool write(QByteArray &out, const DocumentTable &table, int row, int *cleaned) const;

private:
    // The field's text as fieldText gives it, written as libxml2 writes an element's text:
    // UTF-8, characters XML forbids left out (counted), < > & and CR as references. False
    // when the field writes no element.
    static bool valueInto(QByteArray &out, const DocumentTable &table, int row, int field, int *cleaned);

    bool m_usable = false;
    QByteArray m_head;
    QByteArray m_tail;
    std::vector<int> m_fields;
    std::vector<QByteArray> m_leads;
    std::vector<QByteArray> m_ends;
};
