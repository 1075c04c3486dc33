#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <vector>

// An error that ends the work on one input line; its text is shown after "Komunikat:".
struct ImportError
{
    QString message;
};

// tcsvParser: one input line split into numbered fields (counted from 1), with typed readers
// that follow the import format. One parser is reused line after line: the fields live in
// one buffer, so a split allocates nothing once the buffer has grown.
class tcsvParser
{
public:
    void Init(const QString &line, QChar separator, QChar decimalSeparator, int dateFormat, bool trimFields);
    int Split(QStringView line);
    void Done();

    int Count() const { return m_count; }
    QString GetStr(int n, const QString &defaultValue) const;
    // The same without a copy; valid until the next Split.
    QStringView GetView(int n) const;
    void SetDefValue(const QString &text) { m_defValue = text; }
    QString DefValue() const { return m_defValue; }
    int GetInt(int n, int defaultValue) const;
    double GetFloat(int n, double defaultValue) const;
    QDate GetDate(int n, const QDate &defaultValue) const;                           // throws ImportError
    static QDate ParseDate(QStringView text, int format, const QDate &defaultValue); // throws ImportError

    // A whole decimal integer with optional leading spaces and sign, within 32 bits.
    static bool readInt(QStringView text, int *value);

private:
    QStringView rawField(int n) const; // the field untrimmed, empty when missing
    void cutInPlace();

    QString m_defValue;
    int m_dateFormat = -1;
    QChar m_decimal = u',';
    QChar m_separator = u';';
    bool m_trim = true;
    QString m_buffer; // the fields one after another
    QString m_line;   // the line itself, when its fields are read in place
    bool m_inLine = false;
    std::vector<std::pair<int, int>> m_fields; // offset and length in the buffer
    int m_count = 0;
};

QStringView trimView(QStringView text);
