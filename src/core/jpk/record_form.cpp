#include "jpk/record_form.h"

#include "base/number_text.h"
#include "base/xml_services.h"
#include "base/xml_text.h"
#include "jpk/jpk_writer.h"
#include "tables/document_table.h"

#include <libxml/xmlsave.h>

namespace {

int appendToBytes(void *context, const char *buffer, int len)
{
    static_cast<QByteArray *>(context)->append(buffer, len);
    return len;
}

} // namespace

bool appendFieldFloat(QByteArray &out, double value, const FieldDef &field)
{
    const int decimals = fieldDecimals(field);
    return decimals == 2 ? NumberText::appendFixed(out, value, 2) : NumberText::appendTrimmed(out, value, 2, decimals);
}

RecordForm::RecordForm(xmlNode *templ, xmlNode *parent, const std::vector<int> &plan, xmlDoc *doc, int depth,
                       int format)
{
    xmlNode *copy = JpkWriter::cloneInScope(templ, parent);
    if (!copy)
        return;
    std::vector<QByteArray> markers;
    std::vector<QByteArray> closing;
    size_t i = 0;
    for (xmlNode *child = copy->children; child; ++i) {
        xmlNode *next = child->next;
        const int field = i < plan.size() ? plan[i] : -1;
        if (field < 0 || child->type != XML_ELEMENT_NODE) {
            xmlUnlinkNode(child);
            xmlFreeNode(child);
        } else {
            const QByteArray marker = "tavrix" + QByteArray::number(quintptr(this), 16) + 'x' +
                                      QByteArray::number(qulonglong(markers.size())) + 'x';
            Xml::setText(child, QString::fromLatin1(marker));
            markers.push_back(marker);
            QByteArray qname = child->ns && child->ns->prefix
                                   ? QByteArray(reinterpret_cast<const char *>(child->ns->prefix)) + ':'
                                   : QByteArray();
            qname += reinterpret_cast<const char *>(child->name);
            closing.push_back("</" + qname + '>');
            m_fields.push_back(field);
        }
        child = next;
    }
    QByteArray bytes;
    if (!markers.empty()) {
        xmlOutputBufferPtr out = xmlOutputBufferCreateIO(appendToBytes, nullptr, &bytes, nullptr);
        if (out) {
            xmlNodeDumpOutput(out, doc, copy, depth, format, "UTF-8");
            xmlOutputBufferClose(out);
        }
    }
    xmlFreeNode(copy);
    if (markers.empty())
        return;
    // HEAD, then per child: its lead (indentation and start tag), the value, its end
    // (end tag and line break), then TAIL
    qsizetype at = 0;
    for (size_t k = 0; k < markers.size(); ++k) {
        const qsizetype value = bytes.indexOf(markers[k], at);
        if (value < 0 || bytes.indexOf(markers[k], value + 1) >= 0)
            return;
        if (k == 0) {
            // the first child's lead starts at its start tag and the indentation before it
            qsizetype start = bytes.lastIndexOf('<', value);
            while (start > 0 && bytes.at(start - 1) == ' ')
                --start;
            if (start <= 0)
                return;
            m_head = bytes.left(start);
            at = start;
        }
        m_leads.push_back(bytes.mid(at, value - at));
        const QByteArray end = closing[k] + (format ? "\n" : "");
        if (bytes.mid(value + markers[k].size(), end.size()) != end)
            return;
        m_ends.push_back(end);
        at = value + markers[k].size() + end.size();
    }
    m_tail = bytes.mid(at);
    m_usable = true;
}

bool RecordForm::write(QByteArray &out, const DocumentTable &table, int row, int *cleaned) const
{
    out.resize(0); // keeps its room for the next record
    out += m_head;
    bool any = false;
    for (size_t k = 0; k < m_fields.size(); ++k) {
        const qsizetype before = out.size();
        out += m_leads[k];
        if (!valueInto(out, table, row, m_fields[k], cleaned)) {
            out.resize(before);
            continue;
        }
        any = true;
        out += m_ends[k];
    }
    out += m_tail;
    return any;
}

bool RecordForm::valueInto(QByteArray &out, const DocumentTable &table, int row, int field, int *cleaned)
{
    const FieldType type = table.fields().at(field).type;
    if (type == FieldType::Float) // as fieldText writes it
        return !table.isNullAt(row, field) &&
               appendFieldFloat(out, table.floatAt(row, field), table.fields().at(field));
    if (type != FieldType::String) {
        const QString text = JpkWriter::fieldText(table, row, field);
        if (text.isEmpty())
            return false;
        out += text.toLatin1(); // numbers, dates and booleans are ASCII
        return true;
    }
    const QStringView text = table.stringViewAt(row, field);
    if (text.isEmpty())
        return false;
    bool changed = false;
    const bool any = XmlText::appendEscaped(out, text, &changed);
    if (changed && cleaned)
        ++*cleaned;
    // a value made only of characters XML forbids is no value: its element goes
    return any;
}
