// From an element's text to a field: the text rules both roads of loading share.
#include "base/characters.h"
#include "base/controls.h"
#include "base/xml_services.h"
#include "jpk/jpk_reader.h"
#include "jpk/node_path.h"
#include "tables/document_table.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace {

// A number in XML form: optional sign, digits with an optional point and decimals (digits on
// at least one side), an optional exponent.
bool isXmlNumber(std::string_view t)
{
    size_t i = 0;
    const size_t n = t.size();
    auto digits = [&] {
        const size_t from = i;
        while (i < n && t[i] >= '0' && t[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    size_t count = digits();
    if (i < n && t[i] == '.') {
        ++i;
        count += digits();
    }
    if (count == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

} // namespace

bool JpkReader::setFieldFromElement(const xmlNode *element, DocumentTable &table)
{
    return setFieldFromElement(element, table, table.fieldIndex(Xml::localName(element)));
}

int JpkReader::fieldOf(const xmlNode *child, DocumentTable &table, int cache)
{
    if (child->type != XML_ELEMENT_NODE)
        return -1; // text and comments are named like no field
    auto &known = m_fields[cache];
    const auto it = known.find(child->name);
    if (it != known.end())
        return it->second;
    const int field = table.fieldIndex(Xml::str(child->name));
    known.emplace(child->name, field);
    return field;
}

bool JpkReader::setFieldFromElement(const xmlNode *element, DocumentTable &table, int field)
{
    if (field < 0)
        return true;
    // the element's text and CDATA, read straight from the parser's bytes; comments and
    // processing instructions inside it are no part of the value, an element inside it leaves
    // it without one
    if (Xml::isText(element)) {
        const char *text = reinterpret_cast<const char *>(element->content);
        return storeText(text ? std::string_view(text) : std::string_view(), table, field);
    }
    if (element->type != XML_ELEMENT_NODE)
        return storeText(std::string_view(), table, field);
    const xmlNode *only = nullptr;
    int pieces = 0;
    for (const xmlNode *child = element->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return storeText(std::string_view(), table, field);
        if (Xml::isText(child) && child->content) {
            only = child;
            ++pieces;
        }
    }
    if (pieces <= 1) { // the common case: no copy
        const char *text = only ? reinterpret_cast<const char *>(only->content) : "";
        return storeText(std::string_view(text), table, field);
    }
    std::string text;
    for (const xmlNode *child = element->children; child; child = child->next)
        if (Xml::isText(child) && child->content)
            text += reinterpret_cast<const char *>(child->content);
    return storeText(text, table, field);
}

bool JpkReader::storeText(std::string_view raw, DocumentTable &table, int field)
{
    // trimmed of white space and control characters at both ends
    const char *begin = raw.data();
    const char *end = begin + raw.size();
    while (begin < end && static_cast<unsigned char>(*begin) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(end[-1]) <= 32)
        --end;
    const std::string_view text(begin, size_t(end - begin));

    const FieldDef &def = table.fields().at(field);
    switch (def.type) {
    case FieldType::Boolean:
        // xs:boolean: "true" or "1", "false" or "0"
        if (text == "true" || text == "1")
            table.setBoolean(field, true);
        else if (text == "false" || text == "0")
            table.setBoolean(field, false);
        return true;
    case FieldType::Float: {
        double value = 0;
        if (isXmlNumber(text)) {
            // from_chars takes no leading plus sign
            const char *from = text.data() + (text.front() == '+' ? 1 : 0);
            std::from_chars(from, text.data() + text.size(), value);
        }
        table.setFloat(field, value);
        return true;
    }
    case FieldType::Date: {
        const QString t = QString::fromUtf8(text.data(), qsizetype(text.size()));
        if (t.size() < 8)
            return true;
        table.setDate(field, t.size() == 10 ? NodePath::dateOfText(t) : zeroDate());
        return true;
    }
    case FieldType::Integer:
        // the keys of orders and order lines are the program's own, never taken from a file
        return true;
    case FieldType::String: {
        const QString t = QString::fromUtf8(text.data(), qsizetype(text.size()));
        table.setText(field, t);
        return !Characters::longerThan(t, def.size);
    }
    }
    return true;
}

int JpkReader::fieldOfName(const xmlChar *name, DocumentTable &table)
{
    auto &known = m_fields[int(table.kind())];
    const auto it = known.find(name);
    if (it != known.end())
        return it->second;
    const int field = table.fieldIndex(Xml::str(name));
    known.emplace(name, field);
    return field;
}
