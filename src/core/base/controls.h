#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include "base/result.h"

class SettingsFile;

// The zero date (30 December 1899) that stands for a missing date.
QDate zeroDate();

// The options of the main window as typed values under their settings-file keys
// ("chb_FAK_append_Checked", "cb_separator_ItemIndex", "ed_NIP_Text"), stored or not.
// The window binds each widget to its value; the command line sets them by key.
class Controls : public QObject
{
    Q_OBJECT
public:
    // The header fields of page 1 by their JPK names (DataOd, NIP, KodKraju, …), and the key of
    // each ("ed_NIP_Text", "ed_DataOd_Date"; empty if none; letter case ignored).
    static QStringList headerFieldNames();
    static QString headerControlKey(const QString &name);

    enum class Kind
    {
        Text,
        Checked,
        ItemIndex,
        Page,
        Date
    };
    struct Def
    {
        QString key;
        Kind kind;
        QVariant defaultValue;
        bool stored;
        QString radioGroup; // radio buttons of one group: selecting one clears the others
    };

    explicit Controls(QObject *parent = nullptr);

    // Every control, stored ones first in their settings-file order.
    static const QList<Def> &definitions();
    static const Def *find(const QString &key); // letter case ignored
    // find() for the program's own keys: an unknown one fails an assertion in the debug build
    static const Def *known(const QString &key);
    static QStringList pageNames();

    QVariant value(const QString &key) const;
    // By position in definitions(): for loops that read options per line.
    static int indexOf(const QString &key); // -1 when unknown
    const QVariant &valueAt(int index) const { return m_values.at(index); }
    QString text(const QString &key) const { return value(key).toString(); }
    bool checked(const QString &key) const { return value(key).toBool(); }
    int itemIndex(const QString &key) const { return value(key).toInt(); }
    QDate date(const QString &key) const { return value(key).toDate(); }

    // Set as the user would: a check box whose value changes, or a radio button that
    // becomes selected, runs its click rule.
    void setText(const QString &key, const QString &text);
    void setChecked(const QString &key, bool checked);
    void setItemIndex(const QString &key, int index);
    void setDate(const QString &key, const QDate &date);
    // Parses text by the key's kind (the settings-file value forms; dates as yyyy-mm-dd).
    // Fails, with a reason, for an unknown key or a value of the wrong form.
    Result<> setFromText(const QString &key, const QString &text);

    // Applies the stored keys present in the section, in their order.
    void restore(const SettingsFile &file, const QString &section);
    // Writes the stored keys in their order.
    void store(SettingsFile &file, const QString &section) const;

    // Derived states the import pages show.
    bool isCommonFile() const { return checked(QStringLiteral("rb_WspolnyPlik_Checked")); }

    // Counts the changes of any value: a long loop that reads options afresh for every line
    // reads them again only when this moved.
    quint64 revision() const { return m_revision; }

signals:
    void changed(const QString &key);

private:
    void assign(const Def &def, const QVariant &value);
    void clickRule(const Def &def);
    void fallBackToEmptyLine(const QString &box, const QString &radio, const QString &emptyLine);
    Result<> applyText(const Def &def, const QString &text, bool fromSettings);

    QList<QVariant> m_values; // in the order of definitions()
    quint64 m_revision = 0;
};
