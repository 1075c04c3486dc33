#include "tables/document_tables.h"

#include "base/user_port.h"

DocumentTables::DocumentTables(UserPort *port, QObject *parent)
    : QObject(parent), mt_FAK_(TableKind::FAK), mt_POZ_(TableKind::POZ), mt_ZAM_(TableKind::ZAM),
      mt_ZPOZ_(TableKind::ZPOZ), m_port(port)
{
    for (QString &label : m_labels)
        label = QStringLiteral("(*)");

    // Orders are numbered from a counter that never goes back, so idx stays unique.
    mt_ZAM_.onNewRecord = [this](DocumentTable &t) { // idx is the first field
        if (t.isAppending())
            t.setNew(0, ++m_lastOrderIdx);
        else
            t.setValue(0, ++m_lastOrderIdx);
    };

    // the rules run for every record of an import: field positions are looked up once
    const int p2b = mt_POZ_.fieldIndex(QStringLiteral("P_2B"));
    const int p2a = mt_FAK_.fieldIndex(QStringLiteral("P_2A"));
    const int idxZal = mt_ZPOZ_.fieldIndex(QStringLiteral("idx_zal"));
    const int idx = mt_ZAM_.fieldIndex(QStringLiteral("idx"));
    // a line without its invoice number belongs to the invoice added last by the command that
    // adds it (a worker), or to the current one (the user's new line)
    mt_POZ_.beforePost = [this, p2b, p2a](DocumentTable &t) {
        if (t.isAppending()) {
            if (!t.newValue(p2b).isValid())
                t.setNew(p2b, mt_FAK_.anchorValue(p2a));
        } else if (t.isNull(p2b)) {
            t.setValue(p2b, mt_FAK_.value(p2a));
        }
        return true;
    };
    mt_ZPOZ_.beforePost = [this, idxZal, idx](DocumentTable &t) {
        if (t.isAppending())
            t.setNew(idxZal, mt_ZAM_.anchorValue(idx));
        else
            t.setValue(idxZal, mt_ZAM_.value(idx));
        return true;
    };
    // a renamed invoice takes its lines and its order along, when the user says so
    mt_FAK_.beforePost = [this, p2a, p2b](DocumentTable &t) {
        if (t.isAppending() || t.state() != DocumentTable::State::Edit)
            return true;
        const int row = t.bookmark();
        const QString oldNumber = t.stringAt(row, p2a);
        const QString newNumber = t.value(p2a).toString();
        if (oldNumber.isEmpty() || oldNumber == newNumber)
            return true;
        const std::vector<int> lines = mt_POZ_.rowsWithKey(oldNumber);
        const int p2az = mt_ZAM_.fieldIndex(QStringLiteral("P_2AZ"));
        std::vector<int> orders;
        for (int r = 0; r < mt_ZAM_.storedCount(); ++r)
            if (mt_ZAM_.stringViewAt(r, p2az) == oldNumber)
                orders.push_back(r);
        if (lines.empty() && orders.empty())
            return true;
        QString what = QStringLiteral("pozycji: %1").arg(lines.size());
        if (!orders.empty())
            what += QStringLiteral(", zamówień: %1").arg(orders.size());
        if (!m_port->question(QStringLiteral("Zmiana numeru faktury"),
                              QStringLiteral("Zmienić numer faktury %1 na %2 także w jej pozycjach i zamówieniu (%3)?\r"
                                             "Bez tego numer faktury pozostanie bez zmian.")
                                  .arg(oldNumber, newNumber, what))) {
            t.setValue(p2a, oldNumber); // the rest of the edit is stored, the number stays
            return true;
        }
        for (int line : lines)
            mt_POZ_.setStoredValue(line, p2b, newNumber);
        for (int order : orders)
            mt_ZAM_.setStoredValue(order, p2az, newNumber);
        return true;
    };
    // a new invoice of the user's starts with the values a valid record needs
    mt_FAK_.onNewRecord = [](DocumentTable &t) {
        if (!t.isAppending()) {
            t.setValue(QStringLiteral("KodWaluty"), QStringLiteral("PLN"));
            t.setValue(QStringLiteral("RodzajFaktury"), QStringLiteral("VAT"));
        }
    };

    mt_FAK_.beforeDelete = [this](DocumentTable &t) { return deleteInvoice(t); };
    mt_ZAM_.beforeDelete = [this](DocumentTable &t) { return deleteOrder(t); };
    mt_POZ_.beforeDelete = [this](DocumentTable &t) {
        if (m_deletingLines)
            return true;
        return m_port->question(QStringLiteral("Usunąć pozycję ?"), QStringLiteral("Usunąć pozycję z Faktury: ") +
                                                                        t.value(QStringLiteral("P_2B")).toString());
    };
    mt_ZPOZ_.beforeDelete = [this](DocumentTable &) {
        if (m_deletingLines)
            return true;
        return m_port->question(QStringLiteral("Usunąć pozycję ?"),
                                QStringLiteral("Usunąć pozycję z Zamówienia: ") +
                                    mt_ZAM_.value(QStringLiteral("P_2AZ")).toString());
    };

    // While a table's views are suspended (an import, a load) its counter waits, and is set
    // once when the views come back.
    const std::function<void()> counters[4] = {
        [this] { setLabel(0, QStringLiteral("Pozycji : %1").arg(shownCount(mt_FAK_))); },
        [this] { showLineCount(); },
        [this] { setLabel(2, QStringLiteral("Pozycji : %1").arg(shownCount(mt_ZAM_))); },
        [this] { showOrderLineCount(); },
    };
    auto counter = [this, counters](int which) {
        return [this, which, show = counters[which]](DocumentTable &t) {
            if (t.viewsSuspended())
                m_countPending[which] = true;
            else
                show();
        };
    };
    DocumentTable *const byCounter[4] = {&mt_FAK_, &mt_POZ_, &mt_ZAM_, &mt_ZPOZ_};
    for (int which = 0; which < 4; ++which)
        connect(byCounter[which], &DocumentTable::reset, this, [this, which, show = counters[which]] {
            if (m_countPending[which] && !table(TableKind(which))->viewsSuspended()) {
                m_countPending[which] = false;
                show();
            }
        });
    auto invoicesCount = counter(0);
    auto linesCount = counter(1);
    auto ordersCount = counter(2);
    auto orderLinesCount = counter(3);
    // "+" shows the new record at once, and its counter counts it; a cancel takes it back
    for (int which = 0; which < 4; ++which)
        connect(byCounter[which], &DocumentTable::currentChanged, this, [which, show = counters[which], this] {
            DocumentTable &t = *table(TableKind(which));
            const bool adding = t.state() == DocumentTable::State::Insert;
            if (t.viewsSuspended() || adding == m_adding[which])
                return;
            m_adding[which] = adding;
            show();
        });
    mt_FAK_.afterPost = invoicesCount;
    mt_FAK_.afterDelete = invoicesCount;
    mt_FAK_.afterScroll = [this](DocumentTable &) {
        if (lineLinkOn())
            showLineCount();
    };
    mt_POZ_.afterPost = linesCount;
    mt_POZ_.afterDelete = linesCount;
    mt_ZAM_.afterPost = ordersCount;
    mt_ZAM_.afterDelete = ordersCount;
    mt_ZAM_.afterScroll = orderLinesCount;
    mt_ZPOZ_.afterPost = orderLinesCount;
    mt_ZPOZ_.afterDelete = orderLinesCount;

    // Order lines always belong to their order.
    mt_ZPOZ_.setMaster(&mt_ZAM_, QStringLiteral("idx"), QStringLiteral("idx_zal"));
}

int DocumentTables::shownCount(const DocumentTable &table)
{
    return table.recordCount() + (table.state() == DocumentTable::State::Insert ? 1 : 0);
}

DocumentTable *DocumentTables::table(TableKind kind)
{
    switch (kind) {
    case TableKind::FAK:
        return &mt_FAK_;
    case TableKind::POZ:
        return &mt_POZ_;
    case TableKind::ZAM:
        return &mt_ZAM_;
    case TableKind::ZPOZ:
        return &mt_ZPOZ_;
    }
    return nullptr;
}

DocumentTable *DocumentTables::tableByName(const QString &name)
{
    for (TableKind kind : {TableKind::FAK, TableKind::POZ, TableKind::ZAM, TableKind::ZPOZ})
        if (tableName(kind).compare(name, Qt::CaseInsensitive) == 0)
            return table(kind);
    return nullptr;
}

void DocumentTables::setLabel(int which, const QString &text)
{
    if (m_labels[which] == text)
        return;
    m_labels[which] = text;
    emit countersChanged();
}

void DocumentTables::showLineCount()
{
    setLabel(1, QStringLiteral("pozycji : %1").arg(shownCount(mt_POZ_)));
}

void DocumentTables::showOrderLineCount()
{
    setLabel(3, QStringLiteral("pozycji : %1").arg(shownCount(mt_ZPOZ_)));
}

void DocumentTables::linkLinesToInvoices()
{
    if (!lineLinkOn()) {
        mt_POZ_.setMaster(&mt_FAK_, QStringLiteral("P_2A"), QStringLiteral("P_2B"));
        emit lineLinkChanged(true);
    }
    showLineCount();
}

void DocumentTables::lineLinkOff()
{
    if (lineLinkOn()) {
        mt_POZ_.clearMaster();
        emit lineLinkChanged(false);
    }
    showLineCount();
}

void DocumentTables::connectLines()
{
    if (mt_FAK_.recordCount() == 0) {
        m_port->info(applicationTitle(), QStringLiteral("Tablica Faktur jest jeszcze pusta"));
        return;
    }
    linkLinesToInvoices();
}

void DocumentTables::disconnectLines()
{
    lineLinkOff();
}

bool DocumentTables::deleteInvoice(DocumentTable &fak)
{
    if (!lineLinkOn()) {
        m_port->info(applicationTitle(), QStringLiteral("Nie można usunąć faktury przy braku połączenia z pozycjami"));
        return false;
    }
    if (!m_port->question(QStringLiteral("Usunąć fakturę z pozycjami ?"),
                          QStringLiteral("Faktura : ") + fak.value(QStringLiteral("P_2A")).toString()))
        return false;
    return deleteDetails(mt_POZ_, QStringLiteral("P_2B"));
}

bool DocumentTables::deleteDetails(DocumentTable &detail, const QString &keyField)
{
    // the detail presents the master's records only: each is removed without its own question
    m_deletingLines = true;
    bool ok = true;
    const int key = detail.fieldIndex(keyField);
    detail.first();
    while (detail.recordCount() > 0 && !detail.isNull(key)) {
        if (!detail.remove()) {
            ok = false;
            break;
        }
    }
    m_deletingLines = false;
    return ok;
}

bool DocumentTables::deleteOrder(DocumentTable &zam)
{
    if (!m_port->question(QStringLiteral("Usunąć zamówienie z pozycjami ?"),
                          QStringLiteral("Zamówienie : ") + zam.value(QStringLiteral("P_2AZ")).toString()))
        return false;
    return deleteDetails(mt_ZPOZ_, QStringLiteral("idx_zal"));
}

void DocumentTables::eraseInvoices()
{
    if (mt_FAK_.refusesChange())
        return;
    if (!m_port->question(QStringLiteral("Usuwanie"), QStringLiteral("Usunąć wszystkie pozycje Faktur ?")))
        return;
    mt_POZ_.empty();
    mt_FAK_.empty();
    setLabel(0, QStringLiteral("Pozycji : %1").arg(mt_FAK_.recordCount()));
    showLineCount();
}

void DocumentTables::eraseOrders()
{
    if (mt_ZAM_.refusesChange())
        return;
    if (!m_port->question(QStringLiteral("Usuwanie"), QStringLiteral("Usunąć wszystkie pozycje Zamówień ?")))
        return;
    mt_ZPOZ_.empty();
    mt_ZAM_.empty();
    setLabel(2, QStringLiteral("Pozycji : %1").arg(mt_ZAM_.recordCount()));
    showOrderLineCount();
}

void DocumentTables::setBusyState(const BusyState *busy)
{
    for (DocumentTable *t : all())
        t->setBusyState(busy);
}

void DocumentTables::setFrozen(bool frozen)
{
    for (DocumentTable *t : all())
        t->setFrozen(frozen);
}

void DocumentTables::postPending()
{
    for (DocumentTable *t : all()) {
        t->abandonAppend();
        if (t->isModified() && !t->post())
            t->cancel();
    }
}

void DocumentTables::dropDeletedRows()
{
    for (DocumentTable *t : all())
        t->dropDeletedRows();
}

DocumentTables::Mark DocumentTables::mark() const
{
    Mark m;
    const DocumentTable *const tables[4] = {&mt_FAK_, &mt_POZ_, &mt_ZAM_, &mt_ZPOZ_};
    for (int k = 0; k < 4; ++k) {
        m.rows[k] = tables[k]->storedCount();
        m.suspended[k] = tables[k]->suspendDepth();
    }
    m.zamIdx = m_lastOrderIdx;
    m.lineLink = lineLinkOn();
    return m;
}

void DocumentTables::rollBack(const Mark &m)
{
    DocumentTable *const tables[4] = {&mt_FAK_, &mt_POZ_, &mt_ZAM_, &mt_ZPOZ_};
    for (int k = 3; k >= 0; --k)
        if (tables[k]->storedCount() > m.rows[k] || tables[k]->isAppending())
            tables[k]->truncate(m.rows[k]);
    m_lastOrderIdx = m.zamIdx;
    restoreViews(m);
}

void DocumentTables::restoreViews(const Mark &m)
{
    DocumentTable *const tables[4] = {&mt_FAK_, &mt_POZ_, &mt_ZAM_, &mt_ZPOZ_};
    for (int k = 0; k < 4; ++k) {
        tables[k]->abandonAppend();
        while (tables[k]->suspendDepth() > m.suspended[k])
            tables[k]->resumeViews();
    }
    if (m.lineLink)
        linkLinesToInvoices();
    else
        lineLinkOff();
}

std::array<DocumentTable *, 4> DocumentTables::all()
{
    return {&mt_FAK_, &mt_POZ_, &mt_ZAM_, &mt_ZPOZ_};
}

void DocumentTables::suspendViews()
{
    for (TableKind kind : {TableKind::FAK, TableKind::POZ, TableKind::ZAM, TableKind::ZPOZ})
        table(kind)->suspendViews();
}

void DocumentTables::resumeViews()
{
    for (TableKind kind : {TableKind::FAK, TableKind::POZ, TableKind::ZAM, TableKind::ZPOZ})
        table(kind)->resumeViews();
}
