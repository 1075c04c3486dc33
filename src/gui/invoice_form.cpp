#include "invoice_form.h"

#include "base/user_port.h"
#include "document_model.h"
#include "tables/document_table.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

struct Row
{
    const char *field;
    const char *caption;
    bool check;
};

// The controls of the form in their order (P_22A, P_22B and P_22C are edited in the grid only).
const Row kRows[] = {
    {"P_1", "DataWystawienia", false},
    {"P_2A", "NumerFaktury", false},
    {"P_3A", "Nabywca", false},
    {"P_3B", "AdresNabywcy", false},
    {"P_3C", "Sprzedawca", false},
    {"P_3D", "AdresSprzedawcy", false},
    {"P_4A", "Kraj", false},
    {"P_4B", "NipSprzedawcy", false},
    {"P_5A", "Kraj", false},
    {"P_5B", "NipNabywcy", false},
    {"P_6", "DataDokonania", false},
    {"P_13_1", "netto 22;23%", false},
    {"P_14_1", "vat 22;23%", false},
    {"P_14_1W", "vat 22;23% wPLN", false},
    {"P_13_2", "netto 7;8%", false},
    {"P_14_2", "vat 7,8%", false},
    {"P_14_2W", "vat 7,8% wPLN", false},
    {"P_13_3", "netto 5%", false},
    {"P_14_3", "vat 5%", false},
    {"P_14_3W", "vat 5% wPLN", false},
    {"P_13_4", "netto o3; 4%T; oo", false},
    {"P_14_4", "vat o3; 4%T,\"0\"", false},
    {"P_14_4W", "vat o3; 4%T,\"0\" wPLN", false},
    {"P_13_5", "netto poza PL", false},
    {"P_14_5", "kwOSS", false},
    {"P_13_6", "netto 0%", false},
    {"P_13_7", "netto ZW", false},
    {"P_15", "KwotaOgółem", false},
    {"P_16", "MetodaKasowa", true},
    {"P_17", "Samofakturowanie", true},
    {"P_18", "ObciążenieOdwrotne", true},
    {"P_18A", "Mechanizm Podzielonej Płatności", true},
    {"P_19", "ZwolnionaOdPodatku", true},
    {"P_19A", "TreśćPodstawyZwolnienia_A43u1_A113u1", false},
    {"P_19B", "TreśćPodstawyZwolnienia_Dyrektywy2006/112/WE", false},
    {"P_19C", "TreśćPodstawyZwolnienia_Inna", false},
    {"P_20", "FakturaDłuznika_A106c", true},
    {"P_20A", "NazwaEgzekutora", false},
    {"P_20B", "AdresEgzekutora", false},
    {"P_21", "FakturaPrzezPrzedstawiciela", true},
    {"P_21A", "Przedstawiciel", false},
    {"P_21B", "AdresPrzedstawiciela", false},
    {"P_21C", "NipPrzedstawiciela", false},
    {"P_22", "WD nowych środków transportu", true},
    {"P_23", "TransakcjaTrójstronna", true},
    {"P_106E_2", "MarżaWTurystyce_A106e_2", true},
    {"P_106E_3", "MarżaSprzedaż_A106e_3", true},
    {"P_106E_3A", "", false},
    {"RodzajFaktury", "RodzajFaktury", false},
    {"PrzyczynaKorekty", "Przyczyna korekty", false},
    {"NrFaKorygowanej", "NrFaKorygowanej", false},
    {"OkresFaKorygowanej", "OkresFaKorygowanej", false},
    {"NrFaZaliczkowej", "NrFaZaliczkowej", false},
    {"KodWaluty", "KodWaluty", false},
};

} // namespace

InvoiceForm::InvoiceForm(DocumentTable *table, UserPort *port, QWidget *parent)
    : QWidget(parent), m_table(table), m_port(port)
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *area = new QScrollArea(this);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *inner = new QWidget(area);
    auto *grid = new QGridLayout(inner);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    int n = 0;
    int checkRow = -1; // the row of P_106E_3: its description edit stands beside it
    for (const Row &r : kRows) {
        const QString field = QString::fromLatin1(r.field);
        const int f = table->fieldIndex(field);
        int row = n / 2;
        int col = (n % 2) * 2;
        if (field == u"P_106E_3A" && checkRow >= 0) {
            row = checkRow;
            col = m_checkColumn;
        } else {
            ++n;
        }
        if (r.check) {
            auto *box = new QCheckBox(QString::fromUtf8(r.caption), inner);
            box->setObjectName(QStringLiteral("chb_") + field);
            // P_106E_3 alone may stay unset
            box->setTristate(field == u"P_106E_3");
            if (field == u"P_22")
                box->setToolTip(QStringLiteral("(P_22) Wewnątrzwspólnotowa dostawa nowych środków transportu"));
            else
                box->setToolTip(field);
            if (field == u"P_106E_3") {
                // the check box takes the label's place; its unlabelled description follows it
                grid->addWidget(box, row, col);
                checkRow = row;
                m_checkColumn = col + 1;
            } else {
                grid->addWidget(box, row, col, 1, 2);
            }
            m_controls.insert(field, box);
            connect(box, &QCheckBox::stateChanged, this, [this, field, box](int state) {
                if (m_refreshing)
                    return;
                if (box->isTristate() && state == Qt::PartiallyChecked)
                    store(field, QVariant());
                else
                    store(field, state == Qt::Checked);
            });
            continue;
        }
        auto *edit = new QLineEdit(inner);
        edit->setMinimumWidth(60);
        edit->setObjectName(QStringLiteral("ed_") + field);
        edit->setToolTip(field);
        const FieldDef &def = table->fields().at(f);
        if (def.type == FieldType::String)
            CharacterLimit::apply(edit, def.size);
        if (def.type == FieldType::Float)
            edit->setAlignment(Qt::AlignRight);
        if (r.caption[0]) {
            // long names without spaces wrap after "_" and "/" (a zero-width space there)
            QString caption = QString::fromUtf8(r.caption);
            caption.replace(u'_', QStringLiteral("_\u200B")).replace(u'/', QStringLiteral("/\u200B"));
            auto *label = new QLabel(caption, inner);
            label->setWordWrap(true);
            label->setMinimumWidth(60);
            label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
            label->setBuddy(edit);
            grid->addWidget(label, row, col);
        }
        grid->addWidget(edit, row, col + 1);
        m_controls.insert(field, edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, field, edit, def] {
            if (m_refreshing || !edit->isModified())
                return;
            edit->setModified(false);
            QVariant value;
            if (!DocumentModel::valueFromText(def, edit->text(), &value)) {
                // the typed text stays for the user to mend; the record keeps its value
                m_port->error(QStringLiteral("Błędna wartość"), DocumentModel::refusalText(def, edit->text()));
                return;
            }
            store(field, value);
        });
    }
    // the labels take what their text needs up to a third of the form; the edits the rest
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 3);
    grid->setRowStretch(n / 2 + 1, 1);
    area->setWidget(inner);
    outer->addWidget(area);
    connect(table, &DocumentTable::currentChanged, this, &InvoiceForm::refresh);
    connect(table, &DocumentTable::reset, this, &InvoiceForm::refresh);
    connect(table, &DocumentTable::rowChanged, this, &InvoiceForm::refresh);
    connect(table, &DocumentTable::frozenChanged, this, &InvoiceForm::setFrozen);
    refresh();
}

void InvoiceForm::store(const QString &field, const QVariant &value)
{
    if (m_frozen || (m_table->position() < 0 && m_table->state() == DocumentTable::State::Browse))
        return;
    m_table->setValue(field, value); // the record waits in edit for "Zapisz" or "Anuluj"
}

void InvoiceForm::setFrozen(bool frozen)
{
    m_frozen = frozen;
    refresh();
}

void InvoiceForm::refresh()
{
    m_refreshing = true;
    const bool has = m_table->position() >= 0 || m_table->state() != DocumentTable::State::Browse;
    for (auto it = m_controls.begin(); it != m_controls.end(); ++it) {
        const int f = m_table->fieldIndex(it.key());
        const QVariant v = has ? m_table->value(f) : QVariant();
        it.value()->setEnabled(has && !(m_frozen && qobject_cast<QCheckBox *>(it.value())));
        if (auto *line = qobject_cast<QLineEdit *>(it.value()))
            line->setReadOnly(m_frozen);
        if (auto *box = qobject_cast<QCheckBox *>(it.value()))
            box->setCheckState(!v.isValid() ? (box->isTristate() ? Qt::PartiallyChecked : Qt::Unchecked)
                                            : (v.toBool() ? Qt::Checked : Qt::Unchecked));
        else if (auto *edit = qobject_cast<QLineEdit *>(it.value())) {
            edit->setText(DocumentModel::displayText(m_table->fields().at(f), v));
            edit->setCursorPosition(0); // a long text shows from its beginning
        }
    }
    m_refreshing = false;
}
