#pragma once

#include "base/result.h"
#include "check/findings.h"

// Every schema error of a file (not only the first), each named by its record: the kind, its
// number in the file, the invoice, the element, its value, and a reason in plain Polish built
// from the error and the schema's own documentation.
namespace SchemaFindings {

// The findings, or why the file or its schema cannot be read at all.
Result<QList<Finding>> check(const QString &path, const QString &home);

// The reason of one libxml2 schema error in Polish; *element and *value are taken from it.
QString polishReason(const QString &message, QString *element, QString *value);

} // namespace SchemaFindings
