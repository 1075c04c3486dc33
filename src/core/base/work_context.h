#pragma once

#include <QString>
#include <functional>

class BusyState;
class Controls;
class DocumentTables;
class MappingTables;
class UserPort;

// What a worker of the core (the import, the writer, the reader, the user's application) is
// given by the Workspace that runs it: the options, the tables, the mapping tables, the user
// port, the busy state, and the few things of the workspace it may ask for. The workers never
// see the Workspace itself.
struct WorkContext
{
    Controls *controls = nullptr;
    DocumentTables *tables = nullptr;
    MappingTables *maps = nullptr;
    UserPort *port = nullptr;
    BusyState *busy = nullptr;
    QString homeDir;
    QString outputFolder;                          // where a relative output name is written; empty: the working folder
    std::function<QString()> jpkTemplate;          // the template of "Schemat XML"
    std::function<bool(const QString &)> validate; // "Weryfikuj" of a written file
    std::function<bool()> closing;                 // the window is closing
};
