#include "import/import_driver.h"

#include "base/characters.h"

#include <QScopeGuard>

#include "base/busy.h"
#include "base/controls.h"
#include "base/user_port.h"
#include "import/mapping_tables.h"
#include "import/pass_keys.h"
#include "import/record_resolver.h"
#include "tables/document_tables.h"

#include <QHash>

namespace {

bool beginsWith(QStringView line, const QString &prefix)
{
    // an empty prefix is never found
    return !prefix.isEmpty() && line.startsWith(prefix);
}

} // namespace

// The names of one pass: the invoice pass and the order pass are twins.
struct ImportDriver::Pass
{
    DocumentTable *table;
    DocumentTable *lineTable;
    MappingTables::Kind rowMap;
    MappingTables::Kind lineMap;
    QString rowKind;
    QString lineKind;
    const PassKeys &keys; // the options of this pass
    QString failed;
};

ImportDriver::ImportDriver(const WorkContext &context) : m_ws(context), m_port(context.port) {}

bool ImportDriver::readImportFile(const QString &path)
{
    const Controls &c = (*m_ws.controls);
    const int page = c.itemIndex(QStringLiteral("cb_PL_ItemIndex"));
    const LineList::CodePage codePage = page == 1   ? LineList::CodePage::Utf8
                                        : page == 2 ? LineList::CodePage::Ibm852
                                                    : LineList::CodePage::Windows1250;
    const Result<> read = m_lines.read(path, codePage);
    QString error = read.reason();
    if (read && c.checked(QStringLiteral("chb_wyroznik_Checked"))) {
        const QString marker = c.text(QStringLiteral("edx_Wyroznik_Text"));
        if (m_lines.count() == 0 || marker.isEmpty() || !m_lines.line(0).contains(marker))
            error = QStringLiteral("Pierwsza linia pliku nie zawiera ustalonego wyróżnika \"%1\"").arg(marker);
    }
    if (!error.isEmpty()) {
        m_lines.clear();
        m_port->failure(applicationTitle(), QStringLiteral("Błąd imporu danych:") + error);
        return false;
    }
    return true;
}

bool ImportDriver::chooseImportFile(const QString &what, const QString &path)
{
    QString file = path;
    if (file.isEmpty()) {
        const auto chosen =
            m_port->chooseOpenFile(QStringLiteral("Wskaż plik z danymi do importu ") + what,
                                   QStringLiteral("Tekstowe pliki importu [TXT,CSV] (*.TXT *.txt *.CSV *.csv);;"
                                                  "Wszystkie pliki [*.*] (*)"),
                                   QString());
        if (!chosen)
            return false;
        file = *chosen;
    }
    return readImportFile(file);
}

void ImportDriver::importCommonFile(const QString &path)
{
    BusyScope busy(*m_ws.busy);
    if (!chooseImportFile(QStringLiteral("Pobrania danych dla Nagłowka i FAKTUR"), path))
        return;
    m_added.clear();
    importCommonBlocks();
    // the import ends by saying what came in
    const DocumentTables &t = (*m_ws.tables);
    auto added = [this](const DocumentTable &table) { return QString::number(m_added.value(&table)); };
    m_port->notice(applicationTitle(),
                   QStringLiteral("Zaimportowano faktur: %1, wierszy faktur: %2, zamówień: %3, "
                                  "wierszy zamówień: %4.")
                       .arg(added(t.mt_FAK_), added(t.mt_POZ_), added(t.mt_ZAM_), added(t.mt_ZPOZ_)));
}

bool ImportDriver::importHeaderFile(const QString &path)
{
    BusyScope busy(*m_ws.busy);
    if (!chooseImportFile(QStringLiteral("NAGŁÓWEK"), path))
        return false;
    bool ok = false;
    try {
        ok = importHeaderBlock(0);
        if (ok)
            m_port->info(applicationTitle(), QStringLiteral("Wczytano dane NAGŁÓWKA"));
        else
            m_port->failure(applicationTitle(), QStringLiteral("Nie udało sie pobrać danych nagłówka"));
    } catch (const ImportError &e) {
        m_port->failure(applicationTitle(), e.message);
    }
    m_lines.clear();
    return ok;
}

bool ImportDriver::importSeparateFile(const QString &what, const QString &path, bool (ImportDriver::*pass)(int),
                                      const QString &done, const QString &failed)
{
    BusyScope busy(*m_ws.busy);
    if (!chooseImportFile(what, path))
        return false;
    const bool ok = (this->*pass)(0);
    if (ok)
        m_port->info(applicationTitle(), done);
    else
        m_port->failure(applicationTitle(), failed);
    m_lines.clear();
    return ok;
}

bool ImportDriver::importInvoiceFile(const QString &path)
{
    return importSeparateFile(QStringLiteral("FAKTURY"), path, &ImportDriver::importInvoiceBlock,
                              QStringLiteral("Wczytano dane z pliku FAKTUR"),
                              QStringLiteral("Nie udało sie pobrać poprawnie danych faktur"));
}

bool ImportDriver::importOrderFile(const QString &path)
{
    return importSeparateFile(QStringLiteral("ZAMÓWIENIA"), path, &ImportDriver::importOrderBlock,
                              QStringLiteral("Wczytano dane z pliku Zamówienia"),
                              QStringLiteral("Nie udało sie pobrać poprawnie danych Zamówienia"));
}

void ImportDriver::importCommonBlocks()
{
    const Controls &c = (*m_ws.controls);
    if (!c.isCommonFile()) {
        m_lines.clear();
        return;
    }
    const int n = m_lines.count();
    m_readingCommonFile = true;
    const auto done = qScopeGuard([this] { m_readingCommonFile = false; });
    try {
        const QString headerStart = c.text(QStringLiteral("edx_Nag_Start_Text"));
        int h = m_lines.find(headerStart, 0);
        if (h < 0)
            h = n;
        if (h < n)
            importHeaderBlock(h + 1);
        else
            m_port->failure(applicationTitle(), QStringLiteral("Brak bloku NAGŁÓWEK"));

        // every block that starts with its marker is read by its pass; none is a failure
        auto readBlocks = [&](const QString &start, bool (ImportDriver::*pass)(int), const char *missing) {
            bool found = false;
            for (int i = m_lines.find(start, 0); i >= 0; i = m_lines.find(start, i + 1)) {
                found = true;
                (this->*pass)(i + 1);
            }
            if (!found)
                m_port->failure(applicationTitle(), QString::fromUtf8(missing));
        };
        const QString invoiceStart = c.text(QStringLiteral("ed_FAK_StartBlok_Text"));
        if (invoiceStart.isEmpty())
            importInvoiceBlock(h + 2);
        else
            readBlocks(invoiceStart, &ImportDriver::importInvoiceBlock, "Brak bloku FAKTURY");
        // the order block is read only when this box is ticked
        if (c.checked(QStringLiteral("chb_ZAL_NieImportuj_Checked"))) {
            const QString orderStart = c.text(QStringLiteral("ed_ZAM_StartBlok_Text"));
            if (orderStart.isEmpty())
                importOrderBlock(invoiceStart.isEmpty() ? h + 2 : n + 1);
            else
                readBlocks(orderStart, &ImportDriver::importOrderBlock, "Brak bloku ZAMÓWIENIA");
        }
    } catch (const ImportError &e) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd imporu danych:") + e.message);
    }
    m_lines.clear();
}

bool ImportDriver::importHeaderBlock(int start)
{
    const Controls &c = (*m_ws.controls);
    if (c.checked(QStringLiteral("rb_nag_kolumny_Checked"))) {
        const QString end = c.text(QStringLiteral("edx_Nag_Koniec_Text"));
        const QChar separator = ImportFormat::fromControls(c).separator;
        QString text;
        for (int i = start; i < m_lines.count() && m_lines.line(i) != end; ++i)
            text += m_lines.line(i) + separator;
        return importHeaderLine(text);
    }
    const int row = start + (c.checked(QStringLiteral("chb_nag_OdDrugiegoWiersza_Checked")) ? 1 : 0);
    if (row < 0 || row >= m_lines.count())
        throw ImportError{QStringLiteral("Indeks wiersza nagłówka %1 poza zakresem listy wierszy (0..%2)")
                              .arg(row)
                              .arg(m_lines.count() - 1)};
    return importHeaderLine(m_lines.line(row));
}

bool ImportDriver::importHeaderLine(const QString &text)
{
    Controls &c = (*m_ws.controls);
    const ImportFormat format = ImportFormat::fromControls(c);
    FieldSplitter parser;
    parser.init(text, format.separator, format.decimal, format.dateFormat, true);
    const MappingGrid &map = (*m_ws.maps).grid(MappingTables::NAG);
    try {
        for (int r = 1; r < map.rowCount(); ++r) {
            const QString name = map.cell(0, r);
            int n = 0;
            if (!FieldSplitter::readInt(map.cell(1, r), &n))
                n = 0;
            const QString defaultText = map.cell(2, r);
            if (name.isEmpty() || name.compare(QStringLiteral("DataWytworzeniaJPK"), Qt::CaseInsensitive) == 0)
                continue;
            const QString key = Controls::headerControlKey(name);
            if (key.isEmpty())
                continue;
            const bool dateField = key.endsWith(QStringLiteral("_Date"));
            if (name.startsWith(QStringLiteral("Data"))) {
                if (!dateField)
                    continue;
                if (n >= 1)
                    c.setDate(key, parser.dateAt(n, zeroDate()));
                continue;
            }
            if (dateField)
                continue; // a date field written in another letter case would get a text
            c.setText(key, n < 1 ? defaultText : parser.stringAt(n, defaultText));
        }
    } catch (const ImportError &e) {
        m_port->failure(applicationTitle(), QStringLiteral("Błąd podziału wiersza nagłówka:\r") + text +
                                                QStringLiteral("\r") + QStringLiteral("Komunikat:") + e.message);
        return false;
    }
    return true;
}

bool ImportDriver::importInvoiceBlock(int start)
{
    DocumentTables &t = (*m_ws.tables);
    const Pass pass{&t.mt_FAK_,
                    &t.mt_POZ_,
                    MappingTables::FAK,
                    MappingTables::POS,
                    QStringLiteral("faktur"),
                    QStringLiteral("pozycji faktur"),
                    kInvoicePassKeys,
                    QStringLiteral("Nie wszystką sprzedaż wczytano poprawnie")};
    return runPass(pass, start);
}

bool ImportDriver::importOrderBlock(int start)
{
    DocumentTables &t = (*m_ws.tables);
    const Pass pass{&t.mt_ZAM_,
                    &t.mt_ZPOZ_,
                    MappingTables::ZAM,
                    MappingTables::ZPOS,
                    QStringLiteral("zamówień"),
                    QStringLiteral("pozycji zamówien"),
                    kOrderPassKeys,
                    QStringLiteral("Nie wszystkie zamówienia wczytano poprawnie")};
    return runPass(pass, start);
}

// The options of a pass, read afresh for every line (the user may change them while the
// import runs) and looked up again only when some option changed.
struct ImportDriver::PassOptions
{
    ImportFormat format;
    bool commonFile = false, recordFilter = false, underRecord = false, afterHeading = false, directlyUnder = false,
         lineFilter = false, endAtOtherStart = false, endAtEmptyLine = false, endAtRecord = false, endAtNumber = false;
    QString endBlock, recordHeadingText, recordFilterText, headingText, lineFilterText;

    PassOptions(const Controls &controls, const PassKeys &keys) : m_controls(controls), m_keys(keys) {}

    void refresh()
    {
        if (m_seen == m_controls.revision())
            return;
        m_seen = m_controls.revision();
        format = ImportFormat::fromControls(m_controls);
        commonFile = on("rb_WspolnyPlik_Checked");
        recordFilter = on(m_keys.recordFilter);
        underRecord = on(m_keys.underRecord);
        afterHeading = on(m_keys.afterHeading);
        directlyUnder = on(m_keys.directlyUnder);
        lineFilter = on(m_keys.lineFilter);
        endAtOtherStart = on(m_keys.endAtOtherStart);
        endAtEmptyLine = on(m_keys.endAtEmptyLine);
        endAtRecord = on(m_keys.endAtRecord);
        endAtNumber = on(m_keys.endAtNumber);
        endBlock = text(m_keys.endBlock);
        recordHeadingText = text(m_keys.recordHeadingText);
        recordFilterText = text(m_keys.recordFilterText);
        headingText = text(m_keys.headingText);
        lineFilterText = text(m_keys.lineFilterText);
    }
    // an option's value now; its position is looked up once
    bool on(const char *key) { return m_controls.valueAt(position(key)).toBool(); }
    QString text(const char *key) { return m_controls.valueAt(position(key)).toString(); }

private:
    int position(const char *key)
    {
        auto it = m_positions.find(key);
        if (it == m_positions.end())
            it = m_positions.insert(key, Controls::indexOf(QString::fromLatin1(key)));
        return *it;
    }
    const Controls &m_controls;
    const PassKeys &m_keys;
    QHash<const char *, int> m_positions;
    quint64 m_seen = ~quint64(0);
};

// Where a pass stands between its steps.
struct ImportDriver::PassState
{
    int i = 0;              // the line being read
    bool awaiting = true;   // the next line that passes the filter is a document row
    bool allOk = true;      // no line failed
    bool rowFailed = false; // the document row of the current list failed: its lines are skipped
    bool endSeen = false;   // the block's end marker was met
    QString text;           // the line being read; its buffer serves line after line
};

bool ImportDriver::runPass(const Pass &p, int start)
{
    PassOptions o(*m_ws.controls, p.keys);
    MappingTables &maps = (*m_ws.maps);
    RecordResolver rows(maps.grid(p.rowMap), *p.table, p.rowKind, maps.grid(MappingTables::DEF), m_port);
    RecordResolver lines(maps.grid(p.lineMap), *p.lineTable, p.lineKind, maps.grid(MappingTables::DEF), m_port);
    const int n = m_lines.count();

    p.table->suspendViews();
    p.lineTable->suspendViews();
    // without appending, the file's records take the place of those the tables held once the
    // pass is over: a cancelled pass leaves the old ones as they were
    const bool replacing = !o.on(p.keys.append);
    const int oldRecords = p.table->storedCount();
    const int oldLines = p.lineTable->storedCount();
    PassState st;
    st.i = start + (o.on(p.keys.secondLine) ? 1 : 0);
    const bool heading = o.on(p.keys.recordHeading);
    st.awaiting = !heading;
    m_port->progressUnit(QStringLiteral("wierszy"));
    m_port->progressShow(0, n);
    m_port->progressPosition(st.i);

    while (st.i <= n - 1) {
        m_port->progressPosition(st.i);
        m_port->pump();
        o.refresh();
        m_lines.readLine(st.i, &st.text);
        const QString &line = st.text;
        if (o.commonFile && !o.endBlock.isEmpty() && line == o.endBlock) {
            st.endSeen = true;
            break;
        }
        if (!st.awaiting) {
            if (heading && line == o.recordHeadingText)
                st.awaiting = true;
            ++st.i;
            continue;
        }
        if (o.recordFilter && !beginsWith(line, o.recordFilterText)) {
            ++st.i;
            st.awaiting = !heading;
            continue;
        }
        st.rowFailed = !rows.importRecordLine(line, o.format);
        o.refresh();
        ++st.i;
        if (!o.underRecord)
            continue;
        if (!readLineList(o, lines, st))
            break;
    }

    if (replacing) {
        p.lineTable->dropFirst(oldLines);
        p.table->dropFirst(oldRecords);
    }
    if (o.on(p.keys.separateBlock))
        m_port->info(applicationTitle(), QStringLiteral("Todo ..."));
    m_ws.tables->linkLinesToInvoices();
    m_port->progressHide();
    p.lineTable->resumeViews();
    p.table->resumeViews();
    reportPass(p, o, rows, lines, st);
    // a pass that replaces the tables' records replaces those of an earlier block too
    m_added[p.table] = rows.records() + (replacing ? 0 : m_added.value(p.table));
    m_added[p.lineTable] = lines.records() + (replacing ? 0 : m_added.value(p.lineTable));
    return st.allOk;
}

bool ImportDriver::readLineList(PassOptions &o, RecordResolver &lines, PassState &st)
{
    // the line list of the document just read; false when the pass ends with it
    const int n = m_lines.count();
    bool lineOk = true;
    if (o.afterHeading && !o.directlyUnder) {
        const int j = m_lines.find(o.headingText, st.i);
        st.i = j >= 0 ? j + 1 : n;
    }
    if (st.i > n - 1)
        return false;
    for (;;) {
        o.refresh();
        m_lines.readLine(st.i, &st.text);
        const QString &current = st.text;
        // the block's end marker ends the pass, even in the middle of a document's lines
        if (o.commonFile && !o.endBlock.isEmpty() && current == o.endBlock) {
            st.endSeen = true;
            return false;
        }
        if (o.lineFilter) {
            lineOk = beginsWith(current, o.lineFilterText);
            if (o.endAtOtherStart && !lineOk) {
                ++st.i;
                return true;
            }
        }
        if (o.endAtEmptyLine && current.isEmpty()) {
            ++st.i;
            return true;
        }
        if (o.endAtRecord && current == o.recordHeadingText) {
            ++st.i; // awaiting stays true: the next line is the next document row
            return true;
        }
        if (o.endAtNumber && beginsWith(current, o.recordFilterText)) {
            st.awaiting = true; // this line is read as the next document row
            return true;
        }
        if (lineOk && !st.rowFailed && st.allOk)
            st.allOk = lines.importRecordLine(current, o.format);
        ++st.i;
        if (st.i > n - 1)
            return false;
    }
}

void ImportDriver::reportPass(const Pass &p, PassOptions &o, const RecordResolver &rows, const RecordResolver &lines,
                              const PassState &st)
{
    if (!st.allOk)
        m_port->failure(applicationTitle(), p.failed);
    // texts longer than their fields: said, by record and field, as a load says it
    if (rows.cutCount() + lines.cutCount() > 0)
        m_port->info(applicationTitle(),
                     Characters::cutMessage(rows.cutNotes() + lines.cutNotes(), rows.cutCount() + lines.cutCount()));
    // a block of a common file that runs to the file's end without its end marker: the file
    // may have been cut short, and nobody would know (a block may end with the file: it is
    // said, not failed)
    o.refresh();
    if (m_readingCommonFile && o.commonFile && !o.endBlock.isEmpty() && !st.endSeen)
        m_port->info(applicationTitle(),
                     QStringLiteral("Blok kończy się razem z plikiem, bez znacznika końca „%1” – jeśli plik miał go "
                                    "mieć, może być ucięty; sprawdź, czy wczytano wszystkie dokumenty.")
                         .arg(o.endBlock));
}
