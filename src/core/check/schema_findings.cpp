#include "check/schema_findings.h"

#include "base/characters.h"
#include "base/program_files.h"
#include "base/quiet_port.h"
#include "base/xml_services.h"
#include "jpk/jpk_template.h"
#include "tables/display_text.h"
#include "validate/validator.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>
#include <limits>
#include <memory>
#include <optional>

namespace {

struct RawError
{
    int line;
    QString message;
    int record = -1; // the record it belongs to when known; otherwise found by its line
};

void collectAll(void *data, xmlErrorPtr error)
{
    if (!error || error->level < XML_ERR_ERROR)
        return;
    auto *errors = static_cast<QList<RawError> *>(data);
    if (errors->size() < 100000) // a file broken everywhere still gives a report of bounded size
        errors->append({error->line, QString::fromUtf8(error->message).trimmed()});
}

// One record of the file: where it starts and what names it.
struct Record
{
    int startLine;
    QString kind;
    int number;          // its number among the records of its kind
    QString invoice;     // P_2A, P_2B or P_2AZ
    int line = 0;        // a line's number among its invoice's lines
    QList<int> subLines; // the start lines of an order's ZamowienieWiersz
    int index = 0;       // its place among the file's top-level elements
};

QString childText(xmlNode *node, const char *name)
{
    for (xmlNode *c = node->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, reinterpret_cast<const xmlChar *>(name)))
            return XmlString(xmlNodeGetContent(c)).toString().trimmed();
    return QString();
}

// An amount of the file in grosze, exactly as written ("-1234.5" → -123450); false for no number.
bool groszeOf(const QString &text, qint64 *value)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return false;
    *value = std::llround(d * 100.0);
    return true;
}

// The control sums a file states and what its records add up to.
struct ControlSums
{
    struct Sum
    {
        const char *ctrl, *count, *value; // the control element and its two children
        qint64 records = 0, total = 0;    // counted and added up from the records
        QString statedCount, statedValue;
        int line = 0; // where the control element starts, 0: the file has none
        bool present = false;
    };
    Sum sums[3] = {{"FakturaCtrl", "LiczbaFaktur", "WartoscFaktur", 0, 0, {}, {}, 0, false},
                   {"FakturaWierszCtrl", "LiczbaWierszyFaktur", "WartoscWierszyFaktur", 0, 0, {}, {}, 0, false},
                   {"ZamowienieCtrl", "LiczbaZamowien", "WartoscZamowien", 0, 0, {}, {}, 0, false}};
};

// The records of the file that hold one of `errorLines` (sorted), in their order, read as a
// stream; the control sums of all on the way. Only those with an error are kept: a file of a
// million records with three errors keeps three.
QList<Record> recordsOf(const QString &path, ControlSums *control, const std::vector<int> &errorLines)
{
    QList<Record> records;
    std::optional<Record> pending;
    size_t e = 0;
    // the record before `nextStart` is kept when an error line falls in it
    auto settle = [&](int nextStart) {
        if (!pending)
            return;
        while (e < errorLines.size() && errorLines[e] < pending->startLine)
            ++e;
        if (e < errorLines.size() && errorLines[e] < nextStart)
            records << *pending;
        pending.reset();
    };
    int index = -1;
    std::unique_ptr<xmlTextReader, void (*)(xmlTextReader *)> reader(
        xmlReaderForFile(QFile::encodeName(path).constData(), nullptr, XML_PARSE_NONET), xmlFreeTextReader);
    if (!reader)
        return records;
    xmlTextReaderSetStructuredErrorHandler(
        reader.get(), [](void *, xmlErrorPtr) {}, nullptr);
    QHash<QString, int> counts, linesOfInvoice;
    int ret = xmlTextReaderRead(reader.get());
    while (ret == 1) {
        const int depth = xmlTextReaderDepth(reader.get());
        if (depth == 1 && xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT) {
            const QString name = Xml::str(xmlTextReaderConstLocalName(reader.get()));
            Record r{xmlTextReaderGetParserLineNumber(reader.get()), name, 0, QString(), 0, {}};
            r.index = ++index;
            if (xmlNode *node = xmlTextReaderExpand(reader.get())) {
                r.startLine = std::min(r.startLine, int(xmlGetLineNo(node)));
                // what the control sums count and add up: P_15, P_11, WartoscZamowienia
                const struct
                {
                    const char *record, *amount;
                    int sum;
                } counted[] = {
                    {"Faktura", "P_15", 0}, {"FakturaWiersz", "P_11", 1}, {"Zamowienie", "WartoscZamowienia", 2}};
                for (const auto &c : counted) {
                    if (name != QLatin1String(c.record))
                        continue;
                    ControlSums::Sum &sum = control->sums[c.sum];
                    ++sum.records;
                    qint64 value = 0;
                    if (groszeOf(childText(node, c.amount), &value))
                        sum.total += value;
                }
                for (ControlSums::Sum &sum : control->sums) {
                    if (name != QLatin1String(sum.ctrl))
                        continue;
                    sum.present = true;
                    sum.line = r.startLine;
                    sum.statedCount = childText(node, sum.count);
                    sum.statedValue = childText(node, sum.value);
                }
                if (name == u"Faktura")
                    r.invoice = childText(node, "P_2A");
                else if (name == u"FakturaWiersz") {
                    r.invoice = childText(node, "P_2B");
                    r.line = ++linesOfInvoice[r.invoice];
                } else if (name == u"Zamowienie") {
                    r.invoice = childText(node, "P_2AZ");
                    for (xmlNode *c = node->children; c; c = c->next)
                        if (c->type == XML_ELEMENT_NODE &&
                            xmlStrEqual(c->name, reinterpret_cast<const xmlChar *>("ZamowienieWiersz")))
                            r.subLines << int(xmlGetLineNo(c));
                }
            }
            r.number = ++counts[r.kind];
            settle(r.startLine);
            pending = std::move(r);
            ret = xmlTextReaderNext(reader.get());
            continue;
        }
        ret = xmlTextReaderRead(reader.get());
    }
    settle(std::numeric_limits<int>::max());
    return records;
}

// The schema's own words for each element: the first sentence of its documentation.
QHash<QString, QString> documentationOf(const QString &schemaPath)
{
    QHash<QString, QString> docs;
    if (!QFile::exists(schemaPath))
        return docs;
    XmlError error;
    XmlDocPtr doc = Xml::parseFile(schemaPath, &error);
    if (!doc)
        return docs;
    const std::function<void(xmlNode *)> walk = [&](xmlNode *node) {
        for (xmlNode *n = node; n; n = n->next) {
            if (n->type != XML_ELEMENT_NODE)
                continue;
            if (xmlStrEqual(n->name, reinterpret_cast<const xmlChar *>("element"))) {
                const QString name = Xml::attribute(n, QStringLiteral("name"));
                if (!name.isEmpty() && !docs.contains(name)) {
                    for (xmlNode *a = n->children; a; a = a->next) {
                        if (a->type != XML_ELEMENT_NODE ||
                            !xmlStrEqual(a->name, reinterpret_cast<const xmlChar *>("annotation")))
                            continue;
                        for (xmlNode *d = a->children; d; d = d->next) {
                            if (d->type == XML_ELEMENT_NODE &&
                                xmlStrEqual(d->name, reinterpret_cast<const xmlChar *>("documentation"))) {
                                QString text = XmlString(xmlNodeGetContent(d)).toString().simplified();
                                const qsizetype dot = text.indexOf(QStringLiteral(". "));
                                if (dot > 0)
                                    text.truncate(dot);
                                if (text.endsWith(u'.'))
                                    text.chop(1);
                                if (!text.isEmpty())
                                    text[0] = text.at(0).toLower();
                                docs.insert(name, text);
                                break;
                            }
                        }
                    }
                }
            }
            walk(n->children);
        }
    };
    walk(xmlDocGetRootElement(doc.get()));
    return docs;
}

QString listOf(const QString &set)
{
    // "{'23', '22', 'zw'}" → "23, 22, zw"
    QString s = set;
    s.remove(u'{').remove(u'}').remove(u'\'');
    return s.simplified();
}

QString elementList(const QString &expected)
{
    // "( {ns}P_1, {ns}P_2A )" → "P_1, P_2A"
    static const QRegularExpression ns(QStringLiteral(R"(\{[^}]*\})"));
    QString s = expected;
    s.remove(ns).remove(u'(').remove(u')');
    s.remove(QStringLiteral("one of"));
    s = s.simplified();
    while (s.endsWith(u'.') || s.endsWith(u' '))
        s.chop(1);
    return s;
}

bool structural(const QString &message)
{
    return message.contains(QStringLiteral("This element is not expected")) ||
           message.contains(QStringLiteral("Missing child element"));
}

// After a duplicated, missing or swapped element the validator checks nothing more of that
// record. A record like that is checked again alone: its elements put in the schema's order
// (as the design template lists them), repeats and strangers left out (they are reported
// already), each missing element stood in by the template's own; what that copy shows within
// the record's own elements is what the first pass could not see.
class RecordRecheck
{
public:
    explicit RecordRecheck(xmlSchemaPtr schema) : m_schema(schema)
    {
        XmlError error;
        m_template = Xml::parseText(designTemplate(), &error);
    }

    // The errors of the record `node` (a depth-1 element of the file) found in its repaired copy.
    QList<RawError> errorsOf(xmlNode *node, int record)
    {
        QList<RawError> found;
        if (!m_template)
            return found;
        // a fresh copy of the template document, its record of this kind replaced by the repaired one
        XmlDocPtr doc(xmlCopyDoc(m_template.get(), 1));
        xmlNode *slot = nullptr;
        for (xmlNode *c = xmlDocGetRootElement(doc.get())->children; c && !slot; c = c->next)
            if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, node->name))
                slot = c;
        if (!slot)
            return found;
        xmlNode *copy = xmlDocCopyNode(node, doc.get(), 1);
        m_placeholders.clear();
        repair(copy, slot);
        xmlReplaceNode(slot, copy);
        xmlFreeNode(slot);
        m_record = copy;
        m_found = &found;
        m_recordIndex = record;
        xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(m_schema);
        if (!valid)
            return found;
        xmlSchemaSetValidStructuredErrors(valid, &RecordRecheck::collect, this);
        xmlSchemaValidateDoc(valid, doc.get());
        xmlSchemaFreeValidCtxt(valid);
        return found;
    }

private:
    // The children of `node` in the order of the template's `model`; what is missing comes from the model.
    void repair(xmlNode *node, xmlNode *model)
    {
        std::vector<xmlNode *> children;
        for (xmlNode *c = node->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE)
                children.push_back(c);
        std::vector<xmlNode *> ordered;
        for (xmlNode *m = model->children; m; m = m->next) {
            if (m->type != XML_ELEMENT_NODE)
                continue;
            const bool repeats = xmlStrEqual(m->name, reinterpret_cast<const xmlChar *>("ZamowienieWiersz"));
            bool any = false;
            for (xmlNode *&c : children) {
                if (!c || !xmlStrEqual(c->name, m->name) || (any && !repeats))
                    continue;
                any = true;
                if (m->children && xmlFirstElementChild(m))
                    repair(c, m);
                ordered.push_back(c);
                c = nullptr;
            }
            if (!any) {
                xmlNode *stand = xmlDocCopyNode(m, node->doc, 1);
                m_placeholders.insert(stand);
                ordered.push_back(stand);
            }
        }
        for (xmlNode *c : children)
            if (c) { // a repeat or a stranger: already reported
                xmlUnlinkNode(c);
                xmlFreeNode(c);
            }
        for (xmlNode *c : ordered) {
            xmlUnlinkNode(c);
            xmlAddChild(node, c);
        }
    }

    static void collect(void *data, xmlErrorPtr error)
    {
        auto *self = static_cast<RecordRecheck *>(data);
        if (!error || error->level < XML_ERR_ERROR)
            return;
        // only what lies in the record's own elements
        bool inRecord = false;
        for (auto *n = static_cast<xmlNode *>(error->node); n; n = n->parent) {
            if (self->m_placeholders.contains(n))
                return;
            if (n == self->m_record) {
                inRecord = true;
                break;
            }
        }
        const QString message = QString::fromUtf8(error->message).trimmed();
        if (inRecord && !structural(message))
            self->m_found->append({error->line, message, self->m_recordIndex});
    }

    xmlSchemaPtr m_schema;
    XmlDocPtr m_template;
    QSet<xmlNode *> m_placeholders;
    xmlNode *m_record = nullptr;
    QList<RawError> *m_found = nullptr;
    int m_recordIndex = -1;
};

// The records (by their place in `records`) whose check stopped at a structural error, checked
// again; what they show that the first pass did not is added to `raw`.
void recheckStructural(const QString &path, xmlSchemaPtr schema, const QList<Record> &records, QList<RawError> *raw)
{
    QHash<int, int> affected; // a record's place among the top-level elements → its place in `records`
    int last = -1;
    for (const RawError &r : std::as_const(*raw)) {
        if (!structural(r.message))
            continue;
        const auto after = std::upper_bound(records.cbegin(), records.cend(), r.line,
                                            [](int line, const Record &rec) { return line < rec.startLine; });
        if (after != records.cbegin()) {
            const Record &rec = *(after - 1);
            affected.insert(rec.index, int(after - records.cbegin()) - 1);
            last = std::max(last, rec.index);
        }
    }
    if (affected.isEmpty())
        return;
    std::unique_ptr<xmlTextReader, void (*)(xmlTextReader *)> reader(
        xmlReaderForFile(QFile::encodeName(path).constData(), nullptr, XML_PARSE_NONET | XML_PARSE_BIG_LINES),
        xmlFreeTextReader);
    if (!reader)
        return;
    xmlTextReaderSetStructuredErrorHandler(
        reader.get(), [](void *, xmlErrorPtr) {}, nullptr);
    RecordRecheck recheck(schema);
    QSet<QPair<int, QString>> known;
    for (const RawError &r : std::as_const(*raw))
        known.insert({r.line, r.message});
    int index = -1;
    int ret = xmlTextReaderRead(reader.get());
    while (ret == 1 && index < last) { // the rest of the file needs no second look
        if (xmlTextReaderDepth(reader.get()) == 1 && xmlTextReaderNodeType(reader.get()) == XML_READER_TYPE_ELEMENT) {
            ++index;
            if (affected.contains(index))
                if (xmlNode *node = xmlTextReaderExpand(reader.get()))
                    for (const RawError &e : recheck.errorsOf(node, affected.value(index)))
                        if (!known.contains({e.line, e.message}) && raw->size() < 100000)
                            raw->append(e);
            ret = xmlTextReaderNext(reader.get());
            continue;
        }
        ret = xmlTextReaderRead(reader.get());
    }
    // the errors in the order of the file
    std::stable_sort(raw->begin(), raw->end(), [](const RawError &a, const RawError &b) { return a.line < b.line; });
}

} // namespace

namespace SchemaFindings {

QString polishReason(const QString &message, QString *element, QString *value)
{
    static const QRegularExpression elementRe(QStringLiteral(R"(Element '(?:\{[^}]*\})?([^']+)')"));
    static const QRegularExpression valueRe(QStringLiteral(R"(The value '([^']*)')"));
    const QRegularExpressionMatch e = elementRe.match(message);
    const QRegularExpressionMatch v = valueRe.match(message);
    *element = e.hasMatch() ? e.captured(1) : QString();
    *value = v.hasMatch() ? v.captured(1) : QString();
    // a value is shown by its start: a 9 MB invoice number makes no 9 MB line
    constexpr qsizetype kShownValue = 200;
    auto capped = [](const QString &text) -> QString {
        if (!Characters::longerThan(text, kShownValue))
            return text;
        // by characters, as every width: a cut never splits a surrogate pair
        return Characters::first(text, kShownValue).toString() +
               QStringLiteral("… (%1 znaków)").arg(Characters::count(text));
    };
    *value = capped(*value);
    auto facet = [&](const char *name) {
        return message.contains(QStringLiteral("[facet '%1']").arg(QLatin1String(name)));
    };
    // the quoted figure after a phrase of the message ("maximum length of '256'" → 256)
    auto after = [&](const QString &key) {
        const qsizetype at = message.indexOf(key);
        return at < 0 ? QString() : message.mid(at + key.size()).section(u'\'', 1, 1);
    };
    const QString shown = value->isEmpty() ? QStringLiteral("(pusta)") : *value;
    if (facet("enumeration")) {
        const qsizetype open = message.indexOf(u'{', message.indexOf(QStringLiteral("set")));
        const qsizetype close = message.lastIndexOf(u'}');
        const QString allowed = listOf(message.mid(open, close - open + 1));
        const qsizetype count = allowed.count(u',') + 1;
        // a dictionary (offices, currencies, countries) is named, not printed
        if (count > 20)
            return QStringLiteral("wartość %1 spoza słownika dozwolonych wartości tego pola (%2 pozycji)")
                .arg(shown, QString::number(count));
        return QStringLiteral("wartość %1 spoza dozwolonych: %2").arg(shown, allowed);
    }
    if (facet("pattern"))
        return QStringLiteral("wartość %1 nie ma wymaganej postaci").arg(shown);
    if (facet("maxLength"))
        return QStringLiteral("wartość jest za długa: ma %1 znaków, a dozwolone jest najwyżej %2")
            .arg(after(QStringLiteral("has a length of")), after(QStringLiteral("maximum length of")));
    if (facet("minLength"))
        return QStringLiteral("wartość jest za krótka: ma %1 znaków, a wymagane jest co najmniej %2")
            .arg(after(QStringLiteral("has a length of")), after(QStringLiteral("minimum length of")));
    if (facet("length"))
        return QStringLiteral("wartość ma %1 znaków, a wymagane jest dokładnie %2")
            .arg(after(QStringLiteral("has a length of")), after(QStringLiteral("length of")));
    if (facet("minExclusive"))
        return QStringLiteral("wartość %1 musi być większa niż %2").arg(shown, after(QStringLiteral("greater than")));
    if (facet("maxExclusive"))
        return QStringLiteral("wartość %1 musi być mniejsza niż %2").arg(shown, after(QStringLiteral("less than")));
    if (facet("minInclusive"))
        return QStringLiteral("wartość %1 jest mniejsza niż dozwolone minimum %2")
            .arg(shown, after(QStringLiteral("minimum value allowed")));
    if (facet("maxInclusive"))
        return QStringLiteral("wartość %1 jest większa niż dozwolone maksimum %2")
            .arg(shown, after(QStringLiteral("maximum value allowed")));
    if (facet("totalDigits"))
        return QStringLiteral("wartość %1 ma za dużo cyfr (dozwolone najwyżej %2)")
            .arg(shown, after(QStringLiteral("are allowed")).isEmpty() ? message.section(u'\'', -2, -2)
                                                                       : after(QStringLiteral("are allowed")));
    if (facet("fractionDigits"))
        return QStringLiteral("wartość %1 ma za dużo cyfr po przecinku (dozwolone najwyżej %2)")
            .arg(shown, message.section(u'\'', -2, -2));
    if (message.contains(QStringLiteral("This element is not expected"))) {
        const qsizetype at = message.indexOf(QStringLiteral("Expected is"));
        if (at < 0)
            return QStringLiteral("element %1 w tym miejscu jest niedozwolony (nadmiarowy albo powtórzony)")
                .arg(*element);
        const QString expected = elementList(message.mid(at + 11));
        if (expected.contains(u','))
            return QStringLiteral("w tym miejscu powinien być jeden z elementów %1, a jest %2: brak wymaganego "
                                  "elementu albo elementy są w złej kolejności")
                .arg(expected, *element);
        return QStringLiteral("w tym miejscu powinien być element %1, a jest %2: brak elementu %1 albo elementy "
                              "są w złej kolejności")
            .arg(expected, *element);
    }
    if (message.contains(QStringLiteral("Missing child element"))) {
        const qsizetype at = message.indexOf(QStringLiteral("Expected is"));
        return QStringLiteral("brak wymaganego elementu: %1").arg(elementList(message.mid(at + 11)));
    }
    static const QRegularExpression atomic(QStringLiteral(
        R"('([^']*)' is not a valid value of the (?:atomic|local atomic|union|list) type(?: '([^']*)')?)"));
    const QRegularExpressionMatch a = atomic.match(message);
    if (a.hasMatch()) {
        *value = capped(a.captured(1));
        const QString type = elementList(a.captured(2));
        // what the type asks for, in words (no type names)
        static const QHash<QString, QString> words = {
            {QStringLiteral("TKwotowy"), QStringLiteral("kwota, np. 1234.56")},
            {QStringLiteral("TIlosciJPK"), QStringLiteral("liczba, np. 2.5")},
            {QStringLiteral("TProcentowy"), QStringLiteral("liczba od 0 do 100")},
            {QStringLiteral("TNaturalnyJPK"), QStringLiteral("liczba całkowita nieujemna")},
            {QStringLiteral("TNaturalny"), QStringLiteral("liczba całkowita nieujemna")},
            {QStringLiteral("TDataT"), QStringLiteral("data w postaci RRRR-MM-DD")},
            {QStringLiteral("TData"), QStringLiteral("data w postaci RRRR-MM-DD")},
            {QStringLiteral("xs:date"), QStringLiteral("data w postaci RRRR-MM-DD")},
            {QStringLiteral("xs:dateTime"), QStringLiteral("data i godzina w postaci RRRR-MM-DDTgg:mm:ss")},
            {QStringLiteral("xs:boolean"), QStringLiteral("true albo false")},
            {QStringLiteral("xs:decimal"), QStringLiteral("liczba")},
            {QStringLiteral("xs:integer"), QStringLiteral("liczba całkowita")},
        };
        const QString wanted = words.value(type);
        return wanted.isEmpty() ? QStringLiteral("wartość %1 nie jest poprawna dla tego pola").arg(*value)
                                : QStringLiteral("wartość %1 nie jest poprawna: oczekiwano – %2").arg(*value, wanted);
    }
    if (message.contains(QStringLiteral("attribute")))
        return QStringLiteral("niepoprawny atrybut: %1").arg(message);
    return QStringLiteral("niezgodność ze schematem: %1").arg(message);
}

Result<QList<Finding>> check(const QString &path, const QString &home)
{
    QList<Finding> found;
    QList<Finding> *findings = &found;
    QuietPort port(false); // what the preparation says is reported by the check itself
    JpkValidator validator(&port, home);
    validator.documentPath = path;
    validator.useSchemaBesideProgram();
    if (!validator.prepare())
        return Failure(port.last);
    QString failure;
    xmlSchemaPtr schema = validator.compileSchema(&failure);
    if (!failure.isEmpty()) {
        if (schema)
            xmlSchemaFree(schema);
        return Failure(
            QStringLiteral("Schemat %1 nie nadaje się do sprawdzenia: %2").arg(validator.schemaLocation, failure));
    }
    QList<RawError> raw;
    xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema);
    int status = -1;
    if (valid) {
        xmlSchemaSetValidStructuredErrors(valid, collectAll, &raw);
        status = xmlSchemaValidateFile(valid, QFile::encodeName(path).constData(), 0);
        xmlSchemaFreeValidCtxt(valid);
    }
    if (status < 0 && raw.isEmpty()) {
        xmlSchemaFree(schema);
        return Failure(QStringLiteral("%1: plik nie dał się sprawdzić").arg(path));
    }
    ControlSums control;
    std::vector<int> errorLines;
    for (const RawError &r : std::as_const(raw))
        errorLines.push_back(r.line);
    std::sort(errorLines.begin(), errorLines.end());
    const QList<Record> records = recordsOf(path, &control, errorLines);
    recheckStructural(path, schema, records, &raw);
    xmlSchemaFree(schema);
    const QString schemaFile =
        QFile::exists(validator.schemaLocation) ? validator.schemaLocation : ProgramFiles::mainSchema(home);
    const QHash<QString, QString> docs = documentationOf(schemaFile);
    for (const RawError &r : std::as_const(raw)) {
        Finding f;
        f.level = Finding::Level::Error;
        f.code = QStringLiteral("XSD");
        f.message = polishReason(r.message, &f.field, &f.value);
        f.description = docs.value(f.field);
        // the record the line falls in: the last one that starts at or before it
        const auto after = r.record >= 0 && r.record < records.size()
                               ? records.cbegin() + r.record + 1
                               : std::upper_bound(records.cbegin(), records.cend(), r.line,
                                                  [](int line, const Record &rec) { return line < rec.startLine; });
        if (after == records.cbegin()) {
            f.kind = QStringLiteral("JPK");
        } else {
            const Record &rec = *(after - 1);
            f.kind = rec.kind;
            f.record = rec.number;
            f.invoice = rec.invoice;
            f.line = rec.line;
            if (rec.kind == u"Zamowienie") {
                const qsizetype sub =
                    std::upper_bound(rec.subLines.cbegin(), rec.subLines.cend(), r.line) - rec.subLines.cbegin();
                if (sub > 0 && f.field != u"ZamowienieWiersz") {
                    f.kind = QStringLiteral("ZamowienieWiersz");
                    f.line = int(sub);
                }
            }
        }
        f.fileLine = r.line;
        findings->append(f);
    }
    // K12: the control sums agree with the records (a missing control element is the
    // schema's finding)
    for (const ControlSums::Sum &sum : control.sums) {
        if (!sum.present)
            continue;
        auto finding = [&](const char *field, const QString &stated, const QString &counted, const QString &what) {
            Finding f;
            f.level = Finding::Level::Error;
            f.code = QStringLiteral("K12");
            f.kind = QString::fromLatin1(sum.ctrl);
            f.field = QString::fromLatin1(field);
            f.description = docs.value(f.field);
            f.value = stated;
            f.fileLine = sum.line;
            f.message = QStringLiteral("suma kontrolna %1 podaje %2, a %3 %4").arg(f.field, stated, what, counted);
            findings->append(f);
        };
        bool ok = false;
        const qint64 count = sum.statedCount.toLongLong(&ok);
        if (ok && count != sum.records)
            finding(sum.count, sum.statedCount, QString::number(sum.records), QStringLiteral("rekordów w pliku jest"));
        qint64 value = 0;
        if (groszeOf(sum.statedValue, &value) && value != sum.total)
            finding(sum.value, sum.statedValue, DisplayText::number(double(sum.total) / 100.0, 2, false, QLocale::c()),
                    QStringLiteral("suma wartości rekordów wynosi"));
    }
    return found;
}

} // namespace SchemaFindings
