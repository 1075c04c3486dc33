#include "app/command_line.h"

bool isOptionArgument(const QString &arg)
{
    return arg.startsWith(u'-') || arg.startsWith(u'/');
}

namespace {

bool isSwitch(const QString &arg, QStringView name)
{
    return isOptionArgument(arg) && QStringView(arg).mid(1).compare(name, Qt::CaseInsensitive) == 0;
}

} // namespace

CommandLine CommandLine::parse(const QStringList &args)
{
    CommandLine line;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!isOptionArgument(arg))
            continue;
        const QStringView name = QStringView(arg).mid(1);
        if (!line.cnfGiven && name.startsWith(u"cnf", Qt::CaseInsensitive)) {
            line.cnfGiven = true;
            QStringView rest = name.mid(3);
            if (rest.startsWith(u':'))
                line.cnf = rest.mid(1).toString();
            else if (!rest.isEmpty())
                line.cnf = rest.toString();
            else if (i + 1 < args.size() && !isOptionArgument(args.at(i + 1)))
                line.cnf = args.at(i + 1);
        }
        if (isSwitch(arg, u"k"))
            line.keepConfigPages = true;
        if (isSwitch(arg, u"xml"))
            line.showTemplate = true;
    }
    return line;
}

QString CommandLine::settingsFileName() const
{
    if (!cnfGiven)
        return QStringLiteral("JPK_FA3_Ustawienia.ini");
    QString name = QStringLiteral("JPK_FA4_Config") + cnf + QStringLiteral(".ini");
    const qsizetype cut = std::max({name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'), name.lastIndexOf(u':')});
    return cut >= 0 ? name.mid(cut + 1) : name;
}

QString CommandLine::statusText() const
{
    if (cnf.isEmpty())
        return QString();
    return QStringLiteral("Zadana konfiguracja [%1] | ").arg(cnf);
}
