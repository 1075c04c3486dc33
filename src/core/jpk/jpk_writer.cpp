#include "jpk/jpk_writer.h"

#include "app/user_port.h"
#include "app/workspace.h"
#include "jpk/mn_xml.h"
#include "jpk/xml_services.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <libxml/xmlsave.h>

namespace {

const QString kTitle = QStringLiteral("Generowanie piku dla JPK_FA (4)");

// Writes libxml2's output buffer straight into the file being saved.
int writeToSaveFile(void *context, const char *buffer, int len)
{
    auto *file = static_cast<QSaveFile *>(context);
    return file->write(buffer, len) == len ? len : -1;
}

int depthOf(const xmlNode *node)
{
    int depth = 0;
    for (const xmlNode *p = node->parent; p && p->type == XML_ELEMENT_NODE; p = p->parent)
        ++depth;
    return depth;
}

struct Stream
{
    xmlNode *templ = nullptr;  // the record element, unlinked from the document
    QByteArray token;          // the comment that marks its place
    xmlNode *parent = nullptr; // where its copies stand
    int depth = 0;
};

} // namespace

namespace {

using NsMap = std::vector<std::pair<xmlNs *, xmlNs *>>;

xmlNs *mapNs(xmlNs *ns, const NsMap &map)
{
    for (const auto &[from, to] : map)
        if (from == ns)
            return to;
    return ns;  // declared above the copied element: in scope wherever the copy stands
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

bool writeAll(QSaveFile &file, const QByteArray &bytes)
{
    return file.write(bytes) == bytes.size();
}

} // namespace

JpkWriter::JpkWriter(Workspace &workspace) : m_ws(workspace), m_port(workspace.port()) {}

QString JpkWriter::timestampText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

QString JpkWriter::WartoscPolaDoJPK(const DocumentTable &table, int row, int field)
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
    case FieldType::Float:
        return mnXML::FloatText(v.toDouble(), 2);
    case FieldType::Date:
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
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
void fillChild(xmlNode *child, int field, const DocumentTable &table, int row)
{
    const QString text = field >= 0 ? JpkWriter::WartoscPolaDoJPK(table, row, field) : QString();
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

void JpkWriter::fillRecord(xmlNode *copy, const DocumentTable &table, int row)
{
    fillPlanned(copy, planFor(copy, table), table, row);
}

void JpkWriter::fillPlanned(xmlNode *copy, const std::vector<int> &plan, const DocumentTable &table, int row)
{
    // every copy has its template's children in its template's order
    size_t i = 0;
    for (xmlNode *child = copy->children; child; ++i) {
        xmlNode *next = child->next;
        fillChild(child, i < plan.size() ? plan[i] : -1, table, row);
        child = next;
    }
}

void JpkWriter::fillOrder(xmlNode *copy, const DocumentTable &orders, const DocumentTable &lines, int row)
{
    for (xmlNode *child = copy->children; child;) {
        xmlNode *next = child->next;
        if (child->type == XML_ELEMENT_NODE && Xml::localName(child) == u"ZamowienieWiersz") {
            const int idx = orders.fieldIndex(QStringLiteral("idx"));
            if (!orders.isNullAt(row, idx)) {
                for (int line : lines.rowsWithKey(DocumentTable::keyText(orders.valueAt(row, idx)))) {
                    xmlNode *filled = cloneInScope(child, copy);
                    fillRecord(filled, lines, line);
                    xmlAddPrevSibling(child, filled);
                }
            }
            xmlUnlinkNode(child);
            xmlFreeNode(child);
            break;  // the walk over the order's children ends with its lines
        }
        fillChild(child, fieldOfChild(child, orders), orders, row);
        child = next;
    }
}

bool JpkWriter::fillHeader(xmlNode *root, const QString &created)
{
    const Controls &c = m_ws.controls();
    auto text = [&](const char *key) { return c.text(QString::fromLatin1(key)); };
    xmlNode *naglowek = mnXML::FindNodeOrReport(m_port, root, QStringLiteral("Naglowek"), false);
    if (!naglowek)
        return false;
    mnXML::SetNodeTextOrRemove(m_port, naglowek, QStringLiteral("DataWytworzeniaJPK"), created);
    mnXML::SetNodeDateOrRemove(m_port, naglowek, QStringLiteral("DataOd"), c.date(QStringLiteral("ed_DataOd_Date")));
    mnXML::SetNodeDateOrRemove(m_port, naglowek, QStringLiteral("DataDo"), c.date(QStringLiteral("ed_DataDo_Date")));
    mnXML::SetNodeTextOrRemove(m_port, naglowek, QStringLiteral("KodUrzedu"), text("ed_KodUrzedu_Text"));

    xmlNode *podmiot = mnXML::FindNodeOrReport(m_port, root, QStringLiteral("Podmiot1"), false);
    if (!podmiot)
        return false;
    xmlNode *ident = mnXML::FindNodeOrReport(m_port, podmiot, QStringLiteral("IdentyfikatorPodmiotu"), false);
    if (!ident)
        return false;
    for (const char *name : {"NIP", "EUPLVATID", "IMPLVATID", "PelnaNazwa"})
        mnXML::SetNodeTextOrRemove(m_port, ident, QString::fromLatin1(name),
                                   c.text(QStringLiteral("ed_%1_Text").arg(QString::fromLatin1(name))));
    xmlNode *adres = mnXML::FindNodeOrReport(m_port, podmiot, QStringLiteral("AdresPodmiotu"), false);
    if (!adres)
        return false;
    for (const char *name :
         {"KodKraju", "Wojewodztwo", "Powiat", "Gmina", "Ulica", "NrDomu", "NrLokalu", "Miejscowosc", "KodPocztowy"})
        mnXML::SetNodeTextOrRemove(m_port, adres, QString::fromLatin1(name),
                                   c.text(QStringLiteral("ed_%1_Text").arg(QString::fromLatin1(name))));
    return true;
}

JpkWriter::Outcome JpkWriter::generate()
{
    Controls &c = m_ws.controls();
    DocumentTables &t = m_ws.tables();
    const QString name = c.text(QStringLiteral("fn_JPK_Text"));
    if (name.isEmpty())
        return Outcome::EmptyName;
    if (QFileInfo::exists(name)
        && !m_port->question(kTitle, QStringLiteral("Plik o podanej nazwie %1 istnieje, wymienić go na nowy (nadpisać) ?").arg(name)))
        return Outcome::Declined;

    XmlError parseError;
    XmlDocPtr doc = Xml::parseText(m_ws.Memo_JPK(), &parseError);
    if (!doc) {
        m_port->info(applicationTitle(), QStringLiteral("Błąd załadowania wzorca XML\r") + parseError.reason
                                             + QStringLiteral("\r\nLine: ") + QString::number(parseError.line));
        return Outcome::Failed;
    }
    xmlFree(const_cast<xmlChar *>(doc->encoding));
    doc->encoding = xmlStrdup(reinterpret_cast<const xmlChar *>("UTF-8"));

    std::vector<Stream> streams;
    auto cleanup = [&] {
        for (Stream &s : streams)
            xmlFreeNode(s.templ);
        m_port->progressHide();
        t.PolaczPozycjeZFakturami();
        t.resumeViews();
    };
    t.lineLinkOff();
    t.suspendViews();

    const QString created = timestampText(now());
    c.setText(QStringLiteral("ed_DataWytworzeniaJPK_Text"), created);
    xmlNode *root = xmlDocGetRootElement(doc.get());
    if (!root || !fillHeader(root, created)) {
        cleanup();
        return Outcome::Failed;
    }
    const char *mainNames[] = {"Faktura", "FakturaCtrl", "FakturaWiersz", "FakturaWierszCtrl", "Zamowienie", "ZamowienieCtrl"};
    xmlNode *main[6];
    for (int i = 0; i < 6; ++i) {
        main[i] = mnXML::FindNodeOrReport(m_port, root, QString::fromLatin1(mainNames[i]), false);
        if (!main[i]) {
            cleanup();
            return Outcome::Failed;
        }
    }

    // Control blocks: counts and sums over whole tables, in table order, rounded once.
    DocumentTable *tables[3] = {&t.mt_FAK_, &t.mt_POZ_, &t.mt_ZAM_};
    const char *sumFields[3] = {"P_15", "P_11", "WartoscZamowienia"};
    const char *countNames[3] = {"LiczbaFaktur", "LiczbaWierszyFaktur", "LiczbaZamowien"};
    const char *sumNames[3] = {"WartoscFaktur", "WartoscWierszyFaktur", "WartoscZamowien"};
    for (int k = 0; k < 3; ++k) {
        DocumentTable &table = *tables[k];
        xmlNode *record = main[2 * k];
        xmlNode *ctrl = main[2 * k + 1];
        if (table.storedCount() == 0) {
            xmlUnlinkNode(record);
            xmlFreeNode(record);
            xmlUnlinkNode(ctrl);
            xmlFreeNode(ctrl);
            continue;
        }
        const int sumField = table.fieldIndex(QString::fromLatin1(sumFields[k]));
        double sum = 0;
        for (int row = 0; row < table.storedCount(); ++row)
            sum += table.floatAt(row, sumField);
        mnXML::SetNodeText(m_port, ctrl, QString::fromLatin1(countNames[k]), QString::number(table.storedCount()), false);
        mnXML::SetNodeFloat(m_port, ctrl, QString::fromLatin1(sumNames[k]), 2, sum);
        // The record element gives way to a marker where its filled copies will stand.
        Stream s;
        s.depth = depthOf(record);
        s.parent = record->parent;
        s.token = "tavrix-record-" + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + '-'
                  + QByteArray::number(k);
        xmlNode *marker = xmlNewDocComment(doc.get(), reinterpret_cast<const xmlChar *>(s.token.constData()));
        xmlReplaceNode(record, marker);
        s.templ = record;
        streams.push_back(s);
    }

    // Save: the file name corrected, then the document with its records streamed in.
    const QString fileName = fn_JPKExit(m_port, name);
    c.setText(QStringLiteral("fn_JPK_Text"), fileName);
    m_file = fileName;
    xmlChar *dumped = nullptr;
    int dumpedSize = 0;
    xmlDocDumpFormatMemoryEnc(doc.get(), &dumped, &dumpedSize, "UTF-8", 1);
    const QByteArray skeleton(reinterpret_cast<const char *>(dumped), dumpedSize);
    xmlFree(dumped);

    QSaveFile file(fileName);
    QString writeError;
    if (!file.open(QIODevice::WriteOnly))
        writeError = file.errorString();
    const int total = t.mt_FAK_.storedCount() + t.mt_POZ_.storedCount();
    m_port->progressShow(0, total);
    int progress = 0;
    qsizetype from = 0;
    for (const Stream &s : streams) {
        if (!writeError.isEmpty())
            break;
        const QByteArray marker = "<!--" + s.token + "-->";
        const qsizetype at = skeleton.indexOf(marker, from);
        const QByteArray indent(2 * s.depth, ' ');
        // the line of the marker holds its indentation; each record is written in its place
        if (!writeAll(file, skeleton.mid(from, at - indent.size() - from))) {
            writeError = file.errorString();
            break;
        }
        from = at + marker.size();

        const bool orders = xmlStrEqual(s.templ->name, reinterpret_cast<const xmlChar *>("Zamowienie"));
        DocumentTable &table = orders ? t.mt_ZAM_ : (xmlStrEqual(s.templ->name, reinterpret_cast<const xmlChar *>("Faktura")) ? t.mt_FAK_ : t.mt_POZ_);
        if (orders) {
            progress = 0;
            m_port->progressShow(0, table.storedCount());
        }
        const std::vector<int> plan = planFor(s.templ, table);
        xmlOutputBufferPtr out = xmlOutputBufferCreateIO(writeToSaveFile, nullptr, &file, nullptr);
        for (int row = 0; row < table.storedCount(); ++row) {
            m_port->progressPosition(++progress);
            m_port->processEvents();
            xmlNode *copy = cloneInScope(s.templ, s.parent);
            if (orders)
                fillOrder(copy, table, t.mt_ZPOZ_, row);
            else
                fillPlanned(copy, plan, table, row);
            if (row > 0)
                xmlOutputBufferWrite(out, 1, "\n");
            xmlOutputBufferWrite(out, int(indent.size()), indent.constData());
            xmlNodeDumpOutput(out, doc.get(), copy, s.depth, 1, "UTF-8");
            xmlFreeNode(copy);
            if (out->error)
                break;
        }
        if (xmlOutputBufferClose(out) < 0 || file.error() != QFileDevice::NoError)
            writeError = file.errorString().isEmpty() ? QStringLiteral("write error") : file.errorString();
    }
    if (writeError.isEmpty() && !writeAll(file, skeleton.mid(from)))
        writeError = file.errorString();
    if (writeError.isEmpty() && !file.commit())
        writeError = file.errorString();
    if (!writeError.isEmpty()) {
        file.cancelWriting();
        cleanup();
        m_port->info(applicationTitle(), QStringLiteral("Błąd zapisu JPK do:") + fileName + QStringLiteral("\r") + writeError);
        return Outcome::Failed;
    }
    cleanup();
    if (c.checked(QStringLiteral("chb_Weryfikuj_Checked")))
        m_ws.WeryfikujPlikJPK(fileName);
    else
        m_port->info(applicationTitle(), QStringLiteral("Utworzono plik JPK_FA \r") + fileName);
    return Outcome::Written;
}

QString fn_JPKExit(UserPort *port, const QString &text)
{
    const qsizetype cut = std::max(text.lastIndexOf(u'/'), text.lastIndexOf(u'\\'));
    const QString folder = text.left(cut + 1);
    const QString old = text.mid(cut + 1);
    const qsizetype dot = old.lastIndexOf(u'.');
    QString name = (dot >= 0 ? old.left(dot) : old) + QStringLiteral(".xml");
    bool changed = false;
    while (name.size() < 5) {
        name.prepend(u'x');
        changed = true;
    }
    while (name.size() > 55) {
        name.remove(0, 1);
        changed = true;
    }
    for (QChar &ch : name) {
        const char16_t u = ch.unicode();
        const bool ok = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'_'
                        || u == u'.' || u == u'-';
        if (!ok) {
            ch = u'_';
            changed = true;
        }
    }
    if (changed && port)
        port->info(applicationTitle(), QStringLiteral("Skorygowano nazwę pliku na zgodną z XSD:\r\n"
                                                      "<xs:pattern value=\"[a-zA-Z0-9_\\.\\-]{5,55}\"/>\r\n"
                                                      "było:")
                                           + old + QStringLiteral("\r\njest:") + name);
    return folder + name;
}
