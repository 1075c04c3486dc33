#include "app/json_exchange.h"

#include "app/workspace.h"
#include "base/characters.h"
#include "base/safe_file.h"
#include "base/user_port.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>
#include <cmath>

namespace {

const TableKind kKinds[] = {TableKind::FAK, TableKind::POZ, TableKind::ZAM, TableKind::ZPOZ};

void appendJsonString(QByteArray &out, const QString &text)
{
    // QJsonDocument escapes exactly as JSON wants; reuse it for one value
    const QByteArray quoted = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    out.append(quoted.constData() + 1, quoted.size() - 2);
}

void appendJsonValue(QByteArray &out, const QVariant &value, FieldType type)
{
    if (!value.isValid()) {
        out += "null";
        return;
    }
    switch (type) {
    case FieldType::String:
        appendJsonString(out, value.toString());
        break;
    case FieldType::Date:
        out += '"' + value.toDate().toString(Qt::ISODate).toLatin1() + '"';
        break;
    case FieldType::Float: {
        const double d = value.toDouble();
        out += qIsFinite(d) ? QByteArray::number(d, 'g', QLocale::FloatingPointShortest) : QByteArray("null");
        break;
    }
    case FieldType::Boolean:
        out += value.toBool() ? "true" : "false";
        break;
    case FieldType::Integer:
        out += QByteArray::number(value.toLongLong());
        break;
    }
}

// A whole number that a double holds exactly (|n| <= 2^53); 1e300 or 2^64 is none.
bool jsonInteger(const QJsonValue &v, qint64 *n)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    constexpr double kExact = 9007199254740992.0; // 2^53
    if (!(d >= -kExact && d <= kExact) || d != std::trunc(d))
        return false;
    *n = qint64(d);
    return true;
}

Result<QVariant> jsonToField(const QJsonValue &v, FieldType type)
{
    if (v.isNull() || v.isUndefined())
        return QVariant();
    switch (type) {
    case FieldType::String:
        if (v.isString())
            return v.toString();
        if (v.isDouble())
            return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
        break;
    case FieldType::Date:
        if (v.isString()) {
            const QDate d = QDate::fromString(v.toString(), Qt::ISODate);
            if (d.isValid() && d.year() >= 1)
                return d;
        }
        break;
    case FieldType::Float:
        if (v.isDouble())
            return v.toDouble();
        if (v.isString()) { // P_12_XII was a text in files of earlier versions: "13.5" still reads
            bool ok = false;
            const double d = v.toString().trimmed().toDouble(&ok);
            if (ok && qIsFinite(d))
                return d;
        }
        break;
    case FieldType::Boolean:
        if (v.isBool())
            return v.toBool();
        break;
    case FieldType::Integer: {
        qint64 n = 0;
        if (jsonInteger(v, &n))
            return n;
        break;
    }
    }
    return Failure(QStringLiteral("value %1 does not fit the field's type")
                       .arg(QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))));
}

// Whether every field of one JSON object names a field of the table and fits its type.
Result<> checkRecord(const DocumentTable &table, const QJsonObject &object)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const int f = table.fieldIndex(it.key());
        if (f < 0)
            return Failure(QStringLiteral("%1 has no field \"%2\"").arg(table.name(), it.key()));
        if (const Result<QVariant> value = jsonToField(it.value(), table.fields().at(f).type); !value)
            return Failure(QStringLiteral("%1.%2: %3").arg(table.name(), it.key(), value.reason()));
    }
    return {};
}

// Fills the pending record from one JSON object; idxField (if >= 0) is left to the table's rule.
// A text longer than its field is cut, and said in `cut` ("mt_FAK_ 3, P_2A: „…” (70 znaków, zostało 60)").
Result<> fillRecord(DocumentTable &table, const QJsonObject &object, int skipField, qsizetype record, QStringList *cut)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        const int f = table.fieldIndex(it.key());
        if (f < 0)
            return Failure(QStringLiteral("%1 has no field \"%2\"").arg(table.name(), it.key()));
        if (f == skipField)
            continue;
        const Result<QVariant> value = jsonToField(it.value(), table.fields().at(f).type);
        if (!value)
            return Failure(QStringLiteral("%1.%2: %3").arg(table.name(), it.key(), value.reason()));
        const FieldDef &def = table.fields().at(f);
        if (def.type == FieldType::String && Characters::longerThan(value->toString(), def.size))
            *cut << Characters::cutNote(QStringLiteral("%1 nr %2").arg(table.name(), QString::number(record)), def.name,
                                        value->toString(), def.size);
        table.setNew(f, *value);
    }
    return {};
}

} // namespace

namespace JsonExchange {

Result<> exportFile(Workspace &workspace, const QString &path)
{
    SafeFile file(path);
    if (!file.open())
        return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));

    QByteArray out = "{\"header\":{";
    bool firstField = true;
    for (const QString &name : Workspace::headerFieldNames()) {
        const QString key = Workspace::headerControlKey(name);
        out += firstField ? "" : ",";
        firstField = false;
        appendJsonString(out, name);
        out += ':';
        const QVariant v = workspace.controls().value(key);
        if (v.typeId() == QMetaType::QDate)
            appendJsonValue(out, v.toDate() == zeroDate() ? QVariant() : v, FieldType::Date);
        else
            appendJsonValue(out, v, FieldType::String);
    }
    out += '}';

    for (TableKind kind : kKinds) {
        DocumentTable &table = *workspace.tables().table(kind);
        out += ",\n\"" + table.name().toLatin1() + "\":[";
        for (int row = 0; row < table.storedCount(); ++row) {
            out += row ? ",\n{" : "\n{";
            for (int f = 0; f < table.fieldCount(); ++f) {
                const FieldDef &def = table.fields().at(f);
                if (f)
                    out += ',';
                out += '"' + def.name.toLatin1() + "\":";
                appendJsonValue(out, table.valueAt(row, f), def.type);
            }
            out += '}';
            if (out.size() > (1 << 20)) {
                workspace.port()->pump(); // stopped, the temporary file goes and an old one stays
                if (!file.write(out))
                    return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
                out.clear();
            }
        }
        out += ']';
    }
    out += "}\n";
    if (!file.write(out) || !file.commit())
        return Failure(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return {};
}

Result<> importFile(Workspace &workspace, const QString &path)
{
    Result<QByteArray> bytes = readFileCapped(path, kMaxJsonFile);
    if (!bytes)
        return Failure(bytes.reason());
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(*bytes, &parseError);
    bytes->clear();
    if (parseError.error != QJsonParseError::NoError)
        return Failure(QStringLiteral("%1: not JSON (%2 at byte %3)")
                           .arg(path, parseError.errorString(), QString::number(parseError.offset)));
    if (!doc.isObject())
        return Failure(QStringLiteral("%1: the file does not hold a JSON object").arg(path));
    const QJsonObject root = doc.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() != u"header" && !workspace.tables().tableByName(it.key()))
            return Failure(QStringLiteral("%1: unknown part \"%2\"").arg(path, it.key()));
        if (it.key() != u"header" && !it.value().isArray())
            return Failure(QStringLiteral("%1: \"%2\" is not a list of records").arg(path, it.key()));
    }

    // Everything is checked before anything changes: a file that is refused leaves the header
    // and the tables as they were.
    if (root.contains(QStringLiteral("header")) && !root.value(QStringLiteral("header")).isObject())
        return Failure(QStringLiteral("%1: \"header\" is not an object").arg(path));
    const QJsonObject header = root.value(QStringLiteral("header")).toObject();
    for (auto it = header.begin(); it != header.end(); ++it) {
        const QString key = Workspace::headerControlKey(it.key());
        if (key.isEmpty())
            return Failure(QStringLiteral("%1: unknown header field \"%2\"").arg(path, it.key()));
        if (!it.value().isString() && !it.value().isNull())
            return Failure(QStringLiteral("%1: header field %2: the value must be text or null").arg(path, it.key()));
        const QString text = it.value().toString();
        if (key.endsWith(QStringLiteral("_Date")) && !text.isEmpty() && !QDate::fromString(text, Qt::ISODate).isValid())
            return Failure(
                QStringLiteral("%1: header field %2: \"%3\" is not a date yyyy-mm-dd").arg(path, it.key(), text));
    }
    for (TableKind kind : kKinds) {
        const DocumentTable &table = *workspace.tables().table(kind);
        const QJsonArray records = root.value(table.name()).toArray();
        for (qsizetype i = 0; i < records.size(); ++i) {
            if (!records.at(i).isObject())
                return Failure(QStringLiteral("%1: record %2 of %3 is not an object")
                                   .arg(path, QString::number(i + 1), table.name()));
            if (const Result<> fits = checkRecord(table, records.at(i).toObject()); !fits)
                return Failure(QStringLiteral("%1: record %2: %3").arg(path, QString::number(i + 1), fits.reason()));
        }
    }
    // every value was checked above
    for (auto it = header.begin(); it != header.end(); ++it)
        (void)workspace.controls().setFromText(Workspace::headerControlKey(it.key()), it.value().toString());

    DocumentTables &tables = workspace.tables();
    tables.suspendViews();
    QString error;
    QHash<qint64, int> orderRows; // the file's idx → the stored row of that order
    QStringList cut;
    for (TableKind kind : kKinds) {
        DocumentTable &table = *tables.table(kind);
        const QJsonArray records = root.value(table.name()).toArray();
        const int keyField = kind == TableKind::ZAM    ? table.fieldIndex(QStringLiteral("idx"))
                             : kind == TableKind::ZPOZ ? table.fieldIndex(QStringLiteral("idx_zal"))
                                                       : -1;
        for (qsizetype i = 0; i < records.size() && error.isEmpty(); ++i) {
            if ((i & 0x3ff) == 0x3ff)
                workspace.port()->pump(); // "Przerwij" (Ctrl+C) gives back what was added
            if (!records.at(i).isObject()) {
                error = QStringLiteral("%1: record %2 of %3 is not an object")
                            .arg(path, QString::number(i + 1), table.name());
                break;
            }
            const QJsonObject object = records.at(i).toObject();
            if (kind == TableKind::ZPOZ) {
                const QJsonValue owner = object.value(QStringLiteral("idx_zal"));
                // a line names its order by the file's idx; a line that names none belongs to the last order
                qint64 wanted = -1;
                jsonInteger(owner, &wanted);
                tables.mt_ZAM_.setAppendAnchor(orderRows.value(wanted, tables.mt_ZAM_.storedCount() - 1));
            }
            table.beginAppend();
            if (const Result<> filled = fillRecord(table, object, keyField, i + 1, &cut); !filled) {
                table.abandonAppend();
                error = QStringLiteral("%1: record %2: %3").arg(path, QString::number(i + 1), filled.reason());
                break;
            }
            table.commitAppend();
            if (kind == TableKind::ZAM) {
                qint64 own = 0;
                if (jsonInteger(object.value(QStringLiteral("idx")), &own))
                    orderRows.insert(own, table.lastAppendedRow());
            }
        }
        if (!error.isEmpty())
            break;
    }
    tables.resumeViews();
    tables.linkLinesToInvoices();
    if (error.isEmpty() && !cut.isEmpty())
        workspace.port()->info(applicationTitle(), Characters::cutMessage(cut));
    if (!error.isEmpty())
        return Failure(error);
    return {};
}

} // namespace JsonExchange
