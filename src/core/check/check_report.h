#pragma once

#include "base/result.h"

#include "check/findings.h"

#include <QByteArray>
#include <functional>

// The last findings and the totals per rate, as a JSON file or as a self-contained HTML page
// (readable offline: no script, no external style, no picture). Both are written piece by
// piece: a million findings never sit in memory twice.
namespace CheckReport {

// Every finding goes into the JSON; the page shows a summary per code and the first
// kShownPerCode findings of each code.
inline constexpr int kShownPerCode = 1000;

using Sink = std::function<bool(QByteArrayView)>;
bool json(const CheckResult &result, const Sink &out);
bool html(const CheckResult &result, const Sink &out);
// By the name's extension: ".json" or ".html"/".htm"; a failure says why nothing was written.
Result<> write(const CheckResult &result, const QString &path);

} // namespace CheckReport
