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

// One input line split into numbered fields (counted from 1), with typed readers
// that follow the import format. One parser is reused line after line: the fields live in
// one buffer, so a split allocates nothing once the buffer has grown.
class FieldSplitter
{
public:
    void init(const QString &line, QChar separator, QChar decimalSeparator, int dateFormat, bool trimFields);
    int split(QStringView line);
    void done();

    int count() const { return m_count; }
    QString stringAt(int n, const QString &defaultValue) const;
    // The same without a copy; valid until the next split.
    QStringView viewAt(int n) const;
    void setFallback(const QString &text) { m_fallback = text; }
    QString fallback() const { return m_fallback; }
    int intAt(int n, int defaultValue) const;
    double floatAt(int n, double defaultValue) const;
    QDate dateAt(int n, const QDate &defaultValue) const;                            // throws ImportError
    static QDate parseDate(QStringView text, int format, const QDate &defaultValue); // throws ImportError

    // A whole decimal integer with optional leading spaces and sign, within 32 bits.
    static bool readInt(QStringView text, int *value);

private:
    QStringView rawField(int n) const; // the field untrimmed, empty when missing
    void cutInPlace();

    QString m_fallback;
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
