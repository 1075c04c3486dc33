#include "tables/column_sum.h"

#include "app/user_port.h"
#include "jpk/mn_xml.h"
#include "tables/document_table.h"

#include <QLocale>

QString sumText(double sum)
{
    // rounded half away from zero first, then written with the locale's separators
    const QString fixed = mnXML::FloatText(sum, 2);
    const bool negative = fixed.startsWith(u'-');
    const QString digits = negative ? fixed.mid(1) : fixed;
    const qsizetype point = digits.indexOf(u'.');
    const QString whole = digits.left(point);
    const QLocale locale;
    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += locale.groupSeparator();
        grouped += whole.at(i);
    }
    return (negative ? locale.negativeSign() : QString()) + grouped + locale.decimalPoint() + digits.mid(point + 1);
}

void SumaWgKolumny(DocumentTable &table, int field, UserPort *port)
{
    const FieldDef &def = table.fields().at(field);
    const QString name = def.label.isEmpty() ? def.name : def.label;
    if (def.type != FieldType::Float) {
        port->failure(applicationTitle(), QStringLiteral("Aktywna kolumna [%1] nie jest klasy \"KWOTA\"").arg(name));
        return;
    }
    // the records presented now (a linked table: those of the current master), without moving
    double sum = 0;
    for (int position = 0; position < table.recordCount(); ++position)
        sum += table.floatAt(table.presentedRow(position), field);
    port->info(applicationTitle(), QStringLiteral("Suma wg pola [%1] = %2\rNazwaXML: <%3/>").arg(name, sumText(sum), def.name));
}
