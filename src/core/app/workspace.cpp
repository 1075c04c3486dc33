#include "app/workspace.h"

#include "app/json_exchange.h"
#include "validate/schema_download.h"

#include "base/busy.h"
#include "base/user_port.h"
#include "check/check_report.h"
#include "check/data_checks.h"
#include "check/schema_findings.h"
#include "import/external_app.h"
#include "import/import_driver.h"
#include "jpk/jpk_reader.h"
#include "jpk/jpk_template.h"
#include "jpk/jpk_writer.h"
#include "jpk/output_name.h"
#include "ksef/ksef_import.h"
#include "tables/column_sum.h"
#include "validate/schema_locator.h"
#include "validate/validator.h"

#include <QDir>

Workspace::Workspace(UserPort *port, QObject *parent)
    : QObject(parent), m_port(port), m_controls(this), m_tables(port, this), m_template(designTemplate())
{
    usePolishForWhatIsShown(); // the top of the core: every front end starts here
    m_tables.setBusyState(&m_busy);
    m_busy.changed = [this](bool busy) {
        m_tables.setFrozen(busy);
        emit busyChanged(busy);
    };
    // what the last "Sprawdź dane" saw: any change of a record or a header field makes it old
    const auto touched = [this] {
        ++m_dataRevision;
        if (std::exchange(m_dataCheckFresh, false))
            emit dataCheckOutdated();
    };
    for (DocumentTable *table : m_tables.all()) {
        connect(table, &DocumentTable::reset, this, touched);
        connect(table, &DocumentTable::rowsAppended, this, touched);
        connect(table, &DocumentTable::rowChanged, this, touched);
        connect(table, &DocumentTable::rowRemoved, this, touched);
    }
    connect(&m_controls, &Controls::changed, this, touched);
}

bool Workspace::runLong(const QString &what, bool restoresTables, const std::function<bool()> &work)
{
    if (m_busy.isBusy()) {
        // a second command while one runs (a key or a click let through by the event pumping)
        m_port->failure(applicationTitle(),
                        QStringLiteral("Trwa inne polecenie – „%1” będzie dostępne po jego zakończeniu.").arg(what));
        return false;
    }
    // the user's pending record counts as posted; stored rows stay put while the command runs
    m_tables.postPending();
    m_tables.dropDeletedRows();
    const DocumentTables::Mark mark = m_tables.mark();
    BusyScope busy(m_busy);
    m_port->clearCancel();
    SchemaLocator::instance().forgetFailedAddresses(); // each command may try the network again
    const QString kept = restoresTables ? QStringLiteral(" Tabele pozostały bez zmian.") : QString();
    auto giveBack = [&] {
        m_port->progressHide();
        m_port->setBusy(false);
        if (restoresTables)
            m_tables.rollBack(mark);
        else
            m_tables.restoreViews(mark);
    };
    try {
        const bool ok = work();
        m_port->clearCancel();
        return ok;
    } catch (const CommandCancelled &) {
        giveBack();
        m_port->clearCancel();
        m_port->failure(applicationTitle(), QStringLiteral("Przerwano: %1.").arg(what) + kept);
    } catch (const std::bad_alloc &) {
        giveBack();
        m_port->failure(applicationTitle(),
                        QStringLiteral("%1: za mało pamięci, polecenie przerwano.").arg(what) + kept);
    } catch (const std::exception &e) {
        giveBack();
        m_port->failure(applicationTitle(), QStringLiteral("%1: polecenie przerwał błąd: ").arg(what) +
                                                QString::fromUtf8(e.what()) + u'.' + kept);
    }
    m_port->clearCancel();
    return false;
}

bool Workspace::runViewTask(const QString &what, const std::function<void()> &work)
{
    if (m_busy.isBusy()) {
        m_port->notice(applicationTitle(),
                       QStringLiteral("Trwa inne polecenie – „%1” będzie dostępne po jego zakończeniu.").arg(what));
        return false;
    }
    BusyScope busy(m_busy);
    m_port->clearCancel();
    m_port->setBusy(true);
    auto end = [&] {
        m_port->progressHide();
        m_port->setBusy(false);
        m_port->clearCancel();
    };
    try {
        work();
        end();
        return true;
    } catch (const CommandCancelled &) {
        end();
        m_port->notice(applicationTitle(), QStringLiteral("Przerwano: %1.").arg(what));
    } catch (const std::bad_alloc &) {
        end();
        m_port->failure(applicationTitle(), QStringLiteral("%1: za mało pamięci, polecenie przerwano.").arg(what));
    }
    return false;
}

Result<> Workspace::runLongOperation(const QString &what, bool restoresTables,
                                     const std::function<Result<>()> &operation)
{
    Result<> result;
    const bool finished = runLong(what, restoresTables, [&] {
        result = operation();
        return result.ok();
    });
    // stopped by an exception, the command has told why through the port already
    if (finished || !result)
        return result;
    return Failure(QStringLiteral("%1: polecenie nie zostało wykonane (zob. komunikat)").arg(what));
}

WorkContext Workspace::context()
{
    WorkContext c;
    c.controls = &m_controls;
    c.tables = &m_tables;
    c.maps = &m_maps;
    c.port = m_port;
    c.busy = &m_busy;
    c.homeDir = m_homeDir;
    c.outputFolder = m_outputFolder;
    c.jpkTemplate = [this] { return m_template; };
    // the check after "Generuj JPK" is part of that command, not a command of its own
    c.validate = [this](const QString &path) { return validateNow(path); };
    c.closing = [this] { return m_closing; };
    return c;
}

Result<> Workspace::checkTemplate(const QString &text)
{
    return JpkWriter::checkTemplate(text);
}

void Workspace::setJpkTemplate(const QString &text)
{
    if (text == m_template)
        return;
    m_template = text;
    emit templateChanged();
}

void Workspace::setBusy(bool busy)
{
    m_busy.set(busy);
}

bool Workspace::isEnabled(const QString &action) const
{
    if (m_busy.isBusy())
        return false;
    const Controls &c = m_controls;
    if (action == u"act_Importuj")
        return c.isCommonFile() && !c.checked(QStringLiteral("chb_Imp_Application_Checked"));
    if (action == u"Act_ImportNaglowek")
        return c.checked(QStringLiteral("rb_nag_OsobnyPlik_Checked"));
    if (action == u"Act_ImportujFaktury")
        return !c.isCommonFile();
    if (action == u"act_ImportujZAplikacji")
        return c.isCommonFile() && c.checked(QStringLiteral("chb_Imp_Application_Checked"));
    return true;
}

QString Workspace::disabledReason(const QString &action) const
{
    if (isEnabled(action))
        return QString();
    if (m_busy.isBusy())
        return QStringLiteral("Trwa import lub generowanie pliku JPK – polecenie będzie dostępne po jego zakończeniu.");
    const QString headerPage = QStringLiteral("„Ustawienia importu nagłówka”");
    const QString configPage = QStringLiteral("„Ogóle ustawienia pliku importu”");
    if (action == u"act_Importuj") {
        if (m_controls.checked(QStringLiteral("chb_Imp_Application_Checked")))
            return QStringLiteral("„Importuj Dane” jest wyłączone, bo zaznaczono „Importuj poprzez wywołanie "
                                  "aplikacji” na stronie %1; "
                                  "użyj „Importuj z aplikacji”.")
                .arg(configPage);
        return QStringLiteral("„Importuj Dane” wymaga opcji „Nagłowek i Faktury w jednym pliku” na stronie %1.")
            .arg(headerPage);
    }
    if (action == u"Act_ImportNaglowek")
        return QStringLiteral("„Importuj Naglowek” wymaga opcji „Import z osobnego pliku” na stronie %1.")
            .arg(headerPage);
    if (action == u"Act_ImportujFaktury")
        return QStringLiteral(
                   "„Importuj Faktury” działa, gdy faktury są w osobnym pliku: wybierz „Import z osobnego pliku” "
                   "albo „Brak danych do importu” na stronie %1.")
            .arg(headerPage);
    if (action == u"act_ImportujZAplikacji")
        return QStringLiteral("„Importuj z aplikacji” wymaga opcji „Nagłowek i Faktury w jednym pliku” (strona %1) i "
                              "„Importuj poprzez wywołanie aplikacji” (strona %2).")
            .arg(headerPage, configPage);
    return QString();
}

bool Workspace::importThroughApplication(const std::function<void(ExternalApp::Check)> &beforeMessage)
{
    return runLong(QStringLiteral("Importuj z aplikacji"), true, [&] {
        return ExternalApp::importThroughApplication(context(), beforeMessage) == ExternalApp::Check::Passed;
    });
}

Result<> Workspace::sumColumn(const QString &grid, const QString &field)
{
    const char *grids[] = {"grid_FAK", "grid_POZ", "grid_ZAM", "grid_ZPOZ"};
    const TableKind kinds[] = {TableKind::FAK, TableKind::POZ, TableKind::ZAM, TableKind::ZPOZ};
    for (int i = 0; i < 4; ++i) {
        if (grid.compare(QLatin1String(grids[i]), Qt::CaseInsensitive) != 0)
            continue;
        DocumentTable &table = *m_tables.table(kinds[i]);
        const int f = table.fieldIndex(field);
        // the grids show no column for P_14_5 and the link keys
        const bool shown = f >= 0 && !(kinds[i] == TableKind::FAK && table.fields().at(f).name == u"P_14_5") &&
                           table.fields().at(f).type != FieldType::Integer;
        if (!shown)
            return Failure(QStringLiteral("%1 has no column %2").arg(grid, field));
        showColumnSum(table, f, m_port);
        return {};
    }
    return Failure(QStringLiteral("no grid \"%1\" (grid_FAK, grid_POZ, grid_ZAM, grid_ZPOZ)").arg(grid));
}

void Workspace::columnSum(DocumentTable &table, int field, const std::vector<int> *shown)
{
    showColumnSum(table, field, m_port, shown);
}

bool Workspace::loadMap(MappingTables::Kind kind, const QString &path)
{
    if (path.isEmpty()) {
        m_maps.chooseAndLoad(kind, m_port);
        return true;
    }
    return m_maps.loadFile(kind, path, m_port);
}

bool Workspace::saveMap(MappingTables::Kind kind, const QString &path)
{
    if (path.isEmpty()) {
        m_maps.chooseAndSave(kind, m_port);
        return true;
    }
    return m_maps.saveFile(kind, path, m_port);
}

void Workspace::newMap(MappingTables::Kind kind)
{
    m_maps.rebuild(kind, m_tables, m_port);
}

QString Workspace::schemaPrompt() const
{
    return SchemaDownload::prompt(m_homeDir);
}

bool Workspace::loadSchemaDescriptions(DownloadView *view, QString *text)
{
    return SchemaDownload::loadDescriptions(m_port, view, m_homeDir, m_template, text);
}

QString Workspace::correctedOutputName(const QString &text)
{
    return correctOutputName(m_port, text);
}

QString Workspace::timestampNow()
{
    return JpkWriter::timestampText(QDateTime::currentDateTime());
}

Result<> Workspace::importJson(const QString &path)
{
    return runLongOperation(QStringLiteral("import-json"), true, [&] { return JsonExchange::importFile(*this, path); });
}

Result<> Workspace::exportJson(const QString &path)
{
    return runLongOperation(QStringLiteral("export-json"), false,
                            [&] { return JsonExchange::exportFile(*this, path); });
}

void Workspace::importCommonFile(const QString &path)
{
    runLong(QStringLiteral("Importuj Dane"), true, [&] {
        ImportDriver(context()).importCommonFile(path);
        return true;
    });
}

bool Workspace::importHeaderFile(const QString &path)
{
    return runLong(QStringLiteral("Importuj Naglowek"), true,
                   [&] { return ImportDriver(context()).importHeaderFile(path); });
}

bool Workspace::importInvoiceFile(const QString &path)
{
    return runLong(QStringLiteral("Importuj Faktury"), true,
                   [&] { return ImportDriver(context()).importInvoiceFile(path); });
}

bool Workspace::importOrderFile(const QString &path)
{
    return runLong(QStringLiteral("Importuj zamówienia"), true,
                   [&] { return ImportDriver(context()).importOrderFile(path); });
}

bool Workspace::generateJpk()
{
    m_generateNoName = false;
    return runLong(QStringLiteral("Generuj JPK"), false, [&] {
        JpkWriter writer(context());
        if (now)
            writer.now = now;
        const JpkWriter::Outcome outcome = writer.generate();
        m_generateNoName = outcome == JpkWriter::Outcome::EmptyName;
        if (outcome == JpkWriter::Outcome::Written)
            m_lastWrittenFile = writer.writtenFile();
        return outcome == JpkWriter::Outcome::Written;
    });
}

void Workspace::start(const QStringList &args, const QString &homeDir)
{
    m_homeDir = homeDir;
    m_commandLine = CommandLine::parse(args);
    m_settings.load(QDir(homeDir).filePath(m_commandLine.settingsFileName()));

    if (m_controls.text(QStringLiteral("fn_JPK_Text")).isEmpty())
        m_controls.setText(QStringLiteral("fn_JPK_Text"), QStringLiteral("JPK_FA4.XML"));

    // the default mapping tables, then the stored controls and the stored tables
    m_maps.buildDefaults(m_tables);
    m_controls.restore(m_settings, sectionName());
    m_maps.restoreFromSettings(m_settings, sectionName());

    m_tables.resetCounters();
}

void Workspace::storeSettings()
{
    const QString section = sectionName();
    m_settings.setValue(section, QStringLiteral("FormVersion"), QStringLiteral("0"));
    if (storeWindowPlacement)
        storeWindowPlacement(m_settings);
    if (storeGridLayouts)
        storeGridLayouts(m_settings);
    m_controls.store(m_settings, section);
    m_maps.storeInSettings(m_settings, section);
}

Result<> Workspace::writeSettingsFile()
{
    return m_settings.save();
}

namespace {
const QString kJpkFilter = QStringLiteral("Pliki JPK*.XML (*JPK*.XML *JPK*.xml);;Pliki XML (*.XML *.xml)");
}

void Workspace::chooseAndLoadJpk()
{
    if (const auto file =
            m_port->chooseOpenFile(QStringLiteral("Załaduj dane z pliku JPK*.XML"), kJpkFilter, QStringLiteral("XML")))
        loadJpk(*file);
}

bool Workspace::loadJpk(const QString &path)
{
    return runLong(QStringLiteral("Załaduj dane z pliku JPK*.XML"), true, [&] {
        JpkReader reader(context());
        return reader.load(path);
    });
}

bool Workspace::importKsef(const QString &path, bool validate, bool recursive)
{
    return runLong(QStringLiteral("Importuj e-faktury (KSeF)"), true, [&] {
        KsefImport import(context());
        import.validate = validate;
        import.recursive = recursive;
        return import.run(path);
    });
}

void Workspace::chooseAndValidateFile()
{
    const auto file =
        m_port->chooseOpenFile(QStringLiteral("Weryfikuj gotowy JPK-FA(4).XML"), kJpkFilter, QStringLiteral("XML"));
    if (file)
        validateFile(*file);
}

bool Workspace::validateFile(const QString &path)
{
    return runLong(QStringLiteral("Weryfikuj gotowy JPK-FA(4).XML"), false, [&] { return validateNow(path); });
}

bool Workspace::validateNow(const QString &path)
{
    bool valid = false;
    ::validateFile(m_port, m_homeDir, path, &valid);
    return valid;
}

const CheckResult &Workspace::checkData()
{
    DataChecks::Header header;
    const QDate from = m_controls.date(QStringLiteral("ed_DataOd_Date"));
    const QDate to = m_controls.date(QStringLiteral("ed_DataDo_Date"));
    header.from = from == zeroDate() ? QDate() : from;
    header.to = to == zeroDate() ? QDate() : to;
    header.nip = m_controls.text(QStringLiteral("ed_NIP_Text"));
    header.today = QDate::currentDate();
    // the elements of Naglowek and Podmiot1 that the schema requires and the window fills
    for (const char *name : {"DataOd", "DataDo", "KodUrzedu", "NIP", "PelnaNazwa", "KodKraju", "Wojewodztwo", "Powiat",
                             "Gmina", "NrDomu", "Miejscowosc", "KodPocztowy"}) {
        const QString key = headerControlKey(QString::fromLatin1(name));
        const bool empty = key.endsWith(QStringLiteral("_Date")) ? m_controls.date(key) == zeroDate()
                                                                 : m_controls.text(key).trimmed().isEmpty();
        if (empty)
            header.missing << QString::fromLatin1(name);
    }
    runLong(QStringLiteral("Sprawdź dane"), false, [&] {
        m_port->setBusy(true);
        CheckResult result;
        result.source = QStringLiteral("dane w tabelach");
        result.findings = DataChecks::run(m_tables, header, m_port, &result.errorCount);
        result.totals = DataChecks::totals(m_tables, m_port);
        result.hasTotals = true;
        result.dataRevision = m_dataRevision;
        m_lastCheck = std::move(result);
        m_dataCheckFresh = true;
        m_port->setBusy(false);
        return true;
    });
    return m_lastCheck;
}

Result<> Workspace::checkFile(const QString &path)
{
    return runLongOperation(QStringLiteral("Sprawdź plik"), false, [&]() -> Result<> {
        m_port->setBusy(true);
        Result<QList<Finding>> findings = SchemaFindings::check(path, m_homeDir);
        m_port->setBusy(false);
        if (!findings)
            return Failure(findings.reason());
        CheckResult result;
        result.source = path;
        result.findings = std::move(*findings);
        m_lastCheck = std::move(result);
        m_dataCheckFresh = false;
        return {};
    });
}

Result<> Workspace::writeCheckReport(const QString &path)
{
    // a report tells of the data as they are: without a check of them since their last change,
    // the check runs first (a checked file's findings are reported as they are)
    const bool ofTheData = m_lastCheck.source.isEmpty() || m_lastCheck.hasTotals;
    if (ofTheData && (m_lastCheck.source.isEmpty() || m_lastCheck.dataRevision != m_dataRevision))
        checkData();
    return CheckReport::write(m_lastCheck, path);
}

QString Workspace::configLabelText() const
{
    if (m_commandLine.cnfGiven)
        return QStringLiteral("wywołano konfigurację -cnf:") + m_commandLine.cnf;
    return QStringLiteral("parmater \"-cnf:nn\" - praca wg innej konfiguracji");
}

QString Workspace::aboutText()
{
    return QStringLiteral("Program do generowania pliku JPK_FA4.XML\n"
                          "do wersji wg schematu: Schemat_JPK_FA(4)_v1-0.xsd\n"
                          "z danych tekstowych imortowanych z innych aplikacji\n"
                          "według sposobu określonego przez użytkownika.\n"
                          "Wersja programu: ") +
           programVersion();
}
