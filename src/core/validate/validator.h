#pragma once

#include <QString>

class UserPort;
struct _xmlSchema;

// JpkValidator: validates one XML file against its XSD schema and tells the user the
// outcome. Created for one validation and disposed of; reading and validating stream the
// file, so memory does not grow with it.
class JpkValidator
{
public:
    JpkValidator(UserPort *port, const QString &programDir);
    ~JpkValidator(); // stores "ustawienia.xml"
    JpkValidator(const JpkValidator &) = delete;
    JpkValidator &operator=(const JpkValidator &) = delete;

    QString documentPath;     // the file to validate
    QString nameSpace;        // the namespace the schema is added under
    QString schemaLocation;   // the schema: a file path or a network address
    bool fromDocument = true; // derive namespace and schema from the file alone

    // Reads the file, checks its root element and derives the namespace and the schema
    // location. False when a message has been shown and validation must not go on.
    bool prepare();
    // prepare, then validation and its message. True only for a conforming file.
    bool validate();
    // The schema beside the program (or installed with it) as schemaLocation, when there is one.
    void useSchemaBesideProgram();
    // Compiles schemaLocation (catalog, cache, network) and checks its namespace; null, or a
    // schema with *failure set, when it cannot serve. The caller frees the schema.
    _xmlSchema *compileSchema(QString *failure) const;

    // The schema location cut out of an xsi:schemaLocation value: up to the first ".xsd",
    // after the last character outside the location character set.
    static QString cutSchemaLocation(const QString &value);
    // The location hint of a schemaLocation/noNamespaceSchemaLocation attribute value.
    static QString attributeHint(const QString &value);

private:
    void reportValidationError(int code, const QString &reason, int line, int column);

    UserPort *m_port;
    QString m_programDir;
    QByteArray m_settings; // "ustawienia.xml" as read
};

// Compiles the schema at location (a file or an address) with the program's catalogs, its
// cache and, when allowed, the network; null with *failure set when it cannot be read. With a
// port, a download lets its events run and "Przerwij" stops the command (CommandCancelled).
_xmlSchema *compileSchemaFile(const QString &programDir, const QString &location, QString *failure,
                              UserPort *port = nullptr);

// The window's operation: validate one file with the schema beside the program when it is there.
void validateFile(UserPort *port, const QString &programDir, const QString &path, bool *valid = nullptr);
