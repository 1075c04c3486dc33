#include "jpk/jpk_writer.h"

#include "base/controls.h"
#include "base/number_text.h"
#include "base/safe_file.h"
#include "base/user_port.h"
#include "base/xml_services.h"
#include "base/xml_text.h"
#include "jpk/node_path.h"
#include "jpk/output_name.h"
#include "jpk/record_form.h"
#include "tables/document_tables.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QXmlStreamReader>
#include <algorithm>
#include <libxml/xmlsave.h>
#include <memory>

namespace {

const QString kTitle = QStringLiteral("Generowanie piku dla JPK_FA (4)");

// Writes libxml2's output buffer straight into the file being saved.
int writeToSaveFile(void *context, const char *buffer, int len)
{
    auto *file = static_cast<SafeFile *>(context);
    return file->write(buffer, len) ? len : -1;
}

// libxml2 writes the children of an element on lines of their own only while no element on
// the way down holds text: below one that does, nothing is indented. The records of a run
// are written the same way as the whole document would write them.
bool indentedUnder(const xmlNode *parent)
{
    for (const xmlNode *p = parent; p && p->type == XML_ELEMENT_NODE; p = p->parent)
        for (const xmlNode *c = p->children; c; c = c->next)
            if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE || c->type == XML_ENTITY_REF_NODE)
                return false;
    return true;
}

// A failure of libxml2 or of memory in the middle of filling: the generation stops with its text.
struct FillError
{
    QString text;
};

template <typename T> T *checked(T *made)
{
    if (!made)
        throw FillError{QStringLiteral("za mało pamięci")};
    return made;
}

int depthOf(const xmlNode *node)
{
    int depth = 0;
    for (const xmlNode *p = node->parent; p && p->type == XML_ELEMENT_NODE; p = p->parent)
        ++depth;
    return depth;
}

} // namespace

// One run of records: its template element and where its copies go.
struct JpkWriter::Stream
{
    xmlNode *templ = nullptr;  // the record element, unlinked from the document
    QByteArray token;          // the comment that marks its place
    xmlNode *parent = nullptr; // where its copies stand
    int depth = 0;
    bool indented = true; // each copy on a line of its own
    qsizetype at = -1;    // where the marker stands in the written skeleton
};

namespace {

using NsMap = std::vector<std::pair<xmlNs *, xmlNs *>>;

xmlNs *mapNs(xmlNs *ns, const NsMap &map)
{
    for (const auto &[from, to] : map)
        if (from == ns)
            return to;
    return ns; // declared above the copied element: in scope wherever the copy stands
}

xmlNode *copyElement(xmlNode *src, xmlDoc *doc, NsMap &map)
{
    xmlNode *node = xmlNewDocNode(doc, nullptr, src->name, nullptr);
    if (src->nsDef) {
        node->nsDef = xmlCopyNamespaceList(src->nsDef);
        for (xmlNs *a = src->nsDef, *b = node->nsDef; a && b; a = a->next, b = b->next)
            map.emplace_back(a, b);
    }
    node->ns = src->ns ? mapNs(src->ns, map) : nullptr;
    for (xmlAttr *a = src->properties; a; a = a->next) {
        xmlChar *value = xmlNodeListGetString(src->doc, a->children, 1);
        xmlNewNsProp(node, a->ns ? mapNs(a->ns, map) : nullptr, a->name,
                     value ? value : reinterpret_cast<const xmlChar *>(""));
        xmlFree(value);
    }
    for (xmlNode *c = src->children; c; c = c->next)
        xmlAddChild(node, c->type == XML_ELEMENT_NODE ? copyElement(c, doc, map) : xmlDocCopyNode(c, doc, 1));
    return node;
}

} // namespace

xmlNode *JpkWriter::cloneInScope(xmlNode *node, xmlNode *parent)
{
    // A copy keeps the names and prefixes of its original: namespaces declared above the
    // original are referred to, not declared again, so the copy is written as it stands in
    // the template wherever it is placed under the same ancestors.
    Q_UNUSED(parent);
    NsMap map;
    return copyElement(node, node->doc, map);
}

namespace {

bool writeAll(SafeFile &file, const QByteArray &bytes)
{
    return file.write(bytes);
}

} // namespace

JpkWriter::JpkWriter(const WorkContext &context) : m_ws(context), m_port(context.port) {}

QString JpkWriter::timestampText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString JpkWriter::fieldText(const DocumentTable &table, int row, int field)
{
    const FieldDef &def = table.fields().at(field);
    if (table.isNullAt(row, field)) {
        // P_106E_3 is required in every invoice by the schema: a null one is written as
        // "false" like the other marked booleans, or every file that leaves it unset is invalid.
        if (def.type == FieldType::Boolean && (def.nullAsFalse || def.name == u"P_106E_3"))
            return QStringLiteral("false");
        return QString();
    }
    const QVariant v = table.valueAt(row, field);
    switch (def.type) {
    case FieldType::String:
        return v.toString();
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::Float: {
        QByteArray text;
        return appendFieldFloat(text, v.toDouble(), def) ? QString::fromLatin1(text) : QString();
    }
    case FieldType::Date:
        // the zero date (a missing or unreadable one) and a year below 1 are no date: the
        // element is left out
        return v.toDate() == zeroDate() || v.toDate().year() < 1 ? QString()
                                                                 : v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    return QString();
}

namespace {

int fieldOfChild(const xmlNode *child, const DocumentTable &table)
{
    return child->type == XML_ELEMENT_NODE ? table.fieldIndex(Xml::localName(child)) : -1;
}

// One child of a record copy: its field's text, or gone when there is none.
void fillChild(xmlNode *child, int field, const DocumentTable &table, int row, int *cleaned)
{
    bool changed = false;
    const QString text = field >= 0 ? XmlText::safe(JpkWriter::fieldText(table, row, field), &changed) : QString();
    if (changed && cleaned)
        ++*cleaned;
    // a value made only of characters XML forbids is no value: its element goes
    if (text.isEmpty()) {
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    } else {
        Xml::setText(child, text);
    }
}

} // namespace

std::vector<int> JpkWriter::planFor(const xmlNode *templ, const DocumentTable &table)
{
    std::vector<int> fields;
    for (const xmlNode *child = templ->children; child; child = child->next)
        fields.push_back(fieldOfChild(child, table));
    return fields;
}

void JpkWriter::fillRecord(xmlNode *copy, const DocumentTable &table, int row, int *cleaned)
{
    fillPlanned(copy, planFor(copy, table), table, row, cleaned);
}

void JpkWriter::fillPlanned(xmlNode *copy, const std::vector<int> &plan, const DocumentTable &table, int row,
                            int *cleaned)
{
    // every copy has its template's children in its template's order
    size_t i = 0;
    for (xmlNode *child = copy->children; child; ++i) {
        xmlNode *next = child->next;
        fillChild(child, i < plan.size() ? plan[i] : -1, table, row, cleaned);
        child = next;
    }
}

void JpkWriter::fillOrder(xmlNode *copy, const DocumentTable &orders, const DocumentTable &lines, int row, int *cleaned)
{
    for (xmlNode *child = copy->children; child;) {
        xmlNode *next = child->next;
        if (child->type == XML_ELEMENT_NODE && Xml::localName(child) == u"ZamowienieWiersz") {
            const int idx = orders.fieldIndex(QStringLiteral("idx"));
            if (!orders.isNullAt(row, idx)) {
                for (int line : lines.rowsWithKey(DocumentTable::keyText(orders.valueAt(row, idx)))) {
                    xmlNode *filled = cloneInScope(child, copy);
                    fillRecord(filled, lines, line, cleaned);
                    xmlAddPrevSibling(child, filled);
                }
            }
            xmlUnlinkNode(child);
            xmlFreeNode(child);
            break; // the walk over the order's children ends with its lines
        }
        fillChild(child, fieldOfChild(child, orders), orders, row, cleaned);
        child = next;
    }
}

bool JpkWriter::fillHeader(xmlNode *root, const QString &created)
{
    const Controls &c = (*m_ws.controls);
    auto text = [&](const char *key) { return c.text(QString::fromLatin1(key)); };
    xmlNode *naglowek = NodePath::findOrReport(m_port, root, QStringLiteral("Naglowek"), false);
    if (!naglowek)
        return false;
    NodePath::setTextOrRemove(m_port, naglowek, QStringLiteral("DataWytworzeniaJPK"), created);
    NodePath::setDateOrRemove(m_port, naglowek, QStringLiteral("DataOd"), c.date(QStringLiteral("ed_DataOd_Date")));
    NodePath::setDateOrRemove(m_port, naglowek, QStringLiteral("DataDo"), c.date(QStringLiteral("ed_DataDo_Date")));
    NodePath::setTextOrRemove(m_port, naglowek, QStringLiteral("KodUrzedu"), XmlText::safe(text("ed_KodUrzedu_Text")));

    xmlNode *podmiot = NodePath::findOrReport(m_port, root, QStringLiteral("Podmiot1"), false);
    if (!podmiot)
        return false;
    xmlNode *ident = NodePath::findOrReport(m_port, podmiot, QStringLiteral("IdentyfikatorPodmiotu"), false);
    if (!ident)
        return false;
    // a value that loses characters XML 1.0 forbids is counted for the closing message
    auto setText = [&](xmlNode *parent, const char *name) {
        const QString value = c.text(QStringLiteral("ed_%1_Text").arg(QString::fromLatin1(name)));
        bool changed = false;
        const QString safe = XmlText::safe(value, &changed);
        m_cleaned += changed ? 1 : 0;
        NodePath::setTextOrRemove(m_port, parent, QString::fromLatin1(name), safe);
    };
    for (const char *name : {"NIP", "EUPLVATID", "IMPLVATID", "PelnaNazwa"})
        setText(ident, name);
    xmlNode *adres = NodePath::findOrReport(m_port, podmiot, QStringLiteral("AdresPodmiotu"), false);
    if (!adres)
        return false;
    for (const char *name :
         {"KodKraju", "Wojewodztwo", "Powiat", "Gmina", "Ulica", "NrDomu", "NrLokalu", "Miejscowosc", "KodPocztowy"})
        setText(adres, name);
    return true;
}

Result<> JpkWriter::checkTemplate(const QString &text)
{
    // a document type declaration (with entities or without) is what the loader refuses; an
    // element with thousands of children or attributes is no JPK_FA(4) template (the largest,
    // Faktura, has some sixty children; no element has more than three attributes) and would
    // cost generate time that grows with its square
    constexpr int kMaxChildren = 500, kMaxAttributes = 50;
    QXmlStreamReader reader(text);
    std::vector<int> children; // per open element, its child elements so far
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::DTD:
            return Failure(QString::fromUtf8(Xml::kDtdRefused));
        case QXmlStreamReader::StartElement:
            if (!children.empty() && ++children.back() > kMaxChildren)
                return Failure(
                    QStringLiteral("Wzorzec ma element z więcej niż %1 elementami podrzędnymi – to nie jest wzorzec "
                                   "JPK_FA(4).")
                        .arg(kMaxChildren));
            if (reader.attributes().size() > kMaxAttributes)
                return Failure(
                    QStringLiteral("Wzorzec ma element %1 z %2 atrybutami (najwyżej %3) – to nie jest wzorzec "
                                   "JPK_FA(4).")
                        .arg(reader.name().toString(), QString::number(reader.attributes().size()),
                             QString::number(kMaxAttributes)));
            children.push_back(0);
            break;
        case QXmlStreamReader::EndElement:
            if (!children.empty())
                children.pop_back();
            break;
        case QXmlStreamReader::Invalid:
            return {}; // the loader says what is wrong with it
        default:
            break;
        }
    }
    return {};
}

JpkWriter::Outcome JpkWriter::generate()
{
    Controls &c = (*m_ws.controls);
    const QString name = c.text(QStringLiteral("fn_JPK_Text"));
    if (name.isEmpty())
        return Outcome::EmptyName;
    // The name is corrected before anything else, so the question is about the file that will
    // really be written ("out.XML" is written as "out.xml").
    const QString corrected = correctOutputName(m_port, name);
    c.setText(QStringLiteral("fn_JPK_Text"), corrected);
    // a relative name is taken in the output folder (the window's program folder), else in the
    // working folder
    const QString fileName = m_ws.outputFolder.isEmpty() || QDir::isAbsolutePath(corrected)
                                 ? corrected
                                 : QDir(m_ws.outputFolder).filePath(corrected);
    // a folder or a device is said as what it is, before any question about replacing it
    if (const QFileInfo target(fileName); target.exists() && !target.isFile()) {
        m_port->failure(applicationTitle(),
                        QStringLiteral("Błąd zapisu JPK do:") + fileName + QStringLiteral("\r") +
                            (target.isDir()
                                 ? QStringLiteral("to folder, a nie plik")
                                 : QStringLiteral("to nie jest zwykły plik (urządzenie, potok albo gniazdo)")));
        return Outcome::Failed;
    }
    if (QFileInfo::exists(fileName) &&
        !m_port->question(
            kTitle,
            QStringLiteral("Plik o podanej nazwie %1 istnieje, wymienić go na nowy (nadpisać) ?").arg(fileName)))
        return Outcome::Declined;

    // a template the loader would refuse never makes a file
    if (const Result<> usable = checkTemplate(m_ws.jpkTemplate()); !usable) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd załadowania wzorca XML\r") + usable.reason());
        return Outcome::Failed;
    }
    // the schema wants at least one FakturaWiersz: invoices without any line (advance invoices,
    // corrections of a period) make a file no office accepts; the user hears it before it is made
    const int invoices = m_ws.tables->mt_FAK_.storedCount();
    if (invoices > 0 && m_ws.tables->mt_POZ_.storedCount() == 0)
        m_port->info(kTitle, QStringLiteral("Uwaga: żadna z %1 faktur nie ma wierszy (FakturaWiersz), a schemat "
                                            "JPK_FA(4) wymaga co najmniej jednego – utworzony plik nie przejdzie "
                                            "weryfikacji ze schemą. Dodaj wiersze faktur albo faktury, które je mają.")
                                 .arg(invoices));
    XmlError parseError;
    XmlDocPtr doc = Xml::parseText(m_ws.jpkTemplate(), &parseError);
    if (!doc) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd załadowania wzorca XML\r") + parseError.reason +
                                                QStringLiteral("\r\nLine: ") + QString::number(parseError.line));
        return Outcome::Failed;
    }
    xmlFree(const_cast<xmlChar *>(doc->encoding));
    doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar *>("UTF-8"));

    DocumentTables &t = (*m_ws.tables);
    std::vector<Stream> streams;
    // the record templates go on every way out, "Przerwij" and out of memory included (those
    // two end the command at the Workspace, which gives back the views and the line link)
    struct FreeTemplates
    {
        std::vector<Stream> &streams;
        ~FreeTemplates()
        {
            for (Stream &s : streams)
                xmlFreeNode(s.templ);
            streams.clear();
        }
    } freeTemplates{streams};
    t.lineLinkOff();
    t.suspendViews();
    m_cleaned = 0;
    Outcome outcome = Outcome::Failed;
    try {
        outcome = fillAndSave(doc.get(), fileName, streams);
    } catch (const FillError &e) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd ustawienia danych w JPK\r") + e.text);
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &e) {
        m_port->failure(applicationTitle(),
                        QStringLiteral("Błąd ustawienia danych w JPK\r") + QString::fromLocal8Bit(e.what()));
    }
    m_port->progressHide();
    t.linkLinesToInvoices();
    t.resumeViews();
    if (outcome != Outcome::Written)
        return outcome;
    if (m_cleaned > 0)
        m_port->info(applicationTitle(),
                     QStringLiteral("Pominięto znaki niedozwolone w XML (znaki sterujące) w %1 wartościach; "
                                    "pozostałe znaki tych wartości zapisano bez zmian.")
                         .arg(m_cleaned));
    if (c.checked(QStringLiteral("chb_Weryfikuj_Checked")))
        m_ws.validate(fileName);
    else
        m_port->info(applicationTitle(), QStringLiteral("Utworzono plik JPK_FA \r") + QDir::toNativeSeparators(m_file));
    return Outcome::Written;
}

// The header, and for each of the three runs of records its control block (counts and sums
// over whole tables, in table order, rounded once); the record element gives way to a marker
// where its filled copies will stand. A run without records loses its record and its block.
bool JpkWriter::placeRuns(xmlDoc *doc, xmlNode *root, std::vector<Stream> &streams)
{
    DocumentTables &t = (*m_ws.tables);
    struct Run
    {
        const char *record, *ctrl, *sumField, *countName, *sumName;
        DocumentTable *table;
    };
    const Run runs[] = {
        {"Faktura", "FakturaCtrl", "P_15", "LiczbaFaktur", "WartoscFaktur", &t.mt_FAK_},
        {"FakturaWiersz", "FakturaWierszCtrl", "P_11", "LiczbaWierszyFaktur", "WartoscWierszyFaktur", &t.mt_POZ_},
        {"Zamowienie", "ZamowienieCtrl", "WartoscZamowienia", "LiczbaZamowien", "WartoscZamowien", &t.mt_ZAM_}};
    xmlNode *found[3][2];
    for (int k = 0; k < 3; ++k) {
        for (int j = 0; j < 2; ++j) {
            found[k][j] =
                NodePath::findOrReport(m_port, root, QString::fromLatin1(j ? runs[k].ctrl : runs[k].record), false);
            if (!found[k][j])
                return false;
        }
    }
    for (int k = 0; k < 3; ++k) {
        DocumentTable &table = *runs[k].table;
        xmlNode *record = found[k][0];
        xmlNode *ctrl = found[k][1];
        if (table.storedCount() == 0) {
            xmlUnlinkNode(record);
            xmlFreeNode(record);
            xmlUnlinkNode(ctrl);
            xmlFreeNode(ctrl);
            continue;
        }
        const int sumField = table.fieldIndex(QString::fromLatin1(runs[k].sumField));
        // summed in extended precision: a sum of 17 digits keeps its grosze
        long double sum = 0;
        for (int row = 0; row < table.storedCount(); ++row)
            sum += table.floatAt(row, sumField);
        NodePath::setText(m_port, ctrl, QString::fromLatin1(runs[k].countName), QString::number(table.storedCount()),
                          false);
        NodePath::setText(m_port, ctrl, QString::fromLatin1(runs[k].sumName), NumberText::fixed(sum, 2), false);
        Stream s;
        s.depth = depthOf(record);
        s.parent = record->parent;
        s.indented = indentedUnder(record->parent);
        s.token = "tavrix-record-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + '-' +
                  QByteArray::number(k);
        xmlNode *marker = checked(xmlNewDocComment(doc, reinterpret_cast<const xmlChar *>(s.token.constData())));
        xmlReplaceNode(record, marker);
        s.templ = record;
        streams.push_back(s);
    }
    return true;
}

// The document with its markers, as text; each run's place in it found, and the runs in the
// order they stand (the template's own order).
QByteArray JpkWriter::skeletonOf(xmlDoc *doc, std::vector<Stream> &streams, std::vector<Stream *> *order)
{
    xmlChar *dumped = nullptr;
    int dumpedSize = 0;
    xmlDocDumpFormatMemoryEnc(doc, &dumped, &dumpedSize, "UTF-8", 1);
    if (!dumped)
        throw FillError{QStringLiteral("the document could not be written to memory")};
    const QByteArray skeleton(reinterpret_cast<const char *>(dumped), dumpedSize);
    xmlFree(dumped);
    for (Stream &s : streams) {
        s.at = skeleton.indexOf(QByteArray("<!--" + s.token + "-->"));
        if (s.at < 0)
            throw FillError{QStringLiteral("the place of <%1> was lost").arg(Xml::str(s.templ->name))};
        order->push_back(&s);
    }
    std::sort(order->begin(), order->end(), [](const Stream *a, const Stream *b) { return a->at < b->at; });
    return skeleton;
}

// One run's records, each filled from its row and written where the marker stood: through the
// record form made once for the run when it can be, else through a filled copy of the
// template; or why the file could not take them.
Result<> JpkWriter::writeRun(SafeFile &file, xmlDoc *doc, const Stream &s, bool ownLine, int *progress)
{
    DocumentTables &t = (*m_ws.tables);
    const QByteArray indent(s.indented ? 2 * s.depth : 0, ' ');
    const bool orders = xmlStrEqual(s.templ->name, reinterpret_cast<const xmlChar *>("Zamowienie"));
    DocumentTable &table =
        orders ? t.mt_ZAM_
               : (xmlStrEqual(s.templ->name, reinterpret_cast<const xmlChar *>("Faktura")) ? t.mt_FAK_ : t.mt_POZ_);
    if (orders) {
        *progress = 0;
        m_port->progressShow(0, table.storedCount());
    }
    const std::vector<int> plan = planFor(s.templ, table);
    const RecordForm form(s.templ, s.parent, plan, doc, s.depth, ownLine ? 1 : 0);
    const bool precompiled = !orders && form.usable();
    QByteArray record;
    // closed on every way out ("Przerwij" included); the safe file then drops its temporary
    struct CloseOutput
    {
        void operator()(xmlOutputBuffer *o) const { xmlOutputBufferClose(o); }
    };
    std::unique_ptr<xmlOutputBuffer, CloseOutput> owned(
        checked(xmlOutputBufferCreateIO(writeToSaveFile, nullptr, &file, nullptr)));
    xmlOutputBufferPtr out = owned.get();
    for (int row = 0; row < table.storedCount(); ++row) {
        m_port->progressPosition(++*progress);
        m_port->pump();
        if (ownLine) {
            if (row > 0)
                xmlOutputBufferWrite(out, 1, "\n");
            xmlOutputBufferWrite(out, int(indent.size()), indent.constData());
        }
        if (precompiled && form.write(record, table, row, &m_cleaned)) {
            xmlOutputBufferWrite(out, int(record.size()), record.constData());
        } else {
            xmlNode *copy = checked(cloneInScope(s.templ, s.parent));
            if (orders)
                fillOrder(copy, table, t.mt_ZPOZ_, row, &m_cleaned);
            else
                fillPlanned(copy, plan, table, row, &m_cleaned);
            xmlNodeDumpOutput(out, doc, copy, s.depth, ownLine ? 1 : 0, "UTF-8");
            xmlFreeNode(copy);
        }
        if (out->error)
            break;
    }
    if (xmlOutputBufferClose(owned.release()) < 0 || file.failed())
        return Failure(file.errorString().isEmpty() ? QStringLiteral("błąd zapisu") : file.errorString());
    return {};
}

JpkWriter::Outcome JpkWriter::fillAndSave(xmlDoc *doc, const QString &fileName, std::vector<Stream> &streams)
{
    Controls &c = (*m_ws.controls);
    DocumentTables &t = (*m_ws.tables);
    const QString created = timestampText(now());
    c.setText(QStringLiteral("ed_DataWytworzeniaJPK_Text"), created);
    xmlNode *root = xmlDocGetRootElement(doc);
    if (!root || !fillHeader(root, created) || !placeRuns(doc, root, streams))
        return Outcome::Failed;

    m_file = QFileInfo(fileName).absoluteFilePath();
    std::vector<Stream *> order;
    const QByteArray skeleton = skeletonOf(doc, streams, &order);

    SafeFile file(fileName);
    QString writeError;
    if (!file.open())
        writeError = file.errorString();
    m_port->progressUnit(QStringLiteral("rekordów"));
    m_port->progressShow(0, t.mt_FAK_.storedCount() + t.mt_POZ_.storedCount());
    int progress = 0;
    qsizetype from = 0;
    for (const Stream *s : order) {
        if (!writeError.isEmpty())
            break;
        const qsizetype markerSize = s->token.size() + 7;
        const qsizetype indent = s->indented ? 2 * s->depth : 0;
        // an indented marker stands on a line of its own after its indentation; each record is
        // written in its place with the same indentation
        const bool ownLine =
            s->indented && s->at - from >= indent && skeleton.mid(s->at - indent, indent) == QByteArray(indent, ' ');
        const qsizetype cut = ownLine ? s->at - indent : s->at;
        if (!writeAll(file, skeleton.mid(from, cut - from))) {
            writeError = file.errorString();
            break;
        }
        from = s->at + markerSize;
        writeError = writeRun(file, doc, *s, ownLine, &progress).reason();
    }
    if (writeError.isEmpty() && !writeAll(file, skeleton.mid(from)))
        writeError = file.errorString();
    if (writeError.isEmpty() && !file.commit())
        writeError = file.errorString();
    if (!writeError.isEmpty()) {
        file.cancel();
        m_port->failure(applicationTitle(),
                        QStringLiteral("Błąd zapisu JPK do:") + fileName + QStringLiteral("\r") + writeError);
        return Outcome::Failed;
    }
    return Outcome::Written;
}
