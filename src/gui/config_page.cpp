#include "config_page.h"

#include "page_includes.h"

ConfigPage::ConfigPage(PageContext &ctx, QWidget *parent) : Page(ctx, parent)
{
    QWidget *page = this;
    auto *layout = new QHBoxLayout(page);
    auto *left = new QVBoxLayout;
    auto *format = new QGroupBox(utf8Text("Format danych w pliku: "), page);
    auto *fl = new QFormLayout(format);
    fl->addRow(utf8Text("Separator pól:"),
               m_ctx.binder->combo(QStringLiteral("cb_separator_ItemIndex"),
                                   {utf8Text("#9 - tabulator"), utf8Text("| - pionowa linia"),
                                    utf8Text("; - semicolon"), utf8Text(", - koma")},
                                   format));
    fl->addRow(utf8Text("Separator dziesiętny:"),
               m_ctx.binder->combo(QStringLiteral("cb_koma_ItemIndex"),
                                   {utf8Text(", - (przecinek)"), utf8Text(". - (kropka)")}, format));
    fl->addRow(utf8Text("Format daty:"), m_ctx.binder->combo(QStringLiteral("cb_data_ItemIndex"),
                                                             {utf8Text("DD-MM-RRRR"), utf8Text("RRRR-MM-DD"),
                                                              utf8Text("DDMMRRRR"), utf8Text("RRRRMMDD")},
                                                             format));
    fl->addRow(utf8Text("Standard zanków :"),
               m_ctx.binder->combo(QStringLiteral("cb_PL_ItemIndex"),
                                   {utf8Text("Windows 1250"), utf8Text("UFT-8"), utf8Text("DOS-CP852")}, format));
    fl->addRow(utf8Text("Prawda:"), m_ctx.binder->text(QStringLiteral("edx_TRUE_Text"), format));
    fl->addRow(utf8Text("Fałsz:"), m_ctx.binder->text(QStringLiteral("edx_FALSE_Text"), format));
    fl->addRow(m_ctx.binder->check(QStringLiteral("chb_FloatZeroExNull_Checked"),
                                   utf8Text("Float = 0.00  ustaw  <null>"), format));
    fl->addRow(
        m_ctx.binder->check(QStringLiteral("chb_wyroznik_Checked"), utf8Text("Pierwsza linia pliku zawiera:"), format),
        m_ctx.binder->text(QStringLiteral("edx_Wyroznik_Text"), format));
    left->addWidget(format);

    auto *exe = new QGroupBox(utf8Text(" Wywołanie 'aplikacji' "), page);
    (*m_ctx.named).insert(QStringLiteral("gb_Exe"), exe);
    auto *xl = new QFormLayout(exe);
    xl->addRow(m_ctx.binder->check(QStringLiteral("chb_Imp_Application_Checked"),
                                   utf8Text("Importuj poprzez wywołanie aplikacji"), exe));
    // each path with its browse button
    auto browsed = [this, exe](const char *key, const QString &title, const QString &filter, bool save) {
        QLineEdit *edit = m_ctx.binder->text(QString::fromLatin1(key), exe);
        auto *browse = new QToolButton(exe);
        browse->setText(QStringLiteral("…"));
        browse->setObjectName(QStringLiteral("browse_") + QString::fromLatin1(key));
        browse->setToolTip(title);
        connect(browse, &QToolButton::clicked, this, [this, edit, key, title, filter, save] {
            const QString file = save ? QFileDialog::getSaveFileName(this, title, edit->text(), filter, nullptr,
                                                                     QFileDialog::DontConfirmOverwrite)
                                      : QFileDialog::getOpenFileName(this, title, edit->text(), filter);
            if (!file.isEmpty())
                m_ctx.workspace->controls().setText(QString::fromLatin1(key), QDir::toNativeSeparators(file));
        });
        return row(exe, {edit, browse}, false);
    };
    // on this system a program is any executable file or script; the Windows filters follow it
    xl->addRow(
        utf8Text("Aplikacja klienta:"),
        browsed("fn_Imp_Aplikacja_FileName", utf8Text("Aplikacja klienta"),
                utf8Text("Programy i skrypty (*);;Aplikacje  (*.exe);;Aplikacje (*.BAT) (*.bat *.BAT);;Skrypty (*.sh)"),
                false));
    // the exchange file need not exist yet: the application writes it
    xl->addRow(utf8Text("Plik wymiany danych:"), browsed("fn_Imp_PlikWymiany_FileName", utf8Text("Plik wymiany danych"),
                                                         utf8Text("Plik wymiany danych  (*.txt *.cvd)"), true));
    QLineEdit *params = m_ctx.binder->text(QStringLiteral("e_Params_Text"), exe);
    params->setToolTip(utf8Text("%0:s = DataOd; %1:s = DataDo; %2:s = PlikWyminay"));
    xl->addRow(utf8Text("Przekazane parametry:"), params);
    left->addWidget(exe);

    auto *config = new QGroupBox(utf8Text(" Konfiguracja "), page);
    auto *cl = new QVBoxLayout(config);
    configLabel = new QLabel(m_ctx.workspace->configLabelText(), config);
    cl->addWidget(configLabel);
    cl->addWidget(
        m_ctx.binder->check(QStringLiteral("chb_zaslon_Checked"), utf8Text("zasłoń zakładki konfiguracji"), config));
    cl->addWidget(new QLabel(utf8Text("Zakładki będą widoczne po uruchomieniu programu z opcją \"-k\""), config));
    left->addWidget(config);
    left->addStretch(1);
    layout->addLayout(left, 2);

    auto *right = new QVBoxLayout;
    right->addWidget(mappingBox(m_ctx, utf8Text("Tablica wartości \"podstawialnych\""), MappingTables::DEF), 1);
    right->addWidget(new QLabel(utf8Text("Nieco wyjaśnień:"), page));
    auto *memo = new QPlainTextEdit(MappingTables::helpText(), page);
    memo->setObjectName(QStringLiteral("MemoInfo"));
    memo->setReadOnly(true);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    right->addWidget(memo, 1);
    layout->addLayout(right, 3);
}
