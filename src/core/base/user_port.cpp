#include "base/user_port.h"

UserPort::~UserPort() = default;

QString applicationTitle()
{
    return QStringLiteral("Tavrix JPK_FA(4).XML");
}
