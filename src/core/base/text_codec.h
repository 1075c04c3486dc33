#pragma once

#include <QByteArray>
#include <QString>

namespace TextCodec {

// Windows-1250 bytes of a text. A character the code page lacks becomes "?" (one for each
// character, a surrogate pair included), never the control character 0x1A that Qt's encoder
// puts in its place.
QByteArray toWindows1250(QStringView text);

} // namespace TextCodec
