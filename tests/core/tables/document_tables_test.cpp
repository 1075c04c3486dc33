#include "support/recording_port.h"
#include "tables/document_tables.h"

#include <gtest/gtest.h>

namespace {

using Msg = RecordingPort::Message;

class Tables : public ::testing::Test
{
protected:
    RecordingPort port;
    DocumentTables t{&port};

    void addInvoice(const QString &number)
    {
        t.mt_FAK_.append();
        t.mt_FAK_.setValue(QStringLiteral("P_2A"), number);
        t.mt_FAK_.post();
    }
    void addLine(const QVariant &invoice, const QString &name)
    {
        t.mt_POZ_.append();
        t.mt_POZ_.setValue(QStringLiteral("P_2B"), invoice);
        t.mt_POZ_.setValue(QStringLiteral("P_7"), name);
        t.mt_POZ_.post();
    }
    void addOrder(const QString &number)
    {
        t.mt_ZAM_.append();
        t.mt_ZAM_.setValue(QStringLiteral("P_2AZ"), number);
        t.mt_ZAM_.post();
    }
    void addOrderLine(const QVariant &idx)
    {
        t.mt_ZPOZ_.append();
        t.mt_ZPOZ_.setValue(QStringLiteral("idx_zal"), idx);
        t.mt_ZPOZ_.post();
    }
    // FV/1 with three lines, FV/2 with one
    void fill()
    {
        addInvoice(QStringLiteral("FV/1"));
        for (const char *n : {"a", "b", "c"})
            addLine(QStringLiteral("FV/1"), QString::fromLatin1(n));
        addInvoice(QStringLiteral("FV/2"));
        addLine(QStringLiteral("FV/2"), QStringLiteral("d"));
    }
};

TEST_F(Tables, FieldListsAreComplete)
{
    EXPECT_EQ(t.mt_FAK_.fieldCount(), 57);
    EXPECT_EQ(t.mt_POZ_.fieldCount(), 11);
    EXPECT_EQ(t.mt_ZAM_.fieldCount(), 3);
    EXPECT_EQ(t.mt_ZPOZ_.fieldCount(), 8);
    const FieldDef &p20b = t.mt_FAK_.fields().at(t.mt_FAK_.fieldIndex(QStringLiteral("p_20b")));
    // every text is as wide as the JPK_FA(4) schema lets its element be
    EXPECT_EQ(p20b.size, 256);
    for (const char *name : {"P_2A", "P_3A", "PrzyczynaKorekty", "NrFaKorygowanej", "OkresFaKorygowanej"})
        EXPECT_EQ(t.mt_FAK_.fields().at(t.mt_FAK_.fieldIndex(QString::fromLatin1(name))).size, 256) << name;
    EXPECT_EQ(t.mt_FAK_.fields().at(t.mt_FAK_.fieldIndex(QStringLiteral("P_4B"))).size, 50);
    EXPECT_EQ(t.mt_POZ_.fields().at(t.mt_POZ_.fieldIndex(QStringLiteral("P_12_XII"))).type, FieldType::Float);
    EXPECT_FALSE(t.mt_FAK_.fields().at(t.mt_FAK_.fieldIndex(QStringLiteral("P_106E_3"))).nullAsFalse);
    EXPECT_TRUE(t.mt_FAK_.fields().at(t.mt_FAK_.fieldIndex(QStringLiteral("P_106E_2"))).nullAsFalse);
    EXPECT_EQ(t.mt_POZ_.fields().at(3).format, QStringLiteral("0.000000"));
}

TEST_F(Tables, ValuesOfEveryTypeAndNull)
{
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_1"), QDate(2023, 8, 25));
    t.mt_FAK_.setValue(QStringLiteral("P_15"), -3.456);
    t.mt_FAK_.setValue(QStringLiteral("P_16"), true);
    t.mt_FAK_.setValue(QStringLiteral("KodWaluty"), QStringLiteral("PLNX")); // cut to the size of 3
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("x").repeated(300));
    ASSERT_TRUE(t.mt_FAK_.post());
    EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("P_1")).toDate(), QDate(2023, 8, 25));
    EXPECT_DOUBLE_EQ(t.mt_FAK_.value(QStringLiteral("P_15")).toDouble(), -3.456);
    EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("P_16")), QVariant(true));
    EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("KodWaluty")).toString(), QStringLiteral("PLN"));
    EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("P_2A")).toString().size(), 256);
    EXPECT_TRUE(t.mt_FAK_.isNull(t.mt_FAK_.fieldIndex(QStringLiteral("P_106E_3"))));
    EXPECT_TRUE(t.mt_FAK_.isNull(t.mt_FAK_.fieldIndex(QStringLiteral("P_3A"))));

    t.mt_FAK_.edit();
    t.mt_FAK_.setValue(QStringLiteral("P_15"), QVariant());
    t.mt_FAK_.setValue(QStringLiteral("P_3A"), QString()); // an empty text is not null
    t.mt_FAK_.post();
    EXPECT_TRUE(t.mt_FAK_.isNull(t.mt_FAK_.fieldIndex(QStringLiteral("P_15"))));
    EXPECT_FALSE(t.mt_FAK_.isNull(t.mt_FAK_.fieldIndex(QStringLiteral("P_3A"))));

    t.mt_FAK_.edit();
    t.mt_FAK_.setValue(QStringLiteral("P_15"), 1.0);
    t.mt_FAK_.cancel();
    EXPECT_TRUE(t.mt_FAK_.isNull(t.mt_FAK_.fieldIndex(QStringLiteral("P_15"))));
}

TEST_F(Tables, LineLinkPresentsTheLinesOfTheCurrentInvoice)
{
    fill();
    EXPECT_FALSE(t.lineLinkOn());
    EXPECT_EQ(t.mt_POZ_.recordCount(), 4);
    t.linkLinesToInvoices();
    EXPECT_FALSE(t.canConnectLines());
    EXPECT_TRUE(t.canDisconnectLines());
    EXPECT_EQ(t.mt_POZ_.recordCount(), 1); // FV/2 is current
    EXPECT_EQ(t.invoiceLineCounterText(), QStringLiteral("pozycji : 1"));
    t.mt_FAK_.first();
    EXPECT_EQ(t.mt_POZ_.recordCount(), 3);
    EXPECT_EQ(t.invoiceLineCounterText(), QStringLiteral("pozycji : 3"));
    QStringList names;
    for (t.mt_POZ_.first(); !t.mt_POZ_.atEnd(); t.mt_POZ_.next())
        names << t.mt_POZ_.value(QStringLiteral("P_7")).toString();
    EXPECT_EQ(names, QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    t.disconnectLines();
    EXPECT_EQ(t.mt_POZ_.recordCount(), 4);
    EXPECT_EQ(t.invoiceLineCounterText(), QStringLiteral("pozycji : 4"));
}

TEST_F(Tables, NewLineTakesTheCurrentInvoiceNumberUnlessItHasOne)
{
    fill();
    t.linkLinesToInvoices();
    t.mt_FAK_.first();
    addLine(QVariant(), QStringLiteral("e"));
    EXPECT_EQ(t.mt_POZ_.value(QStringLiteral("P_2B")).toString(), QStringLiteral("FV/1"));
    EXPECT_EQ(t.mt_POZ_.recordCount(), 4);
    addLine(QStringLiteral("FV/9"), QStringLiteral("f")); // keeps its number and leaves the view
    EXPECT_EQ(t.mt_POZ_.recordCount(), 4);
    EXPECT_EQ(t.mt_POZ_.storedCount(), 6);
    // editing the number of a line moves it to its new invoice
    t.mt_POZ_.first();
    t.mt_POZ_.edit();
    t.mt_POZ_.setValue(QStringLiteral("P_2B"), QStringLiteral("FV/2"));
    t.mt_POZ_.post();
    EXPECT_EQ(t.mt_POZ_.recordCount(), 3);
    t.mt_FAK_.next();
    EXPECT_EQ(t.mt_POZ_.recordCount(), 2);
    EXPECT_EQ(t.mt_POZ_.value(QStringLiteral("P_7")).toString(), QStringLiteral("a")); // addition order kept
}

TEST_F(Tables, OrdersAreNumberedAndLinesFollowTheCurrentOrder)
{
    addOrder(QStringLiteral("Z/1"));
    addOrderLine(77); // idx_zal set by hand is replaced by the order's idx
    addOrder(QStringLiteral("Z/2"));
    addOrderLine(QVariant());
    addOrderLine(QVariant());
    EXPECT_EQ(t.mt_ZAM_.value(QStringLiteral("idx")).toLongLong(), 2);
    EXPECT_EQ(t.mt_ZPOZ_.recordCount(), 2);
    EXPECT_EQ(t.orderLineCounterText(), QStringLiteral("pozycji : 2"));
    t.mt_ZAM_.first();
    EXPECT_EQ(t.mt_ZPOZ_.recordCount(), 1);
    EXPECT_EQ(t.mt_ZPOZ_.value(QStringLiteral("idx_zal")).toLongLong(), 1);
    EXPECT_EQ(t.orderCounterText(), QStringLiteral("Pozycji : 2"));

    // the counter never goes back, not even after erasing all orders
    port.queueAnswer(true);
    t.eraseOrders();
    EXPECT_EQ(t.mt_ZAM_.storedCount(), 0);
    EXPECT_EQ(t.mt_ZPOZ_.storedCount(), 0);
    addOrder(QStringLiteral("Z/3"));
    EXPECT_EQ(t.mt_ZAM_.value(QStringLiteral("idx")).toLongLong(), 3);
    port.queueAnswer(true);
    t.eraseInvoices();
    addOrder(QStringLiteral("Z/4"));
    EXPECT_EQ(t.mt_ZAM_.value(QStringLiteral("idx")).toLongLong(), 4);
}

TEST_F(Tables, DeletingAnInvoiceAsksOnceAndTakesItsLines)
{
    fill();
    t.linkLinesToInvoices();
    t.mt_FAK_.first();
    port.queueAnswer(true);
    ASSERT_TRUE(t.mt_FAK_.remove());
    EXPECT_EQ(port.messages, QList<Msg>({{QStringLiteral("question"), QStringLiteral("Usunąć fakturę z pozycjami ?"),
                                          QStringLiteral("Faktura : FV/1")}}));
    t.dropDeletedRows(); // as a command does before it walks the stored rows
    EXPECT_EQ(t.mt_FAK_.storedCount(), 1);
    EXPECT_EQ(t.mt_POZ_.storedCount(), 1);
    EXPECT_EQ(t.invoiceCounterText(), QStringLiteral("Pozycji : 1"));
    EXPECT_FALSE(t.deletingLines());
    EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/2"));
    EXPECT_EQ(t.mt_POZ_.value(QStringLiteral("P_7")).toString(), QStringLiteral("d"));
}

TEST_F(Tables, DeletionsThatAreDeclinedOrRefusedChangeNothing)
{
    struct Case
    {
        const char *what;
        bool linkOn;
        bool answer;
        QList<Msg> messages;
    };
    const Case cases[] = {
        {"link off",
         false,
         true,
         {{QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
           QStringLiteral("Nie można usunąć faktury przy braku połączenia z pozycjami")}}},
        {"answered no",
         true,
         false,
         {{QStringLiteral("question"), QStringLiteral("Usunąć fakturę z pozycjami ?"),
           QStringLiteral("Faktura : FV/2")}}},
    };
    for (const Case &c : cases) {
        RecordingPort p;
        DocumentTables tables(&p);
        tables.mt_FAK_.append();
        tables.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/2"));
        tables.mt_FAK_.post();
        tables.mt_POZ_.append();
        tables.mt_POZ_.post();
        if (c.linkOn)
            tables.linkLinesToInvoices();
        p.queueAnswer(c.answer);
        EXPECT_FALSE(tables.mt_FAK_.remove()) << c.what;
        EXPECT_EQ(p.messages, c.messages) << c.what;
        EXPECT_EQ(tables.mt_FAK_.storedCount(), 1) << c.what;
        EXPECT_EQ(tables.mt_POZ_.storedCount(), 1) << c.what;
    }
}

TEST_F(Tables, DeletingOneLineAsks)
{
    fill();
    t.linkLinesToInvoices();
    port.queueAnswer(false);
    EXPECT_FALSE(t.mt_POZ_.remove());
    port.queueAnswer(true);
    EXPECT_TRUE(t.mt_POZ_.remove());
    EXPECT_EQ(port.messages.at(0), (Msg{QStringLiteral("question"), QStringLiteral("Usunąć pozycję ?"),
                                        QStringLiteral("Usunąć pozycję z Faktury: FV/2")}));
    t.dropDeletedRows(); // as a command does before it walks the stored rows
    EXPECT_EQ(t.mt_POZ_.storedCount(), 3);
    EXPECT_EQ(t.invoiceLineCounterText(), QStringLiteral("pozycji : 0"));
}

TEST_F(Tables, DeletingAnOrderAndAnOrderLine)
{
    addOrder(QStringLiteral("Z/1"));
    addOrderLine(QVariant());
    addOrderLine(QVariant());
    addOrder(QStringLiteral("Z/2"));
    addOrderLine(QVariant());
    t.mt_ZAM_.first();
    port.queueAnswer(true); // the line
    ASSERT_TRUE(t.mt_ZPOZ_.remove());
    EXPECT_EQ(port.messages.last(), (Msg{QStringLiteral("question"), QStringLiteral("Usunąć pozycję ?"),
                                         QStringLiteral("Usunąć pozycję z Zamówienia: Z/1")}));
    port.queueAnswer(true); // the order with its remaining line
    ASSERT_TRUE(t.mt_ZAM_.remove());
    EXPECT_EQ(port.messages.last(), (Msg{QStringLiteral("question"), QStringLiteral("Usunąć zamówienie z pozycjami ?"),
                                         QStringLiteral("Zamówienie : Z/1")}));
    EXPECT_EQ(port.messages.size(), 2);
    t.dropDeletedRows(); // as a command does before it walks the stored rows
    EXPECT_EQ(t.mt_ZAM_.storedCount(), 1);
    EXPECT_EQ(t.mt_ZPOZ_.storedCount(), 1);
    EXPECT_EQ(t.mt_ZPOZ_.recordCount(), 1); // Z/2's line, now current
}

TEST_F(Tables, DroppedRowsLeaveTheOthersWholeThroughManyRounds)
{
    // lines with long texts and amounts; every round deletes some and drops them, until the
    // texts no record holds outweigh the rest and the arena is rewritten
    DocumentTable &poz = t.mt_POZ_;
    for (int i = 0; i < 300; ++i) {
        poz.beginAppend();
        poz.setNew(QStringLiteral("P_2B"), QStringLiteral("FV/%1").arg(i));
        poz.setNew(QStringLiteral("P_7"), QStringLiteral("towar o długiej nazwie numer %1 ").arg(i).repeated(4));
        poz.setNew(QStringLiteral("P_11"), i + 0.25);
        poz.commitAppend();
    }
    port.defaultAnswer = true;
    QList<int> alive;
    for (int i = 0; i < 300; ++i)
        alive << i;
    for (const int step : {7, 5, 3, 2, 2, 2}) {
        for (int position = poz.recordCount() - 1; position >= 0; position -= step) {
            poz.moveTo(position);
            ASSERT_TRUE(poz.remove());
            alive.removeAt(position);
        }
        t.dropDeletedRows();
        ASSERT_EQ(poz.storedCount(), alive.size()) << step;
        for (int row = 0; row < poz.storedCount(); ++row) {
            const int i = alive.at(row);
            ASSERT_EQ(poz.stringAt(row, poz.fieldIndex(QStringLiteral("P_7"))),
                      QStringLiteral("towar o długiej nazwie numer %1 ").arg(i).repeated(4))
                << step << " " << row;
            ASSERT_EQ(poz.floatAt(row, poz.fieldIndex(QStringLiteral("P_11"))), i + 0.25);
        }
    }
}

TEST_F(Tables, ConnectButtonRefusesAnEmptyInvoiceTable)
{
    t.connectLines();
    EXPECT_EQ(port.messages, QList<Msg>({{QStringLiteral("info"), QStringLiteral("Tavrix JPK_FA(4).XML"),
                                          QStringLiteral("Tablica Faktur jest jeszcze pusta")}}));
    EXPECT_FALSE(t.lineLinkOn());
    EXPECT_TRUE(t.canConnectLines());
}

TEST_F(Tables, EraseAllAsksFirst)
{
    fill();
    port.queueAnswer(false);
    t.eraseInvoices();
    EXPECT_EQ(t.mt_FAK_.storedCount(), 2);
    port.queueAnswer(true);
    t.eraseInvoices();
    EXPECT_EQ(t.mt_FAK_.storedCount(), 0);
    EXPECT_EQ(t.mt_POZ_.storedCount(), 0);
    EXPECT_EQ(port.messages.at(0), (Msg{QStringLiteral("question"), QStringLiteral("Usuwanie"),
                                        QStringLiteral("Usunąć wszystkie pozycje Faktur ?")}));
    EXPECT_EQ(t.invoiceCounterText(), QStringLiteral("Pozycji : 0"));
}

TEST_F(Tables, CountersStartUnset)
{
    EXPECT_EQ(t.invoiceCounterText(), QStringLiteral("(*)"));
    EXPECT_EQ(t.invoiceLineCounterText(), QStringLiteral("(*)"));
    EXPECT_EQ(t.orderCounterText(), QStringLiteral("(*)"));
    EXPECT_EQ(t.orderLineCounterText(), QStringLiteral("(*)"));
}

TEST_F(Tables, ManyStringEditsKeepValuesIntact)
{
    // replaced strings leave garbage in the column's arena; compaction must keep every value
    for (int i = 0; i < 200; ++i)
        addLine(QStringLiteral("FV/%1").arg(i % 7), QStringLiteral("name %1").arg(i));
    for (int round = 0; round < 30; ++round) {
        for (int pos = 0; pos < t.mt_POZ_.recordCount(); pos += 3) {
            t.mt_POZ_.moveTo(pos);
            t.mt_POZ_.setValue(QStringLiteral("P_7"),
                               QStringLiteral("round %1 row %2 ").arg(round).arg(pos).repeated(3));
            t.mt_POZ_.post();
        }
    }
    for (int pos = 0; pos < t.mt_POZ_.recordCount(); ++pos) {
        const QString expected =
            pos % 3 == 0 ? QStringLiteral("round 29 row %1 ").arg(pos).repeated(3) : QStringLiteral("name %1").arg(pos);
        EXPECT_EQ(t.mt_POZ_.stringAt(pos, 1), expected);
        EXPECT_EQ(t.mt_POZ_.stringAt(pos, 0), QStringLiteral("FV/%1").arg(pos % 7));
    }
    t.linkLinesToInvoices();
    addInvoice(QStringLiteral("FV/3"));
    EXPECT_EQ(t.mt_POZ_.recordCount(), 29);
}

TEST_F(Tables, DeletedRecordsLeaveEveryViewAtOnceAndTheStoredRowsWhenCounted)
{
    // more than two blocks of the deleted-row bookkeeping, deletions scattered and in a run
    constexpr int kInvoices = 9000;
    for (int i = 0; i < kInvoices; ++i) {
        addInvoice(QStringLiteral("FV/%1").arg(i));
        addLine(QStringLiteral("FV/%1").arg(i), QStringLiteral("line %1").arg(i));
    }
    t.linkLinesToInvoices();
    auto deleted = [](int i) { return i % 7 == 3 || (i >= 4090 && i < 4200) || i == kInvoices - 1; };
    // deleting from the end backwards keeps each target's position simple to find
    for (int i = kInvoices - 1; i >= 0; --i) {
        if (!deleted(i))
            continue;
        ASSERT_TRUE(t.mt_FAK_.moveTo(i));
        ASSERT_EQ(t.mt_FAK_.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/%1").arg(i));
        port.queueAnswer(true);
        ASSERT_TRUE(t.mt_FAK_.remove());
    }
    std::vector<int> kept;
    for (int i = 0; i < kInvoices; ++i)
        if (!deleted(i))
            kept.push_back(i);
    ASSERT_EQ(t.mt_FAK_.recordCount(), int(kept.size()));
    // presented positions, in order and by jumps, and the lines through the link
    for (int pos : {0, 1, 2, 3, 3500, 3507, 3600, 3499, int(kept.size()) - 1}) {
        ASSERT_TRUE(t.mt_FAK_.moveTo(pos));
        EXPECT_EQ(t.mt_FAK_.value(QStringLiteral("P_2A")).toString(), QStringLiteral("FV/%1").arg(kept[size_t(pos)]));
        ASSERT_EQ(t.mt_POZ_.recordCount(), 1);
        EXPECT_EQ(t.mt_POZ_.value(QStringLiteral("P_7")).toString(), QStringLiteral("line %1").arg(kept[size_t(pos)]));
    }
    for (int pos = 0; pos < int(kept.size()); ++pos)
        ASSERT_EQ(t.mt_FAK_.stringAt(t.mt_FAK_.presentedRow(pos), 2), QStringLiteral("FV/%1").arg(kept[size_t(pos)]));
    // a bookmark taken before more deletions still finds its record
    t.mt_FAK_.moveTo(5000);
    const int mark = t.mt_FAK_.bookmark();
    t.mt_FAK_.first();
    t.mt_FAK_.gotoBookmark(mark);
    EXPECT_EQ(t.mt_FAK_.position(), 5000);

    // a record added now comes last, and a cancelled one leaves nothing
    addInvoice(QStringLiteral("FV/new"));
    EXPECT_EQ(t.mt_FAK_.position(), int(kept.size()));
    t.mt_FAK_.append();
    t.mt_FAK_.setValue(QStringLiteral("P_2A"), QStringLiteral("FV/cancelled"));
    t.mt_FAK_.cancel();
    EXPECT_EQ(t.mt_FAK_.recordCount(), int(kept.size()) + 1);

    // counting the stored rows changes nothing; dropping the deleted ones is a step of its own,
    // and the link index follows it
    t.lineLinkOff();
    ASSERT_EQ(t.mt_FAK_.storedCount(), 9001);
    EXPECT_EQ(t.mt_FAK_.deletedRows(), 9000 - int(kept.size()));
    t.dropDeletedRows();
    ASSERT_EQ(t.mt_FAK_.storedCount(), int(kept.size()) + 1);
    ASSERT_EQ(t.mt_POZ_.storedCount(), int(kept.size()));
    for (size_t r = 0; r < kept.size(); ++r) {
        ASSERT_EQ(t.mt_FAK_.stringAt(int(r), 2), QStringLiteral("FV/%1").arg(kept[r]));
        ASSERT_EQ(t.mt_POZ_.rowsWithKey(QStringLiteral("FV/%1").arg(kept[r])), std::vector<int>{int(r)});
    }
    EXPECT_EQ(t.mt_FAK_.stringAt(int(kept.size()), 2), QStringLiteral("FV/new"));
    t.linkLinesToInvoices();
    t.mt_FAK_.moveTo(100);
    EXPECT_EQ(t.mt_POZ_.value(QStringLiteral("P_7")).toString(), QStringLiteral("line %1").arg(kept[100]));
}

} // namespace
