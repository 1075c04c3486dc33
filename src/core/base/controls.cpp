#include "base/controls.h"

#include "base/settings_file.h"

QDate zeroDate()
{
    return QDate(1899, 12, 30);
}

Controls::Controls(QObject *parent) : QObject(parent)
{
    for (const Def &def : definitions())
        m_values.append(def.defaultValue);
}

const Controls::Def *Controls::known(const QString &key)
{
    // the program's own code names only keys that exist: a typo is a programming error
    const Def *def = find(key);
    Q_ASSERT_X(def, "Controls", qPrintable(QStringLiteral("unknown option key %1").arg(key)));
    return def;
}

QVariant Controls::value(const QString &key) const
{
    const Def *def = known(key);
    return def ? m_values.at(qsizetype(def - definitions().constData())) : QVariant();
}

void Controls::assign(const Def &def, const QVariant &value)
{
    QVariant &slot = m_values[qsizetype(&def - definitions().constData())];
    if (slot == value)
        return;
    slot = value;
    ++m_revision;
    emit changed(def.key);
}

void Controls::setText(const QString &key, const QString &text)
{
    if (const Def *def = known(key))
        assign(*def, text);
}

void Controls::setItemIndex(const QString &key, int index)
{
    if (const Def *def = known(key))
        assign(*def, index);
}

void Controls::setDate(const QString &key, const QDate &date)
{
    if (const Def *def = known(key))
        assign(*def, date);
}

void Controls::setChecked(const QString &key, bool checked)
{
    const Def *def = known(key);
    if (!def || def->kind != Kind::Checked)
        return;
    const bool before = m_values.at(qsizetype(def - definitions().constData())).toBool();
    if (checked && !def->radioGroup.isEmpty()) {
        for (const Def &other : definitions())
            if (other.radioGroup == def->radioGroup && other.key != def->key)
                assign(other, false);
    }
    assign(*def, checked);
    // A check box runs its rule when its value changes; a radio button when it becomes selected.
    if (def->radioGroup.isEmpty() ? before != checked : checked && !before)
        clickRule(*def);
}

void Controls::fallBackToEmptyLine(const QString &box, const QString &radio, const QString &emptyLine)
{
    if (!checked(box) && checked(radio))
        setChecked(emptyLine, true);
}

void Controls::clickRule(const Def &def)
{
    const QString &k = def.key;
    // The end options that depend on a filter fall back to "empty line" when the filter goes.
    if (k == u"chb_FAK_BeginIf_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_PozEnd_FakId_Checked"), QStringLiteral("rb_PozEnd_FL_Checked"));
    else if (k == u"chb_FAK_Naglowek_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_PozEnd_Faktura_Checked"), QStringLiteral("rb_PozEnd_FL_Checked"));
    else if (k == u"chb_POZ_BeginIf_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_PozEnd_InnyStart_Checked"), QStringLiteral("rb_PozEnd_FL_Checked"));
    else if (k == u"chb_ZAM_BeginIf_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_ZPozEnd_FakId_Checked"), QStringLiteral("rb_ZPozEnd_FL_Checked"));
    else if (k == u"chb_ZAM_Naglowek_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_ZPozEnd_Faktura_Checked"), QStringLiteral("rb_ZPozEnd_FL_Checked"));
    else if (k == u"chb_ZPOZ_BeginIf_Checked")
        fallBackToEmptyLine(k, QStringLiteral("rb_ZPozEnd_InnyStart_Checked"), QStringLiteral("rb_ZPozEnd_FL_Checked"));
    else if (k == u"rb_WspolnyPlik_Checked" || k == u"rb_nag_OsobnyPlik_Checked" || k == u"rb_sp_BrakPliku_Checked" ||
             k == u"rb_nag_kolumny_Checked") {
        // The group of the external application is shown only for a common file; hiding it
        // clears its box.
        if (!isCommonFile())
            setChecked(QStringLiteral("chb_Imp_Application_Checked"), false);
    }
}

Result<> Controls::applyText(const Def &def, const QString &text, bool fromSettings)
{
    switch (def.kind) {
    case Kind::Text:
        assign(def, text);
        return {};
    case Kind::Checked: {
        const auto b = SettingsFile::parseBool(text);
        if (!b)
            return Failure(QStringLiteral("%1: \"%2\" is not TRUE or FALSE").arg(def.key, text));
        setChecked(def.key, *b);
        return {};
    }
    case Kind::ItemIndex: {
        const auto i = SettingsFile::parseInt(text);
        if (!i)
            return Failure(QStringLiteral("%1: \"%2\" is not an integer").arg(def.key, text));
        assign(def, *i);
        return {};
    }
    case Kind::Page:
        if (!pageNames().contains(text))
            return Failure(QStringLiteral("%1: no page is named \"%2\"").arg(def.key, text));
        assign(def, text);
        return {};
    case Kind::Date: {
        if (text.isEmpty() && !fromSettings) {
            assign(def, zeroDate());
            return {};
        }
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (!d.isValid() || d.year() < 1)
            return Failure(QStringLiteral("%1: \"%2\" is not a date yyyy-mm-dd").arg(def.key, text));
        assign(def, d);
        return {};
    }
    }
    return Failure(QStringLiteral("%1: unknown kind of control").arg(def.key));
}

Result<> Controls::setFromText(const QString &key, const QString &text)
{
    const Def *def = find(key);
    if (!def)
        return Failure(QStringLiteral("unknown control \"%1\"").arg(key));
    return applyText(*def, text, false);
}

void Controls::restore(const SettingsFile &file, const QString &section)
{
    for (const Def &def : definitions()) {
        if (!def.stored)
            continue;
        if (const auto v = file.value(section, def.key))
            (void)applyText(def, *v, true); // a value of the wrong form leaves the control as it is
    }
}

void Controls::store(SettingsFile &file, const QString &section) const
{
    for (const Def &def : definitions()) {
        if (!def.stored)
            continue;
        const QVariant v = m_values.at(qsizetype(&def - definitions().constData()));
        switch (def.kind) {
        case Kind::Checked:
            file.setValue(section, def.key, SettingsFile::boolText(v.toBool()));
            break;
        case Kind::ItemIndex:
            file.setValue(section, def.key, QString::number(v.toInt()));
            break;
        case Kind::Text:
        case Kind::Page:
        case Kind::Date:
            file.setValue(section, def.key, v.toString());
            break;
        }
    }
}
