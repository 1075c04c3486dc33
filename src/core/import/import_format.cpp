#include "import/import_format.h"

#include "app/controls.h"
#include "import/sep_parser.h"
#include "tables/document_table.h"

ImportFormat ImportFormat::fromControls(const Controls &c)
{
    ImportFormat f;
    switch (c.itemIndex(QStringLiteral("cb_separator_ItemIndex"))) {
    case 0:
        f.separator = u'\t';
        break;
    case 1:
        f.separator = u'|';
        break;
    case 2:
        f.separator = u';';
        break;
    case 3:
        f.separator = u',';
        break;
    default:
        f.separator = QChar(0);
        break;
    }
    f.decimal = c.itemIndex(QStringLiteral("cb_koma_ItemIndex")) == 0 ? QChar(u',') : QChar(u'.');
    const int date = c.itemIndex(QStringLiteral("cb_data_ItemIndex"));
    f.dateFormat = date >= 0 && date <= 3 ? date : -1;
    f.trueWords = c.text(QStringLiteral("edx_TRUE_Text"));
    f.falseWords = c.text(QStringLiteral("edx_FALSE_Text"));
    f.floatZeroNull = c.checked(QStringLiteral("chb_FloatZeroExNull_Checked"));
    return f;
}

void AssignField(const tcsvParser &parser, int n, DocumentTable &table, int field, const ImportFormat &format)
{
    switch (table.fields().at(field).type) {
    case FieldType::String:
        table.setValue(field, parser.GetStr(n, QString()));
        break;
    case FieldType::Integer:
        table.setValue(field, parser.GetInt(n, 0));
        break;
    case FieldType::Boolean: {
        // a plain substring search, the false words first
        const QString s = parser.GetStr(n, QString()) + u';';
        if (format.falseWords.contains(s))
            table.setValue(field, false);
        else if (format.trueWords.contains(s))
            table.setValue(field, true);
        break;
    }
    case FieldType::Float: {
        const double x = parser.GetFloat(n, 0);
        if (!(format.floatZeroNull && x == 0))
            table.setValue(field, x);
        break;
    }
    case FieldType::Date:
        table.setValue(field, parser.GetDate(n, QDate(1899, 12, 30)));
        break;
    }
}
