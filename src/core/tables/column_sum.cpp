#include "tables/column_sum.h"

#include "base/user_port.h"
#include "tables/display_text.h"
#include "tables/document_table.h"

QString sumText(double sum)
{
    return DisplayText::number(sum, 2, true);
}

void showColumnSum(DocumentTable &table, int field, UserPort *port, const std::vector<int> *shown)
{
    const FieldDef &def = table.fields().at(field);
    const QString name = def.label.isEmpty() ? def.name : def.label;
    if (def.type != FieldType::Float) {
        port->failure(applicationTitle(), QStringLiteral("Aktywna kolumna [%1] nie jest klasy \"KWOTA\"").arg(name));
        return;
    }
    // the records presented now (a linked table: those of the current master), without moving;
    // a filtered grid's: those it shows
    double sum = 0;
    if (shown)
        for (int position : *shown)
            sum += table.floatAt(table.presentedRow(position), field);
    else
        for (int position = 0; position < table.recordCount(); ++position)
            sum += table.floatAt(table.presentedRow(position), field);
    QString text = QStringLiteral("Suma wg pola [%1] = %2\rNazwaXML: <%3/>").arg(name, sumText(sum), def.name);
    if (shown)
        text += QStringLiteral("\rSuma rekordów pokazanych przez filtr: %1 z %2.")
                    .arg(DisplayText::polish().toString(qlonglong(shown->size())),
                         DisplayText::polish().toString(table.recordCount()));
    port->info(applicationTitle(), text);
}
