#pragma once

#include "base/result.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

#include "base/work_context.h"

// Import through the user's own application: it is started with the period and the name
// of the exchange file, waited for, and its exchange file is imported as a common file.
namespace ExternalApp {

// dateForApplication: the date in the import date format ("dd-mm-yyyy", "yyyy-mm-dd",
// "ddmmyyyy", "yyyymmdd"; the short date layout when none is chosen).
QString dateForApplication(const QDate &date, int dateFormat);

// Fills a template by the %-placeholder rules ("%0:s", "%s" for the next argument, "%%").
// Fails, with the reason, for a placeholder that cannot be filled.
// A width or precision over 1024 cannot be filled either.
Result<QString> formatParams(const QString &templ, const QStringList &args);
// The same, argument by argument: the template is split at spaces first, then each piece is
// filled, so that a file name with spaces stays one argument.
Result<QStringList> formatArguments(const QString &templ, const QStringList &args);

// Where the command stopped before starting anything: the field to bring into view.
enum class Check
{
    Passed,
    Application,
    ApplicationMissing,
    ExchangeFile,
    DateFrom,
    DateTo
};

// importThroughApplication. Returns the failed check (its message shown) or Passed.
// beforeMessage runs when a check fails, before its message: the window beeps, shows the
// page and focuses the field there.
Check importThroughApplication(const WorkContext &context, const std::function<void(Check)> &beforeMessage = {});

// startAndWait: starts the program without a shell and lets events run until it ends or
// the workspace closes; closing stops the waiting, not the program.
bool startAndWait(const WorkContext &context, const QString &program, const QStringList &arguments);

} // namespace ExternalApp
