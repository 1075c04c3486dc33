#include "ksef/ksef_import.h"

#include "base/busy.h"
#include "base/characters.h"
#include "base/controls.h"
#include "base/program_files.h"
#include "base/user_port.h"
#include "base/xml_services.h"
#include "ksef/ksef_mapping.h"
#include "ksef/ksef_sources.h"
#include "ksef/polish_address.h"
#include "tables/document_tables.h"
#include "validate/validator.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <libxml/parser.h>
#include <libxml/xmlschemas.h>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

using KsefMapping::How;
using KsefMapping::Level;

namespace {

const char *const kSchemaFiles[2] = {"schemat_FA(3)_v1-0E.xsd", "schemat_FA(2)_v1-0E.xsd"};
const char *const kNamespaces[2] = {KsefMapping::kFa3Namespace, KsefMapping::kFa2Namespace};

// A tax identifier compared as the offices write it: no spaces or dashes, capitals.
QString identifier(const QString &text)
{
    QString id;
    for (const QChar c : text)
        if (c.isLetterOrNumber())
            id += c.toUpper();
    return id;
}

bool toNumber(const QString &text, double *value)
{
    const QByteArray bytes = text.toLatin1();
    const char *end = bytes.constData() + bytes.size();
    const auto [at, ec] = std::from_chars(bytes.constData(), end, *value);
    return ec == std::errc() && at == end;
}

// The first error of a schema validation.
struct FirstError
{
    QString text;
    static void take(void *data, xmlErrorPtr error)
    {
        auto *self = static_cast<FirstError *>(data);
        if (!self->text.isEmpty() || !error || error->level < XML_ERR_ERROR)
            return;
        self->text = QStringLiteral("wiersz %1: %2").arg(error->line).arg(QString::fromUtf8(error->message).trimmed());
    }
};

QString firstElementText(xmlNode *node)
{
    for (xmlNode *c = node ? node->children : nullptr; c; c = c->next)
        if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE)
            return Xml::str(c->content);
    return QString();
}

bool hasElementChildren(const xmlNode *node)
{
    for (const xmlNode *c = node->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE)
            return true;
    return false;
}

// One thread kept for a whole import, running one job at a time: a thread made for every batch
// costs its stack's pages and a new malloc arena each time.
class HelperThread
{
public:
    HelperThread() : m_thread([this] { loop(); }) {}
    ~HelperThread()
    {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    HelperThread(const HelperThread &) = delete;
    HelperThread &operator=(const HelperThread &) = delete;

    // Starts a job; the one before must have been waited for.
    void start(std::function<void()> job)
    {
        {
            std::lock_guard lock(m_mutex);
            m_job = std::move(job);
            m_busy = true;
        }
        m_wake.notify_all();
    }
    // Waits for the running job, if any; its exception, if it raised one, is raised here.
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [this] { return !m_busy; });
        if (m_failed)
            std::rethrow_exception(std::exchange(m_failed, nullptr));
    }

private:
    void loop()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_busy; });
            if (m_stop)
                return;
            std::function<void()> job = std::move(m_job);
            lock.unlock();
            std::exception_ptr failed;
            try {
                job();
            } catch (...) {
                failed = std::current_exception();
            }
            lock.lock();
            m_failed = failed;
            m_busy = false;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::function<void()> m_job;
    std::exception_ptr m_failed;
    bool m_busy = false, m_stop = false;
    std::thread m_thread; // last: it starts when everything above is ready
};

} // namespace

// One e-invoice as its fields will go into the tables.
struct KsefImport::Invoice
{
    using Values = QHash<int, QVariant>;
    struct Line
    {
        Values values;
        bool before = false; // the line as it stood before the correction
        QDate date;          // P_6A
    };
    QString number;
    QString sellerId;
    QString sellerName;
    QString sellerCountry;
    QStringList sellerAddress;
    Values invoice;
    Values order;
    bool hasOrder = false;
    std::vector<Line> lines;
    std::vector<Line> orderLines;
    QHash<int, QStringList> addresses;  // field → AdresL1, AdresL2
    QHash<int, QString> countries;      // field → KodKraju
    QHash<QString, QString> authorized; // PodmiotUpowazniony: path → text (the address lines joined)
    QStringList advanceKsef;            // the KSeF numbers of advance invoices
    QMap<QString, int> unmapped;
};

KsefImport::KsefImport(const WorkContext &context) : m_ws(context), m_port(context.port) {}

KsefImport::~KsefImport()
{
    for (xmlSchemaPtr schema : m_schemas)
        if (schema)
            xmlSchemaFree(schema);
}

xmlSchemaPtr KsefImport::schemaFor(int structure, QString *failure)
{
    if (!m_schemaTried[structure]) {
        m_schemaTried[structure] = true;
        const QString file = ProgramFiles::ksefSchema(m_ws.homeDir, QString::fromLatin1(kSchemaFiles[structure]));
        if (file.isEmpty()) {
            m_schemaFailure[structure] = QStringLiteral("brak schematu %1 w folderze schemas/ksef")
                                             .arg(QString::fromLatin1(kSchemaFiles[structure]));
        } else {
            m_schemas[structure] = compileSchemaFile(m_ws.homeDir, file, &m_schemaFailure[structure], m_port);
        }
    }
    *failure = m_schemaFailure[structure];
    return m_schemas[structure];
}

// An element's name appended to a path: e-invoice names are ASCII, read as such without a copy;
// any other name is decoded.
static void appendName(QString &path, const xmlChar *name)
{
    const char *text = reinterpret_cast<const char *>(name);
    const size_t size = std::strlen(text);
    if (std::all_of(text, text + size, [](char c) { return uchar(c) < 0x80; }))
        path.append(QLatin1StringView(text, qsizetype(size)));
    else
        path.append(QString::fromUtf8(text, qsizetype(size)));
}

void KsefImport::collect(xmlNode *node, QString &path, int level, Invoice &invoice) const
{
    // one buffer for the whole walk: each element's path is the parent's plus its name, cut
    // back when the element is done
    const qsizetype base = path.size();
    for (xmlNode *child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE)
            continue;
        path.truncate(base);
        if (base > 0)
            path.append(u'/');
        const qsizetype nameAt = path.size();
        appendName(path, child->name);
        const QString &childPath = path;
        if (level == int(Level::Invoice)) {
            if (childPath == u"Naglowek")
                continue; // the file's own header: the structure and when it was made
            if (childPath == u"Fa/FaWiersz") {
                invoice.lines.emplace_back();
                QString linePath;
                collect(child, linePath, int(Level::Line), invoice);
                continue;
            }
            if (childPath == u"Fa/Zamowienie/ZamowienieWiersz") {
                invoice.hasOrder = true;
                invoice.orderLines.emplace_back();
                QString linePath;
                collect(child, linePath, int(Level::OrderLine), invoice);
                continue;
            }
        }
        if (hasElementChildren(child)) {
            collect(child, path, level, invoice);
            continue;
        }
        const QString text = firstElementText(child).trimmed();
        if (text.isEmpty())
            continue;
        const KsefMapping::Row *row = KsefMapping::find(Level(level), childPath);
        if (!row) {
            const QString where = level == int(Level::Line)        ? QStringLiteral("Fa/FaWiersz/")
                                  : level == int(Level::OrderLine) ? QStringLiteral("Fa/Zamowienie/ZamowienieWiersz/")
                                                                   : QString();
            ++invoice.unmapped[where + childPath];
            continue;
        }
        if (row->how == How::Known)
            continue;
        noteIdentity(childPath, text, invoice);
        storeLeaf(*row, QStringView(path).mid(nameAt), childPath, text, level, invoice);
    }
    path.truncate(base);
}

void KsefImport::noteIdentity(const QString &path, const QString &text, Invoice &invoice)
{
    if (path == u"Fa/P_2")
        invoice.number = text;
    else if (path == u"Podmiot1/DaneIdentyfikacyjne/NIP")
        invoice.sellerId = identifier(text);
    else if (path == u"Podmiot1/DaneIdentyfikacyjne/Nazwa")
        invoice.sellerName = text;
    else if (path == u"Podmiot1/Adres/KodKraju")
        invoice.sellerCountry = text;
    else if (path.startsWith(u"Podmiot1/Adres/AdresL"))
        invoice.sellerAddress << text;
}

void KsefImport::storeLeaf(const KsefMapping::Row &row, QStringView local, const QString &childPath,
                           const QString &text, int level, Invoice &invoice) const
{
    DocumentTable &table = *m_ws.tables->table(row.table);
    const int field = table.fieldIndex(QString::fromLatin1(row.field));
    Invoice::Line *line = level == int(Level::Line)        ? &invoice.lines.back()
                          : level == int(Level::OrderLine) ? &invoice.orderLines.back()
                                                           : nullptr;
    Invoice::Values &values = line ? line->values : row.table == TableKind::ZAM ? invoice.order : invoice.invoice;
    if (row.table == TableKind::ZAM)
        invoice.hasOrder = true;
    switch (row.how) {
    case How::Known:
        break;
    case How::Text:
        values.insert(field, text);
        break;
    case How::Date:
        if (!values.contains(field)) {
            const QDate date = QDate::fromString(text, Qt::ISODate);
            if (date.isValid())
                values.insert(field, date);
            else
                ++invoice.unmapped[childPath + QStringLiteral(" (nie data)")];
        }
        break;
    case How::Amount: {
        double x = 0;
        if (toNumber(text, &x))
            values.insert(field, values.value(field).toDouble() + x);
        else
            ++invoice.unmapped[childPath + QStringLiteral(" (nie liczba)")];
        break;
    }
    case How::Flag:
        if (text == u"1" || text == u"2")
            values.insert(field, text == u"1");
        break;
    case How::FlagNo:
        if (text == u"1") {
            values.insert(field, false);
            if (local == u"P_PMarzyN")
                values.insert(table.fieldIndex(QStringLiteral("P_106E_2")), false);
        }
        break;
    case How::Kind: {
        const QString kind = KsefMapping::kind(text);
        values.insert(field, kind.isEmpty() ? text : kind);
        break;
    }
    case How::Rate:
        values.insert(field, KsefMapping::rate(text));
        break;
    case How::Joined: {
        const QString before = values.value(field).toString();
        values.insert(field, before.isEmpty() ? text : before + QStringLiteral(", ") + text);
        break;
    }
    case How::Address:
        invoice.addresses[field] << text;
        break;
    case How::Country:
        invoice.countries.insert(field, text);
        break;
    case How::MarginKind:
        values.insert(field, true);
        values.insert(table.fieldIndex(QStringLiteral("P_106E_3A")), KsefMapping::marginWords(local.toString()));
        break;
    case How::Before:
        line->before = text == u"1";
        break;
    case How::LineDate:
        line->date = QDate::fromString(text, Qt::ISODate);
        if (!line->date.isValid())
            ++invoice.unmapped[QStringLiteral("Fa/FaWiersz/P_6A (nie data)")];
        break;
    case How::Authorized: {
        QString &stored = invoice.authorized[childPath];
        stored = stored.isEmpty() ? text : stored + QStringLiteral(", ") + text;
        break;
    }
    case How::AdvanceKsef: {
        invoice.advanceKsef << text;
        const QString before = values.value(field).toString();
        values.insert(field, before.isEmpty() ? text : before + QStringLiteral(", ") + text);
        break;
    }
    }
}

void KsefImport::complete(Invoice &invoice) const
{
    const DocumentTable &fak = m_ws.tables->mt_FAK_;
    auto f = [&fak](const char *name) { return fak.fieldIndex(QString::fromLatin1(name)); };
    Invoice::Values &v = invoice.invoice;

    // reverse charge (and the taxi flat rate) carry their tax, "0" for reverse charge
    if (v.contains(f("P_13_4")) && !v.contains(f("P_14_4")))
        v.insert(f("P_14_4"), 0.0);

    // the date of sale: the lines' own date when they all agree and the invoice has none
    const int p6 = f("P_6");
    std::vector<QDate> dates;
    for (const Invoice::Line &line : invoice.lines)
        if (line.date.isValid())
            dates.push_back(line.date);
    const bool allAgree = !dates.empty() && dates.size() == invoice.lines.size() &&
                          std::all_of(dates.begin(), dates.end(), [&](const QDate &d) { return d == dates.front(); });
    if (allAgree && !v.contains(p6))
        v.insert(p6, dates.front());
    else if (!dates.empty())
        invoice.unmapped[QStringLiteral("Fa/FaWiersz/P_6A")] += int(dates.size());

    // the authorised party: its role says whose fields it fills
    const QHash<QString, QString> &a = invoice.authorized;
    if (!a.isEmpty()) {
        const QString role = a.value(QStringLiteral("PodmiotUpowazniony/RolaPU"));
        const bool representative = KsefMapping::isTaxRepresentative(role);
        if (role != u"1" && role != u"2" && !representative) {
            for (auto it = a.cbegin(); it != a.cend(); ++it)
                ++invoice.unmapped[it.key()];
        } else {
            v.insert(f(representative ? "P_21" : "P_20"), true);
            const QString name = a.value(QStringLiteral("PodmiotUpowazniony/DaneIdentyfikacyjne/Nazwa"));
            if (!name.isEmpty())
                v.insert(f(representative ? "P_21A" : "P_20A"), name);
            const QString lines = a.value(QStringLiteral("PodmiotUpowazniony/Adres/AdresL1"));
            const QString second = a.value(QStringLiteral("PodmiotUpowazniony/Adres/AdresL2"));
            const int address = f(representative ? "P_21B" : "P_20B");
            if (!lines.isEmpty())
                invoice.addresses[address] << lines;
            if (!second.isEmpty())
                invoice.addresses[address] << second;
            const QString country = a.value(QStringLiteral("PodmiotUpowazniony/Adres/KodKraju"));
            if (!country.isEmpty())
                invoice.countries.insert(address, country);
            const QString nip = a.value(QStringLiteral("PodmiotUpowazniony/DaneIdentyfikacyjne/NIP"));
            if (representative && !nip.isEmpty())
                v.insert(f("P_21C"), nip);
            else if (!nip.isEmpty())
                ++invoice.unmapped[QStringLiteral("PodmiotUpowazniony/DaneIdentyfikacyjne/NIP")];
        }
    }
}

void KsefImport::adoptSeller(const Invoice &invoice)
{
    // the header of an empty workspace takes the seller of the first invoice
    Controls &c = *m_ws.controls;
    auto fill = [&](const char *field, const QString &value) {
        const QString key = Controls::headerControlKey(QString::fromLatin1(field));
        if (!value.isEmpty() && c.text(key).isEmpty())
            c.setText(key, value);
    };
    fill("NIP", invoice.sellerId);
    fill("PelnaNazwa", invoice.sellerName);
    fill("KodKraju", invoice.sellerCountry);
    // "ul. Marszałkowska 12/3" and "00-001 Warszawa": street, house and flat, code and town
    const PolishAddress address = parsePolishAddress(invoice.sellerAddress);
    fill("Ulica", address.street);
    fill("NrDomu", address.house);
    fill("NrLokalu", address.flat);
    fill("KodPocztowy", address.postalCode);
    fill("Miejscowosc", address.town);
}

void KsefImport::append(const Invoice &invoice)
{
    DocumentTables &t = *m_ws.tables;
    auto write = [&](DocumentTable &table, const Invoice::Values &values, bool storno) {
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            const FieldDef &def = table.fields().at(it.key());
            QVariant value = it.value();
            if (def.type == FieldType::String && Characters::longerThan(value.toString(), def.size)) {
                m_summary.cut << Characters::cutNote(invoice.number, def.name, value.toString(), def.size);
            }
            if (storno && def.type == FieldType::Float && KsefMapping::negatedInStorno(table.kind(), def.name))
                value = -value.toDouble();
            table.setNew(it.key(), value);
        }
    };
    Invoice::Values head = invoice.invoice;
    for (auto it = invoice.addresses.cbegin(); it != invoice.addresses.cend(); ++it) {
        QString address = it.value().join(QStringLiteral(", "));
        const QString country = invoice.countries.value(it.key());
        if (!country.isEmpty() && country != u"PL")
            address += QStringLiteral(", ") + country;
        head.insert(it.key(), address);
    }
    t.mt_FAK_.beginAppend();
    write(t.mt_FAK_, head, false);
    t.mt_FAK_.commitAppend();
    if (!invoice.advanceKsef.isEmpty())
        m_advanceRows.push_back({t.mt_FAK_.lastAppendedRow(), invoice.advanceKsef});
    const int p2b = t.mt_POZ_.fieldIndex(QStringLiteral("P_2B"));
    for (const Invoice::Line &line : invoice.lines) {
        t.mt_POZ_.beginAppend();
        t.mt_POZ_.setNew(p2b, invoice.number);
        write(t.mt_POZ_, line.values, line.before);
        t.mt_POZ_.commitAppend();
    }
    if (invoice.hasOrder) {
        t.mt_ZAM_.beginAppend();
        t.mt_ZAM_.setNew(QStringLiteral("P_2AZ"), invoice.number);
        write(t.mt_ZAM_, invoice.order, false);
        t.mt_ZAM_.commitAppend();
        for (const Invoice::Line &line : invoice.orderLines) {
            t.mt_ZPOZ_.beginAppend(); // the order it belongs to is the one just added
            write(t.mt_ZPOZ_, line.values, line.before);
            t.mt_ZPOZ_.commitAppend();
        }
    }
}

// The KSeF numbers of advance invoices become their own numbers where this import met the
// advance invoice itself under its KSeF name (a package downloaded from KSeF names each file so).
void KsefImport::resolveAdvanceNumbers()
{
    DocumentTable &fak = m_ws.tables->mt_FAK_;
    const int field = fak.fieldIndex(QStringLiteral("NrFaZaliczkowej"));
    for (const auto &[row, ksefNumbers] : m_advanceRows) {
        QStringList parts = fak.stringAt(row, field).split(QStringLiteral(", "));
        bool changed = false;
        for (QString &part : parts) {
            const QString own = ksefNumbers.contains(part) ? m_byKsefNumber.value(part) : QString();
            if (!own.isEmpty()) {
                part = own;
                changed = true;
            }
        }
        if (changed)
            fak.setStoredValue(row, field, parts.join(QStringLiteral(", ")));
    }
    m_advanceRows.clear();
}

struct KsefImport::Prepared
{
    Outcome outcome = Outcome::Imported; // Invalid or NotInvoice when the file ends here
    QString reason;
    Invoice invoice;
};

struct KsefImport::Batch
{
    std::vector<std::pair<QString, QByteArray>> files;
    std::vector<QString> readErrors; // per file: why it could not be read
    std::vector<Prepared> prepared;
};

int KsefImport::defaultThreads()
{
    // TAVRIX_THREADS=1 keeps the work on one thread (a machine shared with other work)
    bool given = false;
    const int asked = qEnvironmentVariableIntValue("TAVRIX_THREADS", &given);
    if (given && asked >= 1)
        return std::min(asked, 2);
    return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

KsefImport::Prepared KsefImport::prepare(const QString &name, const QByteArray &bytes) const
{
    Prepared p;
    auto refuse = [&p](Outcome outcome, const QString &reason) {
        p.outcome = outcome;
        p.reason = reason;
        return std::move(p);
    };
    XmlError error;
    XmlDocPtr doc = Xml::parseBytes(bytes, name, &error);
    if (!doc)
        return refuse(Outcome::Invalid, error.line > 0
                                            ? QStringLiteral("wiersz %1: %2").arg(error.line).arg(error.reason)
                                            : error.reason);
    if (doc->intSubset)
        return refuse(Outcome::Invalid, QString::fromUtf8(Xml::kDtdRefused));
    xmlNode *root = xmlDocGetRootElement(doc.get());
    const QString ns = root && root->ns ? Xml::str(root->ns->href) : QString();
    int structure = -1;
    for (int s = 0; s < 2; ++s)
        if (ns == QLatin1String(kNamespaces[s]))
            structure = s;
    if (structure < 0 || Xml::str(root->name) != u"Faktura")
        return refuse(Outcome::NotInvoice, QString());
    // the schemas were compiled before the first file; a compiled schema serves any number
    // of validations at once, each with its own context
    if (validate && m_schemas[structure]) {
        FirstError first;
        xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(m_schemas[structure]);
        if (!valid)
            return refuse(Outcome::Invalid, QStringLiteral("the validator could not be created"));
        xmlSchemaSetValidStructuredErrors(valid, FirstError::take, &first);
        const int status = xmlSchemaValidateDoc(valid, doc.get());
        xmlSchemaFreeValidCtxt(valid);
        if (status != 0)
            return refuse(Outcome::Invalid, first.text.isEmpty() ? QStringLiteral("niezgodny ze schemą") : first.text);
    }
    QString path;
    collect(root, path, int(Level::Invoice), p.invoice);
    if (p.invoice.number.isEmpty())
        return refuse(Outcome::Invalid, QStringLiteral("brak numeru faktury (P_2)"));
    complete(p.invoice);
    return p;
}

void KsefImport::prepareBatch(Batch &batch) const
{
    batch.prepared.clear();
    batch.prepared.resize(batch.files.size());
    for (size_t i = 0; i < batch.files.size(); ++i)
        if (batch.readErrors[i].isEmpty())
            batch.prepared[i] = prepare(batch.files[i].first, batch.files[i].second);
}

KsefImport::Outcome KsefImport::commit(const QString &name, Prepared &prepared, QString *reason)
{
    if (prepared.outcome != Outcome::Imported) {
        *reason = prepared.reason;
        return prepared.outcome;
    }
    Invoice &invoice = prepared.invoice;
    // a package downloaded from KSeF names each file by the invoice's KSeF number
    static const QRegularExpression ksefName(
        QStringLiteral(R"((?:^|[/\\: ])(\d{10}-\d{8}-[0-9A-F]{6}-?[0-9A-F]{6}-[0-9A-F]{2})\.xml$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch k = ksefName.match(name);
    if (k.hasMatch())
        m_byKsefNumber.insert(k.captured(1).toUpper(), invoice.number);
    Controls &c = *m_ws.controls;
    const QString nipKey = Controls::headerControlKey(QStringLiteral("NIP"));
    if (identifier(c.text(nipKey)).isEmpty()) {
        adoptSeller(invoice);
        m_summary.headerFrom = invoice.number;
    }
    if (invoice.sellerId != identifier(c.text(nipKey)))
        return Outcome::OtherSeller;
    if (m_numbers.contains(invoice.number)) {
        m_summary.duplicates << QStringLiteral("%1 (%2)").arg(name, invoice.number);
        return Outcome::Duplicate;
    }
    append(invoice);
    m_numbers.insert(invoice.number);
    for (auto it = invoice.unmapped.cbegin(); it != invoice.unmapped.cend(); ++it)
        m_summary.unmapped[it.key()] += it.value();
    return Outcome::Imported;
}

bool KsefImport::run(const QString &path)
{
    BusyScope busy(*m_ws.busy);
    xmlInitParser(); // once, here, before any thread parses
    m_summary = Summary();
    DocumentTables &t = *m_ws.tables;
    // the invoice numbers already in the table: the same invoice is never added twice
    m_numbers.clear();
    const int p2a = t.mt_FAK_.fieldIndex(QStringLiteral("P_2A"));
    for (int row = 0; row < t.mt_FAK_.storedCount(); ++row)
        m_numbers.insert(t.mt_FAK_.stringAt(row, p2a));

    // a check asked for that cannot run stops the step before anything goes in
    if (validate) {
        for (int structure = 0; structure < 2; ++structure) {
            QString failure;
            if (!schemaFor(structure, &failure)) {
                m_port->failure(applicationTitle(),
                                QStringLiteral("E-faktur nie można sprawdzić ze schemą: %1.\r\nNic nie zaimportowano; "
                                               "import bez sprawdzania: opcja „bez schemy” (no-schema).")
                                    .arg(failure));
                return false;
            }
        }
    }
    const bool headerWasEmpty =
        identifier(m_ws.controls->text(Controls::headerControlKey(QStringLiteral("NIP")))).isEmpty();
    m_port->progressUnit(QStringLiteral("plików"));
    t.suspendViews();
    auto begin = [this](qint64 total) {
        m_port->progressShow(0, int(std::clamp<qint64>(total, 0, std::numeric_limits<int>::max())));
    };
    // The files are prepared a batch at a time on the threads, then go into the tables one by
    // one in their order: the result is the same whatever the number of threads.
    constexpr size_t kBatch = 64;
    auto commitBatch = [&](Batch &batch) {
        for (size_t k = 0; k < batch.files.size(); ++k) {
            ++m_summary.read;
            m_port->progressPosition(m_summary.read);
            m_port->pump();
            const QString &name = batch.files[k].first;
            QString reason = batch.readErrors[k];
            if (!reason.isEmpty())
                ++m_summary.unreadable; // a file or folder that could not be read fails the step
            const Outcome outcome = reason.isEmpty() ? commit(name, batch.prepared[k], &reason) : Outcome::Invalid;
            switch (outcome) {
            case Outcome::Imported:
                ++m_summary.imported;
                break;
            case Outcome::OtherSeller:
                ++m_summary.otherSeller;
                break;
            case Outcome::Duplicate:
                ++m_summary.duplicate;
                break;
            case Outcome::Invalid:
                ++m_summary.invalid;
                m_summary.problems << name + QStringLiteral(": ") + reason;
                break;
            case Outcome::NotInvoice:
                ++m_summary.notInvoice;
                m_summary.notInvoices << name;
                break;
            }
        }
    };
    // A pipeline of batches: while this thread reads (inflates) the next batch and puts the one
    // before into the tables, the helper prepares the batch between them. The batches go in
    // in their order, so the result is the same on one thread. What the helper made, it frees:
    // memory freed on another thread than the one that took it waits for that thread's lock.
    Batch gathering, inFlight, spent, done; // done: put in last time, freed by the helper's next job
    std::optional<HelperThread> helper;
    if (threads > 1)
        helper.emplace();
    auto handOff = [&] {
        if (helper)
            helper->wait();
        spent = std::move(done);
        Batch ready = std::move(inFlight);
        inFlight = std::move(gathering);
        gathering = Batch();
        if (!helper) {
            prepareBatch(inFlight);
            commitBatch(ready);
            return;
        }
        // this thread does not take files from the helper: an invoice made on one thread and
        // freed on the other costs more in the allocator's locks than the work shared saves
        helper->start([this, &inFlight, &spent] {
            spent = Batch();
            prepareBatch(inFlight);
        });
        commitBatch(ready);
        done = std::move(ready);
    };
    QStringList skippedFiles;
    const QString sourceError =
        KsefSources::read(path, recursive, &skippedFiles, begin, [&](const KsefSources::Document &d) {
            // a file that could not be read is not prepared: its reason stands for it
            gathering.files.emplace_back(d.name, d.error.isEmpty() ? d.bytes : QByteArray());
            gathering.readErrors.push_back(d.error);
            if (gathering.files.size() >= kBatch)
                handOff();
            else if (gathering.files.size() % 8 == 0)
                m_port->pump(); // reading a package's files keeps the window answering
            return !(m_ws.closing && m_ws.closing());
        });
    handOff(); // the last batch read goes to the helper, the one before it in
    if (helper)
        helper->wait();
    commitBatch(inFlight);
    // a file that is not .xml was met too, and skipped
    m_summary.read += int(skippedFiles.size());
    m_summary.notInvoice += int(skippedFiles.size());
    m_summary.notInvoices << skippedFiles;
    resolveAdvanceNumbers();
    m_port->progressHide();
    t.resumeViews();
    t.linkLinesToInvoices();
    if (headerWasEmpty && !m_summary.headerFrom.isEmpty())
        m_summary.headerToFill = emptyHeaderFields();

    if (!sourceError.isEmpty()) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd odczytu e-faktur:\r") + sourceError);
        return false;
    }
    const bool anyRead = m_summary.imported + m_summary.otherSeller + m_summary.duplicate > 0;
    if (m_summary.unreadable > 0) {
        m_port->failure(applicationTitle(), report());
        return false;
    }
    if (anyRead)
        m_port->info(applicationTitle(), report());
    else
        m_port->failure(applicationTitle(), report());
    return anyRead;
}

QStringList KsefImport::emptyHeaderFields() const
{
    // what a JPK_FA(4) header needs and an e-invoice does not carry (or did not give)
    const std::pair<const char *, const char *> needed[] = {
        {"KodUrzedu", "kod urzędu"},    {"DataOd", "okres od"},         {"DataDo", "okres do"},
        {"Wojewodztwo", "województwo"}, {"Powiat", "powiat"},           {"Gmina", "gmina"},
        {"NrDomu", "numer domu"},       {"Miejscowosc", "miejscowość"}, {"KodPocztowy", "kod pocztowy"}};
    const Controls &c = *m_ws.controls;
    QStringList empty;
    for (const auto &[field, words] : needed) {
        const QString key = Controls::headerControlKey(QString::fromLatin1(field));
        const QVariant value = c.value(key);
        const bool missing = value.typeId() == QMetaType::QDate
                                 ? !value.toDate().isValid() || value.toDate() == zeroDate()
                                 : value.toString().trimmed().isEmpty();
        if (missing)
            empty << QString::fromUtf8(words);
    }
    return empty;
}

QString KsefImport::report() const
{
    const Summary &s = m_summary;
    const int skipped = s.otherSeller + s.duplicate + s.invalid + s.notInvoice;
    QString text = QStringLiteral("E-faktury (KSeF)\r\nWczytano plików: %1\r\nZaimportowano faktur: %2\r\n"
                                  "Pominięto: %3 (inny sprzedawca: %4, już w tabeli: %5, błędne: %6, "
                                  "nie e-faktury: %7)")
                       .arg(s.read)
                       .arg(s.imported)
                       .arg(skipped)
                       .arg(s.otherSeller)
                       .arg(s.duplicate)
                       .arg(s.invalid)
                       .arg(s.notInvoice);
    if (s.unreadable > 0)
        text += QStringLiteral("\r\n\r\nNie dało się odczytać: %1 (wśród błędnych plików niżej); popraw prawa do nich "
                               "i wczytaj jeszcze raz – faktury już wczytane nie zostaną powtórzone.")
                    .arg(s.unreadable);
    if (!s.headerFrom.isEmpty()) {
        text += QStringLiteral("\r\n\r\nNIP, nazwę i adres podatnika w nagłówku wzięto ze sprzedawcy faktury %1")
                    .arg(s.headerFrom);
        text += s.headerToFill.isEmpty()
                    ? QStringLiteral(".")
                    : QStringLiteral("; uzupełnij: %1.").arg(s.headerToFill.join(QStringLiteral(", ")));
    }
    if (!validate)
        text += QStringLiteral("\r\n\r\nPliki nie były sprawdzane ze schemą (bez schemy).");
    if (!s.unmapped.isEmpty()) {
        text += QStringLiteral("\r\n\r\nPola bez odpowiednika w JPK_FA(4) (ich wartości nie weszły do tabel):");
        for (auto it = s.unmapped.cbegin(); it != s.unmapped.cend(); ++it)
            text += QStringLiteral("\r\n  %1: %2").arg(it.key(), QString::number(it.value()));
    }

    // at most 20 names of a list: the rest is counted
    auto list = [&text](const QString &title, const QStringList &items) {
        constexpr int kShown = 20;
        if (items.isEmpty())
            return;
        text += QStringLiteral("\r\n\r\n") + title;
        for (int i = 0; i < std::min<int>(kShown, int(items.size())); ++i)
            text += QStringLiteral("\r\n  ") + items.at(i);
        if (items.size() > kShown)
            text += QStringLiteral("\r\n  … i %1 więcej").arg(items.size() - kShown);
    };
    list(QStringLiteral("Skrócono wartości dłuższe, niż pozwala JPK_FA(4) (faktura, pole: „początek…”):"), s.cut);
    list(QStringLiteral("Faktury, których numery już są w tabeli (plik i numer):"), s.duplicates);
    list(QStringLiteral("Błędne pliki:"), s.problems);
    list(QStringLiteral("Pliki, które nie są e-fakturami:"), s.notInvoices);
    return text;
}
