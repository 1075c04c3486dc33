#pragma once

#include <QString>

class Workspace;

// The command line's JSON form of the header fields and the four tables:
// {"header":{"DataOd":"2023-08-01",…},"mt_FAK_":[{…}],"mt_POZ_":[…],"mt_ZAM_":[…],"mt_ZPOZ_":[…]}.
namespace JsonExchange {

// Writes every header field and every record in table order (whatever the links); null as
// null, dates yyyy-mm-dd. False, with *error, when the file could not be written.
bool exportFile(Workspace &workspace, const QString &path, QString *error = nullptr);

// Appends the records to the tables through their own rules (orders are numbered anew,
// order lines follow their order, lines without P_2B take the current invoice's number)
// and sets the header fields the file names. A file that is refused changes nothing; false,
// with *error naming the file and the problem.
bool importFile(Workspace &workspace, const QString &path, QString *error = nullptr);

} // namespace JsonExchange
