#pragma once

#include <QString>

class UserPort;

// Corrects an output file name to the schema's pattern [a-zA-Z0-9_.-]{5,55} with the
// extension ".xml"; tells the user when more than the extension changed.
QString correctOutputName(UserPort *port, const QString &text);
