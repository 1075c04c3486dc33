#include "validate/validator.h"

#include "base/program_files.h"
#include "base/safe_file.h"
#include "base/user_port.h"
#include "base/xml_scan.h"
#include "base/xml_services.h"
#include "validate/schema_locator.h"

#include <QDir>
#include <QFile>
#include <libxml/parser.h>
#include <libxml/schemasInternals.h>
#include <libxml/xmlschemas.h>
#include <limits>

namespace {

const QStringList &acceptedRoots()
{
    static const QStringList names = {QStringLiteral("Deklaracja"),
                                      QStringLiteral("ZgloszenieZaw"),
                                      QStringLiteral("ZgloszenieRej"),
                                      QStringLiteral("ZgloszenieNIP"),
                                      QStringLiteral("Dokument"),
                                      QStringLiteral("Wniosek"),
                                      QStringLiteral("JPK")};
    return names;
}

bool inLocationSet(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'.' || u == u'/' || (u >= u'0' && u <= u':') || (u >= u'A' && u <= u'Z') || u == u'\\' ||
           (u >= u'a' && u <= u'z');
}

struct ValidationSink
{
    bool seen = false;
    int code = 0;
    QString reason;
    int line = 0;
    int column = 0;
};

void onValidationError(void *data, xmlErrorPtr e)
{
    auto *sink = static_cast<ValidationSink *>(data);
    if (sink->seen || !e || e->level < XML_ERR_ERROR)
        return;
    sink->seen = true;
    sink->code = e->code;
    sink->reason = QString::fromUtf8(e->message).trimmed();
    sink->line = e->line;
    sink->column = e->int2;
}

QString settingsPath(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("ustawienia.xml"));
}

struct ProgressReader
{
    QFile *file;
    UserPort *port;
    qint64 done;
};

int readWithProgress(void *context, char *buffer, int len)
{
    auto *r = static_cast<ProgressReader *>(context);
    const qint64 n = r->file->read(buffer, len);
    if (n < 0)
        return -1;
    const qint64 before = r->done >> 18;
    r->done += n;
    if ((r->done >> 18) != before) { // every 256 KiB: the gauge moves and the window repaints
        r->port->progressPosition(int(r->done >> 10));
        r->port->processEvents();
        if (r->port->cancelRequested())
            return -1; // libxml2 stops; the command ends once it has let go of the file
    }
    return int(n);
}

} // namespace

JpkValidator::JpkValidator(UserPort *port, const QString &programDir) : m_port(port), m_programDir(programDir)
{
    QFile file(settingsPath(programDir));
    if (file.open(QIODevice::ReadOnly))
        m_settings = file.readAll();
}

JpkValidator::~JpkValidator()
{
    // Keep everything the file held; store Configuration/Form1/FormVersion = 0.
    const QString path = settingsPath(m_programDir);
    QFile existing(path);
    if (existing.exists() && !(existing.permissions() & QFileDevice::WriteOwner))
        return;
    XmlError parseError;
    XmlDocPtr doc = m_settings.isEmpty() ? nullptr : Xml::parseText(QString::fromUtf8(m_settings), &parseError);
    if (!m_settings.isEmpty() && (!doc || !xmlDocGetRootElement(doc.get()))) {
        // what the user or another program put there is not ours to throw away
        m_port->info(applicationTitle(),
                     QStringLiteral("Plik %1 nie jest poprawnym plikiem XML; pozostawiono go bez zmian.\r")
                             .arg(QDir::toNativeSeparators(path)) +
                         Xml::parserMessage(parseError));
        return;
    }
    if (!doc) {
        doc.reset(xmlNewDoc(reinterpret_cast<const xmlChar *>("1.0")));
        xmlDocSetRootElement(
            doc.get(), xmlNewDocNode(doc.get(), nullptr, reinterpret_cast<const xmlChar *>("Configuration"), nullptr));
    }
    auto child = [](xmlNode *parent, const char *name) {
        for (xmlNode *c = parent->children; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, reinterpret_cast<const xmlChar *>(name)))
                return c;
        return xmlNewChild(parent, nullptr, reinterpret_cast<const xmlChar *>(name), nullptr);
    };
    xmlNode *form = child(xmlDocGetRootElement(doc.get()), "Form1");
    Xml::setText(child(form, "FormVersion"), QStringLiteral("0"));
    xmlChar *bytes = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc.get(), &bytes, &size, "UTF-8", 1);
    // the validator's own note of its form's version: a home that cannot take it (read-only,
    // full) changes nothing of the check, so a failed write is let go without a word
    if (bytes)
        (void)writeFileSafely(path, QByteArrayView(reinterpret_cast<const char *>(bytes), size));
    xmlFree(bytes);
}

QString JpkValidator::attributeHint(const QString &value)
{
    // the whole value, unless a character before the last one is a space or control
    qsizetype cut = -1;
    for (qsizetype i = 0; i + 1 < value.size(); ++i) {
        if (value.at(i).unicode() <= 32) {
            cut = i;
            break;
        }
    }
    if (cut < 0)
        return value;
    qsizetype start = cut + 1;
    while (start < value.size() && value.at(start).unicode() <= 32)
        ++start;
    return value.mid(start);
}

QString JpkValidator::cutSchemaLocation(const QString &value)
{
    QString result = value;
    const qsizetype p = value.toLower().indexOf(QStringLiteral(".xsd"));
    if (p >= 0)
        result = value.left(p + 4);
    const qsizetype n = result.size();
    // leftwards from the character just before the last four
    for (qsizetype i = n - 5; i >= 0; --i) {
        if (!inLocationSet(result.at(i))) {
            result = result.mid(i + 1);
            break;
        }
    }
    return result;
}

bool JpkValidator::prepare()
{
    if (fromDocument) {
        nameSpace.clear();
        schemaLocation.clear();
    }
    XmlRootInfo root;
    XmlError error;
    if (!Xml::scanFile(documentPath, &root, &error)) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd wczytania pliku XML:\r") + Xml::parserMessage(error));
        return false;
    }
    if (!root.found || !acceptedRoots().contains(root.localName)) {
        m_port->info(applicationTitle(),
                     QStringLiteral("Nie odnaleziono bloku właściwego dla dokumentów klasy deklaracji XML."));
        m_port->failure(applicationTitle(), QStringLiteral("Dokumnet XML - pusty lub nie udało się go wczytać."));
        return false;
    }
    if (!root.namespaceUri.isEmpty())
        nameSpace = root.namespaceUri;

    if (schemaLocation.isEmpty()) {
        QString hint = root.doctypeSystemId;
        if (hint.isEmpty())
            hint = attributeHint(root.xsiSchemaLocation);
        if (hint.isEmpty())
            hint = attributeHint(root.xsiNoNamespace);
        if (!hint.isEmpty())
            schemaLocation = hint;
    }
    if (schemaLocation.isEmpty()) {
        QString value = root.attrNoNamespace;
        if (value.isEmpty())
            value = root.attrTns;
        if (!value.isEmpty()) {
            schemaLocation = value;
        } else {
            if (!root.attrSchemaLocation.isEmpty())
                schemaLocation = cutSchemaLocation(root.attrSchemaLocation);
            if (schemaLocation.isEmpty() && !nameSpace.isEmpty())
                schemaLocation = nameSpace;
        }
    }
    if (!schemaLocation.isEmpty() && !schemaLocation.toLower().contains(QStringLiteral(".xsd")))
        schemaLocation += QStringLiteral("schemat.xsd");
    return true;
}

xmlSchemaPtr compileSchemaFile(const QString &programDir, const QString &location, QString *failure, UserPort *port)
{
    SchemaLocator &locator = SchemaLocator::instance();
    QStringList catalogs = ProgramFiles::schemaCatalogs(programDir);
    if (catalogs.isEmpty()) // a catalog added later is still found
        catalogs << QDir(programDir).filePath(QStringLiteral("schemas/catalog.xml"));
    locator.configure(catalogs, locator.cacheDir());
    locator.clearFailure();
    ValidationSink schemaErrors;
    xmlSchemaPtr schema = nullptr;
    {
        SchemaLocator::NetworkScope network(port);
        const QByteArray path = QFile::exists(location) ? QFile::encodeName(location) : location.toUtf8();
        xmlSchemaParserCtxtPtr parser = xmlSchemaNewParserCtxt(path.constData());
        if (parser) {
            xmlSchemaSetParserStructuredErrors(parser, onValidationError, &schemaErrors);
            schema = xmlSchemaParse(parser);
            xmlSchemaFreeParserCtxt(parser);
        }
    }
    if (port && port->cancelRequested()) { // "Przerwij" during a download
        if (schema)
            xmlSchemaFree(schema);
        throw CommandCancelled{};
    }
    if (!schema) {
        *failure = schemaErrors.reason;
        if (!locator.lastFailure().isEmpty())
            *failure += (failure->isEmpty() ? QString() : QStringLiteral("; ")) + locator.lastFailure();
        if (failure->isEmpty())
            *failure = QStringLiteral("the schema \"%1\" could not be read").arg(location);
    }
    return schema;
}

xmlSchemaPtr JpkValidator::compileSchema(QString *failure) const
{
    xmlSchemaPtr schema = compileSchemaFile(m_programDir, schemaLocation, failure, m_port);
    if (schema && Xml::str(schema->targetNamespace) != nameSpace) {
        *failure = QStringLiteral("The namespace '%1' does not match the schema's targetNamespace '%2'.")
                       .arg(nameSpace, Xml::str(schema->targetNamespace));
    }
    return schema;
}

void JpkValidator::useSchemaBesideProgram()
{
    // the schema beside the program, else the one the program was installed with
    const QString beside = ProgramFiles::mainSchema(m_programDir);
    if (!beside.isEmpty()) {
        schemaLocation = beside;
        fromDocument = false;
    }
}

bool JpkValidator::validate()
{
    if (!prepare())
        return false;

    QFile document(documentPath);
    if (!document.open(QIODevice::ReadOnly)) {
        m_port->error(QStringLiteral("Błąd utworzenia obiektu weryfikacji"),
                      QStringLiteral("XML CoDOMDocument60.Create:") + document.errorString());
        return false;
    }
    document.close();

    // Add the schema under the document's namespace.
    QString failure;
    xmlSchemaPtr schema = compileSchema(&failure);

    ValidationSink result;
    if (failure.isEmpty()) {
        xmlSchemaValidCtxtPtr valid = xmlSchemaNewValidCtxt(schema);
        if (!valid) {
            failure = QStringLiteral("the validator could not be created");
        } else {
            xmlSchemaSetValidStructuredErrors(valid, onValidationError, &result);
            // the document is read as a stream through our own reader, which tells the
            // progress in KiB read (the command line shows it)
            QFile file(documentPath);
            int status = -1;
            if (file.open(QIODevice::ReadOnly)) {
                ProgressReader progress{&file, m_port, 0};
                m_port->progressUnit(QStringLiteral("KiB"));
                m_port->progressShow(0, int(std::min<qint64>(file.size() >> 10, std::numeric_limits<int>::max())));
                xmlParserInputBufferPtr input =
                    xmlParserInputBufferCreateIO(readWithProgress, nullptr, &progress, XML_CHAR_ENCODING_NONE);
                status = input ? xmlSchemaValidateStream(valid, input, XML_CHAR_ENCODING_NONE, nullptr, nullptr) : -1;
                m_port->progressHide();
            }
            xmlSchemaFreeValidCtxt(valid);
            if (status != 0 && !result.seen) {
                result.seen = true;
                result.code = status;
                result.reason = QStringLiteral("the document could not be validated");
            }
        }
    }
    if (schema)
        xmlSchemaFree(schema);
    if (m_port->cancelRequested())
        throw CommandCancelled{};

    if (!failure.isEmpty()) {
        const QString report = QStringLiteral("<Blad typ=\"Problem z weryfikatorem XSD\">\r<NameSpace>") + nameSpace +
                               QStringLiteral("</NameSpace>\r") + QStringLiteral("<Schema>") + schemaLocation +
                               QStringLiteral("</Schema>") + QStringLiteral("\r") + QStringLiteral("<Komunikat>") +
                               failure + QStringLiteral("</Komunikat>\r</Blad>") + QStringLiteral("\r\r") +
                               QStringLiteral("Sprawdź czy :\r") +
                               QStringLiteral("- masz niezbędne do weryfikacji aktywne połączenie z internetem.\r") +
                               QStringLiteral("- nie ma problemów ze stroną zawierającą adres wzorców weryfikacji XSD");
        m_port->error(QStringLiteral("Błąd weryfikatora"), report);
        return false;
    }
    if (result.seen && result.code != 0) {
        reportValidationError(result.code, result.reason, result.line, result.column);
        return false;
    }
    m_port->info(applicationTitle(), QStringLiteral("Budowa pliku %1 zgodna ze schemą XSD").arg(documentPath));
    // without the program's own schema at hand, the one the document names was used: said
    if (fromDocument)
        m_port->info(applicationTitle(),
                     QStringLiteral("Sprawdzono według schemy wskazanej w dokumencie: %1").arg(schemaLocation));
    return true;
}

void JpkValidator::reportValidationError(int code, const QString &reason, int line, int column)
{
    qint64 offset = 0;
    const QString source = Xml::lineOfFile(documentPath, line, &offset);
    const qint64 filePos = offset + (column > 0 ? column : 0);
    const QString text =
        QStringLiteral("Wg ") + schemaLocation + QStringLiteral("\r\n\r\n") +
        // one arg() for all: the reason and the line hold the file's own text,
        // which may hold "%1"
        QStringLiteral("%1\rLine: %2, LinePos: %3, FilePos: %4\rsrcText: %5")
            .arg(reason, QString::number(line), QString::number(column), QString::number(filePos), source);
    m_port->error(QStringLiteral("Błąd budowy - ErrorCode: ") + QString::number(qint32(code)), text);
}

void validateFile(UserPort *port, const QString &programDir, const QString &path, bool *valid)
{
    JpkValidator validator(port, programDir);
    validator.documentPath = path;
    validator.useSchemaBesideProgram();
    const bool ok = validator.validate();
    if (valid)
        *valid = ok;
}
