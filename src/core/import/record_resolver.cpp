#include "import/record_resolver.h"

#include "base/characters.h"

#include "base/user_port.h"
#include "import/mapping_grid.h"
#include "tables/document_table.h"

#include <limits>

int FirstNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && !(text[i] >= u'0' && text[i] <= u'9'))
        ++i;
    if (i == text.size())
        return -1;
    qint64 v = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > std::numeric_limits<int>::max())
            return -1;
    }
    return int(v);
}

RecordResolver::Condition RecordResolver::Condition::parse(const QString &text)
{
    Condition c;
    const QString t = trimView(text).toString();
    if (t.isEmpty())
        return c;
    c.empty = false;
    c.negate = t.contains(QStringLiteral("@IFN("));
    c.nr = FirstNumber(t);
    const qsizetype bar = t.indexOf(u'|');
    if (c.nr == -1 || bar < 0) {
        c.syntaxError = true;
        return c;
    }
    const QString rest = t.mid(bar + 1);
    const qsizetype second = rest.indexOf(u'|');
    if (second >= 0) {
        c.value = rest.left(second);
        const QString tail = rest.mid(second + 1);
        const qsizetype close = tail.indexOf(u')');
        if (close < 0) {
            c.syntaxError = true;
            return c;
        }
        c.action = tail.left(close);
    } else {
        const qsizetype close = rest.indexOf(u')');
        if (close < 0) {
            c.syntaxError = true;
            return c;
        }
        c.value = rest.left(close);
    }
    return c;
}

RecordResolver::Expression RecordResolver::Expression::parse(const QString &text)
{
    Expression e;
    QString rest = trimView(text).toString();
    if (rest.isEmpty())
        return e;
    e.empty = false;
    qsizetype p;
    while ((p = rest.indexOf(QStringLiteral("#("))) >= 0) {
        const qsizetype c = rest.indexOf(u')', p);
        if (c < 0) {
            e.syntaxError = true;
            return e;
        }
        Reference r;
        const qsizetype at = rest.indexOf(u'@', p);
        const bool field = at >= 0 && at < c;
        const qsizetype colon = rest.indexOf(u':', p);
        const bool selector = colon >= 0 && colon < c;
        r.kind = Reference::Entry;
        if (field) {
            r.kind = Reference::Field;
            if (selector) {
                const QChar chooser = colon + 1 < rest.size() ? rest.at(colon + 1) : QChar();
                if (chooser == u'[') {
                    r.kind = Reference::FieldList;
                    r.list = rest.mid(colon + 2, std::max<qsizetype>(0, c - 1 - (colon + 2)));
                } else {
                    r.kind = Reference::FieldEntry;
                }
            }
        }
        r.before = rest.left(p);
        // the number is the first one among the ten characters after "#(", even past its ")":
        // "#(@) - #(@6:T)" reads field 6. With no number there ("#(@)" alone) it yields nothing,
        // never the default expanded last (field -1)
        r.nn = FirstNumber(QStringView(rest).mid(p + 2, 10));
        rest.remove(0, c + 1);
        e.references.push_back(r);
    }
    e.after = rest;
    return e;
}

RecordResolver::RecordResolver(const MappingGrid &map, DocumentTable &table, const QString &kindName,
                               const MappingGrid &substitutions, UserPort *port)
    : m_table(table), m_kindName(kindName), m_port(port)
{
    for (int r = 1; r < map.rowCount(); ++r) {
        Row row;
        row.name = map.cell(0, r);
        if (row.name.isEmpty())
            continue;
        row.field = table.fieldIndex(row.name);
        if (!FieldSplitter::readInt(map.cell(3, r), &row.n))
            row.n = 0;
        row.ifText = map.cell(5, r);
        row.defText = map.cell(4, r);
        row.condition = Condition::parse(row.ifText);
        row.expression = Expression::parse(row.defText);
        m_rows.push_back(row);
    }
    for (int r = 1; r < substitutions.rowCount(); ++r)
        m_entries << substitutions.cell(1, r);
}

QString RecordResolver::entry(int k) const
{
    return k >= 1 && k <= m_entries.size() ? m_entries.at(k - 1) : QString();
}

bool RecordResolver::ExpandDefault(const Expression &expression, FieldSplitter &parser, bool *ignore) const
{
    if (expression.syntaxError)
        return false;
    if (expression.empty) {
        *ignore = true;
        return true;
    }
    QString result;
    for (const Reference &r : expression.references) {
        result += r.before;
        if (r.nn < 0)
            continue;
        switch (r.kind) {
        case Reference::Entry:
            result += entry(r.nn);
            break;
        case Reference::Field:
            result += parser.stringAt(r.nn, QString());
            break;
        case Reference::FieldEntry:
            result += entry(FirstNumber(parser.stringAt(r.nn, QString())));
            break;
        case Reference::FieldList: {
            const QString v = parser.stringAt(r.nn, QString());
            QStringView rest(r.list);
            while (true) {
                const qsizetype eq = rest.indexOf(u'=');
                if (eq < 0) {
                    result += rest; // a last entry without "=" serves every other case
                    break;
                }
                const qsizetype bar = rest.indexOf(u'|');
                const qsizetype end = bar < 0 ? rest.size() : bar;
                if (rest.left(eq) == v) {
                    result += rest.mid(eq + 1, std::max<qsizetype>(0, end - eq - 1));
                    break;
                }
                rest = bar < 0 ? QStringView() : rest.mid(bar + 1);
                if (rest.isEmpty())
                    break;
            }
            break;
        }
        }
    }
    result += expression.after;
    result = trimView(result).toString();
    if (result.isEmpty())
        *ignore = true;
    else
        parser.setFallback(result);
    return true;
}

bool RecordResolver::importRecordLine(const QString &line, const ImportFormat &format)
{
    if (line.isEmpty())
        return false;
    m_parser.init(line, format.separator, format.decimal, format.dateFormat, true);
    bool abort = false;
    try {
        m_table.beginAppend();
        for (const Row &row : m_rows) {
            abort = false;
            bool ignore = false;
            int n = row.n;
            // the IF condition and its action
            const Condition &c = row.condition;
            if (!c.empty) {
                if (c.syntaxError)
                    throw ImportError{QStringLiteral("Błędna składnia warunku IF:\r[%1]").arg(row.ifText)};
                const bool holds = (c.value == m_parser.viewAt(c.nr)) != c.negate;
                if (holds) {
                    if (c.action == u"IGNORE") {
                        ignore = true;
                    } else if (c.action == u"ABORT") {
                        abort = true;
                    } else if (c.action == u"DEF") {
                        bool emptyDefault = false;
                        if (ExpandDefault(row.expression, m_parser, &emptyDefault)) {
                            n = -1;
                            ignore = emptyDefault;
                        }
                    }
                }
            }
            if (abort)
                break;
            if (ignore)
                continue;
            // the input field, or the default value when it is missing or empty
            if (n != 0 && m_parser.viewAt(n).isEmpty())
                n = 0;
            if (n == 0) {
                if (!ExpandDefault(row.expression, m_parser, &ignore))
                    throw ImportError{QStringLiteral("Błędna składnia warunku DEF:\r[%1]").arg(row.defText)};
                n = -1;
                if (ignore)
                    continue;
            }
            if (row.field < 0)
                throw ImportError{QStringLiteral("Brak szukanego pola [%1] ???").arg(row.name)};
            if (AssignField(m_parser, n, m_table, row.field, format) && ++m_cutCount <= kCutNotes)
                m_cut << Characters::cutNote(QStringLiteral("%1 nr %2").arg(m_kindName, QString::number(m_records + 1)),
                                             row.name, m_parser.viewAt(n), m_table.fields().at(row.field).size);
        }
        if (abort) {
            m_table.abandonAppend();
            m_parser.done();
            return false;
        }
        m_table.commitAppend();
        ++m_records;
    } catch (const ImportError &e) {
        m_table.abandonAppend();
        m_parser.done();
        m_port->failure(applicationTitle(), QStringLiteral("Błąd podziału wiersza ") + m_kindName +
                                                QStringLiteral(":\r") + line + QStringLiteral("\rKomunikat:") +
                                                e.message);
        return false;
    }
    m_parser.done();
    return true;
}
