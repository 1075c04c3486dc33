#include "base/user_port.h"

#include <QLocale>

UserPort::~UserPort() = default;

QString applicationTitle()
{
    return QStringLiteral("Tavrix JPK_FA(4).XML");
}

void usePolishForWhatIsShown()
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
}
