#include "config_page.h"

#include "page_includes.h"

ConfigPage::ConfigPage(PageContext &ctx, QWidget *parent) : QWidget(parent), m_ctx(ctx)
{
    QWidget *page = this;
    auto *layout = new QHBoxLayout(page);
    auto *left = new QVBoxLayout;
    auto *format = new QGroupBox(S("Format danych w pliku: "), page);
    auto *fl = new QFormLayout(format);
    fl->addRow(S("Separator pól:"),
               m_ctx.binder->combo(QStringLiteral("cb_separator_ItemIndex"),
                                   {S("#9 - tabulator"), S("| - pionowa linia"), S("; - semicolon"), S(", - koma")},
                                   format));
    fl->addRow(S("Separator dziesiętny:"), m_ctx.binder->combo(QStringLiteral("cb_koma_ItemIndex"),
                                                               {S(", - (przecinek)"), S(". - (kropka)")}, format));
    fl->addRow(S("Format daty:"),
               m_ctx.binder->combo(QStringLiteral("cb_data_ItemIndex"),
                                   {S("DD-MM-RRRR"), S("RRRR-MM-DD"), S("DDMMRRRR"), S("RRRRMMDD")}, format));
    fl->addRow(S("Standard zanków :"), m_ctx.binder->combo(QStringLiteral("cb_PL_ItemIndex"),
                                                           {S("Windows 1250"), S("UFT-8"), S("DOS-CP852")}, format));
    fl->addRow(S("Prawda:"), m_ctx.binder->text(QStringLiteral("edx_TRUE_Text"), format));
    fl->addRow(S("Fałsz:"), m_ctx.binder->text(QStringLiteral("edx_FALSE_Text"), format));
    fl->addRow(
        m_ctx.binder->check(QStringLiteral("chb_FloatZeroExNull_Checked"), S("Float = 0.00  ustaw  <null>"), format));
    fl->addRow(m_ctx.binder->check(QStringLiteral("chb_wyroznik_Checked"), S("Pierwsza linia pliku zawiera:"), format),
               m_ctx.binder->text(QStringLiteral("edx_Wyroznik_Text"), format));
    left->addWidget(format);

    auto *exe = new QGroupBox(S(" Wywołanie 'aplikacji' "), page);
    (*m_ctx.named).insert(QStringLiteral("gb_Exe"), exe);
    auto *xl = new QFormLayout(exe);
    xl->addRow(m_ctx.binder->check(QStringLiteral("chb_Imp_Application_Checked"),
                                   S("Importuj poprzez wywołanie aplikacji"), exe));
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
    // on this system a program is any executable file or script; the Part's filters follow
    xl->addRow(S("Aplikacja klienta:"),
               browsed("fn_Imp_Aplikacja_FileName", S("Aplikacja klienta"),
                       S("Programy i skrypty (*);;Aplikacje  (*.exe);;Aplikacje (*.BAT) (*.bat *.BAT);;Skrypty (*.sh)"),
                       false));
    // the exchange file need not exist yet: the application writes it
    xl->addRow(S("Plik wymiany danych:"), browsed("fn_Imp_PlikWymiany_FileName", S("Plik wymiany danych"),
                                                  S("Plik wymiany danych  (*.txt *.cvd)"), true));
    QLineEdit *params = m_ctx.binder->text(QStringLiteral("e_Params_Text"), exe);
    params->setToolTip(S("%0:s = DataOd; %1:s = DataDo; %2:s = PlikWyminay"));
    xl->addRow(S("Przekazane parametry:"), params);
    left->addWidget(exe);

    auto *config = new QGroupBox(S(" Konfiguracja "), page);
    auto *cl = new QVBoxLayout(config);
    configLabel = new QLabel(m_ctx.workspace->configLabelText(), config);
    cl->addWidget(configLabel);
    cl->addWidget(m_ctx.binder->check(QStringLiteral("chb_zaslon_Checked"), S("zasłoń zakładki konfiguracji"), config));
    cl->addWidget(new QLabel(S("Zakładki będą widoczne po uruchomieniu programu z opcją \"-k\""), config));
    left->addWidget(config);
    left->addStretch(1);
    layout->addLayout(left, 2);

    auto *right = new QVBoxLayout;
    right->addWidget(mappingBox(m_ctx, S("Tablica wartości \"podstawialnych\""), MappingTables::DEF), 1);
    right->addWidget(new QLabel(S("Nieco wyjaśnień:"), page));
    auto *memo = new QPlainTextEdit(MemoInfo(), page);
    memo->setObjectName(QStringLiteral("MemoInfo"));
    memo->setReadOnly(true);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    right->addWidget(memo, 1);
    layout->addLayout(right, 3);
}
