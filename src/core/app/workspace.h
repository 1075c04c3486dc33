#pragma once

#include "program_version.h"

#include "app/command_line.h"
#include "base/busy.h"
#include "base/controls.h"
#include "base/result.h"
#include "base/settings_file.h"
#include "base/work_context.h"
#include "check/findings.h"
#include "import/external_app.h"
#include "import/mapping_tables.h"
#include "tables/document_tables.h"

#include <QDateTime>
#include <QObject>
#include <functional>

class DownloadView;
class UserPort;

// Everything the main window owns for the whole run: the document tables, the options,
// the header fields, the command line and the settings file held in memory. The window
// shows it; the command line drives it.
class Workspace : public QObject
{
    Q_OBJECT
public:
    explicit Workspace(UserPort *port, QObject *parent = nullptr);

    // The creation of the main window: reads the command line, chooses and reads the
    // settings file from homeDir, puts the default output name in place and restores
    // the stored controls.
    void start(const QStringList &args, const QString &homeDir);
    // Stores the settings into the in-memory file, as closing the window does.
    void storeSettings();
    // Writes the settings file to disk in one piece (never a read-only one); a failure keeps the
    // old file and *error says why.
    Result<> writeSettingsFile();

    UserPort *port() const { return m_port; }
    // What the workers it runs are given (the import, the writer, the reader, the application).
    WorkContext context();
    const CommandLine &commandLine() const { return m_commandLine; }
    QString homeDir() const { return m_homeDir; }
    QString settingsPath() const { return m_settings.path(); }
    SettingsFile &settings() { return m_settings; }
    Controls &controls() { return m_controls; }
    DocumentTables &tables() { return m_tables; }
    MappingTables &maps() { return m_maps; }

    // The import commands; with a path the file dialog is skipped.
    void importCommonFile(const QString &path = QString());
    bool importHeaderFile(const QString &path = QString());
    bool importInvoiceFile(const QString &path = QString());
    bool importOrderFile(const QString &path = QString());
    // "Importuj z aplikacji": false when a check failed (its message shown).
    // beforeMessage: what the window does when a check fails, before its message.
    bool importThroughApplication(const std::function<void(ExternalApp::Check)> &beforeMessage = {});
    // "Suma wg kolumny." over a grid's column: grid_FAK, grid_POZ, grid_ZAM, grid_ZPOZ.
    // False, with *error, when there is no such grid or column.
    Result<> sumColumn(const QString &grid, const QString &field);
    // "Suma wg kolumny." over a field of a table, as the window's grid presents it.
    void columnSum(DocumentTable &table, int field, const std::vector<int> *shown = nullptr);

    // The mapping tables' file commands: "Wczytaj", "Zachowaj" (a dialog when path is empty),
    // "Nowy wzorzec" / "Domyślne" / "Wyczyść".
    bool loadMap(MappingTables::Kind kind, const QString &path = QString());
    bool saveMap(MappingTables::Kind kind, const QString &path = QString());
    void newMap(MappingTables::Kind kind);

    // "Opis pól:": the prompt of the page, and "Wczytaj ..." (the schema re-indented, downloaded
    // first when it is not beside the program); false when it could not be shown.
    QString schemaPrompt() const;
    bool loadSchemaDescriptions(DownloadView *view, QString *text);

    // The output name corrected to the schema's pattern (the message tells of a change).
    QString correctedOutputName(const QString &text);
    static QString timestampNow();

    // Appends the records of a JSON file / writes all records as JSON; false, with *error, when not.
    Result<> importJson(const QString &path);
    Result<> exportJson(const QString &path);
    // The window is closing: a wait for the external application ends.
    bool isClosing() const { return m_closing; }
    void setClosing(bool closing) { m_closing = closing; }

    // Whether a command of the window may run now: the import layout decides which import
    // commands are offered, and none starts while another import or a generation runs.
    bool isEnabled(const QString &action) const;
    // Why an import command is not offered now, naming the option that offers it and its
    // page; empty while it is offered.
    QString disabledReason(const QString &action) const;
    bool isBusy() const { return m_busy.isBusy(); }
    void setBusy(bool busy);

    // The JPK template of the page "Schemat XML" (jpkTemplate); edits are not stored.
    QString jpkTemplate() const { return m_template; }
    void setJpkTemplate(const QString &text);
    // Whether a template text can be used, or why not (the loader's refusal of a DTD).
    static Result<> checkTemplate(const QString &text);
    // "Generuj JPK". Returns false when nothing was written (the window shows page 1
    // and focuses the output field when the name is empty).
    bool generateJpk();
    bool lastGenerateHadNoName() const { return m_generateNoName; }
    // The full path of the file "Generuj JPK" wrote last.
    QString lastWrittenFile() const { return m_lastWrittenFile; }
    // Where a relative output name is written: the window writes into the program's folder,
    // whatever folder the process was started in; the command line into its working folder.
    void setOutputFolder(const QString &folder) { m_outputFolder = folder; }

    // "Załaduj dane z pliku JPK*.XML": asks for a file and loads it.
    void chooseAndLoadJpk();
    // Loads one file; returns whether any record was read.
    bool loadJpk(const QString &path);

    // "Importuj e-faktury (KSeF)": a .xml file, a folder (its subfolders when recursive) or a
    // .zip package of FA(3)/FA(2) e-invoices appended to the tables. validate checks each file
    // against its schema first. Returns whether any e-invoice could be read.
    bool importKsef(const QString &path, bool validate = true, bool recursive = false);

    // "Weryfikuj gotowy JPK-FA(4).XML": asks for a file and validates it.
    void chooseAndValidateFile();
    // Validates one file; returns whether it conforms.
    bool validateFile(const QString &path);
    // The one place a long command runs (every import, load, generate, validate, check,
    // e-invoices, the user's application): refused while another runs; the user's pending
    // record posted and deleted rows dropped first; the tables frozen for the user while it
    // runs; "Przerwij" and any exception (out of memory included) end it with a Polish
    // message, giving back what it added to the tables when restoresTables. what: its name.
    bool runLong(const QString &what, bool restoresTables, const std::function<bool()> &work);
    // The same for an operation that gives its reason back instead of telling the user: the
    // reason comes back to the caller, or, when the command was stopped (told through the
    // port as above), that it was.
    Result<> runLongOperation(const QString &what, bool restoresTables, const std::function<Result<>()> &operation);
    // A long look at the tables that changes none of them (a grid's sort, filter, search):
    // refused while a command runs; the tables frozen for the user meanwhile and "Przerwij"
    // stops it, said in the status bar. No row is dropped and no pending record posted, so the
    // positions a grid holds stay valid. False when it did not finish.
    bool runViewTask(const QString &what, const std::function<void()> &work);

    // "Kontrola": "Sprawdź dane" (the checks beyond the schema, and the totals per rate) and
    // "Sprawdź plik" (every schema error of a file, by record). Each keeps its result for the
    // report; checkFile says why when the file cannot be checked at all.
    const CheckResult &checkData();
    Result<> checkFile(const QString &path);
    const CheckResult &lastCheck() const { return m_lastCheck; }
    // The last findings as FILE.json or FILE.html; the data are checked first when they changed
    // since their last check (or were never checked).
    Result<> writeCheckReport(const QString &path);

    QString statusText() const { return m_commandLine.statusText(); }
    // The label on the general settings page that tells how the configuration was chosen.
    QString configLabelText() const;
    static QString aboutText();
    static QString programVersion() { return QStringLiteral(TAVRIX_PROGRAM_VERSION); }
    static QString sectionName() { return QStringLiteral("Form_ImportJPK"); }

    // The header fields of page 1 by their JPK names (DataOd, NIP, KodKraju, …).
    static QStringList headerFieldNames() { return Controls::headerFieldNames(); }
    static QString headerControlKey(const QString &name) { return Controls::headerControlKey(name); }

    // Hooks of the window, called while storing: window placement and grid layouts.
    std::function<void(SettingsFile &)> storeWindowPlacement;
    std::function<void(SettingsFile &)> storeGridLayouts;
    // The clock of "Data Wytworzenia JPK" (tests fix it).
    std::function<QDateTime()> now;

signals:
    void templateChanged();
    void busyChanged(bool busy);
    // The records or the header changed after the last "Sprawdź dane": its findings are old.
    void dataCheckOutdated();

private:
    bool validateNow(const QString &path);

    UserPort *m_port;
    QString m_homeDir;
    CommandLine m_commandLine;
    SettingsFile m_settings;
    Controls m_controls;
    DocumentTables m_tables;
    MappingTables m_maps;
    QString m_template;
    CheckResult m_lastCheck;
    quint64 m_dataRevision = 0;    // counts the changes of the records and the header
    bool m_dataCheckFresh = false; // the last "Sprawdź dane" saw the data as they are
    bool m_generateNoName = false;
    QString m_lastWrittenFile;
    QString m_outputFolder;
    BusyState m_busy;
    bool m_closing = false;
};
