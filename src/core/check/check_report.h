#pragma once

#include "check/findings.h"

#include <QByteArray>

// The last findings and the totals per rate, as a JSON file or as a self-contained HTML page
// (readable offline: no script, no external style, no picture).
namespace CheckReport {

QByteArray json(const CheckResult &result);
QByteArray html(const CheckResult &result);
// By the name's extension: ".json" or ".html"/".htm"; *error says why nothing was written.
bool write(const CheckResult &result, const QString &path, QString *error);

} // namespace CheckReport
