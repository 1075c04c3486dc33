#pragma once

#include "check/findings.h"

#include <QDate>

class DocumentTables;
class UserPort;

// The checks the schema cannot make, over the four tables and the header fields.
namespace DataChecks {

struct Header
{
    QDate from, to;      // DataOd, DataDo (invalid when not set)
    QString nip;         // the header's NIP
    QStringList missing; // required header elements left empty (their JPK names)
    QDate today;         // an issue date after it is worth a warning (invalid: not checked)
};

// Every finding of K01 … K11, in the order of the records; the port (when given) shows the
// progress over the invoices; `errors` (when given) gets how many are errors.
QList<Finding> run(const DocumentTables &tables, const Header &header, UserPort *port = nullptr, int *errors = nullptr);
// The sums per rate, kind and currency; the port (when given) shows the progress and may stop it.
Totals totals(const DocumentTables &tables, UserPort *port = nullptr);

// The NIP checksum (weights 6 5 7 2 3 4 5 6 7, mod 11); separators "-" and spaces allowed.
bool nipValid(QStringView nip);
// The digits of a tax number, without its separators.
QString nipDigits(QStringView nip);

} // namespace DataChecks
