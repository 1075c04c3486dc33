#include "header_page.h"

#include "page_includes.h"

#include <QEvent>

HeaderPage::HeaderPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *outer = new QHBoxLayout(page);
    Controls &c = m_ctx.workspace->controls();

    auto *fields = new QGroupBox(utf8Text(" Nagłówek i Podmiot "), page);
    auto *form = new QFormLayout(fields);
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto &[caption, key] :
         {std::pair{"Data Od", "ed_DataOd_Date"}, std::pair{"Data Do", "ed_DataDo_Date"}}) {
        auto *picker = new DatePicker(c, QString::fromLatin1(key), m_ctx.port, fields);
        (*m_ctx.named).insert(QString::fromLatin1(key), picker);
        form->addRow(utf8Text(caption), picker);
    }
    QLineEdit *created = m_ctx.binder->text(QStringLiteral("ed_DataWytworzeniaJPK_Text"), fields);
    created->setReadOnly(true);
    created->setToolTip(utf8Text("Podwójne kliknięcie wstawia bieżącą datę i czas"));
    created->installEventFilter(this);
    form->addRow(utf8Text("Data Wytworzenia JPK [UTC]"), created);
    struct Field
    {
        const char *key, *caption;
        int max;
    };
    const Field header[] = {{"ed_KodUrzedu_Text", "Kod Urzędu", 4},
                            {"ed_NIP_Text", "NIP", 0},
                            {"ed_PelnaNazwa_Text", "Pełna Nazwa", 70},
                            {"ed_EUPLVATID_Text", "EUPLVATID", 0},
                            {"ed_IMPLVATID_Text", "IMPLVATID", 0},
                            {"ed_KodKraju_Text", "Kod Kraju", 2},
                            {"ed_Wojewodztwo_Text", "Województwo", 36},
                            {"ed_Powiat_Text", "Powiat", 36},
                            {"ed_Gmina_Text", "Gmian", 36},
                            {"ed_Ulica_Text", "Ulica", 65},
                            {"ed_NrDomu_Text", "NrDomu", 6},
                            {"ed_NrLokalu_Text", "NrLokalu", 6},
                            {"ed_Miejscowosc_Text", "Miejscowość", 56},
                            {"ed_KodPocztowy_Text", "Kod poczowy", 8}};
    for (const Field &f : header)
        form->addRow(utf8Text(f.caption), m_ctx.binder->text(QString::fromLatin1(f.key), fields, f.max));
    QLineEdit *kod = qobject_cast<QLineEdit *>(m_ctx.binder->widget(QStringLiteral("ed_KodUrzedu_Text")));
    kod->setPlaceholderText(c.text(QStringLiteral("ed_KodUrzedu_TextHint")));
    outer->addWidget(fields, 3);

    auto *right = new QVBoxLayout;
    auto *output = new QGroupBox(utf8Text(" Nazwa wynikowa dla pliku JPK (XML) "), page);
    auto *ol = new QVBoxLayout(output);
    QLineEdit *fn = m_ctx.binder->text(QStringLiteral("fn_JPK_Text"), output);
    auto *browse = new QToolButton(output);
    browse->setText(QStringLiteral("…"));
    connect(browse, &QToolButton::clicked, this, [this, fn] {
        const QString file = QFileDialog::getSaveFileName(this, utf8Text("Nazwa wynikowa dla pliku JPK (XML)"),
                                                          fn->text(), utf8Text("Pliki XML (*.xml)"));
        if (!file.isEmpty())
            m_ctx.workspace->controls().setText(QStringLiteral("fn_JPK_Text"),
                                                m_ctx.workspace->correctedOutputName(file));
    });
    connect(fn, &QLineEdit::editingFinished, this, [this, fn] {
        if (fn->isModified()) {
            fn->setModified(false);
            m_ctx.workspace->controls().setText(QStringLiteral("fn_JPK_Text"),
                                                m_ctx.workspace->correctedOutputName(fn->text()));
        }
    });
    ol->addWidget(row(output, {fn, browse}, false));
    ol->addWidget(
        m_ctx.binder->check(QStringLiteral("chb_Korekta_Checked"), utf8Text("Generowany plik będzie korektą"), output));
    right->addWidget(output);

    auto *action = new QGroupBox(utf8Text(" Akcja "), page);
    auto *al = new QVBoxLayout(action);
    for (const char *name : {"act_Importuj", "Act_ImportNaglowek", "Act_ImportujFaktury", "act_ImportujKSeF",
                             "act_Generuj_JPK", "act_ImportujZAplikacji"}) {
        QPushButton *button = actionButton(m_ctx, name, action);
        button->setObjectName(QStringLiteral("b_") + QString::fromLatin1(name));
        al->addWidget(button);
    }
    al->addWidget(
        m_ctx.binder->check(QStringLiteral("chb_Weryfikuj_Checked"), utf8Text("Zweryfukuj po wygenerowaniu"), action));
    right->addWidget(action);

    auto *tabs = new QGroupBox(utf8Text(" Ustawienie zakładek "), page);
    auto *tl = new QVBoxLayout(tabs);
    tl->addWidget(m_ctx.binder->check(QStringLiteral("chb_page_multiline_Checked"), utf8Text("- wieloliniowe"), tabs));
    tl->addWidget(m_ctx.binder->check(QStringLiteral("chb_page_ragged_Checked"), utf8Text("- okrojone"), tabs));
    right->addWidget(tabs);
    right->addStretch(1);
    outer->addLayout(right, 2);
}

bool HeaderPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        watched == m_ctx.binder->widget(QStringLiteral("ed_DataWytworzeniaJPK_Text"))) {
        m_ctx.workspace->controls().setText(QStringLiteral("ed_DataWytworzeniaJPK_Text"), Workspace::timestampNow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
