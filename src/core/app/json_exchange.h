#pragma once

#include <QString>

#include "base/result.h"

class Workspace;

// The command line's JSON form of the header fields and the four tables:
// {"header":{"DataOd":"2023-08-01",…},"mt_FAK_":[{…}],"mt_POZ_":[…],"mt_ZAM_":[…],"mt_ZPOZ_":[…]}.
namespace JsonExchange {

// Writes every header field and every record in table order (whatever the links); null as
// null, dates yyyy-mm-dd. A file that could not be written says why.
Result<> exportFile(Workspace &workspace, const QString &path);

// Appends the records to the tables through their own rules (orders are numbered anew,
// order lines follow their order, lines without P_2B take the current invoice's number)
// and sets the header fields the file names. A file that is refused changes nothing, and the
// reason names the file and the problem.
Result<> importFile(Workspace &workspace, const QString &path);

} // namespace JsonExchange
