#include "import/import_format.h"

#include "base/characters.h"

#include "base/controls.h"
#include "import/sep_parser.h"
#include "tables/document_table.h"

ImportFormat ImportFormat::fromControls(const Controls &c)
{
    // read for every line of an import: the positions of the options are looked up once
    static const int separator = Controls::indexOf(QStringLiteral("cb_separator_ItemIndex"));
    static const int koma = Controls::indexOf(QStringLiteral("cb_koma_ItemIndex"));
    static const int data = Controls::indexOf(QStringLiteral("cb_data_ItemIndex"));
    static const int trueWords = Controls::indexOf(QStringLiteral("edx_TRUE_Text"));
    static const int falseWords = Controls::indexOf(QStringLiteral("edx_FALSE_Text"));
    static const int zeroNull = Controls::indexOf(QStringLiteral("chb_FloatZeroExNull_Checked"));
    ImportFormat f;
    switch (c.valueAt(separator).toInt()) {
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
    f.decimal = c.valueAt(koma).toInt() == 0 ? QChar(u',') : QChar(u'.');
    const int date = c.valueAt(data).toInt();
    f.dateFormat = date >= 0 && date <= 3 ? date : -1;
    f.trueWords = c.valueAt(trueWords).toString();
    f.falseWords = c.valueAt(falseWords).toString();
    f.floatZeroNull = c.valueAt(zeroNull).toBool();
    return f;
}

bool AssignField(const FieldSplitter &parser, int n, DocumentTable &table, int field, const ImportFormat &format)
{
    switch (table.fields().at(field).type) {
    case FieldType::String: {
        const QStringView text = parser.viewAt(n);
        table.setText(field, text);
        return Characters::longerThan(text, table.fields().at(field).size);
    }
    case FieldType::Integer:
        table.setInteger(field, parser.intAt(n, 0));
        break;
    case FieldType::Boolean: {
        // a plain substring search, the false words first
        const QString s = parser.stringAt(n, QString()) + u';';
        if (format.falseWords.contains(s))
            table.setBoolean(field, false);
        else if (format.trueWords.contains(s))
            table.setBoolean(field, true);
        break;
    }
    case FieldType::Float: {
        const double x = parser.floatAt(n, 0);
        if (!(format.floatZeroNull && x == 0))
            table.setFloat(field, x);
        break;
    }
    case FieldType::Date:
        table.setDate(field, parser.dateAt(n, QDate(1899, 12, 30)));
        break;
    }
    return false;
}
